#pragma once
// The wait dialog on the display: a small borderless window in the middle of the screen that
// shows the pixels it is given. It belongs to the UI thread, which repaints it from its loop and
// from every blocking wait (the busy pump); PumpDisplayEvents takes the display's events off the
// system meanwhile without handing any of them on, so nothing is handled out of order while the
// thread waits. Null without a display.
#include <cstdint>
#include <memory>

namespace platform {

class DisplayWindow;

class WaitWindow {
public:
    static std::unique_ptr<WaitWindow> Create(int width, int height);
    ~WaitWindow();

    // Shows the window with these pixels (0xAARRGGBB, width x height as created).
    void Show(const uint32_t* pixels);
    void Hide();
    bool Visible() const { return visible_; }

private:
    WaitWindow() = default;
    std::unique_ptr<DisplayWindow> window_;
    int width_ = 0;
    int height_ = 0;
    bool visible_ = false;
};

void PumpDisplayEvents();

} // namespace platform
