#include "widgets/CCyPopButton.h"

#include "engine/object/PlaneObject.h"

namespace Lumora {

int CCyPopButton::GetIconSize() const { return icon_.height >= 1 && icon_.height <= 23 ? icon_.height : kMaxIcon; }

void CCyPopButton::Draw(int state)
{
    PlaneObject* p = plane_;
    if (!p)
        return;
    const int w = p->GetSurfaceWidth(), h = p->GetSurfaceHeight();
    bool label = true;
    switch (state) {
    case STATE_NORMAL:
        p->SetBackgroundColour(normalColour_);
        p->Clear();
        p->SetPen(textColour_, 1.0);
        p->SetFont(textSize_, bold_ ? 600 : 400, "宋体");
        break;
    case STATE_HOVER:
        p->SetBackgroundColour(hoverColour_);
        p->Clear();
        p->SetPen(textColour_, 1.0);
        break;
    case STATE_PRESSED:
        if (pressedColour_ == 0) {
            p->SetPen(textColour_, 1.0);
            p->InvertRect(0, 0, w - 1, h - 1);
            label = false;
        } else {
            p->SetBackgroundColour(pressedColour_);
            p->Clear();
            p->SetPen(0xFFFFFF, 1.0);
        }
        break;
    case STATE_DISABLED:
        p->Clear();
        p->SetFont(textSize_, 400, "宋体");
        p->SetPen(textColour_, 0.3);
        break;
    default:
        label = false;
        break;
    }
    if (label)
        p->DrawTextLine(textLeft_, h / 2 - textSize_ / 2, label_); // a name, a level: plain
    if (separator_) {
        const uint32_t pen = p->GetPenColour();
        const double alpha = p->Style().opacity / 255.0;
        p->SetPen(separatorUpper_, 1.0);
        p->DrawLine(inset_, h - 2, w - inset_, h - 2);
        p->SetPen(separatorLower_, 1.0);
        p->DrawLine(inset_, h - 1, w - inset_, h - 1);
        p->SetPen(pen, alpha);
    }
    if (icon_.height > 0 && icon_.image) {
        const int s = GetIconSize();
        p->DrawPicture(icon_, (textLeft_ - s) / 2, (h - s) / 2, s, s);
    }
    p->Redraw();
}

void CCyPopButton::SetTextColor(uint32_t colour)
{
    textColour_ = colour;
    if (plane_)
        plane_->SetPen(colour, 1.0);
    Draw(STATE_NORMAL);
}

void CCyPopButton::SetSeparator(int on)
{
    separator_ = on;
    Draw(STATE_NORMAL);
}

int CCyPopButton::SetTextLeft(int left)
{
    if (left > 0)
        textLeft_ = left;
    return textLeft_;
}

void CCyPopButton::SetBackColors(uint32_t normal, uint32_t hover, uint32_t pressed)
{
    normalColour_ = normal;
    hoverColour_ = hover;
    pressedColour_ = pressed;
}

void CCyPopButton::SetSeparatorColors(uint32_t upper, uint32_t lower)
{
    separatorUpper_ = upper;
    separatorLower_ = lower;
}

} // namespace Lumora
