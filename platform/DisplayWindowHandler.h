#pragma once
// What a window tells its owner: size, paint, focus, mouse, keys, characters, hand-over
// data and closing. Coordinates are client pixels; flags are the mouse_flag / key_flag bits.
#include "platform/WindowTypes.h"

#include <cstdint>
#include <span>

namespace platform {

class DisplayWindowHandler {
public:
    virtual ~DisplayWindowHandler() = default;

    virtual void OnSize(int /*width*/, int /*height*/) {}  // 0, 0 while minimised
    virtual void OnPaint() {}
    virtual void OnDestroy() {}
    virtual void OnClose() {}
    virtual void OnCopyData(uint32_t /*code*/, std::span<const uint8_t> /*bytes*/) {}
    // Before every mouse move while the mouse is not captured; true when the handler set the cursor.
    virtual bool OnSetCursor() { return false; }
    virtual void OnMouseMove(int /*x*/, int /*y*/, uint32_t /*flags*/) {}
    virtual void OnMouseDown(MouseButton, int /*x*/, int /*y*/, uint32_t /*flags*/) {}
    virtual void OnMouseUp(MouseButton, int /*x*/, int /*y*/, uint32_t /*flags*/) {}
    // Only for windows created with WindowStyle::wantDoubleClicks; replaces the second press.
    virtual void OnMouseDoubleClick(MouseButton, int /*x*/, int /*y*/, uint32_t /*flags*/) {}
    virtual void OnMouseWheel(int /*x*/, int /*y*/, int /*delta*/, uint32_t /*flags*/) {}
    virtual void OnKeyDown(uint32_t /*vk*/, uint32_t /*repeat*/, uint32_t /*flags*/) {}
    virtual void OnKeyUp(uint32_t /*vk*/, uint32_t /*repeat*/, uint32_t /*flags*/) {}
    // One byte of GBK text; a double-byte character comes as two calls, lead byte first.
    virtual void OnChar(uint32_t /*byte*/, uint32_t /*repeat*/, uint32_t /*flags*/) {}
    virtual void OnSetFocus() {}
    virtual void OnKillFocus() {}
};

} // namespace platform
