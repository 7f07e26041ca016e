// The clipboard, input-method point and Ctrl state of a host window, headless and on a real
// X server with the system clipboard read and written by xclip.
#include "platform/DesktopServices.h"
#include "platform/HeadlessWindow.h"
#include "platform/RealWindow.h"
#include "support/XvfbSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(DesktopServices, MemoryClipboardRefusesWhenUnavailable)
{
    platform::MemoryClipboard c;
    EXPECT_FALSE(c.GetText());
    EXPECT_TRUE(c.SetText(std::string_view("ab\0cd", 5)));
    EXPECT_EQ(c.GetText(), "ab");
    c.SetUnavailable(true);
    EXPECT_FALSE(c.SetText("x"));
    EXPECT_FALSE(c.GetText());
    c.SetUnavailable(false);
    EXPECT_EQ(c.GetText(), "ab");
}

TEST(DesktopServices, AWindowsServicesAreCurrentWhileTheyLive)
{
    platform::HeadlessWindow window({0, 0, 200, 100});
    platform::Clipboard* before = &platform::CurrentClipboard();
    {
        platform::WindowDesktopServices services(window);
        EXPECT_EQ(&platform::CurrentClipboard(), &services);
        EXPECT_TRUE(platform::CurrentClipboard().SetText("中文"));
        EXPECT_EQ(window.ClipboardText(), "中文");
        window.SetClipboardText("");
        EXPECT_FALSE(platform::CurrentClipboard().GetText());
        platform::CurrentInputMethod().SetCompositionPoint(12, 34);
        EXPECT_EQ(window.TextInputRect().left, 12);
        EXPECT_EQ(window.TextInputRect().top, 34);
        EXPECT_FALSE(platform::CurrentKeyboardState().IsCtrlDown());
        window.InjectKey(platform::vk::kControl, true);
        EXPECT_TRUE(platform::CurrentKeyboardState().IsCtrlDown());
        window.InjectKey(platform::vk::kControl, false);
        EXPECT_FALSE(platform::CurrentKeyboardState().IsCtrlDown());
    }
    EXPECT_EQ(&platform::CurrentClipboard(), before);
}

// Runs a program with its output in a file while the window keeps answering the display (the
// clipboard's owner must serve requests from its own event loop); its output, or nullopt.
std::optional<std::string> RunPumping(std::vector<std::string> args, const std::string& outFile)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return std::nullopt;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return std::nullopt;
        }
        platform::PumpRealWindows(5);
    }
    std::ifstream in(outFile);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(DesktopServicesXvfb, TextGoesThroughTheSystemClipboardInUtf8)
{
    if (access("/usr/bin/xclip", X_OK) != 0)
        GTEST_SKIP() << "no xclip";
    xltest::XvfbSession x;
    if (!x.Ok())
        GTEST_SKIP() << "no Xvfb";
    ASSERT_TRUE(platform::OpenRealWindows());
    {
        auto window = platform::CreateRealWindow("xl-clipboard", {0, 0, 64, 64}, {});
        ASSERT_TRUE(window);
        platform::WindowDesktopServices services(*window);
        const std::string out = xltest::ArtifactPath("clipboard-" + std::to_string(getpid()) + ".txt");

        // Copy: the program's GBK text is UTF-8 to other programs.
        ASSERT_TRUE(services.SetText("复制 copy"));
        EXPECT_EQ(RunPumping({"xclip", "-selection", "clipboard", "-o"}, out), Utf8(u8"复制 copy"));

        // Paste: another program owns the clipboard (xclip in the foreground, so it can be ended).
        std::string input = xltest::ArtifactPath("clipboard-in-" + std::to_string(getpid()) + ".txt");
        std::ofstream(input) << Utf8(u8"粘贴 paste");
        char a0[] = "xclip", a1[] = "-quiet", a2[] = "-selection", a3[] = "clipboard", a4[] = "-i";
        char* argv[] = {a0, a1, a2, a3, a4, input.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t owner;
        ASSERT_EQ(posix_spawnp(&owner, "xclip", &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        // Until xclip has taken the clipboard over; a loaded machine may take seconds to start it.
        std::optional<std::string> pasted;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (pasted != std::optional<std::string>("粘贴 paste") && std::chrono::steady_clock::now() < end) {
            platform::PumpRealWindows(10);
            pasted = services.GetText();
        }
        kill(owner, SIGTERM);
        waitpid(owner, nullptr, 0);
        EXPECT_EQ(pasted, std::optional<std::string>("粘贴 paste"));
        std::filesystem::remove(out);
        std::filesystem::remove(input);
        window->Destroy();
    }
    platform::CloseRealWindows();
}

TEST(DesktopServicesXvfb, LongTextsGoThroughTheSystemClipboardWhole)
{
    xltest::XvfbSession x;
    if (!x.Ok())
        GTEST_SKIP() << "no Xvfb";
    ASSERT_TRUE(platform::OpenRealWindows());
    {
        auto window = platform::CreateRealWindow("xl-clipboard-long", {0, 0, 64, 64}, {});
        ASSERT_TRUE(window);
        platform::WindowDesktopServices services(*window);
        // 600 characters, converted to UTF-8 on the way in and back to GBK on the way out.
        std::string text;
        for (int i = 0; i < 150; ++i)
            text += "誠運錦淺";
        ASSERT_TRUE(services.SetText(text));
        EXPECT_EQ(services.GetText(), std::optional<std::string>(text));
        window->Destroy();
    }
    platform::CloseRealWindows();
}

TEST(DesktopServicesXvfb, CompositionPointWithoutAnInputMethodIsHarmless)
{
    xltest::XvfbSession x;
    if (!x.Ok())
        GTEST_SKIP() << "no Xvfb";
    // No input method on the display: the point has nowhere to go and must not fail.
    const char* before = std::getenv("XMODIFIERS");
    const std::string saved = before ? before : "";
    setenv("XMODIFIERS", "@im=none", 1);
    ASSERT_TRUE(platform::OpenRealWindows());
    {
        auto window = platform::CreateRealWindow("xl-no-im", {0, 0, 64, 64}, {});
        ASSERT_TRUE(window);
        platform::WindowDesktopServices services(*window);
        window->Show(true);
        for (int i = 0; i < 20; ++i) {
            services.SetCompositionPoint(i * 3, 40 - i);
            platform::PumpRealWindows(5);
        }
        services.SetCompositionPoint(-10, 100000);
        platform::PumpRealWindows(5);
        EXPECT_FALSE(window->IsDestroyed());
        window->Destroy();
    }
    platform::CloseRealWindows();
    if (before)
        setenv("XMODIFIERS", saved.c_str(), 1);
    else
        unsetenv("XMODIFIERS");
}

} // namespace
