// Where each seat panel stands: the search beside its seat's hand, clear of what the table lists as
// read, and the one move and drawing of each panel a layout makes from what it found.
#include "mahjong/scene/CMJMainGame2.h"

#include "engine/object/PlaneObject.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/scene/ClearPlace.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
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

// Full size clear of everything, then smaller, down to the size whose text is the smallest font: a
// panel over a whole deal's discards hides its own silver or their tiles. Only where even that finds
// no room, the smallest clear of the hands, walls and panels only; the last try's size where nothing
// fits.
struct Try {
    double scale;
    bool discards;
};
constexpr Try kTries[] = {{1.0, true}, {0.8, true}, {0.7, true}, {0.7, false}};
// The tries clear of the discards: a seat whose panel finds room at none of them crowds the table.
constexpr size_t kDiscardTries = 3;

// The panels placed, each with its distance from its own hand, squared.
using Placed = std::vector<std::pair<Rect, int64_t>>;

// One seat panel's search, among every seat's hand and the panels placed before it (listed as read
// and in `placed`).
class PanelSearch {
public:
    PanelSearch(int seat, const Rect& table, const std::array<std::array<Rect, 3>, kSeatCount>& boxes,
                const Placed& placed, const ReadList& read, NeverNearerMemo& memo, TablePoint want, int w, int h)
        : seat_(seat), table_(table), own_(boxes[size_t(seat)][0]), placed_(placed), read_(read), memo_(memo),
          want_(want), w_(w), h_(h)
    {
        for (int other = 0, k = 0; other < kSeatCount; ++other)
            if (other != seat)
                others_[size_t(k++)] = boxes[size_t(other)][0];
    }

    TablePoint Want() const { return want_; }
    const Rect& Own() const { return own_; }
    // Try k's box about the panel's place: its marks under it.
    Rect Room(size_t k) const
    {
        const int sw = int(w_ * kTries[k].scale), sh = int(h_ * kTries[k].scale);
        return {-sw / 2, -sh / 2, sw - sw / 2, sh - sh / 2 + kPanelMarkRoom};
    }

    // Where try k puts the panel; nothing where it finds no place.
    std::optional<TablePoint> Find(size_t k)
    {
        room_ = Room(k);
        // After a try whose walk was long, turned down at many points, the blocks follow their edge
        // more closely: finding them costs as much as a few hundred points asked.
        constexpr int kLongWalk = 400;
        // With no more asked than this, the last try's walk was short: so is the next one's (see
        // NearestBeside).
        constexpr int kFewAsked = 3;
        const int splits = asked_ > kLongWalk ? 1 : 0;
        const int walked = asked_;
        asked_ = 0;
        // The wanted place itself, where it fits, is the nearest: no search's set-up to find it.
        if (Fits(k, want_)) {
            asked_ = 1;
            return want_;
        }
        // Turned down by a gap, the places about it where it still is are passed over.
        const AcceptOrRefuseAround countedBesideOwn = [this](const Rect& r, Rect& around) {
            ++asked_;
            int reach = -1;
            if (BesideOwn(r, reach))
                return true;
            if (reach >= 0) {
                const int x = r.left - room_.left, y = r.top - room_.top;
                around = {x - reach, y - reach, x + reach, y + reach};
            }
            return false;
        };
        return NearestBeside(KeepClear(k), countedBesideOwn, seat_ % 2 == 1 || walked > kFewAsked, splits);
    }

    // Whether try k's panel may stand at `at`: clear of all it keeps clear of and beside its own hand.
    bool Takes(size_t k, TablePoint at)
    {
        const Rect r = BoxAt(Room(k), at);
        const std::vector<Rect>& keep = KeepClear(k);
        int reach = -1;
        return std::none_of(keep.begin(), keep.end(), [&](const Rect& b) { return BoxesOverlap(r, b); }) &&
            BesideOwn(r, reach);
    }

private:
    // Whether try k's search would take `at`: inside one of the strips it looks in, and as Takes.
    bool Fits(size_t k, TablePoint at)
    {
        const Rect room = Room(k), r = BoxAt(room, at);
        const std::array<Rect, 2> strips = Strips(room);
        return std::any_of(strips.begin(), strips.end(),
                           [&](const Rect& a) {
                               return a.left <= r.left && r.right <= a.right && a.top <= r.top && r.bottom <= a.bottom;
                           }) &&
            Takes(k, at);
    }

    // A player pairs a panel with the hand it stands alongside (within the hand's length) or in line
    // with, at the hand's end, and nearer that hand than any other hand or panel (two panels side by
    // side read as a pair). Turned down by a gap, `reach` is how far about the place it still is (-1
    // otherwise).
    bool BesideOwn(const Rect& r, int& reach) const
    {
        const Rect& own = own_;
        const bool row = seat_ % 2 == 1;
        const bool along = row ? r.left >= own.left + kControlGap && r.right <= own.right - kControlGap
                               : r.top >= own.top + kControlGap && r.bottom <= own.bottom - kControlGap;
        const int across = row ? (r.top + r.bottom) / 2 : (r.left + r.right) / 2;
        const bool inLine = row ? across >= own.top + kNearerMargin && across <= own.bottom - kNearerMargin
                                : across >= own.left + kNearerMargin && across <= own.right - kNearerMargin;
        if (!along && !inLine)
            return false;
        // In squared whole numbers: the search asks this at many places.
        const int64_t gap = SquaredGap(r, own);
        for (const Rect& other : others_)
            if (const int64_t far = SquaredGap(r, other); CompareRootPlus(gap, kNearerMargin, far) >= 0) {
                reach = ShortfallReach(gap, kNearerMargin, far);
                return false;
            }
        for (const auto& [box, gapOwn] : placed_)
            if (const int64_t far = SquaredGap(r, box), near = std::max(gap, gapOwn);
                CompareRootPlus(near, kNearerMargin, far) >= 0) {
                reach = ShortfallReach(near, kNearerMargin, far);
                return false;
            }
        return true;
    }

    // What try k keeps clear of, listed once a seat: what the list holds (every seat's tiles at their
    // fullest, the info boards, the slogan, the claim buttons' row, a panel placed before), the
    // discards only while the try keeps clear of them. What `BesideOwn` turns down within reach of
    // another hand or a panel placed is kept clear as boxes, so that the search skips those points
    // instead of asking each.
    const std::vector<Rect>& KeepClear(size_t k)
    {
        std::optional<std::vector<Rect>>& list = kTries[k].discards ? clear_ : lean_;
        if (!list) {
            list = read_.ClearOf(ReadKind::Panel, seat_, kTries[k].discards ? Keep::IfRoom : Keep::Firm);
            for (const Rect& other : others_)
                list->push_back(WithinReach(other, kNearerMargin));
            for (const auto& [box, gap] : placed_)
                list->push_back(WithinReach(box, std::sqrt(double(gap)) + kNearerMargin));
        }
        return *list;
    }

    // The strips of the table along the hand and in line with it, for a try's box about its place.
    std::array<Rect, 2> Strips(const Rect& room) const
    {
        const Rect& table = table_;
        const Rect& own = own_;
        const bool row = seat_ % 2 == 1;
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
        return {along, inLine};
    }

    // Only along the hand or in line with it can a place pass `BesideOwn`: the search looks there
    // alone, in the two strips, and takes the nearer place (of two as near, the upper, then the left
    // one, as one search would).
    std::optional<TablePoint> NearestBeside(std::span<const Rect> keep, const AcceptOrRefuseAround& accept,
                                            bool passOver, int splits)
    {
        const std::array<Rect, 2> strips = Strips(room_);
        const Rect& along = strips[0];
        // Where another seat's hand stands as near as the own one, in blocks of points that
        // `BesideOwn` turns down: the search passes over them without asking. Worth finding only
        // where the last try's search walked many points to find nothing (not where nearly every
        // point was covered, leaving few to ask), or where the strips run the table's width (the top
        // and own seats'), whose first walk is long. Only in the strip along the hand: in line with
        // it, past its ends, the blocks held no point at any window size tried, and cost as much as
        // the search.
        std::vector<Rect> refused;
        if (passOver)
            memo_.Blocks(along, room_, own_, others_, kNearerMargin, refused, splits);
        return NearestClearPlaceIn(want_, room_, strips, keep, 2, accept, refused);
    }

    int seat_;
    Rect table_, own_;
    std::array<Rect, kSeatCount - 1> others_{};
    const Placed& placed_;
    const ReadList& read_;
    NeverNearerMemo& memo_;
    TablePoint want_;
    int w_, h_;
    std::optional<std::vector<Rect>> clear_, lean_;
    int asked_ = 0; // the places the last try's walk asked about
    Rect room_{}; // the try's box about its place
};

} // namespace

bool CMJMainGame2::FindPanelPlaces(const TableEdges& e, PanelPlaces& out, bool untilCrowded, CrowdedHint* hint)
{
    // Each panel beside its seat's hand where no seat's tiles ever come (hand, melds, the hand laid
    // open at the result): the left seat's right of its column below its claim label, or above its
    // discards where they leave no room; the top seat's under the right end of its row; the right
    // seat's left of its column below its label, or below its discards, or on a narrow table above
    // the own hand; the own one above the own hand's left. The game's marks under a panel take
    // kPanelMarkRoom.
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
    const auto wantOf = [&](int seat, int w, int h) {
        const Rect& own = groupBoxes_[size_t(seat)][0];
        switch (seat) {
        case 0: {
            // Where the column leaves no room beside the seat's discards: above them.
            const Rect& discards = discardAreas_[0];
            const bool beside = left + w + kControlGap <= discards.left;
            const int top = beside ? belowLabel : std::min(discards.top, labelTop) - kControlGap - kPanelMarkRoom - h;
            return TablePoint{left + w / 2, top + h / 2};
        }
        case 1: {
            // Under the row's right end, where its melds start: apart from the left seat's panel,
            // which may stand high beside its column.
            const int right = std::min(own.right, e.rightColumn) - kControlGap;
            return TablePoint{std::max(right - w, left) + w / 2, belowTopRow + h / 2};
        }
        case 2:
            if (e.rightColumn - kControlGap - w >= e.rightDiscardsRight + kControlGap)
                return TablePoint{e.rightColumn - kControlGap - w / 2, belowLabel + h / 2};
            // below the seat's discards
            return TablePoint{e.rightColumn - kControlGap - w / 2,
                              std::max(belowLabel, e.rightDiscardsBottom + kControlGap) + h / 2};
        case 3: {
            // Midway between the left seat's column and the own discards, over the own hand, unless
            // the left seat's discards come down that far; then beside the column.
            const int top = e.hand.top - kControlGap - kPanelMarkRoom - h;
            const int x = (e.leftColumn + discardAreas_[kOwnSeat].left) / 2;
            const Rect& leftDiscards = discardAreas_[0];
            const bool free = top >= leftDiscards.bottom || x + w / 2 + kControlGap <= leftDiscards.left;
            return TablePoint{std::max(free ? std::max(x, left + w / 2) : left + w / 2, own.left + kControlGap + w / 2),
                              top + h / 2};
        }
        default: return TablePoint{};
        }
    };
    // Where a rule's place covers what the list holds, or stands nearer another seat's hand than its
    // own, the panel takes the nearest place that does not; where none is, it shrinks: a smaller panel
    // rather than another seat's place.
    Placed placed;
    const auto searchOf = [&](int seat) {
        std::optional<PanelSearch> search;
        if (const CMJPlayer2* panel = players[size_t(seat)]; panel && panel->GetPlane()) {
            const int w = panel->FullWidth(), h = panel->FullHeight();
            search.emplace(seat, e.table, groupBoxes_, placed, readList_, neverNearer_, wantOf(seat, w, h), w, h);
        }
        return search;
    };
    // The seat whose panel crowded the table at this call in the last layout is searched ahead, as
    // if no panel stood yet: the panels placed before it only keep more places clear and turn more
    // down, so where it finds no room without them it finds none with them, and the table is crowded
    // whatever they are. Where it finds a place, the nearest among fewer panels is the nearest among
    // more where it stands clear of those too: reaching the seat, its search is done. A hint: it
    // orders the work, never changes what is found.
    struct Ahead {
        int seat;
        size_t k; // the try that found its place
        TablePoint at;
    };
    std::optional<Ahead> ahead;
    if (const int first = hint && hint->ahead ? hint->seat : -1; untilCrowded && first > 0 && first < kSeatCount)
        if (std::optional<PanelSearch> alone = searchOf(first)) {
            for (size_t k = 0; k < kDiscardTries && !ahead; ++k)
                if (const std::optional<TablePoint> place = alone->Find(k))
                    ahead = Ahead{first, k, *place};
            if (!ahead)
                return true;
        }
    for (int seat = 0; seat < kSeatCount; ++seat) {
        PanelPlace& found = out[size_t(seat)];
        found = {};
        std::optional<PanelSearch> search = searchOf(seat);
        if (!search)
            continue;
        size_t k = 0;
        std::optional<TablePoint> place;
        if (ahead && ahead->seat == seat) {
            // The tries before found no place among fewer panels: none among more.
            k = ahead->k;
            if (search->Takes(k, ahead->at))
                place = ahead->at;
        }
        for (; !place; ++k) {
            // No room clear of the discards: crowded, whatever the last try finds.
            if (untilCrowded && !kTries[k].discards) {
                // Searched ahead next time only where another seat crowded the table last time:
                // this one found room alone then (finding none, the search ended before the others).
                if (hint)
                    *hint = {seat, seat != hint->seat};
                return true;
            }
            place = search->Find(k);
            if (place || k + 1 == std::size(kTries))
                break;
        }
        crowded = crowded || !place || !kTries[k].discards;
        const TablePoint at = place.value_or(search->Want());
        found = {kTries[k].scale, at, true};
        // The panel's box as its plane will stand there at that size (centred on the point), with its marks.
        CMJPlayer2* panel = players[size_t(seat)];
        const Rect drawn = CentredBox(at, int(panel->FullWidth() * found.scale), int(panel->FullHeight() * found.scale));
        readList_.Add(ReadKind::Panel, seat, {drawn.left, drawn.top, drawn.right, drawn.bottom + kPanelMarkRoom});
        const Rect box = BoxAt(search->Room(k), at);
        placed.emplace_back(box, SquaredGap(box, search->Own()));
    }
    if (untilCrowded && hint)
        *hint = {};
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
