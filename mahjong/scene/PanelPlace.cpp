// Where each seat panel stands: the search beside its seat's hand, clear of what the table lists as
// read, and the one move and drawing of each panel a layout makes from what it found.
#include "mahjong/scene/CMJMainGame2.h"

#include "engine/object/PlaneObject.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/scene/ClearPlace.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace Lumora {

namespace {

constexpr int kControlGap = 4;
constexpr int kPanelMarkRoom = 20;
// A seat panel stands at least this much nearer its own seat's hand than any other's.
constexpr int kNearerMargin = 8;

// The box of an object of that size centred on a point, as the object reports its edges.
Rect CentredBox(TablePoint c, int w, int h)
{
    return {int(c.x - w * 0.5), int(c.y - h * 0.5), int(c.x + w * 0.5), int(c.y + h * 0.5)};
}

} // namespace

bool CMJMainGame2::FindPanelPlaces(const TableEdges& e, PanelPlaces& out, bool untilCrowded)
{
    // Each panel beside its seat's hand where no seat's tiles ever come (hand, melds, the hand laid
    // open at the result): the left seat's right of its column below its claim label, or above its
    // discards where they leave no room; the top seat's under the right end of its row; the right
    // seat's left of its column below its label, or below its discards, or on a narrow table above
    // the own hand; the own one above the own hand's left. The game's marks under a panel take
    // kPanelMarkRoom.
    const Rect& table = e.table;
    bool crowded = false;
    neverNearer_.NextRound();
    const int left = e.leftColumn + kControlGap;
    const int belowTopRow = e.topRowBottom + kControlGap;
    // A side seat's claim label stands at mid-height (its anchor), its word in the picture's upper
    // half: the seat's panel keeps below it, or, beside the seat's discards, above both.
    constexpr int kLabelBelow = 40;
    TablePoint anchor;
    GetSeatAnchor(anchor, 0);
    PictureInfo label;
    GetRes(label, "peng1", 0);
    const int belowLabel = anchor.y + kLabelBelow, labelTop = anchor.y - label.height / 2;
    // Where a rule's place covers what the list holds (every seat's tiles at their fullest, the info
    // boards, the slogan, the claim buttons' row, a panel placed before), or stands nearer another
    // seat's hand than its own, the panel takes the nearest place that does not; where none is, it
    // shrinks: a smaller panel rather than another seat's place.
    // The panels placed, each with its distance from its own hand, squared.
    std::vector<std::pair<Rect, int64_t>> placed;
    for (int seat = 0; seat < kSeatCount; ++seat) {
        CMJPlayer2* panel = players[size_t(seat)];
        PanelPlace& found = out[size_t(seat)];
        found = {};
        if (!panel || !panel->GetPlane())
            continue;
        const int w = panel->FullWidth(), h = panel->FullHeight();
        const Rect own = groupBoxes_[size_t(seat)][0];
        TablePoint want;
        switch (seat) {
        case 0: {
            // Where the column leaves no room beside the seat's discards: above them.
            const Rect& discards = discardAreas_[0];
            const bool beside = left + w + kControlGap <= discards.left;
            const int top = beside ? belowLabel : std::min(discards.top, labelTop) - kControlGap - kPanelMarkRoom - h;
            want = TablePoint{left + w / 2, top + h / 2};
            break;
        }
        case 1: {
            // Under the row's right end, where its melds start: apart from the left seat's panel,
            // which may stand high beside its column.
            const int right = std::min(own.right, e.rightColumn) - kControlGap;
            want = TablePoint{std::max(right - w, left) + w / 2, belowTopRow + h / 2};
            break;
        }
        case 2:
            if (e.rightColumn - kControlGap - w >= e.rightDiscardsRight + kControlGap)
                want = TablePoint{e.rightColumn - kControlGap - w / 2, belowLabel + h / 2};
            else // below the seat's discards
                want = TablePoint{e.rightColumn - kControlGap - w / 2,
                                  std::max(belowLabel, e.rightDiscardsBottom + kControlGap) + h / 2};
            break;
        case 3: {
            // Midway between the left seat's column and the own discards, over the own hand, unless
            // the left seat's discards come down that far; then beside the column.
            const int top = e.hand.top - kControlGap - kPanelMarkRoom - h;
            const int x = (e.leftColumn + discardAreas_[kOwnSeat].left) / 2;
            const Rect& leftDiscards = discardAreas_[0];
            const bool free = top >= leftDiscards.bottom || x + w / 2 + kControlGap <= leftDiscards.left;
            want = TablePoint{std::max(free ? std::max(x, left + w / 2) : left + w / 2, own.left + kControlGap + w / 2),
                              top + h / 2};
            break;
        }
        default: break;
        }
        // A player pairs a panel with the hand it stands alongside (within the hand's length) or in
        // line with, at the hand's end, and nearer that hand than any other hand or panel (two panels
        // side by side read as a pair).
        // Turned down by a gap, `reach` is how far about the place it still is (-1 otherwise).
        const auto besideOwn = [&](const Rect& r, int& reach) {
            const bool row = seat % 2 == 1;
            const bool along = row ? r.left >= own.left + kControlGap && r.right <= own.right - kControlGap
                                   : r.top >= own.top + kControlGap && r.bottom <= own.bottom - kControlGap;
            const int across = row ? (r.top + r.bottom) / 2 : (r.left + r.right) / 2;
            const bool inLine = row ? across >= own.top + kNearerMargin && across <= own.bottom - kNearerMargin
                                    : across >= own.left + kNearerMargin && across <= own.right - kNearerMargin;
            if (!along && !inLine)
                return false;
            // In squared whole numbers: the search asks this at many places.
            const int64_t gap = SquaredGap(r, own);
            for (int other = 0; other < kSeatCount; ++other) {
                if (other == seat)
                    continue;
                if (const int64_t far = SquaredGap(r, groupBoxes_[size_t(other)][0]); CompareRootPlus(gap, kNearerMargin, far) >= 0) {
                    reach = ShortfallReach(gap, kNearerMargin, far);
                    return false;
                }
            }
            for (const auto& [box, gapOwn] : placed)
                if (const int64_t far = SquaredGap(r, box), near = std::max(gap, gapOwn);
                    CompareRootPlus(near, kNearerMargin, far) >= 0) {
                    reach = ShortfallReach(near, kNearerMargin, far);
                    return false;
                }
            return true;
        };
        std::vector<Rect> others;
        for (int other = 0; other < kSeatCount; ++other)
            if (other != seat)
                others.push_back(groupBoxes_[size_t(other)][0]);
        // Only along the hand or in line with it can a place pass `besideOwn`: the search looks there
        // alone, in the two strips of the table, and takes the nearer place (of two as near, the
        // upper, then the left one, as one search would).
        const auto NearestBeside = [&](TablePoint to, const Rect& room, std::span<const Rect> keep,
                                       const AcceptOrRefuseAround& accept, bool passOver, int splits) {
            const bool row = seat % 2 == 1;
            const int middle = row ? (room.top + room.bottom) / 2 : (room.left + room.right) / 2;
            Rect along = table, inLine = table;
            if (row) {
                along.left = std::max(table.left, own.left + kControlGap);
                along.right = std::min(table.right, own.right - kControlGap);
                inLine.top = std::max(table.top, own.top + kNearerMargin - middle + room.top - 2);
                inLine.bottom = std::min(table.bottom, own.bottom - kNearerMargin - middle + room.bottom + 2);
            } else {
                along.top = std::max(table.top, own.top + kControlGap);
                along.bottom = std::min(table.bottom, own.bottom - kControlGap);
                inLine.left = std::max(table.left, own.left + kNearerMargin - middle + room.left - 2);
                inLine.right = std::min(table.right, own.right - kNearerMargin - middle + room.right + 2);
            }
            const Rect strips[] = {along, inLine};
            // Where another seat's hand stands as near as the own one, in blocks of points that
            // `besideOwn` turns down: the search passes over them without asking. Worth finding
            // only where a search has found nothing, having walked every point, or where the
            // strips run the table's width (the top and own seats'), whose first walk is long. Only
            // in the strip along the hand: in line with it, past its ends, the blocks held no point
            // at any window size tried, and cost as much as the search.
            std::vector<Rect> refused;
            if (passOver)
                neverNearer_.Blocks(along, room, own, others, kNearerMargin, refused, splits);
            return NearestClearPlaceIn(to, room, strips, keep, 2, accept, refused);
        };
        // Full size clear of everything, then smaller, down to the size whose text is the smallest
        // font: a panel over a whole deal's discards hides its own silver or their tiles. Only where
        // even that finds no room, the smallest clear of the hands, walls and panels only; the last
        // try's size where nothing fits.
        struct Try {
            double scale;
            bool discards;
        };
        static constexpr Try kTries[] = {{1.0, true}, {0.8, true}, {0.7, true}, {0.7, false}};
        std::vector<Rect> clear = readList_.ClearOf(ReadKind::Panel, seat, Keep::IfRoom);
        std::vector<Rect> lean = readList_.ClearOf(ReadKind::Panel, seat, Keep::Firm);
        // What `besideOwn` turns down within reach of another hand or a panel placed is kept clear
        // as boxes, so that the search skips those points instead of asking each.
        for (int other = 0; other < kSeatCount; ++other)
            if (other != seat)
                for (std::vector<Rect>* list : {&clear, &lean})
                    list->push_back(WithinReach(groupBoxes_[size_t(other)][0], kNearerMargin));
        for (const auto& [box, gap] : placed)
            for (std::vector<Rect>* list : {&clear, &lean})
                list->push_back(WithinReach(box, std::sqrt(double(gap)) + kNearerMargin));
        Rect at{};
        int asked = 0; // the places the last try's walk asked about
        // Turned down by a gap, the places about it where it still is are passed over; `room` the
        // try's box about its place.
        Rect room;
        const AcceptOrRefuseAround countedBesideOwn = [&](const Rect& r, Rect& around) {
            ++asked;
            int reach = -1;
            if (besideOwn(r, reach))
                return true;
            if (reach >= 0) {
                const int x = r.left - room.left, y = r.top - room.top;
                around = {x - reach, y - reach, x + reach, y + reach};
            }
            return false;
        };
        for (size_t k = 0; k < std::size(kTries); ++k) {
            // No room clear of the discards: crowded, whatever the last try finds.
            if (untilCrowded && !kTries[k].discards)
                return true;
            const int sw = int(w * kTries[k].scale), sh = int(h * kTries[k].scale);
            room = {-sw / 2, -sh / 2, sw - sw / 2, sh - sh / 2 + kPanelMarkRoom};
            const std::vector<Rect>& keep = kTries[k].discards ? clear : lean;
            // After a try whose walk was long, turned down at many points, the blocks follow their
            // edge more closely: finding them costs as much as a few hundred points asked.
            constexpr int kLongWalk = 400;
            const int splits = asked > kLongWalk ? 1 : 0;
            asked = 0;
            const std::optional<TablePoint> place = NearestBeside(want, room, keep, countedBesideOwn, k > 0 || seat % 2 == 1, splits);
            if (!place && k + 1 < std::size(kTries))
                continue;
            crowded = crowded || !place || !kTries[k].discards;
            at = BoxAt(room, place.value_or(want));
            found = {kTries[k].scale, place.value_or(want), true};
            break;
        }
        // The panel's box as its plane will stand there at that size (centred on the point), with its marks.
        const Rect drawn = CentredBox(found.at, int(w * found.scale), int(h * found.scale));
        readList_.Add(ReadKind::Panel, seat, {drawn.left, drawn.top, drawn.right, drawn.bottom + kPanelMarkRoom});
        placed.emplace_back(at, SquaredGap(at, own));
    }
    return crowded;
}

void CMJMainGame2::ApplyPanelPlaces(const PanelPlaces& places)
{
    for (int seat = 0; seat < kSeatCount; ++seat)
        if (CMJPlayer2* panel = players[size_t(seat)]; panel && places[size_t(seat)].found) {
            const PanelPlace& p = places[size_t(seat)];
            panel->SetScale(p.scale);
            Place(panel->GetPlane(), p.at.x, p.at.y);
        }
}


} // namespace Lumora
