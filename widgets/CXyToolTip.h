#pragma once
// A tool tip: a small framed plane of wrapped text that fades in above its anchor while the
// cursor is over the anchor and disappears when the cursor leaves. The anchor's hook names it
// by id, so a hover queued just before the anchor was released shows nothing.
#include "engine/gui/CLumoraGui.h"

namespace Lumora {

class PlaneObject;

class CXyToolTip : public CLumoraGui {
public:
    static constexpr int kMargin = 3;
    static constexpr uint32_t kFrameColour = 0xE7BFC8;

    // Made when the tip is registered.
    void Create() override;
    int OnEvent(const EventRecord& record) override;

    virtual void SetText(const char* text, int maximumWidth);
    using PObject::Attach;
    virtual void Attach(PObject* anchor, const char* text, int maximumWidth);
    virtual void Show(double fadeStep, int hideAfter);
    virtual void Hide();
    virtual void ClearAndFrame();
    virtual void Place(PObject* anchor);
    virtual int Layout(const char* text, int maximumWidth);
    virtual PlaneObject* GetPlane() const { return plane_; }

private:
    PlaneObject* plane_ = nullptr;
};

} // namespace Lumora
