#include "widgets/CProgressBar.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>
#include <cmath>

namespace Lumora {

void CProgressBar::Create(PictureInfo background, PictureInfo fill, double fraction)
{
    background_ = NewBitmapObject(background);
    if (!background_)
        return;
    SetBody(background_, kBodyLinks);
    fillSkin_ = fill;
    fill_ = NewPlaneObject(fill.width, fill.height, kColourKeyBackground);
    if (fill_) {
        fill_->MoveTo(background_->GetX(), background_->GetY());
        fill_->SetZ(background_->GetZAbove());
        background_->AddChild(fill_, kBodyLinks);
    }
    SetPos(fraction);
}

void CProgressBar::StartKnobAnimation()
{
    if (knob_)
        ActPlayFrames(knob_, 0, -1, 0, 0, nullptr);
}

void CProgressBar::Activate()
{
    CLumoraGui::Activate();
    if (knob_) {
        knob_->Activate();
        StartKnobAnimation();
    }
}

void CProgressBar::Deactivate()
{
    CLumoraGui::Deactivate();
    if (knob_)
        CancelObjectActions(knob_->GetId());
}

void CProgressBar::SetKnob(PictureInfo knob, uint32_t owner)
{
    if (!background_)
        return;
    if (!knob_) {
        knob_ = NewBitmapObject(knob);
        if (!knob_)
            return;
    } else {
        knob_->LoadPicture(knob, 1);
    }
    if (fill_) {
        knob_->MoveTo(fill_->GetLeft(), fill_->GetY());
        knob_->SetZ(fill_->GetZ() + 0.01);
    }
    if (IsActive()) {
        knob_->Activate();
        StartKnobAnimation();
    }
    knob_->Redraw();
    background_->AddChild(knob_, kBodyLinks);
    owner_ = owner;
    Draw();
}

void CProgressBar::SetPos(double fraction)
{
    if (dragging_)
        return;
    fraction_ = std::min(fraction, 1.0);
    Draw();
    completion_ = EventRecord{};
}

void CProgressBar::AnimateTo(double target, double step, int intervalMs, const EventRecord* completion)
{
    completion_ = completion ? *completion : EventRecord{};
    step_ = std::fabs(step);
    if (step_ == 0)
        step_ = 0.01;
    serial_ += 100;
    interval_ = intervalMs;
    target_ = target;
    QueueTick();
}

void CProgressBar::QueueTick()
{
    const EventRecord tick{GetId(), EV_ANIMATION_TICK, uintptr_t(serial_), 0};
    ActWait(uint32_t(std::max(interval_, 0)), &tick);
}

void CProgressBar::Draw()
{
    fraction_ = std::clamp(fraction_, 0.0, 1.0);
    if (!fill_)
        return;
    fill_->Clear();
    const int w = int(fillSkin_.width * fraction_);
    if (w > 0) {
        PictureInfo left = fillSkin_;
        left.width = w;
        fill_->DrawPicture(left, 0, 0, w, fillSkin_.height, 0, 1.0);
    }
    fill_->Redraw();
    if (knob_) {
        knob_->MoveTo(fill_->GetLeft() + w, knob_->GetY());
        knob_->Redraw();
    }
}

double CProgressBar::FractionAt(double x, double* pixels) const
{
    const double width = fill_ ? fill_->GetWidth() : 0;
    if (width <= 0) {
        if (pixels)
            *pixels = 0;
        return 0.0;
    }
    const double left = fill_->GetLeft();
    const double clamped = std::clamp(x, left, left + width);
    if (pixels)
        *pixels = clamped - left;
    return (clamped - left) / width;
}

int CProgressBar::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_ANIMATION_TICK:
        if (record.param1 != uintptr_t(serial_) || serial_ >= (uint64_t(1) << 32))
            return 1;
        if (std::fabs(fraction_ - target_) >= step_) {
            fraction_ += fraction_ < target_ ? step_ : -step_;
            Draw();
            ++serial_;
            QueueTick();
        } else {
            fraction_ = target_;
            Draw();
            const EventRecord done = completion_;
            completion_ = EventRecord{};
            SendNotify(*this, done);
        }
        return 1;
    case EV_KNOB_DRAG: {
        if (!knob_)
            return 1;
        dragging_ = 1;
        const InputData in = InputDataOf(*this, record);
        double values[3] = {0, 0, fill_ ? fill_->GetWidth() : 0};
        fraction_ = FractionAt(knob_->GetX() + in.dx, &values[0]);
        Draw();
        SendNotify(*this, EventRecord{owner_, EV_SCROLL_POSITION, reinterpret_cast<uintptr_t>(values), 0});
        return 1;
    }
    case EV_KNOB_RELEASE: {
        dragging_ = 0;
        double fraction = fraction_;
        SendNotify(*this, EventRecord{owner_, EV_PROGRESS_SEEK, reinterpret_cast<uintptr_t>(&fraction), 0});
        return 1;
    }
    case EV_BAR_PRESS: {
        const InputData in = InputDataOf(*this, record);
        fraction_ = FractionAt(in.x, nullptr);
        Draw();
        double fraction = fraction_;
        SendNotify(*this, EventRecord{owner_, EV_PROGRESS_SEEK, reinterpret_cast<uintptr_t>(&fraction), 0});
        return 1;
    }
    default:
        return CLumoraGui::OnEvent(record);
    }
}

void CProgressBar::EnableDrag(bool on)
{
    if (!knob_ || !background_)
        return;
    if (on) {
        knob_->AddEventHook(EV_LBUTTON_DRAG, GetId(), EV_KNOB_DRAG, 0, 0);
        knob_->AddEventHook(EV_LBUTTON_CLICK, GetId(), EV_KNOB_RELEASE, 0, 0);
        knob_->AddEventHook(EV_LBUTTON_DOWN, GetId(), EV_BAR_PRESS, 0, 0);
        background_->AddEventHook(EV_LBUTTON_DOWN, GetId(), EV_BAR_PRESS, 0, 0);
    } else {
        knob_->RemoveEventHook(EV_LBUTTON_DRAG);
        knob_->RemoveEventHook(EV_LBUTTON_CLICK);
        knob_->RemoveEventHook(EV_LBUTTON_DOWN);
        background_->RemoveEventHook(EV_LBUTTON_DOWN);
    }
}

void CProgressBar::CreateCaptionPlane()
{
    if (caption_ || !fill_)
        return;
    caption_ = NewPlaneObject(fill_->GetSurfaceWidth(), fill_->GetSurfaceHeight(), kColourKeyBackground);
    if (!caption_)
        return;
    caption_->SetZ(fill_->GetZ());
    caption_->MoveTo(GetX(), GetY());
    const int32_t setting = GetSetting(kCaptionFontSetting);
    int size = setting > 0 ? setting : kDefaultCaptionFont;
    size = std::min(size, caption_->GetSurfaceHeight() * 2 / 3);
    caption_->SetFont(size, 400, "宋体");
    if (fill_->IsActive())
        caption_->Activate();
    fill_->AddChild(caption_, kBodyLinks);
}

PlaneObject* CProgressBar::GetCaptionPlane()
{
    CreateCaptionPlane();
    return caption_;
}

void CProgressBar::SetCaption(const char* text, uint32_t colour, int size)
{
    PlaneObject* caption = GetCaptionPlane();
    if (!caption)
        return;
    const int remembered = caption->Style().size;
    if (size != 0)
        caption->SetFont(size, 400, "宋体");
    caption->SetPen(colour, 1.0);
    caption->Clear();
    caption->DrawTextCentred(caption->GetSurfaceWidth() / 2, caption->GetSurfaceHeight() / 2, text ? text : "");
    caption->SetFont(remembered, 400, "宋体");
    caption->Redraw();
}

} // namespace Lumora
