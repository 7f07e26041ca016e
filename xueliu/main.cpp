// The client's entry point: the whole client is RunClient, with the real platform.
#include "framework/window/RunClient.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv, argv + argc);
    ClientPlatform platform;
    return RunClient(arguments, platform);
}
