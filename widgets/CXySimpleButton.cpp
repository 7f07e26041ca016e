#include "widgets/CXySimpleButton.h"

#include "engine/object/PlaneObject.h"
#include "widgets/WidgetSupport.h"

namespace Lumora {

PlaneObject* CXySimpleButton::Create(const char* label, int width, int height, int textSize, uint32_t backColour,
                                     uint32_t frameColour, const EventRecord* notify)
{
    backColour_ = backColour;
    frameColour_ = frameColour;
    label_ = label ? label : "";
    textSize_ = textSize;
    plane_ = NewPlaneObject(width, height, backColour);
    if (!plane_)
        return nullptr;
    plane_->DrawBorder(frameColour, 1);
    plane_->SetTopMost();
    plane_->SetEnabled(true);
    plane_->Redraw();
    SetBody(plane_, kBodyLinks);
    HookButtonPointer(*plane_, GetId());
    if (notify)
        notify_ = *notify;
    Draw(STATE_NORMAL);
    return plane_;
}

int CXySimpleButton::OnEvent(const EventRecord& record)
{
    if (DispatchButtonPointer(*this, record))
        return 0;
    switch (record.code) {
    case EV_WIDGET_ENABLED:
    case EV_WIDGET_DISABLED:
        if (!plane_)
            return 0;
        if (record.code == EV_WIDGET_ENABLED) {
            Draw(CurrentInputData(*this).hovered == plane_->GetId() ? STATE_HOVER : STATE_NORMAL);
            plane_->SetEnabled(true);
        } else {
            plane_->SetEnabled(false);
            Draw(STATE_DISABLED);
        }
        plane_->Redraw();
        return 0;
    default:
        return CLumoraGui::OnEvent(record);
    }
}

void CXySimpleButton::OnEnter()
{
    if (!IsEnabled())
        return;
    Draw(STATE_HOVER);
    if (hand_)
        ShowHandCursor();
}

void CXySimpleButton::OnLeave()
{
    if (!IsEnabled())
        return;
    Draw(STATE_NORMAL);
    if (hand_)
        ShowArrowCursor();
}

void CXySimpleButton::OnPress()
{
    if (IsEnabled())
        Draw(STATE_PRESSED);
}

void CXySimpleButton::OnClick()
{
    Draw(STATE_HOVER);
    if (notify_.code)
        SendNotify(*this, notify_);
}

void CXySimpleButton::Draw(int state)
{
    PlaneObject* p = plane_;
    if (!p)
        return;
    if (state >= STATE_NORMAL && state <= STATE_DISABLED) {
        const int w = p->GetSurfaceWidth(), h = p->GetSurfaceHeight();
        p->SetBackgroundColour(backColour_);
        p->Clear();
        p->SetFont(textSize_, p->Style().weight ? p->Style().weight : 400, p->Style().Face());
        // The labels drawn here are the dialogs' own words; the pop buttons, whose labels may be
        // names, draw theirs plain.
        switch (state) {
        case STATE_NORMAL:
            p->DrawBorder(frameColour_, 1);
            p->DrawMarkupText(Markup::FromSkin(label_), 0, w, h);
            break;
        case STATE_HOVER:
            p->DrawBorder(Inverted(frameColour_), 1);
            p->DrawMarkupText(Markup::FromSkin(label_), 0, w, h);
            break;
        case STATE_PRESSED:
            p->DrawMarkupText(Markup::FromSkin(label_), 0, w, h);
            p->Tint(0x000000, 0.5);
            p->DrawBorder(Inverted(frameColour_), 1);
            break;
        case STATE_DISABLED:
            p->DrawMarkupText(Markup::FromSkin(label_), 0, w, h);
            p->DrawBorder(frameColour_, 1);
            p->Tint(0x000000, 0.2);
            break;
        }
    }
    p->Redraw();
}

void CXySimpleButton::SetNotifyEvent(const EventRecord* notify) { notify_ = notify ? *notify : EventRecord{}; }

bool CXySimpleButton::HitTestAt(int x, int y) const { return plane_ && plane_->HitTest(x, y); }

void CXySimpleButton::SetTextColour(uint32_t colour)
{
    if (plane_)
        plane_->SetPen(colour, 1.0);
    Draw(STATE_NORMAL);
}

void CXySimpleButton::SetText(const char* text)
{
    label_ = text ? text : "";
    Draw(STATE_NORMAL);
}

void CXySimpleButton::ShowHandCursor() { ShowWidgetCursor(*this, true); }

void CXySimpleButton::ShowArrowCursor() { ShowWidgetCursor(*this, false); }

} // namespace Lumora
