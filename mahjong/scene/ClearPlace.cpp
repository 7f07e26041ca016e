// The search for the nearest clear place, on the grid of offsets from the wanted point: the area
// leaves a rectangle of offsets, each keep-clear box rules out another, so each row of the grid
// is a few runs of free columns. The rows are taken in order of their distance from the wanted
// one and each walked out from the wanted column, until no point left could be nearer than the
// best found; only the free points are shown to `accept`, and only those that could beat it. The
// runs are found anew only where a box begins or ends; past rows without a free column, only where
// one of the boxes that cover them ends.
#include "mahjong/scene/ClearPlace.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <compare>
#include <limits>
#include <numbers>
#include <tuple>
#include <vector>

namespace Lumora {

namespace {

// a / b rounded down and up (b > 0).
// The searches step by 2 or 4 pixels: a shift then, a whole division's cost only otherwise.
int64_t FloorDiv(int64_t a, int64_t b)
{
    if ((b & (b - 1)) == 0)
        return a >> std::countr_zero(uint64_t(b));
    return a / b - (a % b != 0 && a < 0 ? 1 : 0);
}
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// Grid offsets from first to last, both included; empty when first > last.
struct Span {
    int64_t first, last;
};

// The grid points at which the box would overlap a keep-clear box.
struct Blocked {
    Span columns, rows;
};

// The free columns of one row of the grid, walked out from column 0: the nearest first, of two as
// near the left one. `runs` are disjoint and in order.
class RowWalk {
public:
    RowWalk() = default;
    explicit RowWalk(std::span<const Span> runs) : runs_(runs)
    {
        // The left walk starts at column 0, the right one at column 1.
        left_ = std::partition_point(runs_.begin(), runs_.end(), [](const Span& r) { return r.first <= 0; }) -
            runs_.begin() - 1;
        if (left_ >= 0)
            leftColumn_ = std::min<int64_t>(0, runs_[size_t(left_)].last);
        right_ =
            std::partition_point(runs_.begin(), runs_.end(), [](const Span& r) { return r.last < 1; }) - runs_.begin();
        if (right_ < std::ssize(runs_))
            rightColumn_ = std::max<int64_t>(1, runs_[size_t(right_)].first);
    }

    // Past the columns from `first` to `last` on the side of the column given last (0 and the left
    // of it: the left walk's), which the walk then does not give.
    void PassOver(int64_t column, int64_t first, int64_t last)
    {
        if (column <= 0) {
            if (left_ < 0 || leftColumn_ < first)
                return;
            leftColumn_ = first - 1;
            while (left_ >= 0 && leftColumn_ < runs_[size_t(left_)].first)
                if (--left_ >= 0)
                    leftColumn_ = std::min(leftColumn_, runs_[size_t(left_)].last);
        } else {
            if (right_ >= std::ssize(runs_) || rightColumn_ > last)
                return;
            rightColumn_ = last + 1;
            while (right_ < std::ssize(runs_) && rightColumn_ > runs_[size_t(right_)].last)
                if (++right_ < std::ssize(runs_))
                    rightColumn_ = std::max(rightColumn_, runs_[size_t(right_)].first);
        }
    }

    // The next column, or nothing when the row has no more.
    std::optional<int64_t> Next()
    {
        const bool hasLeft = left_ >= 0, hasRight = right_ < std::ssize(runs_);
        if (hasLeft && (!hasRight || -leftColumn_ <= rightColumn_)) {
            const int64_t column = leftColumn_--;
            if (leftColumn_ < runs_[size_t(left_)].first && --left_ >= 0)
                leftColumn_ = runs_[size_t(left_)].last;
            return column;
        }
        if (!hasRight)
            return std::nullopt;
        const int64_t column = rightColumn_++;
        if (rightColumn_ > runs_[size_t(right_)].last && ++right_ < std::ssize(runs_))
            rightColumn_ = runs_[size_t(right_)].first;
        return column;
    }

private:
    std::span<const Span> runs_;
    std::ptrdiff_t left_ = -1, right_ = 0; // the runs each walk is in
    int64_t leftColumn_ = 0, rightColumn_ = 0;
};

// The rows about one that hold the same free columns (or none), those columns, and where their walk
// from column 0 starts: found once, however many of its rows are walked.
struct Band {
    Span rows{1, 0};
    std::vector<Span>& runs;
    RowWalk start;
};

// The band of `row`, its free runs of `columns` in order; `blocked` in order of their first column.
// Where the row has a free column its band ends where a box begins or ends; where it has none, only
// where one of the boxes that cover it from side to side ends: a walk goes on past every row they do.
// The walk `upward` (or down) from the row reads only the band's first (last) row.
template <bool upward>
void FreeRuns(int64_t row, Span columns, Span rows, std::span<const Blocked> blocked, Band& band)
{
    std::vector<Span>& runs = band.runs;
    runs.clear();
    int64_t from = columns.first;
    // The band's end the walk goes towards; the rows that all the boxes so far covering the row
    // from the left hold, that way.
    int64_t end = upward ? rows.first : rows.last, coverEnd = end;
    for (const Blocked& b : blocked) {
        if (row < b.rows.first) {
            if (!upward)
                end = std::min(end, b.rows.first - 1);
            continue;
        }
        if (row > b.rows.last) {
            if (upward)
                end = std::max(end, b.rows.last + 1);
            continue;
        }
        end = upward ? std::max(end, b.rows.first) : std::min(end, b.rows.last);
        if (from > columns.last)
            continue;
        if (b.columns.first > from)
            runs.push_back({from, std::min(b.columns.first - 1, columns.last)});
        else if (runs.empty() && b.columns.last >= from)
            coverEnd = upward ? std::max(coverEnd, b.rows.first) : std::min(coverEnd, b.rows.last);
        from = std::max(from, b.columns.last + 1);
        if (from > columns.last && runs.empty()) {
            end = coverEnd;
            break;
        }
    }
    if (from <= columns.last)
        runs.push_back({from, columns.last});
    band.rows = upward ? Span{end, row} : Span{row, end};
    band.start = RowWalk(runs);
}

// A point of the grid, ordered as the search prefers them: the nearest, then the upper, then the left.
struct GridPoint {
    int64_t distance, row, column;
    auto operator<=>(const GridPoint&) const = default;
};

} // namespace

double BoxGap(const Rect& a, const Rect& b)
{
    // Whole pixels: the root of an exact sum, as near as hypot and a tenth of its cost.
    return std::sqrt(double(SquaredGap(a, b)));
}

namespace {

// The gap to `own` is at least that of every box at the points together.
int64_t NearestOwnGap(const Rect& points, const Rect& box, const Rect& own)
{
    const Rect all{points.left + box.left, points.top + box.top, points.right + box.right, points.bottom + box.bottom};
    return SquaredGap(all, own);
}

// NeverNearerBy, the least squared gap to the own box given.
bool NeverNearerFrom(const Rect& points, const Rect& box, int64_t nearest, const Rect& other, int margin)
{
    // The gap to `other` is convex over the points: at its largest at a corner.
    for (const int x : {points.left, points.right})
        for (const int y : {points.top, points.bottom})
            if (CompareRootPlus(nearest, margin, SquaredGap(BoxAt(box, {x, y}), other)) < 0)
                return false;
    return true;
}

} // namespace

bool NeverNearerBy(const Rect& points, const Rect& box, const Rect& own, const Rect& other, int margin)
{
    return NeverNearerFrom(points, box, NearestOwnGap(points, box, own), other, margin);
}

void NeverNearerBlocks(const Rect& area, const Rect& box, const Rect& own, std::span<const Rect> others, int margin,
                       std::vector<Rect>& out, int splits)
{
    // A few cells a side, each judged once where a walk through it would ask at every point. A cell
    // that may hold points of both kinds is split, `splits` times at most, so that the blocks follow
    // the edge of what is refused: a search walks only the points along that edge.
    constexpr int kCells = 4, kFinest = 8;
    const Rect points{area.left - box.left, area.top - box.top, area.right - box.right, area.bottom - box.bottom};
    if (points.left > points.right || points.top > points.bottom)
        return;
    const auto judge = [&](const auto& self, const Rect& cell, int split) -> void {
        const int64_t nearest = NearestOwnGap(cell, box, own);
        if (std::any_of(others.begin(), others.end(),
                        [&](const Rect& o) { return NeverNearerFrom(cell, box, nearest, o, margin); })) {
            // Beside the block before it on the same rows: one block.
            if (!out.empty() && out.back().top == cell.top && out.back().bottom == cell.bottom &&
                out.back().right == cell.left)
                out.back().right = cell.right;
            else
                out.push_back(cell);
            return;
        }
        const int w = cell.right - cell.left, h = cell.bottom - cell.top;
        if (split == splits || (w <= kFinest && h <= kFinest))
            return;
        // Farther from the own box at every point than the margin short of each other: none refused.
        int64_t farthest = 0;
        for (const int x : {cell.left, cell.right})
            for (const int y : {cell.top, cell.bottom})
                farthest = std::max(farthest, SquaredGap(BoxAt(box, {x, y}), own));
        if (std::all_of(others.begin(), others.end(), [&](const Rect& o) {
                return CompareRootPlus(farthest, margin, NearestOwnGap(cell, box, o)) < 0;
            }))
            return;
        const int mx = cell.left + w / 2, my = cell.top + h / 2;
        if (w > kFinest && h > kFinest) {
            self(self, Rect{cell.left, cell.top, mx, my}, split + 1);
            self(self, Rect{mx, cell.top, cell.right, my}, split + 1);
            self(self, Rect{cell.left, my, mx, cell.bottom}, split + 1);
            self(self, Rect{mx, my, cell.right, cell.bottom}, split + 1);
        } else if (w > kFinest) {
            self(self, Rect{cell.left, cell.top, mx, cell.bottom}, split + 1);
            self(self, Rect{mx, cell.top, cell.right, cell.bottom}, split + 1);
        } else {
            self(self, Rect{cell.left, cell.top, cell.right, my}, split + 1);
            self(self, Rect{cell.left, my, cell.right, cell.bottom}, split + 1);
        }
    };
    const auto edge = [](int from, int to, int i) { return from + int(int64_t(to - from) * i / kCells); };
    for (int j = 0; j < kCells; ++j)
        for (int i = 0; i < kCells; ++i)
            judge(judge, Rect{edge(points.left, points.right, i), edge(points.top, points.bottom, j),
                              edge(points.left, points.right, i + 1), edge(points.top, points.bottom, j + 1)}, 0);
}

int ShortReach(int64_t nearSquared, int margin, int64_t farSquared)
{
    // A gap changes no faster than the point moves: short by s here, short anywhere less than s/2
    // away, which a square of half-side r is where r√2 < s/2.
    const double shortBy = std::sqrt(double(nearSquared)) + margin - std::sqrt(double(farSquared));
    return std::max(0, int(std::ceil(shortBy / (2 * std::numbers::sqrt2) - 1e-9)) - 1);
}

void NeverNearerMemo::NextRound()
{
    before_.swap(now_);
    now_.clear();
}

void NeverNearerMemo::Blocks(const Rect& area, const Rect& box, const Rect& own, std::span<const Rect> others,
                             int margin, std::vector<Rect>& out, int splits)
{
    const auto same = [&](const Found& f) {
        return f.area == area && f.box == box && f.own == own && f.margin == margin && f.splits == splits &&
            std::equal(others.begin(), others.end(), f.others.begin(), f.others.end());
    };
    if (const auto found = std::find_if(now_.begin(), now_.end(), same); found != now_.end()) {
        out.insert(out.end(), found->blocks.begin(), found->blocks.end());
        return;
    }
    if (const auto found = std::find_if(before_.begin(), before_.end(), same); found != before_.end()) {
        out.insert(out.end(), found->blocks.begin(), found->blocks.end());
        now_.push_back(std::move(*found));
        before_.erase(found);
        return;
    }
    Found& found = now_.emplace_back(Found{area, box, own, {others.begin(), others.end()}, margin, splits, {}});
    NeverNearerBlocks(area, box, own, others, margin, found.blocks, splits);
    out.insert(out.end(), found.blocks.begin(), found.blocks.end());
}

bool NearestToOwn(const Rect& r, const Rect& box, std::span<const Rect> own, std::span<const Rect> others, Rect& around)
{
    // In squared whole numbers, which order as the gaps do.
    const int sx = r.left + r.right, sy = r.top + r.bottom;
    const Rect c{sx / 2, sy / 2, sx / 2, sy / 2};
    int64_t gap = std::numeric_limits<int64_t>::max();
    for (const Rect& o : own)
        gap = std::min(gap, SquaredGap(c, o));
    for (const Rect& other : others)
        if (const int64_t far = SquaredGap(c, other); far <= gap) {
            // The middle moves with the place where the halves of sums not below 0 are floors.
            if (const int reach = ShortfallReach(gap, 0, far); reach > 0 && std::min(sx, sy) >= 2 * reach) {
                const int x = r.left - box.left, y = r.top - box.top;
                around = {x - reach, y - reach, x + reach, y + reach};
            }
            return false;
        }
    return true;
}

Rect WithinReach(const Rect& box, double reach)
{
    // Overlapping the grown box, the two lie at most g - 1 apart in each direction.
    const int g = int(std::max(reach, 0.0) / std::numbers::sqrt2) + 1;
    return {box.left - g, box.top - g, box.right + g, box.bottom + g};
}

namespace {

// The lists a search fills, emptied as it starts: kept for the thread's next search, since a layout
// runs dozens and each would otherwise allocate its own. A search asked from inside another's
// accept takes lists of its own.
struct SearchLists {
    std::vector<Blocked> blocked, around;
    std::vector<Span> upRuns, downRuns, aroundRow;
};

class ListsLease {
public:
    ListsLease() : lists_(busy_ ? own_.emplace() : kept_)
    {
        if (&lists_ == &kept_)
            busy_ = true;
        lists_.around.clear();
        for (auto* v : {&lists_.upRuns, &lists_.downRuns, &lists_.aroundRow})
            v->clear();
    }
    ~ListsLease()
    {
        if (&lists_ == &kept_)
            busy_ = false;
    }
    ListsLease(const ListsLease&) = delete;
    ListsLease& operator=(const ListsLease&) = delete;
    SearchLists* operator->() { return &lists_; }

private:
    static thread_local SearchLists kept_;
    static thread_local bool busy_;
    std::optional<SearchLists> own_;
    SearchLists& lists_;
};

thread_local SearchLists ListsLease::kept_;
thread_local bool ListsLease::busy_ = false;

// The search, `ask` given each box to weigh and, where `told` (else it is not read), a rectangle of
// points to widen where it turns one down.
template <bool told, class Ask>
std::optional<TablePoint> Search(TablePoint want, const Rect& box, const Rect& area, std::span<const Rect> keepClear,
                                 int step, const Ask& ask, std::span<const Rect> refused)
{
    step = std::max(step, 1);
    // The offsets at which the box lies inside the area, however far from its point it stands.
    const Span columns{CeilDiv(int64_t(area.left) - box.left - want.x, step),
                       FloorDiv(int64_t(area.right) - box.right - want.x, step)};
    const Span rows{CeilDiv(int64_t(area.top) - box.top - want.y, step),
                    FloorDiv(int64_t(area.bottom) - box.bottom - want.y, step)};
    if (columns.first > columns.last || rows.first > rows.last)
        return std::nullopt;
    ListsLease lists;
    // Written in place rather than pushed: the list only grows, to the most boxes a search has had.
    if (lists->blocked.size() < keepClear.size() + refused.size())
        lists->blocked.resize(keepClear.size() + refused.size());
    size_t count = 0;
    // The points of the grid in a rectangle `r` (edges included) of the places `r` less `from` (its
    // corner from the wanted point), kept where there are any. One that lies past the grid's
    // points (ends short of the first or starts past the last) is told before the divisions.
    const int64_t left = columns.first * step, right = columns.last * step, top = rows.first * step,
                  bottom = rows.last * step;
    const auto keep = [&](const Rect& r, const Rect& from) {
        const int64_t l = int64_t(r.left) - from.left, t = int64_t(r.top) - from.top, rr = int64_t(r.right) - from.right,
                      b = int64_t(r.bottom) - from.bottom;
        if (l > right || rr < left || t > bottom || b < top)
            return;
        const Blocked on{{CeilDiv(l, step), FloorDiv(rr, step)}, {CeilDiv(t, step), FloorDiv(b, step)}};
        if (on.columns.first <= on.columns.last && on.rows.first <= on.rows.last)
            lists->blocked[count++] = on;
    };
    // An empty box or keep-clear box overlaps nothing; the places where the box overlaps one,
    // more than at an edge, are the box less these.
    if (box.right > box.left && box.bottom > box.top) {
        const Rect by{box.right - 1 + want.x, box.bottom - 1 + want.y, box.left + 1 + want.x, box.top + 1 + want.y};
        for (const Rect& k : keepClear)
            if (k.right > k.left && k.bottom > k.top)
                keep(k, by);
    }
    // The points `accept` would refuse are passed over as blocked ones.
    for (const Rect& r : refused)
        keep(r, {want.x, want.y, want.x, want.y});
    const std::span<Blocked> blocked(lists->blocked.data(), count);
    std::sort(blocked.begin(), blocked.end(),
              [](const Blocked& a, const Blocked& b) { return a.columns.first < b.columns.first; });
    // Rows in order of their distance from the wanted row, each walked out from the wanted column
    // until a point passes `accept` or no point further on could come before the best found.
    std::optional<GridPoint> best;
    // The free runs stay as they are from row to row until a keep-clear box begins or ends: the
    // walk up and the walk down from the wanted row each keep theirs for the band of rows they hold
    // in, so that the boxes are read once a band rather than once a row.
    Band up{{1, 0}, lists->upRuns, {}}, down{{1, 0}, lists->downRuns, {}};
    const auto bandOf = [&](int64_t row) -> const Band& {
        if (row <= 0) {
            if (row < up.rows.first || row > up.rows.last)
                FreeRuns<true>(row, columns, rows, blocked, up);
            return up;
        }
        if (row < down.rows.first || row > down.rows.last)
            FreeRuns<false>(row, columns, rows, blocked, down);
        return down;
    };
    // The points found turned down about one asked, on the grid: every row's walk passes over
    // those on its row rather than asking each.
    std::vector<Blocked>& around = lists->around;
    std::vector<Span>& aroundRow = lists->aroundRow;
    const auto walkRow = [&](int64_t row, const Band& band) {
        RowWalk walk = band.start;
        if constexpr (told) {
            aroundRow.clear();
            for (const Blocked& b : around)
                if (row >= b.rows.first && row <= b.rows.last)
                    aroundRow.push_back(b.columns);
        }
        for (std::optional<int64_t> column = walk.Next(); column; column = walk.Next()) {
            const GridPoint at{*column * *column + row * row, row, *column};
            if (best && at > *best)
                return;
            if constexpr (!told) {
                if (ask(BoxAt(box, {want.x + int(at.column) * step, want.y + int(at.row) * step}))) {
                    best = at;
                    return;
                }
            } else {
                if (const auto known = std::find_if(aroundRow.begin(), aroundRow.end(),
                                                    [&](const Span& s) { return at.column >= s.first && at.column <= s.last; });
                    known != aroundRow.end()) {
                    walk.PassOver(at.column, known->first, known->last);
                    continue;
                }
                Rect refusedAround{1, 1, 0, 0};
                if (ask(BoxAt(box, {want.x + int(at.column) * step, want.y + int(at.row) * step}), refusedAround)) {
                    best = at;
                    return;
                }
                if (refusedAround.left > refusedAround.right || refusedAround.top > refusedAround.bottom)
                    continue;
                const Blocked b{{CeilDiv(int64_t(refusedAround.left) - want.x, step), FloorDiv(int64_t(refusedAround.right) - want.x, step)},
                                {CeilDiv(int64_t(refusedAround.top) - want.y, step), FloorDiv(int64_t(refusedAround.bottom) - want.y, step)}};
                // Only a rectangle about the point asked is taken at its word.
                if (b.columns.first > at.column || b.columns.last < at.column || b.rows.first > row || b.rows.last < row)
                    continue;
                around.push_back(b);
                aroundRow.push_back(b.columns);
                walk.PassOver(at.column, b.columns.first, b.columns.last);
            }
        }
    };
    const int64_t lastRing = std::max(-rows.first, rows.last);
    constexpr int64_t kDone = std::numeric_limits<int64_t>::max();
    for (int64_t ring = std::max({int64_t(0), rows.first, -rows.last}); ring <= lastRing;) {
        // No point of this ring's rows is nearer than the ring.
        if (best && ring * ring > best->distance)
            break;
        // A row of a band without a free column holds nothing to walk.
        if (-ring >= rows.first && -ring <= rows.last)
            if (const Band& band = bandOf(-ring); !band.runs.empty())
                walkRow(-ring, band);
        if (ring == 0) {
            ++ring;
            continue;
        }
        if (ring >= rows.first && ring <= rows.last)
            if (const Band& band = bandOf(ring); !band.runs.empty())
                walkRow(ring, band);
        // Rows walked later lie past this ring on either side: what was turned down within it is
        // done with.
        if constexpr (told)
            std::erase_if(around, [&](const Blocked& b) { return b.rows.first >= -ring && b.rows.last <= ring; });
        // A band of rows without a free column holds nothing to walk: each walk goes on past it
        // (a search that finds nothing would otherwise visit every row of its area).
        const int64_t upNext = -ring > rows.last ? -rows.last
            : -ring < rows.first                 ? kDone
            : up.runs.empty()                    ? 1 - up.rows.first
                                                 : ring + 1;
        const int64_t downNext = ring < rows.first ? rows.first
            : ring > rows.last                     ? kDone
            : down.runs.empty()                    ? down.rows.last + 1
                                                   : ring + 1;
        ring = std::min(upNext, downNext);
    }
    if (!best)
        return std::nullopt;
    return TablePoint{want.x + int(best->column) * step, want.y + int(best->row) * step};
}

} // namespace

std::optional<TablePoint> NearestClearPlace(TablePoint want, const Rect& box, const Rect& area,
                                            std::span<const Rect> keepClear, int step,
                                            const std::function<bool(const Rect&)>& accept,
                                            std::span<const Rect> refused)
{
    if (!accept)
        return Search<false>(want, box, area, keepClear, step, [](const Rect&) { return true; }, refused);
    return Search<false>(want, box, area, keepClear, step, accept, refused);
}

std::optional<TablePoint> NearestClearPlace(TablePoint want, const Rect& box, const Rect& area,
                                            std::span<const Rect> keepClear, int step,
                                            const AcceptOrRefuseAround& accept, std::span<const Rect> refused)
{
    if (!accept)
        return Search<false>(want, box, area, keepClear, step, [](const Rect&) { return true; }, refused);
    return Search<true>(want, box, area, keepClear, step, accept, refused);
}

namespace {

// Shrinks `area` past each edge band of places where the box would overlap one box that spans the
// band, or one refused block does: a search reads every box for each row where one begins or ends,
// and an area covered so finds nothing after reading them all. False when no place is left.
bool TrimBlockedEdges(Rect& area, const Rect& box, std::span<const Rect> keepClear, std::span<const Rect> refused)
{
    // The places where the box lies inside the area (edges included).
    Rect p{area.left - box.left, area.top - box.top, area.right - box.right, area.bottom - box.bottom};
    // Cuts at the edge a block `k` of places spans, if any; false when no place is left.
    const auto cut = [&](const Rect& k) {
        if (k.left <= p.left && p.right <= k.right) {
            if (k.top <= p.top && p.top <= k.bottom)
                p.top = k.bottom + 1;
            else if (k.top <= p.bottom && p.bottom <= k.bottom)
                p.bottom = k.top - 1;
        }
        if (k.top <= p.top && p.bottom <= k.bottom) {
            if (k.left <= p.left && p.left <= k.right)
                p.left = k.right + 1;
            else if (k.left <= p.right && p.right <= k.right)
                p.right = k.left - 1;
        }
        return p.left <= p.right && p.top <= p.bottom;
    };
    // Most blocks span the places neither way and cut nothing: a keep-clear box's block is only
    // made where it might, told from the box against the places grown by the piece (as they stood
    // when the round began: a round that cuts is followed by another).
    const bool solid = box.right > box.left && box.bottom > box.top;
    for (bool moved = true; moved;) {
        const Rect before = p;
        if (p.left > p.right || p.top > p.bottom)
            return false;
        if (solid) {
            const Rect grown{p.left + box.right - 1, p.top + box.bottom - 1, p.right + box.left + 1, p.bottom + box.top + 1};
            for (const Rect& k : keepClear)
                if (((k.left <= grown.left && grown.right <= k.right) || (k.top <= grown.top && grown.bottom <= k.bottom)) &&
                    k.right > k.left && k.bottom > k.top &&
                    // The places where the box overlaps k, more than at an edge.
                    !cut({k.left - box.right + 1, k.top - box.bottom + 1, k.right - box.left - 1, k.bottom - box.top - 1}))
                    return false;
        }
        for (const Rect& r : refused)
            if (!cut(r))
                return false;
        moved = !(p == before);
    }
    area = {p.left + box.left, p.top + box.top, p.right + box.right, p.bottom + box.bottom};
    return true;
}

} // namespace

namespace {

template <class Accept>
std::optional<TablePoint> SearchIn(TablePoint want, const Rect& box, std::span<const Rect> areas,
                                   std::span<const Rect> keepClear, int step, const Accept& accept,
                                   std::span<const Rect> refused)
{
    // Of places as near, the upper, then the left one.
    const auto order = [&](const TablePoint& p) {
        const int64_t dx = p.x - want.x, dy = p.y - want.y;
        return std::tuple{dx * dx + dy * dy, p.y, p.x};
    };
    std::optional<TablePoint> best;
    for (Rect area : areas) {
        if (!TrimBlockedEdges(area, box, keepClear, refused))
            continue;
        // An area whose nearest place lies farther than the best found cannot give a better one.
        const int64_t dx = std::max({0, area.left - box.left - want.x, want.x + box.right - area.right});
        const int64_t dy = std::max({0, area.top - box.top - want.y, want.y + box.bottom - area.bottom});
        if (best && dx * dx + dy * dy > std::get<0>(order(*best)))
            continue;
        if (const auto p = NearestClearPlace(want, box, area, keepClear, step, accept, refused);
            p && (!best || order(*p) < order(*best)))
            best = p;
    }
    return best;
}

} // namespace

std::optional<TablePoint> NearestClearPlaceIn(TablePoint want, const Rect& box, std::span<const Rect> areas,
                                              std::span<const Rect> keepClear, int step,
                                              const std::function<bool(const Rect&)>& accept,
                                              std::span<const Rect> refused)
{
    return SearchIn(want, box, areas, keepClear, step, accept, refused);
}

std::optional<TablePoint> NearestClearPlaceIn(TablePoint want, const Rect& box, std::span<const Rect> areas,
                                              std::span<const Rect> keepClear, int step,
                                              const AcceptOrRefuseAround& accept, std::span<const Rect> refused)
{
    return SearchIn(want, box, areas, keepClear, step, accept, refused);
}

} // namespace Lumora
