#pragma once
// The whole client from start to end: the static objects in their order (the application, the
// relay's gate), InitInstance, the UI thread's message loop, ExitInstance, and the objects'
// destruction in reverse order. The exit code is 0 for a normal end and 1 when the start-up
// fails. A hall that goes ends the loop at once: the connection is closed first and no exit
// report is sent.
#include <string>
#include <vector>

class IServerStartup;

struct ClientOptions {
    std::string programPath;              // argv[0], for the relaunch
    std::vector<std::string> arguments;   // argv[1..]
    IServerStartup* connection = nullptr; // the connection's start-up interface (tests: a fake)
};

int RunClient(const ClientOptions& options);
