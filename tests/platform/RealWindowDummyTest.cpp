#include "platform/Cursor.h"
#include "platform/DisplayWindowHandler.h"
#include "platform/RealWindow.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

// Runs the test with SDL's dummy video driver (a window with a framebuffer and no display),
// putting the driver setting back afterwards.
class DummyVideo {
public:
    DummyVideo()
    {
        if (const char* v = std::getenv("SDL_VIDEODRIVER"))
            old_ = v;
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    ~DummyVideo()
    {
        if (old_)
            setenv("SDL_VIDEODRIVER", old_->c_str(), 1);
        else
            unsetenv("SDL_VIDEODRIVER");
    }

private:
    std::optional<std::string> old_;
};

struct Painter : platform::DisplayWindowHandler {
    platform::DisplayWindow* window = nullptr;
    std::vector<uint32_t> buffer;
    int bufferWidth = 0;
    int bufferHeight = 0;
    int paints = 0;
    std::vector<std::pair<int, int>> sizes;
    void OnSize(int w, int h) override { sizes.emplace_back(w, h); }
    void OnPaint() override
    {
        ++paints;
        window->Present(buffer.data(), bufferWidth, bufferHeight, window->PaintingDamage());
    }
};

// The SDL back end without any display: a window comes up, paints reach its framebuffer, a
// frame buffer larger or smaller than the window is cut to both (the sanitizer build checks
// every copy), resizing reports the new size, and the cursor counter, capture and confinement
// work. Machines without an X server still run the real back end this way.
TEST(RealWindowDummy, PaintsResizesAndKeepsItsCounters)
{
    DummyVideo video;
    ASSERT_TRUE(platform::OpenRealWindows());
    {
        Painter painter;
        auto window = platform::CreateRealWindow("xl-dummy", {0, 0, 200, 100}, {});
        ASSERT_TRUE(window);
        painter.window = window.get();
        window->SetHandler(&painter);
        EXPECT_EQ(200, window->ClientWidth());
        EXPECT_EQ(100, window->ClientHeight());

        // A frame larger than the window, then one smaller: both are cut to fit.
        for (auto [w, h] : {std::pair{320, 240}, std::pair{50, 30}}) {
            painter.buffer.assign(static_cast<size_t>(w) * h, 0xFF336699u);
            painter.bufferWidth = w;
            painter.bufferHeight = h;
            const int before = painter.paints;
            window->Invalidate({-10, -10, 400, 300});
            platform::PumpRealWindows(0);
            EXPECT_EQ(before + 1, painter.paints);
        }

        window->Move({0, 0, 300, 150});
        platform::PumpRealWindows(0);
        EXPECT_EQ(300, window->ClientWidth());
        EXPECT_EQ(150, window->ClientHeight());
        ASSERT_FALSE(painter.sizes.empty());
        EXPECT_EQ(std::make_pair(300, 150), painter.sizes.back());
        painter.buffer.assign(300u * 150u, 0xFF00FF00u);
        painter.bufferWidth = 300;
        painter.bufferHeight = 150;
        window->InvalidateAll();
        platform::PumpRealWindows(0);

        EXPECT_EQ(-1, window->ShowCursor(false));
        EXPECT_EQ(0, window->ShowCursor(true));
        window->SetCursor(platform::Cursor::System(32649));
        window->SetCapture();
        EXPECT_TRUE(window->HasCapture());
        window->ReleaseCapture();
        EXPECT_FALSE(window->HasCapture());
        window->ConfineCursor({10, 10, 5000, 5000});
        window->ReleaseCursor();

        window->Destroy();
        EXPECT_TRUE(window->IsDestroyed());
    }
    platform::CloseRealWindows();
}

} // namespace
