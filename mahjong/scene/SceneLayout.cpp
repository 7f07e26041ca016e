// The table scene's layout: tile metrics, the centre box, the walls and discard areas of the
// area layout, the own hand's rectangle, the seats' anchor points and the places of the
// controls, recomputed whenever the scene's area changes.
#include "mahjong/scene/CMJMainGame2.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/controls/CMJSliderBar.h"
#include "mahjong/controls/CMJXyDigit.h"
#include "mahjong/scene/ClearPlace.h"
#include "mahjong/tiles/TileLayout.h"
#include "mahjong/tiles/TilePicture.h"
#include "widgets/AppServices.h"
#include "widgets/CCySplitterBar.h"
#include "widgets/CXyStandButton.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace Lumora {

namespace {

constexpr int kControlGap = 4;
constexpr int kBoardStep = 4;
// A claim button's centre stands at least this much nearer the own hand than another seat's tiles or panel.
constexpr int kByHandMargin = 4;
constexpr int kClaimButtonStep = 60;
constexpr int kClaimRowLift = 45; // the claim row's middle above the own hand's rectangle

int Width(const Rect& r) { return r.right - r.left; }
int Height(const Rect& r) { return r.bottom - r.top; }
Rect BoxOf(const PObject& o) { return {int(o.GetLeft()), int(o.GetTop()), int(o.GetRight()), int(o.GetBottom())}; }
// Grows `box` (none yet: made) to take in the tile body `o`.
void Enclose(std::optional<Rect>& box, const PObject& o)
{
    const Rect r = BoxOf(o);
    box = box ? Rect{std::min(box->left, r.left), std::min(box->top, r.top), std::max(box->right, r.right),
                     std::max(box->bottom, r.bottom)}
              : r;
}

// The scale of the centre box: 0.75 on a small surface while the frame's mode query answers.
double BoxScale(int surfaceWidth)
{
    IAppServices* app = GetAppServices();
    const bool frameMode = app && app->GetGameFrame() && app->GetGameFrame()->GetLayoutWidthMode() != 0;
    return surfaceWidth <= 800 && frameMode ? 0.75 : 1.0;
}

} // namespace

Rect CMJMainGame2::GetTableRect() const
{
    const Rect& b = Bounds();
    if (Width(b) > 0 && Height(b) > 0)
        return b;
    return Rect{0, 0, GetViewWidth(), GetViewHeight()};
}

TileMetrics CMJMainGame2::GetTileMetrics(double scale)
{
    return metricsCache_.Get(GetViewWidth(), GetViewHeight(), GetTableRect(), scale);
}

Rect CMJMainGame2::GetWallArea(int seat) const
{
    return IsSeat(seat) ? wallAreas_[size_t(seat)] : Rect{};
}

Rect CMJMainGame2::GetDiscardArea(int seat) const
{
    return IsSeat(seat) ? discardAreas_[size_t(seat)] : Rect{};
}

// Tiles shrink on a small surface while the side panel stands open beside the table.
bool CMJMainGame2::GetSplitterFlag() const
{
    if (splitterInLayout_)
        return *splitterInLayout_;
    // The bar found last, while it is still there under its name, before a search of every object.
    const PObject* found = splitterId_ ? FindById(splitterId_) : nullptr;
    if (!found || found->GetName() != CCySplitterBar::kName) {
        found = FindByName(CCySplitterBar::kName);
        splitterId_ = found ? found->GetId() : 0;
    }
    const auto* bar = dynamic_cast<const CCySplitterBar*>(found);
    return bar && bar->IsExpanded();
}

void CMJMainGame2::ComputeTileMetrics(double scale)
{
    metrics_ = GetTileMetrics(scale);
    tileScale_ = scale;
}

int CMJMainGame2::ScaleX25() { return Lumora::ScaleX25(BoxScale(GetViewWidth())); }
int CMJMainGame2::ScaleX37() { return Lumora::ScaleX37(BoxScale(GetViewWidth())); }
int CMJMainGame2::ScaleX110() { return Lumora::ScaleX110(BoxScale(GetViewWidth())); }
double CMJMainGame2::ScaleTile() { return Lumora::ScaleTile(BoxScale(GetViewWidth()), GetTotalTileCount()); }

void CMJMainGame2::ScaleLayout(Rect& out)
{
    IAppServices* app = GetAppServices();
    const bool frameMode = app && app->GetGameFrame() && app->GetGameFrame()->GetLayoutWidthMode() != 0;
    out = Lumora::ScaleLayout(GetTableRect(), GetViewWidth(), frameMode, GetTotalTileCount());
}

Rect CMJMainGame2::CentreBox()
{
    Rect box;
    ScaleLayout(box);
    return box;
}

void CMJMainGame2::RecalcLayout(int seat, Rect& rect)
{
    // The walls stand round the centre box: the top and bottom walls are 14 stacks of TM35
    // centred on the box, the side walls 14 stacks of TM33. Where the box is smaller than the
    // walls (small surfaces), each wall moves out just far enough to clear the others. A wall's
    // tiles stand centred on its rectangle's first column (the side walls' left edge) or row
    // (the bottom edge), so the rectangles sit half a tile off to put the tiles where they belong.
    const Rect box = CentreBox();
    const TileMetrics& m = metrics_;
    const int cx = box.left + Width(box) / 2, cy = box.top + Height(box) / 2;
    const int hw = 7 * m[35], hh = 7 * m[33], across = m[36] + m[37];
    constexpr int kGap = 2;
    switch (seat) {
    case 3: {
        const int b = std::max(box.bottom + m[36] + 2 * m[37], cy + hh + kGap + across);
        const int r = cx + hw - m[35] / 2;
        rect = {r - 2 * hw, b - across, r, b};
        break;
    }
    case 1: {
        const int b = std::min(box.top - m[37], cy - hh - kGap);
        const int l = cx - hw + m[35] / 2;
        rect = {l, b - across, l + 2 * hw, b};
        break;
    }
    case 0: {
        const int l = std::min(box.left, cx - hw - kGap) - m[34] / 2;
        rect = {l, cy + hh - 2 * hh, l + m[34], cy + hh};
        break;
    }
    case 2: {
        const int l = std::max(box.right, cx + hw + kGap) + m[34] / 2;
        rect = {l, cy - hh, l + m[34], cy - hh + 2 * hh};
        break;
    }
    default: break;
    }
}

void CMJMainGame2::OnLayoutChanged(int seat, Rect& rect)
{
    if (!IsSeat(seat))
        return;
    Rect a;
    RecalcLayout(seat, a);
    const TileMetrics& m = metrics_;
    const bool four = chairCount == 4;
    switch (seat) {
    case 0:
        rect.right = a.left - 20;
        rect.left = rect.right - 2 * m[39];
        if (four) {
            rect.top = a.top + 35;
            rect.bottom = rect.top + m[40] + 10 * m[38];
        } else {
            rect.bottom = a.bottom - 10;
            rect.top = rect.bottom - 10 * m[44] - m[40];
        }
        break;
    case 1:
        rect.right = a.right - 15;
        rect.left = rect.right - 10 * m[41];
        rect.bottom = a.top - 10;
        rect.top = rect.bottom - 2 * m[42] - m[43];
        break;
    case 2:
        rect.left = a.right + 15;
        rect.right = rect.left + 2 * m[45];
        rect.bottom = four ? a.bottom - 30 : a.bottom - 10;
        rect.top = rect.bottom - 10 * m[44] - m[40];
        break;
    case 3:
        rect.left = four ? a.left + 15 : a.left + (Width(a) / 2 - 10 * m[47] / 2);
        rect.right = rect.left + 10 * m[47];
        rect.top = a.bottom + 6;
        rect.bottom = rect.top + 2 * m[48] + m[49];
        break;
    default: break;
    }
}

void CMJMainGame2::GetHandRect(int seat, Rect& rect)
{
    if (seat != kOwnSeat)
        return;
    const Rect main = GetTableRect();
    const int width = GetMaxHandCards() * metrics_[0] + 12;
    const int h = GetViewHeight();
    const int margin = h < 768 ? 5 : (h < 900 ? 7 : 9);
    rect.left = main.left + Width(main) / 2 - width / 2;
    rect.right = rect.left + width;
    rect.bottom = main.bottom - margin - 35;
    rect.top = rect.bottom - (metrics_[1] + 10);
}

void CMJMainGame2::GetSeatAnchor(TablePoint& out, int seat)
{
    const Rect r = GetTableRect();
    const int H = metrics_[1];
    switch (seat) {
    case 0: out = {r.left + H / 3 + metrics_[21] + H + 35, r.top + Height(r) / 2}; break;
    case 1: out = {r.left + Width(r) / 2, r.top + H / 2 + metrics_[23] + 35}; break;
    case 2: out = {r.right - 35 - H - metrics_[27] - H / 3, r.top + Height(r) / 2}; break;
    case 3: out = {r.left + Width(r) / 2, r.bottom - H - 35}; break;
    default: out = {0, 0}; break;
    }
}

void CMJMainGame2::OnSize()
{
    // Every tile, panel and control moves: the next frame paints the whole view, and what each
    // asks to repaint after this is within it.
    FullRedraw();
    // The scene's places (hand, anchors, buttons) follow the tiles' scale.
    splitterInLayout_.reset();
    splitterInLayout_ = GetSplitterFlag();
    ComputeTileMetrics(TileScale(GetViewWidth(), *splitterInLayout_));
    for (int seat = 0; seat < kSeatCount; ++seat) {
        RecalcLayout(seat, wallAreas_[size_t(seat)]);
        OnLayoutChanged(seat, discardAreas_[size_t(seat)]);
    }
    PlaceCentre();
    Rect hand;
    GetHandRect(kOwnSeat, hand);
    const TableEdges edges = Edges(hand);
    // On a crowded table the discards are drawn smaller, as far as each panel then finds room
    // clear of a whole deal's discards (their rows shrink towards the seat's wall). Only the
    // discards' boxes and the panels' search follow the scale: the rest is placed once, after.
    static constexpr double kDiscardScales[] = {1.0, 0.85, 0.7};
    static_assert(std::size(kDiscardScales) == std::tuple_size_v<decltype(panelsCrowded_)> + 1);
    PanelPlaces panels;
    PictureSizes pictures;
    for (size_t i = 0; i < std::size(kDiscardScales); ++i) {
        discardScale_ = kDiscardScales[i];
        ComputeGroupBoxes(pictures, i > 0);
        ListWhatIsRead();
        const bool last = i + 1 == std::size(kDiscardScales);
        if (!FindPanelPlaces(edges, panels, !last, last ? nullptr : &panelsCrowded_[i]))
            break;
    }
    PlaceControls(edges, panels);
    ResetAnimations(viewMode);
    FollowLayout();
    splitterInLayout_.reset();
}

void CMJMainGame2::ComputeGroupBoxes(PictureSizes& pictures, bool discardsOnly)
{
    TileLayoutInput base;
    base.table = GetTableRect();
    base.surfaceWidth = GetViewWidth();
    base.surfaceHeight = GetViewHeight();
    base.margins = ComputeTileMargins(base.surfaceWidth, base.surfaceHeight);
    base.metrics = metrics_;
    base.layoutMode = viewMode;
    base.fullHand = GetFullHandTiles();
    if (!discardsOnly) {
        rightColumnLift_ = 0;
        // Room for every picture a layout's looks name (a few a seat), grown once.
        pictures.reserve(32);
    }
    // A tile's picture as its view would choose and size it (every face of a set is as large), found
    // once for each of a seat's few looks rather than once a tile.
    TilePictureInput picture;
    picture.tile = 0;
    picture.layoutMode = viewMode;
    picture.surfaceWidth = base.surfaceWidth;
    picture.surfaceHeight = base.surfaceHeight;
    picture.table = base.table;
    picture.splitterFlag = GetSplitterFlag();
    picture.discardScale = discardScale_;
    struct Sized {
        TileLook look;
        std::pair<double, double> size;
    };
    // A seat's groups ask for at most this many looks.
    constexpr size_t kLooks = 9;
    struct SeatLooks {
        std::array<Sized, kLooks> sized;
        size_t count = 0;
    };
    std::array<SeatLooks, kSeatCount> looks;
    int seat = 0; // the seat measured
    const auto size = [&](const TileLook& look) -> std::pair<double, double> {
        SeatLooks& known = looks[size_t(seat)];
        const auto end = known.sized.begin() + ptrdiff_t(known.count);
        if (const auto at = std::find_if(known.sized.begin(), end, [&](const Sized& s) { return s.look == look; }); at != end)
            return at->size;
        picture.state = look.state;
        picture.seat = seat;
        picture.faceUp = look.faceUp;
        picture.inHand = look.inHand;
        picture.facing = look.facing;
        const TilePicture chosen = ChooseTilePicture(picture);
        // Of no size where the look has no picture. A picture not found is asked again each time,
        // as its log says each time.
        std::pair<int, int> whole{0, 0};
        if (!chosen.name.empty()) {
            if (const auto same = std::find_if(pictures.begin(), pictures.end(), [&](const auto& p) { return p.first == chosen.name; });
                same != pictures.end())
                whole = same->second;
            else if (PictureInfo info; GetRes(info, chosen.name.c_str(), 0).image) {
                whole = {int(info.width), int(info.height)};
                pictures.emplace_back(chosen.name, whole);
            }
        }
        const std::pair sized{whole.first * chosen.scale, whole.second * chosen.scale};
        if (known.count < kLooks)
            known.sized[known.count++] = {look, sized};
        return sized;
    };
    // By reference: a copy of the lambda would not fit in the function's own room.
    const TileSizeOf sizeOf = std::ref(size);
    const auto measure = [&](int measured, std::initializer_list<TileGroup> groups) {
        seat = measured;
        base.columnLift = GetColumnLift(seat);
        base.wallArea = wallAreas_[size_t(seat)];
        base.discardArea = discardAreas_[size_t(seat)];
        for (const TileGroup group : groups)
            groupBoxes_[size_t(seat)][size_t(group)] = GroupExtent(seat, group, base, sizeOf);
    };
    for (int s = 0; s < kSeatCount; ++s)
        if (discardsOnly)
            measure(s, {TileGroup::Discards});
        else
            measure(s, {TileGroup::HandAndMelds, TileGroup::Discards, TileGroup::Wall});
    if (discardsOnly) // the hands and the right column's lift do not follow the discards' scale
        return;
    // Where the own hand runs under the right seat's column (a low, narrow table), the column
    // stands higher: the own tile raised under the pointer covers none of its tiles. Only its hand
    // and melds move with it.
    const Rect &right = groupBoxes_[2][0], &own = groupBoxes_[kOwnSeat][0];
    if (BoxesOverlap(right, own)) {
        rightColumnLift_ = right.bottom - own.top + kControlGap;
        measure(2, {TileGroup::HandAndMelds});
    }
}

Rect CMJMainGame2::SeatTilesBox(int seat, TileGroup group) const
{
    return IsSeat(seat) ? groupBoxes_[size_t(seat)][size_t(group)] : Rect{};
}

CMJMainGame2::WordPlace CMJMainGame2::LabelPlace(int seat, int width, int height, const BITObject* apart)
{
    TablePoint anchor;
    GetSeatAnchor(anchor, seat);
    if (!IsSeat(seat))
        return {anchor};
    // A word's ink, the picture's upper half down to kLabelLift above its middle, at its size shown.
    const auto ink = [](int w, int h, double scale) {
        return Rect{-w / 2, -h / 2, w - w / 2, std::max(-h / 2 + 1, -int(std::lround(kLabelLift * scale)))};
    };
    // Another seat's word that shows and an open board count as the list's items while they stand.
    std::vector<Rect> also;
    if (apart && apart->IsActive()) {
        PictureInfo own;
        apart->GetPictureInfo(own);
        const int w = int(apart->GetWidth()), h = int(apart->GetHeight());
        also.push_back(BoxAt(ink(w, h, own.height > 0 ? h / double(own.height) : 1.0), {int(apart->GetX()), int(apart->GetY())}));
    }
    also.push_back(OpenBoardBox());
    // The other seats' discards as they lie: a word fades long before they grow, so where they
    // leave no room at their fullest it still keeps off the tiles thrown so far.
    std::array<std::optional<Rect>, kSeatCount> thrown;
    for (const CMJCard2* t : pool)
        if (const PObject* body = t && t->seat != seat && IsSeat(t->seat) && t->state == kTileDiscard ? t->GetBodyPicture() : nullptr;
            body && body->IsActive())
            Enclose(thrown[size_t(t->seat)], *body);
    // A word reads as the seat's whose tiles it stands nearest: nearer its hand or discards than any
    // other seat's.
    Rect word; // the try's ink about its place
    const auto& ownBoxes = groupBoxes_[size_t(seat)];
    const std::array<Rect, 2> ownTiles{ownBoxes[size_t(TileGroup::HandAndMelds)], ownBoxes[size_t(TileGroup::Discards)]};
    std::array<Rect, kSeatCount - 1> otherHands;
    for (int other = 0, k = 0; other < kSeatCount; ++other)
        if (other != seat)
            otherHands[size_t(k++)] = groupBoxes_[size_t(other)][size_t(TileGroup::HandAndMelds)];
    const AcceptOrRefuseAround bySeat = [&](const Rect& r, Rect& around) {
        return NearestToOwn(r, word, ownTiles, otherHands, around);
    };
    // Clear of all it reads where there is room; else over the other seats' discards to come, then
    // smaller, then over those thrown (the winner's word stands till the hand ends: it would hide
    // them); else over any tile, but never under a board, a panel, a button or another word: never
    // back on its anchor.
    struct Try {
        Keep level;
        bool offThrown;
        double scale;
    };
    static constexpr Try kTries[] = {{Keep::IfRoom, true, 1.0}, {Keep::Firm, true, 1.0}, {Keep::Firm, true, 0.8},
                                     {Keep::Firm, true, 0.6},   {Keep::Firm, false, 1.0}, {Keep::Always, false, 1.0}};
    constexpr int kLabelStep = 4;
    const Rect table = GetTableRect();
    for (const bool near : {true, false})
        for (const Try& t : kTries) {
            std::vector<Rect> clear = readList_.ClearOf(ReadKind::ClaimWord, seat, t.level);
            clear.insert(clear.end(), also.begin(), also.end());
            for (const std::optional<Rect>& box : thrown)
                if (box && t.offThrown)
                    clear.push_back(*box);
            word = ink(int(std::lround(width * t.scale)), int(std::lround(height * t.scale)), t.scale);
            if (const std::optional<TablePoint> place =
                    NearestClearPlace(anchor, word, table, clear, kLabelStep, near ? bySeat : nullptr))
                return {*place, t.scale};
        }
    // Nothing clear of every button and word: still never on a panel, under a board or over another
    // seat's hand.
    std::vector<Rect> clear;
    for (const ReadItem& item : readList_.Items())
        if (item.kind == ReadKind::Panel || item.kind == ReadKind::Board ||
            (item.kind == ReadKind::Hand && item.seat != seat))
            clear.push_back(item.box);
    clear.push_back(OpenBoardBox());
    return {NearestClearPlace(anchor, ink(width, height, 1.0), table, clear, kLabelStep).value_or(anchor)};
}

void CMJMainGame2::PlaceWord(BITObject* word, int seat, const BITObject* apart)
{
    PictureInfo own;
    word->GetPictureInfo(own);
    const WordPlace place = LabelPlace(seat, own.width, own.height, apart);
    const double w = std::lround(own.width * place.scale), h = std::lround(own.height * place.scale);
    if (word->GetWidth() != w || word->GetHeight() != h)
        word->SetSize(w, h);
    Place(word, place.at.x, place.at.y);
}

TablePoint CMJMainGame2::BoardPlace(int width, int height)
{
    const Rect table = GetTableRect();
    const TablePoint centre{(table.left + table.right) / 2, (table.top + table.bottom) / 2};
    const Rect box{-width / 2, -height / 2, width - width / 2, height - height / 2};
    for (const Keep level : {Keep::Firm, Keep::Always})
        if (const auto place =
                NearestClearPlace(centre, box, table, readList_.ClearOf(ReadKind::Board, -1, level), kBoardStep))
            return *place;
    // Nothing clear of the panels: as near the middle as stands whole inside (its top left, if too large).
    return {std::max(std::min(centre.x, table.right - box.right), table.left - box.left),
            std::max(std::min(centre.y, table.bottom - box.bottom), table.top - box.top)};
}

void CMJMainGame2::FollowLayout()
{
    // The offered claim buttons once the tiles are laid, before the words that keep clear of them.
    PlaceOfferedClaims();
    auto* label = lastActionImageId && IsSeat(labelSeat_) ? dynamic_cast<BITObject*>(FindById(lastActionImageId)) : nullptr;
    if (label)
        PlaceWord(label, labelSeat_, nullptr);
    if (winPicture && winPicture->IsActive() && IsSeat(winSeat_))
        PlaceWord(winPicture, winSeat_, labelSeat_ != winSeat_ ? label : nullptr);
    // The pointer stands on its meld's claimed tile, which the layout has just moved.
    if (claimPointer && claimPointer->IsActive())
        ShowArrow(tableBlock[0], tableBlock[1]);
}

void CMJMainGame2::OnSizeDone()
{
    if (players[kOwnSeat])
        players[kOwnSeat]->SetChair(OwnChair());
}

void CMJMainGame2::Place(PObject* object, int x, int y)
{
    if (!object)
        return;
    object->MoveTo(x, y);
    object->Redraw();
}

void CMJMainGame2::ListWhatIsRead()
{
    readList_.Clear();
    for (int seat = 0; seat < kSeatCount; ++seat)
        for (const auto& [group, kind] : {std::pair{TileGroup::HandAndMelds, ReadKind::Hand},
                                          {TileGroup::Discards, ReadKind::Discards}, {TileGroup::Wall, ReadKind::Wall}})
            readList_.Add(kind, seat, groupBoxes_[size_t(seat)][size_t(group)]);
    // The info boards' lines where each stands when it shows: the small one in the table's top left
    // corner at the start of play, the big one on the centre box.
    const Rect table = GetTableRect();
    PictureInfo board;
    GetRes(board, "bit_infoboard_small", 0);
    readList_.Add(ReadKind::BoardLine, -1, {table.left, table.top, table.left + board.width + 8, table.top + board.height + 8});
    GetRes(board, "bit_infoboard", 0);
    const Rect box = CentreBox();
    const int cx = box.left + Width(box) / 2, cy = box.top + Height(box) / 2;
    readList_.Add(ReadKind::BoardLine, -1,
                  {cx - board.width / 2, cy - board.height / 2, cx + board.width / 2, cy + board.height / 2});
    if (slogan)
        readList_.Add(ReadKind::BoardLine, -1, BoxOf(*slogan));
    if (clockDigits)
        readList_.Add(ReadKind::Clock, -1, BoxOf(*clockDigits));
    for (const BITObject* die : dice)
        if (die)
            readList_.Add(ReadKind::Dice, -1, BoxOf(*die));
}

void CMJMainGame2::PlaceCentre()
{
    const Rect table = GetTableRect();
    const Rect box = CentreBox();
    const int cx = box.left + Width(box) / 2, cy = box.top + Height(box) / 2;
    // Clock, dice, pointer animations at the centre box, before anything keeps clear of them.
    Place(clockHand, cx, cy);
    // The digit board lays its plane out from its own position: it is placed, not its plane. The
    // seconds stand in the dial's middle, inside the ring the pointer turns on.
    Place(clockDigits, cx, cy);
    for (size_t i = 0; i < dice.size(); ++i)
        Place(dice[i], cx - 45 + int(i) * 30, cy);
    Place(waitAnimation, cx, cy);
    if (slogan)
        Place(slogan, table.left + Width(table) / 2, table.top + slogan->GetHeight() / 2 + 4);
}

void CMJMainGame2::PlaceControls(const TableEdges& edges, const PanelPlaces& panels)
{
    const Rect table = GetTableRect();
    const Rect box = CentreBox();
    const int cx = box.left + Width(box) / 2, cy = box.top + Height(box) / 2;
    const Rect& hand = edges.hand;
    // The panels, where they stand whatever is offered; the claim buttons offered follow the tiles
    // (FollowLayout). Start and ask-to-see stand in the middle.
    ApplyPanelPlaces(panels);
    // On a low table the bottom wall comes near the hand: the start button keeps below the wall's
    // tiles (their centres stand on the wall area's bottom edge, the odd ones lower by TM37).
    int startY = hand.top - 60;
    if (CXyStandButton* start = buttons[kBtnStart]; start && start->GetBody()) {
        const int wallBottom = wallAreas_[kOwnSeat].bottom + metrics_[37] + metrics_[36];
        startY = std::max(startY, wallBottom + kControlGap + int(start->GetBody()->GetHeight()) / 2);
    }
    Place(buttons[kBtnStart], table.left + Width(table) / 2, startY);
    Place(buttons[kBtnAskView], table.left + Width(table) / 2 + 100, startY);
    // The skill bar at the bottom right with its buttons inside it, in the margin below the own
    // hand (35 pixels at least): on a small table the hand runs the table's whole width.
    if (skillBar) {
        const int sx = table.right - skillBar->GetWidth() / 2 - 8, sy = table.bottom - skillBar->GetHeight() / 2 - 2;
        Place(skillBar, sx, sy);
        Place(buttons[kBtnAutoPlay] ? buttons[kBtnAutoPlay]->GetBody() : nullptr, sx - 30, sy);
        Place(buttons[kBtnVolume] ? buttons[kBtnVolume]->GetBody() : nullptr, sx + 20, sy);
        Place(buttons[kBtnSort] ? buttons[kBtnSort]->GetBody() : nullptr, sx + 52, sy);
        Place(buttons[kBtnHideSkill] ? buttons[kBtnHideSkill]->GetBody() : nullptr, sx - 78, sy);
        Place(buttons[kBtnShowSkill] ? buttons[kBtnShowSkill]->GetBody() : nullptr, table.right - 12, sy);
        if (volumeBoard) {
            // Above the skill bar at the right, or the nearest place from there that leaves every
            // hand in sight: the board stays open while the player plays on.
            const int w = int(volumeBoard->GetWidth()), h = int(volumeBoard->GetHeight());
            const TablePoint want{table.right - w / 2 - 8, int(sy - skillBar->GetHeight() / 2 - h / 2 - 4)};
            const Rect box{-w / 2, -h / 2, w - w / 2, h - h / 2};
            std::optional<TablePoint> at;
            for (const Keep level : {Keep::Firm, Keep::Always}) { // on a small table, the own hand at least
                std::vector<Rect> clear = readList_.ClearOf(ReadKind::Board, -1, level);
                clear.push_back(BoxOf(*skillBar));
                if ((at = NearestClearPlace(want, box, table, clear, 4)))
                    break;
            }
            const int vx = at.value_or(want).x, vy = at.value_or(want).y;
            Place(volumeBoard, vx, vy);
            const int left = int(vx - volumeBoard->GetWidth() / 2), top = int(vy - volumeBoard->GetHeight() / 2);
            Place(buttons[kBtnVolumeOn] ? buttons[kBtnVolumeOn]->GetBody() : nullptr, left + 30, top + 40);
            Place(buttons[kBtnVolumeOn2] ? buttons[kBtnVolumeOn2]->GetBody() : nullptr, left + 30, top + 40);
            for (int i = 0; i < 2; ++i)
                if (volumeSliders[size_t(i)] && volumeSliders[size_t(i)]->GetBody())
                    Place(volumeSliders[size_t(i)]->GetBody(), left + (i ? 160 : 56), top + 151 - 50);
        }
    }
    if (sortPicture)
        Place(sortPicture, hand.left + Width(hand) / 2, hand.top - 20);
    if (infoBoardBig)
        Place(infoBoardBig, cx, cy);
    if (infoBoardSmall)
        Place(infoBoardSmall, table.left + infoBoardSmall->GetWidth() / 2 + 4,
              table.top + infoBoardSmall->GetHeight() / 2 + 4);
}

CMJMainGame2::TableEdges CMJMainGame2::Edges(const Rect& hand)
{
    const Rect table = GetTableRect();
    const TileMargins margins = ComputeTileMargins(GetViewWidth(), GetViewHeight());
    const Rect& right = discardAreas_[2];
    TableEdges e;
    e.table = table;
    e.hand = hand;
    e.leftColumn = table.left + margins.side + 35 + metrics_[8];
    e.rightColumn = table.right - margins.side - 35 - metrics_[14];
    e.topRowBottom = table.top + margins.vert + 35 + metrics_[23] + metrics_[24];
    e.rightDiscardsRight = right.right - metrics_[45] / 2;
    e.rightDiscardsBottom = right.bottom + metrics_[44];
    const PObject* face = buttons[kBtnPass] ? buttons[kBtnPass]->GetBody() : nullptr;
    e.claimSize = face ? int(face->GetHeight()) : kClaimButtonStep - kControlGap;
    return e;
}

void CMJMainGame2::PlaceClaimButtons(const TableEdges& e, bool offeredOnly)
{
    static constexpr ButtonSlot kClaims[] = {kBtnPass, kBtnHu, kBtnGang, kBtnPeng, kBtnChi};
    // The buttons offered, side by side with 过 on the right, once the panels stand (none offered:
    // nothing to do); before that, all of them, a place held in the list that the panels keep clear of.
    std::vector<CXyStandButton*> shown;
    for (ButtonSlot slot : kClaims)
        if (CXyStandButton* b = buttons[slot]; b && b->GetBody() && (b->IsActive() || !offeredOnly))
            shown.push_back(b);
    readList_.Remove(ReadKind::ClaimButton, !offeredOnly);
    if (shown.empty())
        return;
    // Where nothing by the own hand is clear, the buttons shrink rather than stand over tiles.
    const double natural = e.claimSize / claimScale_;
    int size = e.claimSize, step = kClaimButtonStep;
    const int n = int(shown.size());
    // A player reads a button as the hand's it stands nearest: each centre nearer the own hand than
    // any other seat's tiles or panel.
    std::vector<Rect> others;
    for (const ReadItem& item : readList_.Items())
        if (IsSeat(item.seat) && item.seat != kOwnSeat)
            others.push_back(item.box);
    const Rect& ownHand = groupBoxes_[kOwnSeat][size_t(TileGroup::HandAndMelds)];
    // A search weighs the others that can come nearer than the own hand somewhere in its area alone,
    // in whole numbers; the one that turned the last place down first, as it most often turns down
    // the next one too.
    // One list for every try: each takes it anew.
    std::vector<Rect> nearOthers;
    const auto inReach = [&](const Rect& area) {
        int64_t farthest = 0;
        for (const int x : {area.left, area.right})
            for (const int y : {area.top, area.bottom})
                farthest = std::max(farthest, SquaredGap({x, y, x, y}, ownHand));
        nearOthers.clear();
        for (const Rect& o : others)
            if (CompareRootPlus(farthest, kByHandMargin, SquaredGap(area, o)) > 0)
                nearOthers.push_back(o);
    };
    // Whether a button centred at `c` is by the own hand; where not, `around` takes the centres about
    // it that are not either.
    const auto byHand = [&](TablePoint c, Rect& around) {
        const Rect at{c.x, c.y, c.x, c.y};
        const int64_t gap = SquaredGap(at, ownHand);
        for (size_t k = 0; k < nearOthers.size(); ++k)
            if (const int reach = ShortfallReach(gap, kByHandMargin, SquaredGap(at, nearOthers[k])); reach >= 0) {
                std::swap(nearOthers[0], nearOthers[k]);
                around = {c.x - reach, c.y - reach, c.x + reach, c.y + reach};
                return false;
            }
        return true;
    };
    // Side by side from the right (bottom) button, whose centre is the place found: `across` in a
    // row, rows stacked upwards.
    const auto centreOf = [&](TablePoint last, int across, int i) {
        return TablePoint{last.x - i % across * step, last.y - i / across * (size + 2)};
    };
    const auto shapeOf = [&](int across) {
        const int rows = (n + across - 1) / across;
        return Rect{-(across - 1) * step - size / 2, -(rows - 1) * (size + 2) - size / 2, size - size / 2, size - size / 2};
    };
    const auto accept = [&](int across, const Rect& area) {
        // The button that turned the last place down is asked first: the next place is near it.
        // Each button's centre from the place, found once a search rather than once a place.
        std::array<TablePoint, std::size(kClaims)> from{};
        for (int i = 0; i < n; ++i)
            from[size_t(i)] = centreOf({0, 0}, across, i);
        // Where each button was last found short of the own hand, and about it (none yet).
        std::array<Rect, std::size(kClaims)> shortAt;
        shortAt.fill(Rect{1, 1, 0, 0});
        // Turned down, the places about it where that button's centre stays short are given back:
        // the search passes over them.
        inReach(area);
        return [&, from, first = 0, shortAt](const Rect& r, Rect& refusedAround) mutable {
            const TablePoint last{r.right - (size - size / 2), r.bottom - (size - size / 2)};
            for (int k = 0, i = first; k < n; ++k, i = i + 1 < n ? i + 1 : 0) {
                const TablePoint f = from[size_t(i)], c{last.x + f.x, last.y + f.y};
                Rect& known = shortAt[size_t(i)];
                if ((c.x >= known.left && c.x <= known.right && c.y >= known.top && c.y <= known.bottom) ||
                    !byHand(c, known)) {
                    first = i;
                    refusedAround = {known.left - f.x, known.top - f.y, known.right - f.x, known.bottom - f.y};
                    return false;
                }
            }
            return true;
        };
    };
    // Nobody throws or draws while claims are offered: the own discards and wall are kept clear of as
    // they lie now (the layout places the buttons once the tiles are laid), not at their fullest. So
    // is the own hand, which may lie past its listed box where it was laid at a scale the last
    // layout did not know; its tiles are laid by then only when the buttons offered are placed.
    std::array<std::optional<Rect>, 3> lying; // the discards, the wall, the hand
    for (const CMJCard2* t : pool)
        if (const PObject* body = t && t->seat == kOwnSeat ? t->GetBodyPicture() : nullptr;
            body && body->IsActive() &&
            (t->state == kTileDiscard || t->state == kTileWall || (offeredOnly && t->state == kTileHand)))
            Enclose(lying[t->state == kTileWall ? 1 : t->state == kTileHand ? 2 : 0], *body);
    // Just above the hand's right half, in one row, else in fewer a row; else anywhere by the hand,
    // clear of every tile; else smaller. Nothing clear even so: at the smallest, where it would be.
    std::optional<TablePoint> at;
    int across = n;
    TablePoint want;
    static constexpr double kClaimScales[] = {1.0, 0.8, 0.6, 0.45};
    for (const double scale : kClaimScales) {
        // Of even sizes: a face centred on its place covers whole pixels.
        size = 2 * int(std::round(natural * scale / 2)), step = int(std::round(kClaimButtonStep * scale));
        const int lowest = e.hand.top - int(kClaimRowLift * scale) + size / 2;
        want = {e.hand.right - kControlGap - size / 2, lowest - size / 2};
        const Rect near{std::max(e.table.left, e.hand.left - 3 * size), std::max(e.table.top, e.hand.top - 5 * size),
                        std::min(e.table.right, e.hand.right + 3 * size), e.table.bottom};
        const auto clearOf = [&](Keep level) {
            std::vector<Rect> clear = readList_.ClearOf(ReadKind::ClaimButton, kOwnSeat, level);
            for (const std::optional<Rect>& box : lying)
                if (box)
                    clear.push_back(*box);
            // The skill bar and its buttons, pressed there.
            if (skillBar && skillBar->IsActive())
                clear.push_back(BoxOf(*skillBar));
            for (ButtonSlot slot : {kBtnHideSkill, kBtnShowSkill})
                if (const PObject* face = buttons[slot] ? buttons[slot]->GetBody() : nullptr; face && face->IsActive())
                    clear.push_back(BoxOf(*face));
            return clear;
        };
        // Clear of what is kept clear of if there is room, else of what always is: the first try that
        // finds a place at the firmer level, else the first at the looser one. What the looser level
        // keeps clear of is part of what the firmer one does, so a try that finds nothing at the looser
        // finds nothing at the firmer either, and its place there, if clear at the firmer, is the
        // firmer's nearest too: each try is searched once where it can, twice at most.
        const std::vector<Rect> firm = clearOf(Keep::IfRoom), loose = clearOf(Keep::Always);
        std::optional<std::pair<TablePoint, int>> looseFirst;
        for (const bool inBand : {true, false}) {
            for (int perRow = n; perRow >= 1 && !at; --perRow) {
                const Rect shape = shapeOf(perRow);
                const Rect area =
                    inBand ? Rect{e.table.left, std::max(e.table.top, lowest - size - Height(shape)), e.table.right, lowest}
                           : near;
                const int gridStep = inBand ? 2 : 4;
                auto byHandTry = accept(perRow, area);
                // By reference: a copy of the try would not fit in the function's own room.
                const AcceptOrRefuseAround byHandHere = std::ref(byHandTry);
                const std::optional<TablePoint> place = NearestClearPlaceIn(want, shape, {&area, 1}, loose, gridStep, byHandHere);
                if (!place)
                    continue;
                if (!looseFirst)
                    looseFirst = {*place, perRow};
                const Rect placed = BoxAt(shape, *place);
                at = std::none_of(firm.begin(), firm.end(), [&](const Rect& k) { return BoxesOverlap(placed, k); })
                    ? place
                    : NearestClearPlaceIn(want, shape, {&area, 1}, firm, gridStep, byHandHere);
                across = perRow;
            }
            if (at)
                break;
        }
        if (!at && looseFirst) {
            at = looseFirst->first;
            across = looseFirst->second;
        }
        if (at)
            break;
    }
    if (!at)
        across = n;
    if (const double scale = double(size) / natural; scale != claimScale_) {
        for (ButtonSlot slot : kClaims)
            if (PObject* face = buttons[slot] ? buttons[slot]->GetBody() : nullptr)
                face->SetSize(2 * std::round(face->GetWidth() / claimScale_ * scale / 2),
                              2 * std::round(face->GetHeight() / claimScale_ * scale / 2));
        claimScale_ = scale;
    }
    const TablePoint first = at.value_or(want);
    for (int i = 0; i < n; ++i) {
        const TablePoint c = centreOf(first, across, i);
        Place(shown[size_t(i)], c.x, c.y);
        readList_.Add(ReadKind::ClaimButton, kOwnSeat, BoxOf(*shown[size_t(i)]->GetBody()), !offeredOnly);
    }
}

void CMJMainGame2::PlaceOfferedClaims()
{
    Rect hand;
    GetHandRect(kOwnSeat, hand);
    PlaceClaimButtons(Edges(hand), true);
}

void CMJMainGame2::ResetAnimations(int mode)
{
    viewMode = mode;
    // The tiles read the surface, the table and the metrics once between them.
    TilePass pass(*this, GetViewWidth(), GetViewHeight());
    // After a frame the pool's objects are out of the processor's caches: the tile two ahead is
    // asked for while this one updates (at 1920x1080 a quarter of the layout's time).
    constexpr size_t kAhead = 2;
    for (size_t i = 0; i < pool.size(); ++i) {
        if (i + kAhead < pool.size() && pool[i + kAhead])
            pool[i + kAhead]->Prefetch();
        if (CMJCard2* t = pool[i]) {
            t->layoutMode = mode;
            t->Update();
        }
    }
}

} // namespace Lumora
