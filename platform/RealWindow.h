#pragma once
// Windows on the real display. All calls from the one thread that runs the windows, except
// WakeRealWindows, which any thread may call to end a wait early.
#include "platform/DisplayWindow.h"

#include <memory>
#include <string>

namespace platform {

// Connects to the display once; false when there is none (no DISPLAY, no video driver).
bool OpenRealWindows();
void CloseRealWindows();

std::unique_ptr<DisplayWindow> CreateRealWindow(const std::string& gbkTitle, const Rect& screenRect,
                                         const WindowStyle& style);

// Waits up to timeoutMs (0 = just look) for input to the windows, hands all that came to their
// handlers, then paints every window with pending damage. True when anything was handled.
bool PumpRealWindows(int timeoutMs);
void WakeRealWindows();

} // namespace platform
