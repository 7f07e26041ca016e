#pragma once
// The skinned push button of every table, dialog and board: a picture face whose frames are
// its states (0 normal, 1 hover, 2 pressed, 3 disabled), sounds per state change, an optional
// caption overlay and the hand cursor. A click sends the owner's notify record unchanged.
#include "engine/gui/CLumoraGui.h"

#include <array>
#include <string>

namespace Lumora {

class BITObject;
class PlaneObject;

class CXyStandButton : public CLumoraGui {
public:
    enum Style : uint32_t {
        STYLE_LATCHED = 0x1,
        STYLE_NOTIFY_ON_PRESS = 0x2,
        STYLE_ENTER_CLICKS = 0x4,
    };
    enum SoundIndex { SOUND_LEAVE = 0, SOUND_ENTER = 1, SOUND_PRESS = 2, SOUND_UNUSED = 3 };

    int GetType() const override { return 8; }
    int OnEvent(const EventRecord& record) override;

    using PObject::Create;
    virtual void Create(const PictureInfo* skin, const EventRecord* notify, uint32_t style, uint32_t faceFlags);
    virtual void SetNotifyEvent(const EventRecord* notify);
    virtual void SetFacePicture(const PictureInfo& picture, bool resize);
    virtual PlaneObject* GetOverlay();
    virtual void SetSound(int index, const char* name);
    virtual void OnEnter();
    virtual void OnLeave();
    virtual void OnPress();
    virtual void OnClick();
    virtual void ShowPressed() { SetState(2); }
    virtual void ShowNormal() { SetState(0); }
    virtual bool HitTestAt(int x, int y) const;
    virtual void SetState(int frame);
    virtual int GetState() const;
    virtual void Fire();
    virtual void SetCaption(const char* text, uint32_t colour, int size);
    virtual void SetNotifyOnPress() { style_ |= STYLE_NOTIFY_ON_PRESS; }
    virtual void ClearNotifyOnPress() { style_ &= ~uint32_t(STYLE_NOTIFY_ON_PRESS); }
    virtual void SetLatched(bool on);
    virtual bool IsLatched() const { return (style_ & STYLE_LATCHED) != 0; }
    virtual int GetHandCursor() const { return hand_; }
    virtual void SetHandCursor(int on) { hand_ = on; }
    virtual void ShowHandCursor();
    virtual void ShowArrowCursor();

    BITObject* GetFace() const { return face_; }
    const EventRecord& GetNotifyEvent() const { return notify_; }
    uint32_t GetStyle() const { return style_; }
    const std::string& GetSound(int index) const { return sounds_.at(size_t(index)); }

private:
    void ShowFrame(int frame);

    PlaneObject* overlay_ = nullptr;
    BITObject* face_ = nullptr;
    EventRecord notify_;
    std::array<std::string, 4> sounds_;
    uint32_t style_ = 0;
    int hand_ = 0;
};

} // namespace Lumora
