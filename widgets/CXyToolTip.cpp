#include "widgets/CXyToolTip.h"

#include "engine/object/PlaneObject.h"
#include "widgets/WidgetSupport.h"

#include <cstring>

namespace Lumora {

void CXyToolTip::Create()
{
    plane_ = NewPlaneObject(10, 10, 0xFFFFFF);
    if (!plane_)
        return;
    plane_->SetTopMost();
    plane_->AddFlags(OBJ_BOARD); // stands above the table's texts while it shows
    plane_->SetFont(12, 400, "宋体");
    plane_->SetPen(0, 1.0);
    plane_->Redraw();
    SetBody(plane_, kBodyLinks);
}

int CXyToolTip::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_ACTIVATE: {
        // The record was queued: the anchor is named by id and may be gone by now.
        PObject* anchor = FindById(uint32_t(record.param1));
        if (record.param1 && !anchor)
            return 1;
        Place(anchor);
        Show(0.2, 0);
        return 1;
    }
    case EV_DEACTIVATE:
        Hide();
        return 1;
    default:
        return CLumoraGui::OnEvent(record);
    }
}

int CXyToolTip::Layout(const char* text, int maximumWidth)
{
    if (!plane_)
        return kMargin;
    const int length = int(std::strlen(text ? text : ""));
    const int w = plane_->Style().size * length / 2;
    const int width = w < maximumWidth ? w : maximumWidth;
    plane_->SetMargins(0, 0);
    const int h = plane_->MeasureText(text ? text : "", width);
    plane_->ResizeSurface(width + 2 * kMargin, h + 2 * kMargin);
    plane_->SetSize(width + 2 * kMargin, h + 2 * kMargin);
    plane_->SetMargins(kMargin, kMargin);
    return kMargin;
}

void CXyToolTip::SetText(const char* text, int maximumWidth)
{
    const int m = Layout(text, maximumWidth);
    ClearAndFrame();
    if (plane_) {
        plane_->DrawTextLine(m, m, text ? text : "");
        plane_->Redraw();
    }
}

void CXyToolTip::Attach(PObject* anchor, const char* text, int maximumWidth)
{
    if (!anchor)
        return;
    SetText(text, maximumWidth);
    anchor->AddEventHook(EV_MOUSE_ENTER, GetId(), EV_ACTIVATE, anchor->GetId(), 0);
    anchor->AddEventHook(EV_MOUSE_LEAVE, GetId(), EV_DEACTIVATE, 0, 0);
}

void CXyToolTip::ClearAndFrame()
{
    if (!plane_)
        return;
    plane_->Clear();
    plane_->DrawBorder(kFrameColour, 1);
}

void CXyToolTip::Place(PObject* anchor)
{
    if (!anchor)
        return;
    const double hw = GetWidth() / 2, hh = GetHeight() / 2;
    double x = anchor->GetX() + hw;
    double y = anchor->GetTop() - hh;
    const double screen = GetViewWidth();
    if (x + hw > screen)
        x = screen - hw;
    if (x - hw < 0)
        x = hw;
    if (y - hh < 0)
        y = hh;
    BringToFront();
    MoveTo(x, y);
    Redraw();
}

void CXyToolTip::Show(double fadeStep, int hideAfter)
{
    CancelObjectActions(GetId());
    if (!IsActive()) {
        SetAlpha(0.0);
        Activate();
    }
    BeginActionGroup();
    ActFadeTo(this, fadeStep, 1.0, 0, nullptr);
    if (hideAfter) {
        NextActionGroup();
        ActShow(this, false, nullptr);
    }
    EndActionGroup();
}

void CXyToolTip::Hide()
{
    CancelObjectActions(GetId());
    Deactivate();
    Redraw();
}

} // namespace Lumora
