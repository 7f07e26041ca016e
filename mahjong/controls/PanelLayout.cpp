// The seat panel's layout: rows, marks right-aligned in them, the name cut to what is left.
#include "mahjong/controls/PanelLayout.h"

#include <algorithm>

namespace Lumora {
namespace {

constexpr int kEdge = 3; // between the panel's frame and its parts
constexpr int kGap = 2; // between parts side by side

// `allBesideAmount`: the whole amount and every mark found room in the amount's row.
PanelLayout LayOut(const PanelParts& p, int fontSize, bool picture, bool& allBesideAmount)
{
    PanelLayout out;
    const int rowHeight = p.height / 2;
    const Rect rows[2] = {{0, 0, p.width, rowHeight}, {0, rowHeight, p.width, p.height}};
    const auto lineTop = [&](const Rect& row, int h) { return row.top + std::max(0, (rowHeight - h) / 2); };
    int textLeft = kEdge;
    if (picture) {
        const int top = (p.height - p.characterSize) / 2;
        out.character = {kEdge, top, kEdge + p.characterSize, top + p.characterSize};
        textLeft = out.character.right + kGap + 2;
    }
    const int right = p.width - kEdge;
    out.amount = textLeft + p.measure(p.amount) <= right ? p.amount : p.amountShort;
    const int amountTop = lineTop(rows[1], fontSize);
    out.amountBox = {textLeft, amountTop, textLeft + p.measure(out.amount), amountTop + fontSize};
    // The marks from the right, the amount's row first.
    int row = 1, x = right, nameRight = right;
    allBesideAmount = out.amount == p.amount;
    for (size_t i = 0; i < p.marks.size(); ++i) {
        const auto [w, h] = p.marks[i];
        if (w <= 0)
            continue;
        if (row == 1 && x - w < out.amountBox.right + kGap) {
            row = 0, x = right;
            allBesideAmount = false;
        }
        const int top = lineTop(rows[row], h);
        out.marks[i] = {x - w, top, x, top + h};
        x -= w + kGap;
        if (row == 0)
            nameRight = x;
    }
    out.name = p.fit(p.name, nameRight - textLeft);
    const int nameTop = lineTop(rows[0], fontSize);
    out.nameBox = {textLeft, nameTop, textLeft + p.measure(out.name), nameTop + fontSize};
    return out;
}

} // namespace

PanelLayout LayOutPanel(const PanelParts& parts, int fontSize)
{
    bool fits = false;
    if (parts.characterSize > 0) {
        PanelLayout withPicture = LayOut(parts, fontSize, true, fits);
        if (fits)
            return withPicture;
    }
    return LayOut(parts, fontSize, false, fits);
}

} // namespace Lumora
