#include "widgets/CXyPopButton.h"

#include "engine/object/PlaneObject.h"

namespace Lumora {

int CXyPopButton::PlainTextWidth(std::string_view text, int size, int gap)
{
    int width = 0;
    for (size_t i = 0; i < text.size();) {
        const bool pair = static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size();
        width += pair ? size + 2 * gap : (size + 1) / 2 + gap;
        i += pair ? 2 : 1;
    }
    return width;
}

void CXyPopButton::Draw(int state)
{
    PlaneObject* p = plane_;
    if (!p)
        return;
    const uint32_t pen = p->GetPenColour();
    const int w = p->GetSurfaceWidth(), h = p->GetSurfaceHeight();
    auto drawText = [&](int weight, double opacity) {
        p->SetFont(textSize_, weight, "宋体");
        p->SetPen(pen, opacity);
        const int width = PlainTextWidth(PlainCharacters(label_), textSize_, p->Style().pitch);
        p->DrawTextLine(w / 2 - width / 2, h / 2 - textSize_ / 2, label_);
    };
    switch (state) {
    case STATE_NORMAL:
        p->Clear();
        drawText(400, 1.0);
        break;
    case STATE_HOVER:
        p->Clear();
        drawText(700, 1.0);
        p->Tint(0xFF0000, 0.2);
        p->DrawBorder(0xBB5B6C, 1);
        break;
    case STATE_PRESSED:
        p->SetPen(pen, 1.0);
        p->InvertRect(0, 0, w - 1, h - 1);
        break;
    case STATE_DISABLED:
        p->Clear();
        drawText(400, 0.3);
        break;
    default:
        break;
    }
    p->SetPen(pen, state == STATE_DISABLED ? 0.3 : 1.0);
    p->Redraw();
}

} // namespace Lumora
