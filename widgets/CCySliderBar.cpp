#include "widgets/CCySliderBar.h"

#include "engine/object/PlaneObject.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Lumora {

void CCySliderBar::Create(PictureInfo trackSkin, PictureInfo thumbSkin, int orientation, const EventRecord* notify,
                          int position, int interactive)
{
    track_ = NewPlaneObject(trackSkin.width, trackSkin.height, kColourKeyBackground);
    thumb_ = NewPlaneObject(thumbSkin.width, thumbSkin.height, kColourKeyBackground);
    tip_ = NewPlaneObject(25, 20, kColourKeyBackground);
    if (!track_ || !thumb_ || !tip_)
        return;
    HookThumbAndTrack(*thumb_, *track_, GetId());
    if (notify)
        notify_ = *notify;
    orientation_ = orientation;
    interactive_ = interactive;
    trackSkin_ = trackSkin;
    thumbSkin_ = thumbSkin;
    position_ = std::clamp(position, 0, 100);
    SetBody(track_, kBodyLinks);

    tip_->SetBackgroundColour(0xF7F2F1);
    tip_->SetFont(12, 400, "宋体");
    tip_->SetPen(0x575757, 1.0);
    tip_->SetZ(track_->GetZ() + 0.2);
    if (IsVertical())
        tip_->MoveTo(thumb_->GetLeft() - 18, thumb_->GetY());
    else
        tip_->MoveTo(thumb_->GetX(), thumb_->GetTop() - tip_->GetHeight() / 2 - 2);
    tip_->Deactivate();

    thumb_->SetZ(track_->GetZ() + 0.1);
    thumb_->AddChild(tip_, kBodyLinks);
    track_->AddChild(thumb_, kBodyLinks);
    Layout();
}

void CCySliderBar::DrawThumb(bool tinted)
{
    thumb_->Clear();
    if (trackSkin_.image)
        thumb_->DrawPicture(thumbSkin_, 0, 0, 0, 0);
    if (tinted)
        thumb_->Tint(0x0000FF, 0.2);
    thumb_->Redraw();
}

void CCySliderBar::DrawTip()
{
    tip_->Clear();
    tip_->DrawRect(1, 1, 23, 18, false);
    tip_->DrawTextCentred(12, 10, std::to_string(position_));
}

void CCySliderBar::ShowTip(bool show)
{
    if (show) {
        DrawTip();
        tip_->Activate();
    } else {
        tip_->Deactivate();
    }
    tip_->Redraw();
}

void CCySliderBar::Layout()
{
    if (!track_ || !thumb_ || !tip_)
        return;
    track_->Clear();
    if (trackSkin_.image)
        track_->DrawPicture(trackSkin_, 0, 0, 0, 0);
    if (!interactive_)
        track_->Tint(0x000000, 0.2);
    track_->Redraw();
    DrawThumb(!interactive_ || hot_ == 1);
    if (trackSkin_.image) {
        if (IsVertical())
            thumb_->MoveTo(thumb_->GetX(), track_->GetBottom() - trackSkin_.height * position_ / 100);
        else
            thumb_->MoveTo(track_->GetLeft() + trackSkin_.width * position_ / 100, thumb_->GetY());
        thumb_->Redraw();
    }
    if (!interactive_)
        ShowTip(false);
    if (tip_->IsActive()) {
        DrawTip();
        tip_->Redraw();
    }
}

void CCySliderBar::SetPosition(uint32_t value)
{
    if (value > 100)
        return;
    position_ = int(value);
    Layout();
}

void CCySliderBar::FireChange()
{
    if (!notify_.code)
        return;
    EventRecord record = notify_;
    record.param1 = reinterpret_cast<uintptr_t>(&position_);
    SendNotify(*this, record);
}

int CCySliderBar::OnEvent(const EventRecord& record)
{
    if (!track_ || !thumb_ || !tip_)
        return CLumoraGui::OnEvent(record);
    const int before = position_;
    switch (record.code) {
    case EV_THUMB_ENTER:
        if (interactive_) {
            hot_ = 1;
            DrawThumb(true);
            ShowTip(true);
        }
        return 1;
    case EV_THUMB_LEAVE:
        if (interactive_) {
            hot_ = 0;
            DrawThumb(false);
            ShowTip(false);
        }
        return 1;
    case EV_THUMB_PRESS:
    case EV_THUMB_RELEASE:
        if (interactive_)
            ShowTip(record.code == EV_THUMB_PRESS);
        return 1;
    case EV_THUMB_DRAG: {
        if (!interactive_)
            return 1;
        const InputData in = InputDataOf(*this, record);
        if (IsVertical()) {
            const double h = track_->GetHeight();
            if (thumb_->GetY() >= track_->GetTop() && thumb_->GetY() <= track_->GetBottom() && h > 0)
                position_ = int(std::trunc((track_->GetBottom() - in.y) * 100 / h));
        } else {
            const double w = track_->GetWidth();
            if (thumb_->GetX() >= track_->GetLeft() && thumb_->GetX() <= track_->GetRight() && w > 0)
                position_ = int(std::trunc((in.x - track_->GetLeft()) * 100 / w));
        }
        position_ = std::clamp(position_, 0, 100);
        break;
    }
    case EV_TRACK_PRESS: {
        if (!interactive_)
            return 1;
        const InputData in = InputDataOf(*this, record);
        if (IsVertical()) {
            if (in.y > thumb_->GetBottom())
                position_ -= kTrackStep;
            else if (in.y < thumb_->GetTop())
                position_ += kTrackStep;
        } else {
            if (in.x < thumb_->GetLeft())
                position_ -= kTrackStep;
            else if (in.x > thumb_->GetRight())
                position_ += kTrackStep;
        }
        position_ = std::clamp(position_, 0, 100);
        break;
    }
    default:
        return CLumoraGui::OnEvent(record);
    }
    if (position_ != before) {
        Layout();
        FireChange();
    }
    return 1;
}

} // namespace Lumora
