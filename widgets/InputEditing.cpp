#include "widgets/InputEditing.h"

#include <algorithm>
#include <optional>

namespace Lumora {

using namespace chat_flag;

int EditLength(const ChatLayout& layout)
{
    int length = 0;
    for (const ChatElement* e = layout.First(); e; e = e->next)
        length += e->Is(kTwoByte) ? 2 : e->Is(kOneByte) ? 1 : kObjectLength;
    return length;
}

std::string EditText(const ChatLayout& layout)
{
    return layout.TextOf(layout.First(), nullptr, [](uint32_t) { return std::string("[控件]"); });
}

std::string_view CutToRoom(std::string_view text, int room)
{
    text = text.substr(0, text.find('\0'));
    if (room <= 0)
        return {};
    size_t end = 0;
    while (end < text.size()) {
        const size_t step = (unsigned char)text[end] >= 0x81 ? 2 : 1;
        if (end + step > text.size() || end + step > size_t(room))
            break;
        end += step;
    }
    return text.substr(0, end);
}

std::optional<std::string_view> AppendAllowance(std::string_view text, int length, int maxLength)
{
    if (maxLength <= 0)
        return text;
    if (length >= maxLength)
        return std::nullopt;
    return CutToRoom(text, maxLength - length);
}

std::string DigitsOnly(std::string_view text)
{
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits;
}

CaretPlace PlaceOfCaret(const ChatLayout& layout, const ChatElement* caret, int emptyHeight)
{
    if (caret)
        return {caret->x, caret->rowTop, layout.RowHeightOf(caret)};
    const ChatElement* last = layout.Last();
    if (!last)
        return {0, layout.TopOffset(), emptyHeight};
    const int height = layout.RowHeightOf(last);
    if (last->Is(kLineBreak) && !layout.singleLine)
        return {0, last->rowTop + height + layout.RowGapFor(height), last->height};
    return {last->x + last->width + last->gap, last->rowTop, height};
}

namespace {

// The row top just above or below `rowTop`; nothing when there is no such row.
std::optional<int> NeighbourRow(const ChatLayout& layout, int rowTop, bool above)
{
    std::optional<int> best;
    for (const ChatElement* e = layout.First(); e; e = e->next) {
        if (e->Is(kHidden))
            continue;
        if (above ? e->rowTop < rowTop && (!best || e->rowTop > *best)
                  : e->rowTop > rowTop && (!best || e->rowTop < *best))
            best = e->rowTop;
    }
    return best;
}

void ScrollCaretIntoView(ChatLayout& layout, const CaretPlace& place)
{
    if (layout.singleLine) {
        if (place.x < layout.ScrollX())
            layout.SetScroll(std::max(0, layout.ScrollX() - layout.viewWidth), layout.ScrollY());
        else if (place.x >= layout.ScrollX() + layout.viewWidth && layout.ContentWidth() >= layout.viewWidth)
            layout.SetScroll(std::min(layout.ScrollX() + layout.viewWidth, layout.ContentWidth() - layout.viewWidth + 2),
                             layout.ScrollY());
        return;
    }
    const ChatElement* top = nullptr;
    for (const ChatElement* e = layout.First(); e && !top; e = e->next)
        if (!e->Is(kHidden) && e->Bottom() > layout.ScrollY())
            top = e;
    const int step = 3 * std::max(1, layout.RowHeightOf(top));
    const int lowest = std::max(layout.TopOffset(), layout.TopOffset() + layout.ContentHeight() - layout.viewHeight);
    if (place.rowTop < layout.ScrollY())
        layout.SetScroll(layout.ScrollX(), std::max(layout.TopOffset(), layout.ScrollY() - step));
    else if (place.rowTop + place.height > layout.ScrollY() + layout.viewHeight)
        layout.SetScroll(layout.ScrollX(), std::min(lowest, layout.ScrollY() + step));
}

} // namespace

bool MoveCaret(ChatLayout& layout, CaretMove move, int emptyHeight)
{
    ChatElement* caret = layout.Caret();
    if (layout.HasSelection()) {
        ChatElement* a = layout.SelectionFrom();
        ChatElement* b = layout.SelectionTo();
        layout.SetCaret(layout.IndexOf(a) <= layout.IndexOf(b) ? a : b);
        layout.ClearSelection();
        ScrollCaretIntoView(layout, PlaceOfCaret(layout, layout.Caret(), emptyHeight));
        return true;
    }
    ChatElement* target = caret;
    switch (move) {
    case CaretMove::Left:
        target = caret ? layout.Predecessor(caret) : layout.Last();
        if (!target)
            return false;
        break;
    case CaretMove::Right:
        if (!caret)
            return false;
        target = caret->next;
        break;
    case CaretMove::Up:
    case CaretMove::Down: {
        if (layout.singleLine)
            return false;
        const CaretPlace here = PlaceOfCaret(layout, caret, emptyHeight);
        const auto row = NeighbourRow(layout, here.rowTop, move == CaretMove::Up);
        if (!row)
            return false;
        target = layout.CaretElementAt(here.x, *row);
        break;
    }
    }
    if (target == caret)
        return false;
    layout.SetCaret(target);
    ScrollCaretIntoView(layout, PlaceOfCaret(layout, target, emptyHeight));
    return true;
}

} // namespace Lumora
