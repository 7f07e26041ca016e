// The client's entry point: the whole client is RunClient, with this game's application and the
// real platform.
#include "framework/window/RunClient.h"
#include "xueliu/GameApplication.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv, argv + argc);
    InstallGameApplication();
    ClientPlatform platform;
    return RunClient(arguments, platform);
}
