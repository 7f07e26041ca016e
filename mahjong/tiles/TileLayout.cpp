// The per-seat geometry of walls, hands, melds, discards, the thrown tile and result rows.
// Integer divisions truncate toward zero and points are truncated at the end, as the rules of
// the table's layout are written; real halves of the picture size stay real until then.
#include "mahjong/tiles/TileLayout.h"

#include "mahjong/scene/TableTypes.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Lumora {

namespace {

int Trunc(double v) { return int(v); }
// int(std::floor(v)) and int(std::ceil(v)) for v inside int's range, without a library call: a
// group's extent takes four a tile.
int FloorInt(double v)
{
    const int i = int(v);
    return i - (double(i) > v ? 1 : 0);
}
int CeilInt(double v)
{
    const int i = int(v);
    return i + (double(i) < v ? 1 : 0);
}
bool Odd(int i) { return i % 2 != 0; }
// The stack (pair of wall tiles) an index belongs to.
int Stack(int i) { return Odd(i) ? (i - 1) / 2 : i / 2; }

struct TableBox {
    int L, T, R, B, W, H;
};
TableBox BoxOf(const TileLayoutInput& in)
{
    const Rect& r = in.table;
    return {r.left, r.top, r.right, r.bottom, r.right - r.left, r.bottom - r.top};
}

// The side seats' hands stand higher on a small surface.
int SideLift(const TileLayoutInput& in)
{
    return (in.surfaceHeight <= 600 ? 50 : kEdgeInset) + (in.seat == 2 ? in.columnLift : 0);
}

DiscardSlot SlotOf(int index, const int* firsts, const int* lens, int rows)
{
    DiscardSlot s;
    for (int r = rows - 1; r >= 0; --r)
        if (index >= firsts[r] || r == 0) {
            s.row = r;
            s.k = index - firsts[r];
            s.len = lens[r];
            return s;
        }
    return s;
}

} // namespace

DiscardSlot MetricDiscardSlot(int seat, int index)
{
    static constexpr int kFrontFirsts[3] = {0, 12, 22}, kFrontLens[3] = {12, 10, 9};
    static constexpr int kSideFirsts[3] = {0, 10, 18}, kSideLens[3] = {10, 8, 7};
    const bool side = seat == 0 || seat == 2;
    return SlotOf(index, side ? kSideFirsts : kFrontFirsts, side ? kSideLens : kFrontLens, 3);
}

DiscardSlot AreaDiscardSlot(int seat, int index, int surfaceHeight)
{
    const int n = (seat == 0 || seat == 2) && surfaceHeight <= 600 ? 8 : 10;
    const int firsts[3] = {0, n, 2 * n}, lens[3] = {n, n, n};
    return SlotOf(index, firsts, lens, 3);
}

TilePlace WallPos(const TileLayoutInput& in)
{
    const auto [L, T, R, B, W, H] = BoxOf(in);
    const TileMetrics& m = in.metrics;
    const TileMargins& g = in.margins;
    const int i = in.index, n = in.count, j = Stack(i);
    const bool odd = Odd(i);
    TilePlace p;
    if (in.layoutMode == kAreaLayout) {
        const Rect& a = in.wallArea;
        const int lift = odd ? m[37] : 0;
        switch (in.seat) {
        case 3:
            p = {a.right - m[35] * j, a.bottom + lift, {}};
            break;
        case 1:
            p = {a.left + m[35] * j, a.bottom + lift, {}};
            break;
        case 2:
            p = {a.left, a.top + m[33] * j + lift, {}};
            break;
        case 0:
            p = {a.left, a.bottom - m[33] * j + lift, {}};
            break;
        }
        return p;
    }
    const double w = in.w, h = in.h;
    const int lift = odd ? m[6] : 0;
    switch (in.seat) {
    case 3: {
        const double x0 = L + W / 2 + w * n / 4 - w / 2;
        p.x = Trunc(x0 - w * j);
        p.y = Trunc(B - h / 2 - kEdgeInset - g.vert - m[1] - g.discBottom + lift);
        break;
    }
    case 1: {
        const double x0 = L + (W - w * n / 2) / 2 + w / 2;
        p.x = Trunc(x0 + w * j);
        p.y = Trunc(T + kEdgeInset + g.discTop + g.vert + m[23] + m[24] + h / 2 + lift);
        break;
    }
    case 2: {
        const int v = Trunc(h - m[6]);
        const int y0 = v / 2 - (n * v) / 4 + H / 2;
        p.x = Trunc(R - g.discSide - g.side - m[14] - kEdgeInset - w / 2);
        p.y = y0 + v * j + lift - kEdgeInset;
        break;
    }
    case 0: {
        const int v = Trunc(h - m[6]);
        const int y0 = (n * v) / 4 - v / 2 + H / 2;
        p.x = Trunc(L + kEdgeInset + g.discSide + g.side + m[8] + w / 2);
        p.y = y0 - v * j + lift - kEdgeInset;
        break;
    }
    }
    return p;
}

int MeldOrigin(int seat, const TileLayoutInput& in)
{
    const auto [L, T, R, B, W, H] = BoxOf(in);
    (void)R;
    (void)B;
    const TileMetrics& m = in.metrics;
    const int N = in.fullHand;
    switch (seat) {
    case 3:
        return L + (W - m[0] * N - 12) / 2;
    case 1:
        return L + W / 2 + 2 * (m[22] + 2 * (m[8] + 2 * m[10])) + 50 - (m[22] * N + 10) / 2;
    case 0:
        return T + H / 2 + (m[21] * N + 12 + m[20]) / 2 - 2 * (2 * (m[17] + 2 * m[7]) + 31 + m[21]) - m[20];
    case 2:
        return T + H / 2 + 4 * (m[17] + 2 * m[13] + m[27]) - 8 - (m[27] * N + 12 + m[26]) / 2 + m[26];
    default:
        return 0;
    }
}

namespace {

// A meld tile's place from the first meld's origin `O` (MeldOrigin), which a group's extent finds
// once for all its meld tiles.
TilePlace MeldPosFrom(const TileLayoutInput& in, int O)
{
    const auto [L, T, R, B, W, H] = BoxOf(in);
    (void)R;
    const TileMetrics& m = in.metrics;
    const TileMargins& g = in.margins;
    const double w = in.w, h = in.h;
    const int i = in.index, mn = in.count, c = in.claimPos;
    const bool fourth = i == 3;
    TilePlace p;
    switch (in.seat) {
    case 3: {
        const int base = O + mn * (m[14] + 2 * m[16]);
        double x;
        if (c == 0)
            x = base + w / 2 + (i == 1 || fourth ? m[14] : i == 2 ? m[14] + m[16] : 0);
        else
            x = base + (fourth ? m[16] : m[16] * i) + w / 2;
        p.x = Trunc(x);
        p.y = Trunc(B - g.vert - kEdgeInset - h / 2 - (fourth ? m[18] : 0));
        p.z = fourth ? 2800.0 : 2800.0 - i;
        break;
    }
    case 1: {
        const int base = O - mn * (m[8] + 2 * m[10]);
        double x;
        if (c == 0)
            x = base - w / 2 - (i == 1 || fourth ? m[8] : i == 2 ? m[8] + m[10] : 0);
        else
            x = base - (fourth ? m[10] : m[10] * i) - w / 2;
        p.x = Trunc(x);
        p.y = Trunc(T + g.vert + kEdgeInset + h / 2 - (fourth ? m[12] : 0));
        p.z = 2400.0 + i;
        break;
    }
    case 2: {
        const int base = O - mn * (m[17] + 2 * m[13]);
        double y;
        if (c == 0)
            y = base - h / 2 - (i == 1 ? m[17] : i == 2 ? m[13] + m[17] : fourth ? m[15] + m[17] : 0);
        else
            y = fourth ? base - m[15] - m[13] - h / 2 : base - m[13] * i - h / 2;
        p.x = Trunc(L + W - g.side - kEdgeInset - w / 2);
        p.y = Trunc(y - SideLift(in));
        p.z = fourth ? 2400.0 : 3.0 * (800 - mn) - i;
        break;
    }
    case 0: {
        const int base = O + mn * (m[17] + 2 * m[7]);
        double y;
        if (c == 0)
            y = base + h / 2 + (i == 1 ? m[17] : i == 2 ? m[17] + m[7] : fourth ? m[17] - m[9] : 0);
        else
            y = fourth ? base + m[7] - m[9] + h / 2 : base + m[7] * i + h / 2;
        p.x = Trunc(L + g.side + kEdgeInset + w / 2);
        p.y = Trunc(y + (in.surfaceHeight <= 600 ? 15 : 0));
        p.z = 3.0 * (800 + mn) + i;
        break;
    }
    }
    return p;
}

TilePlace MeldPos(const TileLayoutInput& in) { return MeldPosFrom(in, MeldOrigin(in.seat, in)); }

} // namespace

TilePlace HandPos(const TileLayoutInput& in)
{
    if (in.meldKind != 0)
        return MeldPos(in);
    const auto [L, T, R, B, W, H] = BoxOf(in);
    (void)R;
    const TileMetrics& m = in.metrics;
    const TileMargins& g = in.margins;
    const double w = in.w, h = in.h;
    const int i = in.index, n = in.count;
    const int v = Trunc(h - m[20]);
    TilePlace p;
    switch (in.seat) {
    case 3: {
        p.z = 2800.0 - i;
        p.x = Trunc(L + W / 2 + (w * n + kDrawnTileGap) / 2 - w * i - w / 2 - (i != 0 ? kDrawnTileGap : 0));
        const bool up = (in.raised && !in.dimmed6) || in.lifted;
        p.y = Trunc(B - g.vert - kEdgeInset - h / 2 - (up ? kRaise : 0));
        break;
    }
    case 1:
        p.z = 2400.0 + i;
        p.x = Trunc(L + W / 2 - (w * n + kTopDrawnTileGap) / 2 + w * i + w / 2 + (i != 0 ? kTopDrawnTileGap : 0));
        p.y = Trunc(T + g.vert + kEdgeInset + h / 2);
        break;
    case 2:
        p.z = 2400.0 + i;
        p.x = Trunc(L + W - g.side - kEdgeInset - w / 2);
        p.y = Trunc(T + H / 2 - (n * v + kDrawnTileGap + m[20]) / 2 + h / 2 + v * i + (i != 0 ? kDrawnTileGap : 0) -
                    SideLift(in));
        break;
    case 0:
        p.z = 2400.0 - i;
        p.x = Trunc(L + g.side + kEdgeInset + w / 2);
        p.y = Trunc(T + H / 2 + (n * v + kDrawnTileGap + m[20]) / 2 - h / 2) - v * i - (i != 0 ? kDrawnTileGap : 0) +
              (in.surfaceHeight <= 600 ? 15 : 0);
        break;
    }
    return p;
}

TilePlace DiscardPos(const TileLayoutInput& in)
{
    const auto [L, T, R, B, W, H] = BoxOf(in);
    (void)R;
    const TileMetrics& m = in.metrics;
    const TileMargins& g = in.margins;
    const double w = in.w, h = in.h;
    const int i = in.index;
    TilePlace p;
    if (in.layoutMode == kAreaLayout) {
        const Rect& a = in.discardArea;
        const DiscardSlot s = AreaDiscardSlot(in.seat, i, in.surfaceHeight);
        const int K = m[49], k = s.k, N = s.len;
        static constexpr double kFrontZ3[3] = {100, 200, 300}, kFrontZ1[3] = {200, 100, 300};
        switch (in.seat) {
        case 3: {
            const double y[3] = {a.top + h, a.top + 2 * h - K, a.top + 1.5 * h};
            p = {Trunc(a.left + w * k + w / 2), Trunc(y[s.row]), kFrontZ3[s.row]};
            break;
        }
        case 1: {
            const double y[3] = {double(a.bottom), a.bottom - h + K, a.bottom - h};
            p = {Trunc(a.right - w * k - w / 2), Trunc(y[s.row]), kFrontZ1[s.row]};
            break;
        }
        case 0: {
            const double x[3] = {a.right - w / 2, a.right - w / 2 - w, a.right - w};
            p = {Trunc(x[s.row]), Trunc(a.top + (h - K) * k + h / 2), 100.0 * (s.row + 1) + k};
            break;
        }
        case 2: {
            const double x[3] = {double(a.left), a.left + w, a.left + w / 2};
            const double z[3] = {100.0 - i, 200.0 + N - i, 300.0 - i};
            p = {Trunc(x[s.row]), Trunc(a.bottom - (h - K) * k - (s.row == 2 ? K : 0)), z[s.row]};
            break;
        }
        }
        return p;
    }
    const DiscardSlot s = MetricDiscardSlot(in.seat, i);
    const int k = s.k, len = s.len, gap = m[5] + 3 + m[6];
    switch (in.seat) {
    case 3: {
        const double base = B - g.discBottom - g.vert - m[1] - gap - kEdgeInset;
        const double y[3] = {base - h / 2, base - h / 2 - h + m[18], base - h};
        static constexpr double z[3] = {200, 100, 300};
        p = {Trunc(L + (W - w * len) / 2 + w * k + w / 2), Trunc(y[s.row]), z[s.row]};
        break;
    }
    case 1: {
        const double base = T + kEdgeInset + g.discTop + g.vert + m[23] + m[24] + m[6] + gap;
        const double y[3] = {base + h / 2, base + h / 2 + h - m[18], base + h};
        static constexpr double z[3] = {100, 200, 300};
        p = {Trunc(L + W / 2 + w * len / 2 - w * k - w / 2), Trunc(y[s.row]), z[s.row]};
        break;
    }
    case 0: {
        const double v = h - m[18];
        const int x0 = L + kEdgeInset + g.discSide + g.side + m[8] + gap;
        const double x[3] = {x0 + w / 2, x0 + w / 2 + w, x0 + w};
        const double z[3] = {100.0 + i, 190.0 + i, 282.0 + i};
        p = {Trunc(x[s.row]), Trunc(T + (H - v * len - m[18]) / 2 + v * k + h / 2 - kEdgeInset), z[s.row]};
        break;
    }
    case 2: {
        const double v = h - m[18];
        const int x0 = L + W - g.discSide - g.side - m[14] - gap - kEdgeInset;
        const double x[3] = {x0 - w / 2, x0 - w / 2 - w, x0 - w};
        const double z[3] = {100.0 - i, 210.0 - i, 300.0 - i};
        const double y = T + H / 2 + (v * len - m[18]) / 2 - v * k - h / 2 - (s.row == 2 ? m[18] : 0);
        p = {Trunc(x[s.row]), Trunc(y - kEdgeInset), z[s.row]};
        break;
    }
    }
    return p;
}

TilePlace ThrownPos(const TileLayoutInput& in)
{
    const auto [L, T, R, B, W, H] = BoxOf(in);
    (void)R;
    const TileMetrics& m = in.metrics;
    const double w = in.w, h = in.h;
    TilePlace p;
    switch (in.seat) {
    case 0:
        p = {Trunc(L + kEdgeInset + m[21] + 4 * w / 3), T - kEdgeInset + H / 2, {}};
        break;
    case 1:
        p = {L + W / 2, Trunc(T + kEdgeInset + m[23] + 2 * h / 3), {}};
        break;
    case 2:
        p = {Trunc(L - kEdgeInset + W - m[27] - 4 * w / 3), T + H / 2 - kEdgeInset, {}};
        break;
    case 3:
        p = {L + W / 2, Trunc(B - m[1] - kEdgeInset - h), {}};
        break;
    }
    return p;
}

TilePlace ResultRowPos(const TileLayoutInput& in)
{
    const auto [L, T, R, B, W, H] = BoxOf(in);
    const TileMetrics& m = in.metrics;
    const TileMargins& g = in.margins;
    const double w = in.w, h = in.h;
    const int i = in.index, n = in.count, gap = i != 0 ? kResultRowGap : 0;
    TilePlace p;
    switch (in.seat) {
    case 0: {
        const double step = h - m[9];
        const int top = Trunc(B - (H - step * n - m[9] - kResultRowGap) / 2);
        p = {Trunc(L + g.side + kEdgeInset + w / 2), Trunc(top - step * i - h / 2) - gap, 2400.0 - i};
        break;
    }
    case 1: {
        const int left = Trunc(L + (W - (w * n + kResultRowGap)) / 2);
        p = {Trunc(left + w * i + w / 2) + gap, Trunc(T + g.vert + kEdgeInset + h / 2), 2400.0 + i};
        break;
    }
    case 2: {
        const double step = h - m[15];
        const int top = Trunc(T + (H - (step * n + m[15] + kResultRowGap)) / 2);
        p = {Trunc(L + W - g.side - kEdgeInset - w / 2), Trunc(top + step * i + h / 2) + gap, 2400.0 + i};
        break;
    }
    case 3: {
        const int right = Trunc(R - (W - (w * n + kResultRowGap)) / 2);
        p = {Trunc(right - w * i - w / 2) - gap, Trunc(B - g.vert - kEdgeInset - h / 2), 2800.0 - i};
        break;
    }
    }
    return p;
}

Rect GroupExtent(int seat, TileGroup group, TileLayoutInput base, const TileSizeOf& sizeOf)
{
    Rect box{};
    bool any = false;
    base.seat = seat;
    // One input, its fields set for each tile in turn (a copy a tile costs more than the place).
    TileLayoutInput& in = base;
    // Each look's picture size is asked once, before the tiles of that look are placed.
    struct Sized {
        int state;
        double w, h;
    };
    const auto sized = [&](const TileLook& look) {
        const auto [w, h] = sizeOf(look);
        return Sized{look.state, w, h};
    };
    const auto add = [&](const Sized& look, const auto& place) {
        const double w = look.w, h = look.h;
        if (w <= 0 || h <= 0)
            return;
        in.w = w;
        in.h = h;
        in.state = look.state;
        const TilePlace p = place(in);
        // The view's picture is centred on its point.
        const Rect r{FloorInt(p.x - w / 2), FloorInt(p.y - h / 2), CeilInt(p.x + w / 2), CeilInt(p.y + h / 2)};
        box = any ? Rect{std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
                         std::max(box.bottom, r.bottom)}
                  : r;
        any = true;
    };
    // Along a row of one look every place moves by one step a tile, so the row's first and last
    // tiles bound it; the first tile of a hand or a result row stands a gap apart, and the next
    // one starts the even steps.
    const auto ends = [](int count) {
        std::array<int, 3> at{0, 1, count - 1};
        return std::pair{at, size_t(std::clamp(count, 0, 3))};
    };
    const int n = base.fullHand;
    if (group == TileGroup::Wall) {
        const Sized wall = sized({kTileWall, false, false, 0});
        in.count = kFullWall;
        // A stack's two tiles stand apart: both of the first stack and of the last.
        for (const int i : {0, 1, kFullWall - 2, kFullWall - 1}) {
            in.index = i;
            add(wall, WallPos);
        }
        return box;
    }
    if (group == TileGroup::Discards) {
        const Sized discard = sized({kTileDiscard, false, true, 0});
        const auto slot = [&](int i) {
            return in.layoutMode == kAreaLayout ? AreaDiscardSlot(seat, i, in.surfaceHeight) : MetricDiscardSlot(seat, i);
        };
        // The first and the last tile of each row, and the last of all. Each row starts where the
        // one before ends; the last row runs on to the last tile.
        const int lastRow = slot(kFullestDiscards - 1).row;
        for (int first = 0;;) {
            in.index = first;
            add(discard, DiscardPos);
            const DiscardSlot s = slot(first);
            const int next = first + s.len;
            if (s.row == lastRow || next >= kFullestDiscards)
                break;
            in.index = next - 1;
            add(discard, DiscardPos);
            first = next;
        }
        in.index = kFullestDiscards - 1;
        add(discard, DiscardPos);
        return box;
    }
    const Sized hand = sized({kTileHand, true, true, 0}), result = sized({kTileResultRow, false, true, 0});
    const auto [rowEnds, rowEndCount] = ends(n);
    in.count = n;
    for (size_t e = 0; e < rowEndCount; ++e) {
        in.index = rowEnds[e];
        in.raised = seat == 3;
        add(hand, HandPos);
        in.raised = false;
        add(result, ResultRowPos);
    }
    // Four gangs, each claimed from any place, face up turned any way or face down. A tile's place
    // follows its size, not its face: each size is placed once. The melds follow each other by a
    // fixed step, so the first and the fourth bound them; a tile claimed from elsewhere than the
    // first place lays the meld out alike wherever it came from.
    std::array<Sized, 5> melds{};
    size_t sizes = 0;
    for (int facing = 0; facing <= 4; ++facing) {
        const Sized look = sized({kTileHand, false, facing < 4, facing & 3});
        if (std::none_of(melds.begin(), melds.begin() + sizes, [&](const Sized& m) { return m.w == look.w && m.h == look.h; }))
            melds[sizes++] = look;
    }
    in.meldKind = kMeldGang;
    // Every meld tile measures from the same origin.
    const int origin = MeldOrigin(seat, in);
    const auto meldPos = [origin](const TileLayoutInput& tile) { return MeldPosFrom(tile, origin); };
    // In a row (seats 1 and 3) a meld's second tile stands along the row where its fourth does and
    // across it where its first does: it widens the box no further.
    const bool row = seat == 1 || seat == 3;
    for (const int meld : {0, 3})
        for (const int claim : {0, 1})
            for (int i = 0; i < 4; ++i)
                for (size_t k = 0; k < sizes && !(row && i == 1); ++k) {
                    in.index = i;
                    in.count = meld;
                    in.claimPos = claim;
                    add(melds[k], meldPos);
                }
    return box;
}

} // namespace Lumora
