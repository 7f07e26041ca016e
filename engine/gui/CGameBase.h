#pragma once
// The base of the framework's scene objects (the frame UI, the table scene, the side panel):
// the area the host window or the owner gives them, and the hooks the host window and the
// framework call when that area is set, when the game UI has started and when the hall sends
// copy data.
#include "engine/senior/CClassSenior.h"

#include <cstdint>
#include <span>

namespace Lumora {

class CGameBase : public CClassSenior {
public:
    virtual void OnSize() {}
    virtual void OnSizeDone() {}
    // Called before the host window's own handling of the data.
    virtual void OnCopyData(uint32_t /*code*/, std::span<const uint8_t> /*bytes*/) {}
    // Stores the area and calls OnSize, even when the area is unchanged.
    virtual void SetBounds(const Rect& bounds);
    virtual void GetBounds(Rect& out) const { out = bounds_; }
    const Rect& Bounds() const { return bounds_; }

private:
    Rect bounds_;
};

} // namespace Lumora
