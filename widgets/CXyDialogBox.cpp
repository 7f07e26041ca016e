#include "widgets/CXyDialogBox.h"

#include "engine/object/PlaneObject.h"
#include "widgets/CXySimpleButton.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>
#include <cstdio>

namespace Lumora {

CXySimpleButton* CXyDialogBox::MakeButton(const char* label, uint32_t code, uint32_t colour)
{
    auto* button = NewChild<CXySimpleButton>();
    if (!button)
        return nullptr;
    const EventRecord notify{GetId(), code, 0, 0};
    button->Create(label, 80, 30, 18, colour, 0, &notify);
    button->SetZ(GetZ() + 0.001);
    AddChild(button, kPartLinks);
    return button;
}

void CXyDialogBox::Create(int width, int height, const EventRecord* ok, const EventRecord* cancel, int seconds)
{
    const int32_t setting = GetSetting(kButtonColourSetting);
    const uint32_t colour = setting < 0 ? kDefaultButtonColour : uint32_t(setting);
    plane_ = NewPlaneObject(width, height, kColourKeyBackground);
    if (!plane_)
        return;
    SetBody(plane_, kBodyLinks);
    AddFlags(OBJ_BOARD);
    if (ok) {
        ok_ = MakeButton("确定", EV_DIALOG_OK, colour);
        okRecord_ = *ok;
    }
    if (cancel) {
        cancel_ = MakeButton("取消", EV_DIALOG_CANCEL, colour);
        cancelRecord_ = *cancel;
    }
    plane_->AddEventHook(EV_LBUTTON_DRAG, GetId(), EV_DRAG_MOVE, 0, 0);
    plane_->SetEnabled(true);
    if (seconds > 0) {
        seconds_ = std::min(seconds, kMaxSeconds);
        countdown_ = NewPlaneObject(40, 20, kColourKeyBackground);
        if (countdown_) {
            countdown_->SetZ(GetZ() + 0.002);
            countdown_->Activate();
            countdown_->Redraw();
            if (ok_) {
                countdown_->MoveTo(ok_->GetX() + ok_->GetWidth() / 2 + 5 + countdown_->GetWidth() / 2, ok_->GetY());
                ok_->AddChild(countdown_, kFollowLinks);
            }
            AddChild(countdown_, kPartLinks);
            DrawCountdown();
        }
        QueueTick();
    }
    SetTopMost();
    BringToFront();
    Redraw();
}

void CXyDialogBox::QueueTick()
{
    const EventRecord tick{GetId(), EV_DIALOG_TICK, 0, 0};
    tick_ = ActWait(1000, &tick);
}

int CXyDialogBox::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_DIALOG_OK:
    case EV_DIALOG_CANCEL:
        if (!closing_) {
            PostNotify(*this, record.code == EV_DIALOG_OK ? okRecord_ : cancelRecord_);
            Close();
        }
        return 1;
    case EV_LBUTTON_DRAG:
    case EV_DRAG_MOVE: {
        // The drag's movement comes with the record, or else from the input module's state.
        const InputData in = InputDataOf(*this, record);
        MoveBy(in.dx, in.dy);
        Redraw();
        return 1;
    }
    case EV_DIALOG_TICK:
        if (closing_)
            return 1;
        tick_ = 0;
        if (seconds_ == 0) {
            PostNotify(*this, cancelRecord_);
            Close();
        } else {
            --seconds_;
            DrawCountdown();
            QueueTick();
        }
        return 1;
    default:
        return CLumoraGui::OnEvent(record);
    }
}

void CXyDialogBox::DrawCountdown()
{
    if (!countdown_)
        return;
    countdown_->SetFont(20, 400, "宋体");
    countdown_->SetPen(0xFFFFFF, 1.0);
    countdown_->Clear();
    countdown_->DrawTextLine(0, 0, std::to_string(seconds_));
    countdown_->Redraw();
}

void CXyDialogBox::Close()
{
    if (closing_)
        return;
    closing_ = true;
    if (tick_)
        CancelAction(tick_);
    tick_ = 0;
    if (countdown_)
        CancelObjectActions(countdown_->GetId());
    BeginActionGroup();
    ActFadeTo(this, 0.1, 0.0, 0, nullptr);
    NextActionGroup();
    ActDelete(this, nullptr);
    EndActionGroup();
}

void InstallDialogBoxFactory()
{
    CClassSenior::SetMessageBoxFactory([](CClassSenior& owner, int width, int height, const EventRecord* ok,
                                          const EventRecord* cancel, int seconds) {
        MessageBoxParts parts;
        auto* box = owner.NewChild<CXyDialogBox>();
        if (!box)
            return parts;
        box->Create(width, height, ok, cancel, seconds);
        parts.box = box;
        parts.plane = box->GetPlane();
        parts.ok = box->GetOkButton();
        parts.cancel = box->GetCancelButton();
        parts.countdown = box->GetCountdownPlane();
        return parts;
    });
}

} // namespace Lumora
