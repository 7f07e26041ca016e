#pragma once
// A text button drawn on a plane of its own: the label in engine markup, a 1-pixel frame whose
// colour inverts on hover, and a darkened look when pressed or disabled. Pop-menu items derive
// from it.
#include "engine/gui/CLumoraGui.h"

#include <string>

namespace Lumora {

class PlaneObject;

class CXySimpleButton : public CLumoraGui {
public:
    enum DrawState { STATE_NORMAL = 0, STATE_HOVER = 1, STATE_PRESSED = 2, STATE_DISABLED = 3 };

    int OnEvent(const EventRecord& record) override;

    using PObject::Create;
    virtual PlaneObject* Create(const char* label, int width, int height, int textSize, uint32_t backColour,
                                uint32_t frameColour, const EventRecord* notify);
    virtual PlaneObject* GetPlane() const { return plane_; }
    virtual void OnEnter();
    virtual void OnLeave();
    virtual void OnPress();
    virtual void OnClick();
    virtual void Draw(int state);
    virtual void SetNotifyEvent(const EventRecord* notify);
    virtual bool HitTestAt(int x, int y) const;
    virtual void SetTextColour(uint32_t colour);
    virtual std::string GetText() const { return label_; }
    virtual void SetText(const char* text);
    virtual int GetHandCursor() const { return hand_; }
    virtual void SetHandCursor(int on) { hand_ = on; }
    virtual void ShowHandCursor();
    virtual void ShowArrowCursor();

    const EventRecord& GetNotifyEvent() const { return notify_; }
    uint32_t GetBackColour() const { return backColour_; }
    uint32_t GetFrameColour() const { return frameColour_; }
    int GetTextSize() const { return textSize_; }

    // Each colour byte replaced by 255 minus itself.
    static uint32_t Inverted(uint32_t colour) { return ~colour & 0xFFFFFF; }

protected:
    PlaneObject* plane_ = nullptr;
    EventRecord notify_;
    uint32_t backColour_ = 0;
    uint32_t frameColour_ = 0;
    std::string label_;
    int textSize_ = 0;
    int hand_ = 0;
};

} // namespace Lumora
