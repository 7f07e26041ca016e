#include "widgets/CXyScrollBar.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "widgets/CXyStandButton.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>
#include <cmath>

namespace Lumora {

void CXyScrollBar::Create(uint32_t owner, int width, int height, int orientation, int extra)
{
    owner_ = owner;
    orientation_ = orientation;
    extra_ = extra;
    thumb_ = NewPlaneObject(width, height, kColourKeyBackground);
    track_ = NewPlaneObject(width, height, kColourKeyBackground);
    if (!thumb_ || !track_)
        return;
    thumb_->SetBackgroundColour(0x808080);
    HookThumbAndTrack(*thumb_, *track_, GetId());
    track_->SetBackgroundColour(0x808040);
    SetBody(track_, kBodyLinks);
    thumb_->SetZ(track_->GetZ() + 0.1);
    track_->AddChild(thumb_, kPartLinks);
    DrawSkins();
}

CXyStandButton* CXyScrollBar::MakeArrow(const PictureInfo& picture, uint32_t code)
{
    if (!track_)
        return nullptr;
    auto* arrow = NewChild<CXyStandButton>();
    if (!arrow)
        return nullptr;
    const EventRecord notify{owner_, code, 0, 0};
    arrow->Create(&picture, &notify, 0, 4);
    arrow->SetZ(track_->GetZ() + 0.1);
    track_->AddChild(arrow, kPartLinks);
    return arrow;
}

void CXyScrollBar::SetUpArrow(PictureInfo picture)
{
    if (IsVertical() && !first_) {
        first_ = MakeArrow(picture, EV_SCROLL_UP);
        SetRange(position_, page_, range_, -1.0);
    }
}

void CXyScrollBar::SetDownArrow(PictureInfo picture)
{
    if (IsVertical() && !second_) {
        second_ = MakeArrow(picture, EV_SCROLL_DOWN);
        SetRange(position_, page_, range_, -1.0);
    }
}

void CXyScrollBar::SetLeftArrow(PictureInfo picture)
{
    if (!IsVertical() && !first_) {
        first_ = MakeArrow(picture, EV_SCROLL_LEFT);
        SetRange(position_, page_, range_, -1.0);
    }
}

void CXyScrollBar::SetRightArrow(PictureInfo picture)
{
    if (!IsVertical() && !second_) {
        second_ = MakeArrow(picture, EV_SCROLL_RIGHT);
        SetRange(position_, page_, range_, -1.0);
    }
}

void CXyScrollBar::SetThumbGrip(PictureInfo picture)
{
    if (!thumb_)
        return;
    if (grip_) {
        grip_->LoadPicture(picture, 1);
        grip_->Redraw();
        return;
    }
    grip_ = NewBitmapObject(picture);
    if (!grip_)
        return;
    grip_->MoveTo(thumb_->GetX(), thumb_->GetY());
    grip_->SetZ(thumb_->GetZ() + 0.5);
    if (thumb_->IsActive())
        grip_->Activate();
    grip_->Redraw();
    thumb_->AddChild(grip_, kInnerPartLinks);
}

void CXyScrollBar::SetTrackSkin(PictureInfo picture)
{
    trackSkin_ = picture;
    if (track_)
        track_->SetBackgroundColour(kColourKeyBackground);
    DrawSkins();
}

void CXyScrollBar::SetThumbSkin(PictureInfo picture)
{
    if (thumb_) {
        const int height = thumb_->GetSurfaceHeight();
        thumb_->ResizeSurface(picture.width, height);
        thumb_->SetSize(picture.width, height);
        thumb_->SetBackgroundColour(kColourKeyBackground);
    }
    thumbSkin_ = picture;
    DrawSkins();
}

int CXyScrollBar::GetTotalLength() const
{
    if (!track_)
        return 0;
    double length = Along(*track_);
    for (const CXyStandButton* arrow : {first_, second_})
        if (arrow)
            length += IsVertical() ? arrow->GetHeight() : arrow->GetWidth();
    return int(length);
}

int CXyScrollBar::GetThumbLength() const { return thumb_ ? int(Along(*thumb_)) : 0; }

void CXyScrollBar::SetStep(double step)
{
    if (step > 0)
        step_ = step;
}

void CXyScrollBar::ResizeAlong(PlaneObject& plane, int length)
{
    const int w = IsVertical() ? plane.GetSurfaceWidth() : length;
    const int h = IsVertical() ? length : plane.GetSurfaceHeight();
    plane.ResizeSurface(w, h);
    plane.SetSize(w, h);
}

void CXyScrollBar::SetRange(double position, double page, double range, double step)
{
    position_ = position;
    page_ = page;
    range_ = range;
    if (range == 0)
        return;
    SetStep(step);
    if (!track_ || !thumb_)
        return;
    const double barLength = Along(*track_);
    const double start = Start(*track_), end = End(*track_);
    double length;
    double centre;
    if (range <= page) {
        // Everything is visible: the thumb fills the track.
        length = barLength;
        centre = start + length / 2;
    } else {
        length = std::max(barLength * page / range, minThumb_);
        centre = start + (barLength - length) * position / (range - page) + length / 2;
    }
    ResizeAlong(*thumb_, std::max(1, int(length)));
    DrawSkins();
    const double half = Along(*thumb_) / 2;
    centre = std::max(centre, start + 1 + half);
    centre = std::min(centre, end - half);
    if (IsVertical())
        thumb_->MoveTo(track_->GetX(), centre);
    else
        thumb_->MoveTo(centre, track_->GetY());
    thumb_->Redraw();
    PlaceArrows();
}

void CXyScrollBar::PlaceArrows()
{
    if (IsVertical()) {
        if (first_)
            first_->MoveTo(track_->GetX(), track_->GetTop() - first_->GetHeight() / 2);
        if (second_)
            second_->MoveTo(track_->GetX(), track_->GetBottom() + second_->GetHeight() / 2);
    } else {
        if (first_)
            first_->MoveTo(track_->GetLeft() - first_->GetWidth() / 2, track_->GetY());
        if (second_)
            second_->MoveTo(track_->GetRight() + second_->GetWidth() / 2, track_->GetY());
    }
    // A move alone does not repaint an arrow at its new place.
    for (CXyStandButton* arrow : {first_, second_})
        if (arrow)
            arrow->Redraw();
}

void CXyScrollBar::SetSize(double width, double height)
{
    if (!track_)
        return;
    double arrows = 0;
    for (const CXyStandButton* arrow : {first_, second_})
        if (arrow)
            arrows += IsVertical() ? arrow->GetHeight() : arrow->GetWidth();
    const int length = int((IsVertical() ? height : width) - arrows);
    if (length < 1)
        return;
    const int w = IsVertical() ? int(width) : length;
    const int h = IsVertical() ? length : int(height);
    track_->ResizeSurface(w, h);
    track_->SetSize(w, h);
    track_->Redraw();
    SetRange(position_, page_, range_, -1.0);
}

void CXyScrollBar::SetThumbState(int state)
{
    thumbSkin_.frame = state;
    DrawSkins();
}

int CXyScrollBar::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_THUMB_ENTER:
    case EV_THUMB_RELEASE:
        SetThumbState(1);
        return 1;
    case EV_THUMB_LEAVE:
        SetThumbState(0);
        return 1;
    case EV_THUMB_PRESS:
        SetThumbState(2);
        return 1;
    case EV_THUMB_DRAG: {
        if (!track_ || !thumb_)
            return 1;
        const InputData in = InputDataOf(*this, record);
        const double cursor = IsVertical() ? in.y : in.x;
        const double moved = IsVertical() ? in.dy : in.dx;
        if (cursor < Start(*track_) || cursor > End(*track_))
            return 1;
        const double travel = Along(*track_) - Along(*thumb_);
        // With nothing to scroll, or a thumb as long as the track, a drag has nowhere to go.
        if (range_ <= page_ || travel <= 0)
            return 1;
        const double position = (Start(*thumb_) + moved - Start(*track_)) * (range_ - page_) / travel;
        SetRange(std::clamp(position, 0.0, MaxPosition()), page_, range_, -1.0);
        NotifyOwner();
        return 1;
    }
    case EV_TRACK_PRESS: {
        if (!track_ || Along(*track_) <= 0)
            return 1;
        const InputData in = InputDataOf(*this, record);
        const double cursor = IsVertical() ? in.y : in.x;
        const double position = std::trunc((cursor - Start(*track_)) * range_ / Along(*track_));
        SetRange(std::clamp(position, 0.0, MaxPosition()), page_, range_, -1.0);
        NotifyOwner();
        return 1;
    }
    default:
        return CLumoraGui::OnEvent(record);
    }
}

void CXyScrollBar::NotifyOwnerWith(uintptr_t param2)
{
    double values[3] = {position_, page_, range_};
    SendNotify(*this, EventRecord{owner_, EV_SCROLL_POSITION, reinterpret_cast<uintptr_t>(values), param2});
}

void CXyScrollBar::NotifyOwner() { NotifyOwnerWith(0); }

void CXyScrollBar::DrawSkins()
{
    if (track_) {
        track_->Clear();
        if (!trackSkin_.image)
            track_->DrawBorder(0, 1);
        else if (IsVertical())
            track_->DrawPictureThreeV(trackSkin_);
        else
            track_->DrawPictureThreeH(trackSkin_);
        track_->Redraw();
    }
    if (thumb_) {
        thumb_->Clear();
        if (!thumbSkin_.image)
            thumb_->DrawBorder(0, 1);
        else if (IsVertical())
            thumb_->DrawPictureThreeV(thumbSkin_);
        else
            thumb_->DrawPictureThreeH(thumbSkin_);
        thumb_->Redraw();
    }
}

void SkinScrollBarByName(CXyScrollBar& bar, CClassSenior& lookup, bool horizontal)
{
    const char* const names[2][5] = {
        {"ScrollBar_VertBack", "ScrollBar_VertBtn", "ScrollBar_VertPattern", "ScrollBar_VertUpBtn",
         "ScrollBar_VertDownBtn"},
        {"ScrollBar_HorzBack", "ScrollBar_HorzBtn", "ScrollBar_HorzPattern", "ScrollBar_HorzLeftBtn",
         "ScrollBar_HorzRightBtn"}};
    PictureInfo skins[5];
    for (int i = 0; i < 5; ++i)
        lookup.GetPicture(skins[i], names[horizontal][i], 0);
    if (skins[0].image)
        bar.SetTrackSkin(skins[0]);
    if (skins[1].image)
        bar.SetThumbSkin(skins[1]);
    if (skins[2].image)
        bar.SetThumbGrip(skins[2]);
    if (skins[3].image)
        horizontal ? bar.SetLeftArrow(skins[3]) : bar.SetUpArrow(skins[3]);
    if (skins[4].image)
        horizontal ? bar.SetRightArrow(skins[4]) : bar.SetDownArrow(skins[4]);
}

} // namespace Lumora
