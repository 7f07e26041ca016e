// The wait dialog's window on the display.
#include "platform/WaitWindow.h"

#include "platform/RealWindow.h"
#include "platform/SystemScreen.h"

#include <SDL.h>

namespace platform {

std::unique_ptr<WaitWindow> WaitWindow::Create(int width, int height)
{
    ScreenFacts screen = QueryScreen();
    WindowStyle style;
    style.borderless = true;
    style.visible = false;
    Rect rect{(screen.width - width) / 2, (screen.height - height) / 2, 0, 0};
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    auto window = CreateRealWindow("", rect, style);
    if (!window)
        return nullptr;
    std::unique_ptr<WaitWindow> w(new WaitWindow);
    w->window_ = std::move(window);
    w->width_ = width;
    w->height_ = height;
    return w;
}

WaitWindow::~WaitWindow()
{
    if (window_)
        window_->Destroy();
}

void WaitWindow::Show(const uint32_t* pixels)
{
    if (!visible_) {
        window_->Show(true);
        visible_ = true;
    }
    const Rect all{0, 0, width_, height_};
    window_->Present(pixels, width_, height_, std::span(&all, 1));
}

void WaitWindow::Hide()
{
    if (visible_) {
        window_->Show(false);
        visible_ = false;
    }
}

void PumpDisplayEvents()
{
    if (SDL_WasInit(SDL_INIT_EVENTS))
        SDL_PumpEvents();
}

} // namespace platform
