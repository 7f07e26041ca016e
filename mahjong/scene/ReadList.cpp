// The list of what a player reads and the rule each placement keeps clear of it by.
#include "mahjong/scene/ReadList.h"

#include "mahjong/scene/TableTypes.h"

#include <algorithm>

namespace Lumora {

Keep Keeps(ReadKind piece, int seat, const ReadItem& item)
{
    using enum ReadKind;
    const bool same = item.seat == seat;
    switch (piece) {
    case Panel: // beside its hand, clear of every tile; over a whole deal's discards only where nothing else is
        switch (item.kind) {
        case Discards: return Keep::IfRoom;
        case ClaimWord:
        case Board: return Keep::No; // words and boards come later and keep clear of panels themselves
        case Panel: return same ? Keep::No : Keep::Firm;
        default: return Keep::Firm;
        }
    case ClaimButton: // by the own hand, over no tile
        switch (item.kind) {
        case Dice: return Keep::IfRoom; // they roll before any claim
        case Discards:
        case Wall: return same ? Keep::No : Keep::Always; // the own as they lie, not at their fullest
        case Hand:
        case BoardLine:
        case Clock:
        case Panel: return Keep::Always;
        default: return Keep::No;
        }
    case ClaimWord: // by its seat, never under a board, a panel, a button or another seat's word
        switch (item.kind) {
        case Discards: return same ? Keep::No : Keep::IfRoom;
        case Wall: return Keep::No;
        case Hand: return same ? Keep::Firm : Keep::Always; // over another's hand it reads as that seat's
        case Clock:
        case Dice: return Keep::Firm;
        case ClaimWord: return same ? Keep::No : Keep::Always;
        default: return Keep::Always;
        }
    case Board: // over the table's middle, leaving the panels readable and the hands in sight
        switch (item.kind) {
        case Panel: return Keep::Always;
        case Hand: return item.seat == kOwnSeat ? Keep::Always : Keep::Firm;
        default: return Keep::No;
        }
    default: return Keep::No;
    }
}

void ReadList::Remove(ReadKind kind, bool reserved)
{
    std::erase_if(items_, [&](const ReadItem& i) { return i.kind == kind && i.reserved == reserved; });
}

std::vector<Rect> ReadList::ClearOf(ReadKind piece, int seat, Keep atLeast) const
{
    std::vector<Rect> boxes;
    // The callers add a few boxes of their own.
    boxes.reserve(items_.size() + 8);
    for (const ReadItem& item : items_)
        if (item.box.right > item.box.left && item.box.bottom > item.box.top && Keeps(piece, seat, item) >= atLeast)
            boxes.push_back(item.box);
    return boxes;
}

} // namespace Lumora
