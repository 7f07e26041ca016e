#include "widgets/CXyStandButton.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "widgets/WidgetSupport.h"

namespace Lumora {

void CXyStandButton::Create(const PictureInfo* skin, const EventRecord* notify, uint32_t style, uint32_t faceFlags)
{
    face_ = NewBitmapObject(skin ? *skin : PictureInfo{});
    if (face_) {
        face_->SetFrame(0);
        face_->SetTopMost();
        face_->AddFlags(faceFlags);
        SetBody(face_, kBodyLinks);
        HookButtonPointer(*face_, GetId());
    }
    if (style & STYLE_ENTER_CLICKS) {
        AddFlags(OBJ_TOP_LEVEL);
        PObject::AddEventHook(EV_KEY_DOWN, GetId(), EV_KEY_DOWN, 0, 0);
    }
    style_ |= style;
    if (notify)
        notify_ = *notify;
}

int CXyStandButton::OnEvent(const EventRecord& record)
{
    if (DispatchButtonPointer(*this, record))
        return 0;
    switch (record.code) {
    case EV_KEY_DOWN:
        if (InputDataOf(*this, record).key == kVirtualKeyEnter && IsEnabled())
            OnClick();
        return 0;
    case EV_WIDGET_ENABLED:
        if (face_) {
            face_->SetFrame(CurrentInputData(*this).hovered == face_->GetId() ? 1 : 0);
            face_->SetEnabled(true);
            face_->Redraw();
        }
        return 0;
    case EV_WIDGET_DISABLED:
        if (face_) {
            face_->SetEnabled(false);
            face_->SetFrame(3);
            face_->Redraw();
        }
        return 0;
    default:
        return CLumoraGui::OnEvent(record);
    }
}

void CXyStandButton::SetNotifyEvent(const EventRecord* notify) { notify_ = notify ? *notify : EventRecord{}; }

void CXyStandButton::SetFacePicture(const PictureInfo& picture, bool resize)
{
    if (!face_)
        return;
    const int frame = face_->GetFrame();
    face_->LoadPicture(picture, resize ? 1 : 0);
    face_->SetFrame(frame);
    face_->Redraw();
}

PlaneObject* CXyStandButton::GetOverlay()
{
    if (overlay_ || !face_)
        return overlay_;
    overlay_ = NewPlaneObject(int(face_->GetWidth()), int(face_->GetHeight()), kColourKeyBackground);
    if (!overlay_)
        return nullptr;
    overlay_->SetTopMost();
    overlay_->MoveTo(face_->GetX(), face_->GetY());
    overlay_->SetZ(face_->GetZ() + 0.01);
    face_->AddChild(overlay_, kBodyLinks);
    return overlay_;
}

void CXyStandButton::SetSound(int index, const char* name)
{
    if (index >= 0 && index < int(sounds_.size()))
        sounds_[size_t(index)] = name ? name : "";
}

void CXyStandButton::ShowFrame(int frame)
{
    if (!face_)
        return;
    face_->SetFrame(frame);
    face_->Redraw();
}

void CXyStandButton::OnEnter()
{
    if (!IsEnabled() || IsLatched())
        return;
    ShowFrame(1);
    PlayWidgetSound(*this, sounds_[SOUND_ENTER].c_str());
    if (hand_)
        ShowHandCursor();
}

void CXyStandButton::OnLeave()
{
    // The arrow comes back also from a button disabled while the hand stood over it (确定 of the
    // exchange, a claim taken).
    if (hand_)
        ShowArrowCursor();
    if (!IsEnabled() || IsLatched())
        return;
    ShowFrame(0);
    PlayWidgetSound(*this, sounds_[SOUND_LEAVE].c_str());
}

void CXyStandButton::OnPress()
{
    if (!IsEnabled())
        return;
    ShowFrame(2);
    PlayWidgetSound(*this, sounds_[SOUND_PRESS].c_str());
    if ((style_ & STYLE_NOTIFY_ON_PRESS) && notify_.code)
        Fire();
}

void CXyStandButton::OnClick()
{
    // Even a latched button shows the hover frame on a click; only enter and leave keep it pressed.
    ShowFrame(1);
    if (!(style_ & STYLE_NOTIFY_ON_PRESS) && notify_.code)
        Fire();
}

bool CXyStandButton::HitTestAt(int x, int y) const { return face_ && face_->HitTest(x, y); }

void CXyStandButton::SetState(int frame) { ShowFrame(frame); }

int CXyStandButton::GetState() const { return face_ ? face_->GetFrame() : 0; }

void CXyStandButton::Fire() { SendNotify(*this, notify_); }

void CXyStandButton::SetCaption(const char* text, uint32_t colour, int size)
{
    PlaneObject* overlay = GetOverlay();
    if (!overlay)
        return;
    overlay->SetPen(colour, 1.0);
    overlay->SetFont(size, 400, "宋体");
    overlay->Clear();
    overlay->DrawTextCentred(overlay->GetSurfaceWidth() / 2, overlay->GetSurfaceHeight() / 2, text ? text : "");
    overlay->Redraw();
}

void CXyStandButton::SetLatched(bool on)
{
    if (on) {
        style_ |= STYLE_LATCHED;
        ShowFrame(2);
        return;
    }
    style_ &= ~uint32_t(STYLE_LATCHED);
    const InputData in = CurrentInputData(*this);
    ShowFrame(HitTestAt(in.x, in.y) ? 1 : 0);
}

void CXyStandButton::ShowHandCursor() { ShowWidgetCursor(*this, true); }

void CXyStandButton::ShowArrowCursor() { ShowWidgetCursor(*this, false); }

} // namespace Lumora
