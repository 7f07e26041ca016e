#pragma once
// Where a seat panel's parts stand on a panel of a given size: the character picture, the name,
// the amount and the marks (banker, ready, offline, auto-play). The panel is two rows, the name
// above the amount, its text laid out at the font size given for the panel's size: a smaller
// panel gets glyphs of their own size instead of a scaled picture of larger ones. The marks stand
// right-aligned in the rows, first in the amount's row beside the whole amount, then in the
// name's row, whose name is cut with "…" to leave them room: no mark covers a text. The picture
// stays only where the amount and every mark fit beside it; the text is what a player reads.
#include "engine/geometry/ObjectGeometry.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace Lumora {

struct PanelParts {
    int width = 0, height = 0;
    int characterSize = 0; // the picture's side; 0: no picture
    std::string name; // GBK
    std::string amount; // GBK, with its label ("银子:10400")
    std::string amountShort; // the digits alone, for a panel too narrow for the label
    std::array<std::pair<int, int>, 4> marks{}; // width and height; 0 wide: not shown
    std::function<int(std::string_view)> measure; // a line's width at the panel's font size
    // The text whole where it fits the width, else cut with "…".
    std::function<std::string(std::string_view, int)> fit;
};

struct PanelLayout {
    Rect character; // empty: no picture
    std::string name, amount; // as drawn: the name maybe cut, the amount maybe without label
    Rect nameBox, amountBox; // where their lines go (left, top) and how far they reach
    std::array<Rect, 4> marks; // empty: not shown
};

PanelLayout LayOutPanel(const PanelParts& parts, int fontSize);

} // namespace Lumora
