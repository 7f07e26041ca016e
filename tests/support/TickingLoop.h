#pragma once
// The client's message loop with a timer window of its own beside it, for tests that run the
// whole client in-process and look at (or act on) it from the UI thread: `tick` runs every
// `periodMs` until it returns false. Give the result to ClientPlatform::runLoop.
#include "platform/MessageLoop.h"
#include "platform/Window.h"

#include <functional>
#include <memory>

namespace testsupport {

inline std::function<int()> TickingLoop(uint32_t periodMs, std::function<bool()> tick)
{
    return [periodMs, tick = std::move(tick)] {
        auto ticker = std::make_shared<platform::WindowId>(0);
        *ticker = platform::MakeWindow([ticker, tick](platform::WindowId, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
            if (message == platform::kMsgTimer && !tick())
                platform::StopTimer(*ticker, 1);
            return message == platform::kMsgTimer ? 1 : 0;
        });
        platform::StartTimer(*ticker, 1, periodMs);
        const int code = platform::RunMessageLoop();
        platform::DestroyWindow(*ticker);
        return code;
    };
}

} // namespace testsupport
