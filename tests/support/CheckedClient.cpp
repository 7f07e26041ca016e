// The client as xueliu/main.cpp starts it, with the screen check watching every frame it shows.
// XL_SCREEN_CHECK=FILE: each fault found is appended to FILE as a line (nothing written: the
// screen told the truth); XL_SCREEN_CHECK_NAME names the pictures kept in build/artifacts.
#include "framework/window/RunClient.h"
#include "tests/support/ScreenCheck.h"
#include "xueliu/GameApplication.h"

#include <cstdlib>

int main(int argc, char** argv)
{
    const char* name = std::getenv("XL_SCREEN_CHECK_NAME");
    testsupport::ScreenCheck check(name && *name ? name : "client", std::string(XL_BINARY_DIR) + "/artifacts");
    if (const char* file = std::getenv("XL_SCREEN_CHECK"); file && *file)
        check.WriteFaultsTo(file);
    check.Install();
    const std::vector<std::string> arguments(argv, argv + argc);
    InstallGameApplication();
    ClientPlatform platform;
    return RunClient(arguments, platform);
}
