#pragma once
// A two-state picture button (frame 0 off, 1 on) that posts one record when switched on and
// another when switched off. Radio buttons derive from it.
#include "engine/gui/CLumoraGui.h"

namespace Lumora {

class BITObject;

class CXyCheckButton : public CLumoraGui {
public:
    int GetType() const override { return 6; }
    int OnEvent(const EventRecord& record) override;

    using PObject::Create;
    virtual int Create(const PictureInfo* skin, int state);
    virtual int GetCheck() const { return state_; }
    // Notifies even when the state does not change.
    virtual void SetCheck(int state);
    virtual void SetCheckedEvent(const EventRecord* record);
    virtual void SetUncheckedEvent(const EventRecord* record);
    virtual void Toggle();

    BITObject* GetFace() const { return face_; }

protected:
    void SwitchTo(int state);

    BITObject* face_ = nullptr;
    int state_ = 0;
    EventRecord checked_;
    EventRecord unchecked_;
};

} // namespace Lumora
