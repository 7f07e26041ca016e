#include "platform/MessageLoop.h"
#include "platform/RealWindow.h"
#include "platform/Window.h"
#include "platform/DisplayWindowHandler.h"
#include "support/XvfbSession.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using platform::Rect;

constexpr uint32_t kBlue = 0x0000FF, kRed = 0xFF0000, kGreen = 0x00FF00;

struct Scene : platform::DisplayWindowHandler {
    platform::DisplayWindow* window = nullptr;
    std::vector<uint32_t> buffer = std::vector<uint32_t>(320 * 240);
    int clicks = 0;
    int paints = 0;
    int paintsAtClick = 0;
    platform::Point at;

    void Draw(uint32_t background)
    {
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                buffer[y * 320 + x] = 0xFF000000u | ((x >= 100 && x < 220 && y >= 80 && y < 160) ? kRed : background);
    }
    void OnPaint() override
    {
        ++paints;
        const auto damage = window->PaintingDamage();
        window->Present(buffer.data(), 320, 240, damage);
    }
    void OnMouseDown(platform::MouseButton, int x, int y, uint32_t) override
    {
        ++clicks;
        paintsAtClick = paints;
        at = {x, y};
        Draw(kGreen);
        window->Invalidate({0, 0, 320, 240});
    }
};

// The real window on a private X server, run by the thread's own message loop: known pixels
// reach the screen, a click made by xdotool reaches the handler, timers keep firing and a post
// from another thread wakes the loop, and the repaint after the click shows in a screenshot.
TEST(RealWindowXvfb, PresentsPixelsAndReceivesAClick)
{
    xltest::XvfbSession x;
    if (!x.Ok())
        GTEST_SKIP() << "no Xvfb";
    ASSERT_TRUE(platform::OpenRealWindows());
    Scene scene;
    scene.Draw(kBlue);
    auto window = platform::CreateRealWindow("xl-smoke", {0, 0, 320, 240}, {});
    ASSERT_TRUE(window);
    scene.window = window.get();
    window->SetHandler(&scene);
    window->InvalidateAll();
    int ticks = 0;
    std::atomic<int> posts{0};
    const platform::WindowId messages = platform::MakeWindow([&](platform::WindowId, uint32_t m, uintptr_t, intptr_t) {
        ticks += m == platform::kMsgTimer;
        posts += m == platform::kMsgUser;
        return intptr_t{0};
    });
    ASSERT_TRUE(platform::StartTimer(messages, 1, 10));
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        platform::PostToWindow(messages, platform::kMsgUser);
    });
    const auto until = [&](auto pred) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        platform::Message m;
        while (!pred() && std::chrono::steady_clock::now() < end && platform::GetNextMessage(m))
            platform::Dispatch(m);
        return pred();
    };
    ASSERT_TRUE(until([&] { return scene.paints > 0; }));
    const std::string before = xltest::ArtifactPath("xvfb-window-before.png");
    ASSERT_EQ(0, std::system(("import -window root -crop 320x240+0+0 " + before).c_str()));

    const std::string click = "(xdotool search --sync --onlyvisible --name '^xl-smoke$' | head -1 | "
                              "xargs -I{} xdotool mousemove --window {} 20 30 click 1) >/dev/null 2>&1 &";
    ASSERT_EQ(0, std::system(click.c_str()));
    ASSERT_TRUE(until([&] { return scene.clicks > 0; })) << "no click arrived";
    EXPECT_EQ((platform::Point{20, 30}), scene.at);
    ASSERT_TRUE(until([&] { return scene.paints > scene.paintsAtClick; }));
    const std::string after = xltest::ArtifactPath("xvfb-window-after.png");
    ASSERT_EQ(0, std::system(("import -window root -crop 320x240+0+0 " + after).c_str()));

    auto a = xltest::ReadPng(before), b = xltest::ReadPng(after);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(kBlue, a->Rgb(10, 10));
    EXPECT_EQ(kRed, a->Rgb(160, 120));
    EXPECT_EQ(kGreen, b->Rgb(10, 10));
    EXPECT_EQ(kRed, b->Rgb(160, 120));
    EXPECT_EQ(kGreen, b->Rgb(319, 239));
    poster.join();
    EXPECT_TRUE(until([&] { return posts == 1 && ticks > 3; }));
    platform::DestroyWindow(messages);

    window.reset();
    platform::CloseRealWindows();
}

} // namespace
