#include "widgets/CXyCheckButton.h"

#include "engine/object/PictureObject.h"
#include "widgets/WidgetSupport.h"

namespace Lumora {

int CXyCheckButton::Create(const PictureInfo* skin, int state)
{
    face_ = NewBitmapObject(skin ? *skin : PictureInfo{});
    if (face_) {
        face_->SetTopMost();
        face_->SetEnabled(true);
        face_->Redraw();
        SetBody(face_, kBodyLinks);
        face_->AddEventHook(EV_LBUTTON_DOWN, GetId(), EV_LBUTTON_DOWN, 0, 0);
        face_->SetFrame(state ? 1 : 0);
    }
    state_ = state;
    return state_;
}

int CXyCheckButton::OnEvent(const EventRecord& record)
{
    if (record.code == EV_LBUTTON_DOWN) {
        Toggle();
        return 1;
    }
    return CLumoraGui::OnEvent(record);
}

void CXyCheckButton::SetCheck(int state)
{
    state_ = state;
    if (!face_)
        return;
    face_->SetFrame(state ? 1 : 0);
    PostNotify(*this, state ? checked_ : unchecked_);
    face_->Redraw();
}

void CXyCheckButton::SetCheckedEvent(const EventRecord* record) { checked_ = record ? *record : EventRecord{}; }

void CXyCheckButton::SetUncheckedEvent(const EventRecord* record) { unchecked_ = record ? *record : EventRecord{}; }

void CXyCheckButton::SwitchTo(int state)
{
    if (face_) {
        face_->SetFrame(state);
        face_->Redraw();
    }
    state_ = state;
    PostNotify(*this, state ? checked_ : unchecked_);
}

void CXyCheckButton::Toggle()
{
    if (state_ == 1)
        SwitchTo(0);
    else if (state_ == 0)
        SwitchTo(1);
}

} // namespace Lumora
