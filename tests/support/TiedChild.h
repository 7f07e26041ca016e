#pragma once
// Programs the test rigs start (the stand-ins, Xvfb) tied to the test: each is sent SIGTERM when
// the thread that started it ends, so a test stopped by a signal (Ctrl-C, ctest's time-out, an
// abort) leaves none running although no destructor ran; and each is registered (RigRegistry.h)
// until EndTied, so that a test told to end waits for them before it removes their folders.
// Start them from the thread that uses them to the end (the test's own), never from a
// short-lived worker.
#include "tests/support/RigRegistry.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace xltest {

// Forks and runs argv[0] with the environment given (the process's own when null); `inChild`
// runs in the child first and may only make async-signal-safe calls (the test has threads).
// The child's pid, or -1.
inline pid_t SpawnTied(const std::vector<std::string>& argv, char* const* envp = nullptr,
                       const std::function<void()>& inChild = {})
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    char* const* env = envp ? envp : environ;
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid > 0)
        RigRegistry::AddProgram(pid);
    if (pid != 0)
        return pid;
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) // the test ended before the tie was made
        ::_exit(127);
    if (inChild)
        inChild();
    ::execve(args[0], args.data(), env);
    ::_exit(127);
}

// Once the program was waited for: its pid may be another's now.
inline void Reaped(pid_t pid) { RigRegistry::RemoveProgram(pid); }

// Ends the program (SIGTERM) and waits for it.
inline void EndTied(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    Reaped(pid);
}

} // namespace xltest
