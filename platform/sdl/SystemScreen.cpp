// Screen facts and message boxes before any window, through SDL's video subsystem.
#include "platform/SystemScreen.h"

#include "platform/Charset.h"
#include "platform/sdl/SdlSubsystems.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {
namespace {

std::mutex g_mutex;
std::optional<ScreenFacts> g_override;
SystemBoxHandler g_boxHandler;

// Starts the video subsystem for the question (or counts once more on the one that runs); false
// when there is no display. The caller stops it with sdl::StopSubsystems.
bool WithVideo() { return DisplayNamed() && sdl::StartSubsystems(SDL_INIT_VIDEO); }

MessageBoxAnswer NoAnswer(MessageBoxButtons buttons)
{
    return buttons == MessageBoxButtons::Ok         ? MessageBoxAnswer::Ok
           : buttons == MessageBoxButtons::OkCancel ? MessageBoxAnswer::Cancel
                                                    : MessageBoxAnswer::No;
}

} // namespace

bool DisplayNamed()
{
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("SDL_VIDEODRIVER");
}

ScreenFacts QueryScreen()
{
    {
        std::lock_guard lock(g_mutex);
        if (g_override)
            return *g_override;
    }
    ScreenFacts facts;
    if (!WithVideo())
        return facts;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
        facts.width = mode.w;
        facts.height = mode.h;
        facts.workArea = Rect{0, 0, mode.w, mode.h};
    }
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0)
        facts.workArea = Rect{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
    sdl::StopSubsystems(SDL_INIT_VIDEO);
    return facts;
}

void SetScreenOverride(const ScreenFacts* facts)
{
    std::lock_guard lock(g_mutex);
    if (facts)
        g_override = *facts;
    else
        g_override.reset();
}

MessageBoxAnswer ShowSystemMessageBox(const std::string& gbkText, const std::string& gbkCaption,
                                      MessageBoxButtons buttons, BoxIcon icon)
{
    SystemBoxHandler handler;
    {
        std::lock_guard lock(g_mutex);
        handler = g_boxHandler;
    }
    if (handler)
        return handler(gbkText, gbkCaption, buttons, icon);
    const std::string text = GbkToUtf8(gbkText), caption = GbkToUtf8(gbkCaption);
    if (!WithVideo()) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return NoAnswer(buttons);
    }
    std::vector<SDL_MessageBoxButtonData> b;
    auto add = [&](MessageBoxAnswer a, const char* label, Uint32 flags) {
        b.push_back({flags, static_cast<int>(a), label});
    };
    switch (buttons) {
    case MessageBoxButtons::Ok:
        add(MessageBoxAnswer::Ok, "OK", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
        break;
    case MessageBoxButtons::OkCancel:
        add(MessageBoxAnswer::Ok, "OK", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
        add(MessageBoxAnswer::Cancel, "Cancel", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
        break;
    case MessageBoxButtons::YesNo:
    case MessageBoxButtons::YesNoCancel:
        add(MessageBoxAnswer::Yes, "Yes", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
        add(MessageBoxAnswer::No, "No", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
        break;
    }
    const SDL_MessageBoxData data{icon == BoxIcon::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION,
                                  nullptr, caption.c_str(), text.c_str(), static_cast<int>(b.size()), b.data(),
                                  nullptr};
    int pressed = -1;
    int rc = SDL_ShowMessageBox(&data, &pressed);
    sdl::StopSubsystems(SDL_INIT_VIDEO);
    if (rc != 0 || pressed < 0) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return NoAnswer(buttons);
    }
    return static_cast<MessageBoxAnswer>(pressed);
}

void SetSystemBoxHandler(SystemBoxHandler handler)
{
    std::lock_guard lock(g_mutex);
    g_boxHandler = std::move(handler);
}

} // namespace platform
