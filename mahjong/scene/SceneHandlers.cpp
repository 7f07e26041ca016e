// The table scene's notification handlers: tiles move between wall, hands, the middle and the
// discard areas, melds appear, the clock and the arrow move, claim buttons appear, and system
// lines are shown. Each handler first checks its record: the length, and every chair, seat,
// wall position, tile and count it uses; a record that does not fit is dropped with a log line
// and changes nothing.
//
// One thrown tile lies in the middle at a time: before a seat's thrown tile is set, a tile
// still in that seat's slot goes to its discards, and a draw parks every thrown tile, so a turn
// that skips seats leaves no tile behind.
#include "mahjong/scene/CMJMainGame2.h"

#include "framework/connection/Record.h"
#include "framework/frame/CXyAskDlgs.h"
#include "framework/scene/GameWinApp.h"
#include "mahjong/frame/CMJGameFrame.h"
#include "mahjong/MahjongEvents.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/data/CMJGameData2.h"
#include "mahjong/notify/CMJGameNotify2.h"
#include "engine/util/HostServices.h"
#include "platform/Clock.h"
#include "widgets/AppServices.h"
#include "widgets/ChatMarkup.h"

#include <algorithm>
#include <cstdio>

namespace Lumora {

namespace {

constexpr int kMaxChairs = 4;
constexpr int kActionPeng = 1, kActionGangConcealedAnnounce = 5, kActionGang = 7, kActionChi = 9;
constexpr int kActionAnGang = 3, kActionFlower = 13;
constexpr uint32_t kMsgBackOnline = 19840324, kMsgOffline = 19840325, kMsgAutoOn = 19840329, kMsgAutoOff = 19840330;
constexpr uint32_t kMsgFirst = 19840324, kMsgLast = 19840332, kMsgHookFirst = 19840335, kMsgHookLast = 19840337;

std::string Format(const char* format, auto... args)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

MeldRecord ToMeld(const uint8_t* data, size_t length)
{
    MeldRecord m;
    RecordReader r(data, length);
    for (size_t i = 0; i < m.w.size() && (i + 1) * 4 <= length; ++i)
        m.w[i] = r.I32(i * 4);
    return m;
}

} // namespace

uint64_t CMJMainGame2::NowMs() { return platform::CurrentClock().NowMs(); }

// ---- checks ----

void CMJMainGame2::Drop(uint32_t id, const char* why)
{
    Log(Format("notification %u dropped: %s", unsigned(id), why).c_str());
}

bool CMJMainGame2::NeedRecord(uint32_t id, size_t length, size_t need)
{
    if (length >= need)
        return true;
    Drop(id, Format("%zu bytes, needs %zu", length, need).c_str());
    return false;
}

bool CMJMainGame2::ValidChair(int chair) const
{
    const int chairs = chairCount > 0 && chairCount <= kMaxChairs ? chairCount : kMaxChairs;
    return chair >= 0 && chair < chairs;
}

// ---- small steps shared by the handlers ----

TileArray CMJMainGame2::StoredChairTiles(int chair, bool (*valid)(int))
{
    TileArray list;
    ClearTileArray(list);
    if (CMJGameData2* info = GetSceneGameInfo())
        info->GetChairTiles(chair, list.data());
    for (int32_t& t : list)
        if (!valid(t))
            t = kNoEntry;
    return list;
}

void CMJMainGame2::ParkStaleThrown(int seat)
{
    if (IsSeat(seat) && thrown[size_t(seat)]) {
        ParkThrownCard(seat);
        RefreshDiscards(seat);
    }
}

void CMJMainGame2::MakeThrownTile(int seat, CMJCard2& t, int tile)
{
    t.tile = tile;
    t.inHand = 0;
    t.faceUp = 1;
    t.placed = 1;
    t.seat = seat;
    t.z = kThrownZ;
    t.state = kTileThrown;
    thrown[size_t(seat)] = &t;
    Changed(&t);
}

void CMJMainGame2::ClockThrowTime()
{
    if (CMJGameData2* data = GetSceneGameInfo())
        SetClockValue(int(data->GetStartValue48()));
}

void CMJMainGame2::ClockClaimTime()
{
    if (CMJGameData2* data = GetSceneGameInfo())
        SetClockValue(int(data->GetStartValue9C()));
}

void CMJMainGame2::ArrowTo(int seat)
{
    PointTurnArrow(GetTurnArrowPos(), seat * 2);
    UpdateArrow();
}

void CMJMainGame2::SystemLine(const Markup& markup)
{
    if (IAppServices* app = GetAppServices())
        app->ShowSystemNotice(markup);
}

void CMJMainGame2::FlashHostWindow()
{
    ::FlashHostWindow(); // unless the window is in front
}

namespace {

// Names as the system lines paste them: escaped, so that a name's own tags show as written, and
// kept on one row (FormatMarkup takes them as the markup they are).
Markup ChairName(IAppServices* app, int chair)
{
    if (!app || chair < 0 || size_t(chair) >= GameUserRecord::kPlayerSlots)
        return {};
    return UnbrokenMarkup(app->GetPlayerRecords()[size_t(chair)].Name());
}

Markup UserName(IAppServices* app, uint32_t userId)
{
    std::string name;
    if (app)
        app->GetUserNameByID(name, userId);
    return UnbrokenMarkup(name);
}

} // namespace

// ---- players ----

void CMJMainGame2::OnNotifyPlayerStarted(int chair)
{
    if (!ValidChair(chair)) {
        Drop(CMJGameNotify2::kPlayerStarted, "chair outside the table");
        return;
    }
    IAppServices* app = GetAppServices();
    if (chair != OwnChair())
        SystemLine(FormatMarkup("<c=%d> %s 已经开始\r\n", 8421504, ChairName(app, chair)));
    else if (!IsLookOnClient())
        ShowOwnStartSent(); // the server already counts the own start (an entry after it)
    const int seat = ChairToSeat(chair);
    if (IsSeat(seat) && players[size_t(seat)])
        players[size_t(seat)]->ShowReady(1);
}

void CMJMainGame2::OnNotifyPlayerOffline(uint32_t userId)
{
    IAppServices* app = GetAppServices();
    if (!app)
        return;
    const int chair = app->GetUserChairByID(userId);
    if (!ValidChair(chair) || app->IsLookOnUser(userId))
        return;
    if (chair == OwnChair() && !IsLookOnClient()) {
        SendGameMessage(kMsgOffline, nullptr, 0, 0);
        return;
    }
    SystemLine(FormatMarkup(" <z=zu系统通知> <c=%d>%s掉线了!\r\n", 0, ChairName(app, chair)));
    const int seat = ChairToSeat(chair);
    if (IsSeat(seat) && players[size_t(seat)])
        players[size_t(seat)]->SetOffline(1);
}

void CMJMainGame2::OnNotifyRoundStart()
{
    IAppServices* app = GetAppServices();
    CMJGameData2* data = GetSceneGameInfo();
    const int game = data ? int(data->GetStartValue20()) : 0;
    SystemLine(FormatMarkup("\r\n<c=%d><size=16><第%d桌,第%d局>\r\n", 16711680, app ? int(app->GetTableNO()) : 0, game));
    if (data && data->GetStartValue54())
        SystemLine(FormatMarkup("\r\n<size=12>【第%d局】基础银：<c=255>%d<>两\r\n", game, int(data->GetStartValue24())));
    else
        SystemLine(FormatMarkup("\r\n<size=12>【第%d局】基础分：<c=255>%d<>分\r\n", game, data ? int(data->GetStartValue28()) : 0));
    ResetTable();
    // Every chair is ready once the hand is dealt, whatever made the own one so: a ready notice
    // the client never saw must not leave the start button up all hand.
    handDealt_ = true;
    HideStartButton();
    // The deal says whether the seat panels count silver or score.
    OnTableRefreshed();
    CreateGameInfoBoardBig(1);
    HideWaitAnimation();
}

void CMJMainGame2::OnNotify211300()
{
    for (CMJPlayer2* panel : players)
        if (panel)
            panel->HideAnimation2();
    ShowWaitAnimation();
}

// ---- throw and draw ----

void CMJMainGame2::OnNotifyCardThrown(const uint8_t* data, size_t length)
{
    constexpr uint32_t id = CMJGameNotify2::kCardThrown;
    if (!NeedRecord(id, length, 88))
        return;
    RecordReader r(data, length);
    const int chair = r.I32(4), tile = r.I32(84);
    const int seat = ChairToSeat(chair);
    if (!ValidChair(chair) || !IsSeat(seat) || !ValidTile(tile) || tile == kNoTile) {
        Drop(id, "chair, seat or tile outside the table");
        return;
    }
    auto word = [&](int c) { return ValidChair(c) ? int32_t(r.U32(24 + size_t(c) * 4)) : 0; };
    const bool plays = !IsLookOnClient();
    CMJCard2* late = nullptr;
    if (plays && seat == kOwnSeat) {
        // The echo of the own throw is shown already. Any other throw of this chair is one the
        // server made for it (its time ran out, or it plays the chair), also while a throw of
        // its own was on the way and then refused: the tile leaves the hand, drawn or not. An
        // own throw that reached the server only on the chair's next turn was shown and filed
        // on the turn before: it comes back to the middle, and this turn's draw joins the hand.
        CMJCard2* shown = thrown[kOwnSeat];
        if (shown && shown->tile == tile)
            return;
        late = TakeDiscard(kOwnSeat, tile);
        if (!late && FindTileSlot(kOwnSeat, tile) < 0)
            return;
    }
    PlayTableSound("SndThrow");
    PlayTileVoice(seat, tile);

    ParkStaleThrown(seat);
    CMJCard2* t = late;
    if (t) {
        RefreshDiscards(seat);
    } else if (!IsHandVisible(seat)) {
        t = Slot(seat, kDrawnSlot);
        if (t)
            hands[size_t(seat)][kDrawnSlot] = nullptr;
        else
            t = PopTopHandTile(seat); // a hand that threw without drawing (after a claim)
    } else {
        t = TakeTileFromHand(seat, tile);
        if (!t)
            t = PopTopHandTile(seat);
    }
    if (t) {
        MakeThrownTile(seat, *t, tile);
    } else {
        Drop(id, "the thrower holds no tile to throw");
    }
    // A shown hand whose last concealed tile waits in the drawn slot (a claim left it there, then
    // the other tile went) has no tile in slot 1: the tile still goes back into the row, or the
    // next draw lands on it.
    if (const CMJCard2* drawn = Slot(seat, kDrawnSlot); IsHandVisible(seat) || (drawn && drawn->tile != kNoTile))
        InsertCaughtCard(seat);
    RefreshHand(seat);

    SetHandMode(kHandNormal);
    ClockClaimTime();
    playBlock[kMustThrow] = 0;
    playBlock[kJustThrown] = 1;
    PointTurnArrow(seat * 2, PrevSeat(seat) * 2);
    UpdateArrow();
    if (!plays || seat == kOwnSeat)
        return;

    int sideA = -1, sideB = -1;
    GetSideSeats2(seat, sideA, sideB);
    const int own = word(SeatToChair(kOwnSeat));
    const int wordA = IsSeat(sideA) ? word(SeatToChair(sideA)) : 0;
    const int wordB = IsSeat(sideB) ? word(SeatToChair(sideB)) : 0;
    const bool three = playerCount == 3;
    CMJGameData2* gameData = GetSceneGameInfo();
    if (gameData && gameData->GetStartValue6C() && own == 0 && wordA == 0 && (three || wordB == 0)) {
        playBlock[kJustThrown] = 0;
        if (GetTurnArrowPos() == kOwnSeat * 2) {
            SetClockValue(1);
            return;
        }
    }
    TileArray hand;
    FindHandCard(kOwnSeat, hand);
    options = {};
    const int second = three ? (wordA >> 3) & 1 : (((wordA | wordB) >> 3) & 1);
    for (int i = kOptPeng; i <= kOptPass; ++i) {
        ClaimOption& o = options[size_t(i)];
        o.chair = chair;
        o.tile = tile;
        ClearTileArray(o.list);
        o.huFlag = second;
    }
    CanPengTile(hand, tile, options[kOptPeng].list);
    options[kOptPeng].count = CountTileArray(options[kOptPeng].list);
    CanGangTile(hand, tile, options[kOptGang].list);
    options[kOptGang].count = CountTileArray(options[kOptGang].list);
    if (PrevSeat(seat) == kOwnSeat) {
        CanChiTile(hand, tile, options[kOptChi].list);
        options[kOptChi].count = CountTileArray(options[kOptChi].list);
        options[kOptChi].huFlag = word(SeatToChair(2));
    }
    static constexpr int kBits[6] = {0, 0, 1, 2, 3, 5};
    for (int i = kOptPeng; i <= kOptPass; ++i) {
        options[size_t(i)].enabled = (own >> kBits[i]) & 1;
        ShowActionButton(i, options[size_t(i)].enabled);
    }
}

const char* CMJMainGame2::LostOwnDraw(const uint8_t* data, size_t length)
{
    const RecordReader r(data, length);
    if (length < 12 || IsLookOnClient() || ChairToSeat(r.I32(0)) != kOwnSeat || CanTakeDraw(kOwnSeat))
        return nullptr;
    if (const CMJCard2* drawn = Slot(kOwnSeat, kDrawnSlot); drawn && drawn->tile == r.I32(4))
        return nullptr; // the own draw, placed from the reply already
    Log(Format("draw of tile %d refused: the own hand has no room for it", r.I32(4)).c_str());
    return "a draw the own hand has no room for";
}

void CMJMainGame2::OnNotifyCardCaught(const uint8_t* data, size_t length)
{
    constexpr uint32_t id = CMJGameNotify2::kCardCaught;
    if (!NeedRecord(id, length, 12))
        return;
    RecordReader r(data, length);
    const int chair = r.I32(0), tile = r.I32(4), wallPos = r.I32(8);
    const int seat = ChairToSeat(chair);
    if (!ValidChair(chair) || !IsSeat(seat) || !ValidTile(tile) || wallPos < 0 || wallPos >= kCardPoolSize) {
        Drop(id, "chair, seat, tile or wall position outside the table");
        return;
    }
    if (const CMJCard2* drawn = Slot(kOwnSeat, kDrawnSlot);
        !IsLookOnClient() && seat == kOwnSeat && drawn && drawn->tile == tile)
        return; // the own draw, placed from the reply already
    PlayTableSound("SndCatch");
    for (int s = 0; s < kSeatCount; ++s)
        ParkStaleThrown(s);
    CatchWallCard(seat, wallPos, tile);
    playBlock[kMustThrow] = 1;
    // The turn first: the refresh gives each own tile its click from it.
    if (seat == kOwnSeat)
        playState = kPlayStateTurn;
    RefreshHand(seat);
    ClockThrowTime();
    ArrowTo(seat);
    HideArrow();
    if (seat == kOwnSeat && !IsLookOnClient() && length >= 16)
        ComputeOwnTurnOptions(r.I32(12));
}

void CMJMainGame2::OnNotify229165(const uint8_t*, size_t)
{
    // The server's time-out for the own chair: the step auto-play would take.
    playFlag229165 = 0;
    SetClockValue(0);
    AutoPlayStep();
}

// ---- claims ----

namespace {

struct Announce {
    int code;
    const char* voice;
};

} // namespace

void CMJMainGame2::OnNotifyPengAnnounced(const uint8_t* data, size_t length)
{
    if (!NeedRecord(CMJGameNotify2::kPengAnnounced, length, 16))
        return;
    const int seat = ChairToSeat(RecordReader(data, length).I32(12));
    if (!IsSeat(seat) || !ValidChair(SeatToChair(seat)))
        return Drop(CMJGameNotify2::kPengAnnounced, "chair outside the table");
    std::string name;
    GetActionImageName(name, kActionPeng);
    PlayActionImage(seat, name);
    PlayActionVoice(seat, "peng1");
}

void CMJMainGame2::OnNotifyChiAnnounced(const uint8_t* data, size_t length)
{
    if (!NeedRecord(CMJGameNotify2::kChiAnnounced, length, 16))
        return;
    const int seat = ChairToSeat(RecordReader(data, length).I32(12));
    if (!IsSeat(seat) || !ValidChair(SeatToChair(seat)))
        return Drop(CMJGameNotify2::kChiAnnounced, "chair outside the table");
    std::string name;
    GetActionImageName(name, kActionChi);
    PlayActionImage(seat, name);
    PlayActionVoice(seat, "chi1");
    ClockClaimTime();
}

void CMJMainGame2::OnNotifyGangAnnounced(const uint8_t* data, size_t length)
{
    constexpr uint32_t id = CMJGameNotify2::kGangAnnounced;
    if (!NeedRecord(id, length, 32))
        return;
    RecordReader r(data, length);
    const int chair = r.I32(0), from = r.I32(4), tile = r.I32(8), kind = r.I32(12);
    const int seat = ChairToSeat(chair);
    if (!ValidChair(chair) || !IsSeat(seat) || !ValidChair(from) || !ValidTile(tile))
        return Drop(id, "chair, seat or tile outside the table");
    std::string name;
    GetActionImageName(name, kind == 1 ? kActionGangConcealedAnnounce : kActionGang);
    PlayActionImage(seat, name);
    PlayActionVoice(seat, "gang2");
    if (kind == 2)
        ClockClaimTime();
    if (IsLookOnClient())
        return;
    const int own = OwnChair();
    if (ValidChair(own) && ((r.I32(16 + size_t(own) * 4) >> 3) & 1)) {
        ClaimOption& hu = options[kOptHu];
        hu.chair = from;
        hu.tile = tile;
        hu.gangKind = kind;
        hu.enabled = 1;
        options[kOptPass].chair = from;
        options[kOptPass].tile = tile;
        options[kOptPass].enabled = 1;
        ShowActionButton(kOptHu, 1);
        ShowActionButton(kOptPass, 1);
    }
}

bool CMJMainGame2::CheckMeld(uint32_t id, const uint8_t* data, size_t length, size_t need, int tiles)
{
    if (!NeedRecord(id, length, need))
        return false;
    RecordReader r(data, length);
    const int chair = r.I32(12), discarder = r.I32(16);
    if (!ValidChair(chair) || !IsSeat(ChairToSeat(chair)) || !ValidChair(discarder)) {
        Drop(id, "chair or seat outside the table");
        return false;
    }
    for (int i = 0; i < tiles; ++i) {
        const int t = r.I32(20 + size_t(i) * 4);
        if (!ValidTile(t) && !(i >= 3 && t == kNoEntry)) {
            Drop(id, "tile outside the table");
            return false;
        }
        // Every tile is one of its kind: a meld never names the same tile twice.
        for (int j = 0; j < i; ++j)
            if (t != kNoTile && t != kNoEntry && r.I32(20 + size_t(j) * 4) == t) {
                Drop(id, "the same tile named twice");
                return false;
            }
    }
    return true;
}

bool CMJMainGame2::HoldsConcealed(uint32_t id, int seat, std::initializer_list<int> tiles)
{
    if (seat != kOwnSeat || !IsHandVisible(seat))
        return true;
    // Each tile named takes a slot of its own: a tile named twice must be held twice.
    std::array<bool, kHandSlotCapacity> used{};
    for (int tile : tiles) {
        bool held = false;
        for (int slot = 0; slot < GetMaxHandCards() && !held; ++slot)
            if (CMJCard2* t = Slot(seat, slot);
                !used[size_t(slot)] && t && t->inHand && t->meldKind == kMeldNone && t->tile == tile)
                held = used[size_t(slot)] = true;
        if (!held) {
            Drop(id, "the own hand does not hold the meld's tiles");
            return false;
        }
    }
    return true;
}

void CMJMainGame2::LayPengOrChi(uint32_t id, int kind, const uint8_t* data, size_t length)
{
    if (!CheckMeld(id, data, length, 32, 3))
        return;
    const MeldRecord m = ToMeld(data, length);
    const int seat = ChairToSeat(m.Chair());
    if (!HoldsConcealed(id, seat, {m.Owner(0), m.Owner(1)}))
        return;
    // The claimer throws next. The turn first: laying the meld refreshes the hand, which gives
    // each own tile its click from it (a claim before the hand's first own turn left every tile
    // idle, and the clicks threw nothing until the server threw for the chair).
    playBlock[kMustThrow] = seat == kOwnSeat ? 1 : 0;
    if (seat == kOwnSeat)
        playState = kPlayStateTurn;
    AddMeld(seat, kind, m, 0);
    options = {};
    RefreshHand(seat);
    ShowArrow(seat, m.Claimed());
    ClockThrowTime();
    ArrowTo(seat);
}

void CMJMainGame2::OnNotifyPengCards(const uint8_t* data, size_t length)
{
    LayPengOrChi(CMJGameNotify2::kPengCards, kMeldPeng, data, length);
}

void CMJMainGame2::OnNotifyChiCards(const uint8_t* data, size_t length)
{
    LayPengOrChi(CMJGameNotify2::kChiCards, kMeldChi, data, length);
}

void CMJMainGame2::OnNotifyGangCards(uint32_t id, const uint8_t* data, size_t length)
{
    if (!CheckMeld(id, data, length, 48, 4))
        return;
    const MeldRecord m = ToMeld(data, length);
    const int seat = ChairToSeat(m.Chair());
    const int replacement = m.Replacement(), wallPos = m.w[11];
    if (replacement != kNoEntry && (!ValidTile(replacement) || wallPos < 0 || wallPos >= kCardPoolSize))
        return Drop(id, "replacement tile or wall position outside the table");
    const bool held = id == CMJGameNotify2::kMingGangCards ? HoldsConcealed(id, seat, {m.Owner(0), m.Owner(1), m.Owner(2)})
        : id == CMJGameNotify2::kBuGangCards               ? HoldsConcealed(id, seat, {m.Claimed()})
                                                           : HoldsConcealed(id, seat, {m.Claimed(), m.Owner(0), m.Owner(1), m.Owner(2)});
    if (!held)
        return;
    if (id == CMJGameNotify2::kMingGangCards) {
        AddMingGang(seat, m, 0);
        RefreshHand(seat);
        playBlock[kMustThrow] = 0;
        ClockThrowTime();
    } else if (id == CMJGameNotify2::kBuGangCards) {
        AddBuGang(seat, m, 0);
        RefreshHand(seat);
        ClockThrowTime();
    } else {
        std::string name;
        GetActionImageName(name, kActionAnGang);
        PlayActionImage(seat, name);
        PlayActionVoice(seat, "gang1");
        AddAnGang(seat, m, 0);
        RefreshHand(seat);
        SetClockValue(GetClockValue() + 3);
    }
    ArrowTo(seat);
    // The own replacement came with the reply and is placed already.
    const bool placed = seat == kOwnSeat && wallPos == ownReplacementPos_;
    if (replacement != kNoEntry && !placed)
        CatchWallCard(seat, wallPos, replacement);
    if (placed)
        ownReplacementPos_ = -1;
    // The claim window is over (the own hu option of the replacement stays); the ganger throws
    // next once the replacement is in.
    const ClaimOption hu = options[kOptHu];
    options = {};
    if (seat == kOwnSeat && hu.chair == OwnChair())
        options[kOptHu] = hu;
    if (HasCaughtCard(seat)) {
        playBlock[kMustThrow] = 1;
        if (seat == kOwnSeat)
            playState = kPlayStateTurn;
    }
    RefreshHand(seat);
    ShowArrow(seat, m.Claimed());
    UpdateArrow();
}

void CMJMainGame2::OnNotifyFlower(const uint8_t* data, size_t length)
{
    constexpr uint32_t id = CMJGameNotify2::kFlower;
    if (!NeedRecord(id, length, 24))
        return;
    RecordReader r(data, length);
    const int chair = r.I32(12), flower = r.I32(16), replacement = r.I32(20);
    const int wallPos = length >= 28 ? r.I32(24) : -1;
    const int seat = ChairToSeat(chair);
    if (!ValidChair(chair) || !IsSeat(seat) || !ValidTile(flower) ||
        (replacement != kNoEntry && (!ValidTile(replacement) || wallPos < 0 || wallPos >= kCardPoolSize)))
        return Drop(id, "chair, seat, tile or wall position outside the table");
    std::string name;
    GetActionImageName(name, kActionFlower);
    PlayActionImage(seat, name);
    PlayActionVoice(seat, "hua1");
    CMJCard2* t = nullptr;
    if (!IsHandVisible(seat)) {
        t = Slot(seat, kDrawnSlot);
        if (t)
            hands[size_t(seat)][kDrawnSlot] = nullptr;
    } else {
        t = TakeTileFromHand(seat, flower);
    }
    if (t) {
        ReturnToPool(t);
        t->Reset();
        Changed(t);
    }
    if (IsHandVisible(seat)) {
        InsertCaughtCard(seat);
        RefreshHand(seat);
    }
    AddPanelFlower(seat);
    playBlock[kMustThrow] = 0;
    ClockThrowTime();
    ArrowTo(seat);
    if (replacement == kNoEntry) {
        PointTurnArrow(seat * 2, PrevSeat(seat) * 2);
        ClockClaimTime();
    } else {
        CatchWallCard(seat, wallPos, replacement);
        RefreshHand(seat);
        UpdateArrow();
    }
}

// ---- messages and asks ----

void CMJMainGame2::OnNotifyGameMessage(const uint8_t* data, size_t length)
{
    constexpr uint32_t id = CMJGameNotify2::kGameMessage;
    if (!NeedRecord(id, length, 20))
        return;
    RecordReader r(data, length);
    const uint32_t sub = r.U32(8);
    const uint32_t n = r.U32(16);
    if (n > length - 20)
        return Drop(id, "data length beyond the record");
    if (sub >= kMsgFirst && sub <= kMsgLast)
        OnGameMessage(sub, data + 20, n);
    else if (sub >= kMsgHookFirst && sub <= kMsgHookLast)
        OnGameMessageHook(sub, data + 20, n);
}

void CMJMainGame2::OnGameMessage(uint32_t subCode, const uint8_t* data, size_t length)
{
    if (subCode != kMsgBackOnline && subCode != kMsgAutoOn && subCode != kMsgAutoOff)
        return;
    if (length < 4)
        return Drop(CMJGameNotify2::kGameMessage, "game message without its chair");
    const int chair = RecordReader(data, length).I32(0);
    const int seat = ChairToSeat(chair);
    if (!ValidChair(chair) || !IsSeat(seat))
        return Drop(CMJGameNotify2::kGameMessage, "chair outside the table");
    const bool own = chair == OwnChair() && !IsLookOnClient();
    switch (subCode) {
    case kMsgBackOnline:
        if (CMJPlayer2* panel = players[size_t(seat)]; panel && panel->IsOffline()) {
            SystemLine(FormatMarkup(" <z=zu系统通知> <c=%d>%s重新回到了游戏!\r\n", int(GetSetting(50014)),
                              ChairName(GetAppServices(), chair)));
            panel->SetOffline(0);
            SetClockValue(GetClockValue());
        }
        break;
    case kMsgAutoOn:
        OnAutoPlayStarted(chair);
        if (own)
            autoPlay = 1;
        break;
    default:
        OnAutoPlayStopped(chair);
        if (own)
            autoPlay = 0;
        break;
    }
}

void CMJMainGame2::OnNotifyAskKanPai(const uint8_t* data, size_t length)
{
    if (!NeedRecord(CMJGameNotify2::kAskKanPai, length, 4))
        return;
    const uint32_t userId = RecordReader(data, length).U32(0);
    IAppServices* app = GetAppServices();
    if (!app)
        return;
    const GameUserRecord* user = nullptr;
    for (const GameUserRecord& u : app->GetLookOnRecords())
        if (!u.IsEmpty() && uint32_t(u.UserId()) == userId)
            user = &u;
    if (!user)
        return;
    auto* dialog = NewChild<CXyAskKanPaiDlg>();
    if (!dialog)
        return;
    const EventRecord ok{GetId(), EV_ASK_VIEW_ANSWER, userId, 1};
    const EventRecord refuse{GetId(), EV_ASK_VIEW_ANSWER, userId, 0};
    dialog->SetZ(90000);
    const std::string face = app->GetCharacterImagePath(user->Character(), IAppServices::kCharacterPicture48);
    dialog->Ask(std::string(user->Name()).c_str(), face.c_str(), &ok, &refuse);
    PlaceAskDialog(*dialog);
    PlayTableSound("SndHi");
}

void CMJMainGame2::PlaceAskDialog(PObject& dialog)
{
    const Rect box = GetTableRect();
    if (IGameWinApp* app = GetGameWinApp())
        if (auto* frame = dynamic_cast<CMJGameFrame*>(app->GetGameFrame())) {
            frame->PlaceCharacter(&dialog);
            return;
        }
    // Without the mahjong frame (tests): centred on the scene at the box depth.
    dialog.MoveTo((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    dialog.Activate();
    dialog.Redraw();
}

void CMJMainGame2::OnNotifyKanPaiAnswer(const uint8_t* data, size_t length)
{
    if (!NeedRecord(CMJGameNotify2::kKanPaiAnswer, length, 24))
        return;
    RecordReader r(data, length);
    const uint32_t player = r.U32(0), watcher = r.U32(16);
    const int chair = r.I32(12), allow = r.I32(20);
    IAppServices* app = GetAppServices();
    SystemLine(FormatMarkup(" <c=%d>%s%s%s看牌 \r\n", 2906200, UserName(app, player), allow ? "允许" : "禁止",
                      UserName(app, watcher)));
    if (app && IsLookOnClient() && chair == OwnChair() && app->GetUserID() == watcher && !allow &&
        IsHandVisible(kOwnSeat)) {
        TurnHandFaceDown(kOwnSeat);
        RefreshHand(kOwnSeat);
        PlaySound("SndTanPai", 1, nullptr);
    }
}

void CMJMainGame2::OnNotifyOwnHand(const uint8_t* data, size_t length)
{
    constexpr uint32_t id = CMJGameNotify2::kOwnHand;
    if (!NeedRecord(id, length, 12))
        return;
    RecordReader r(data, length);
    if (r.I32(4) != OwnChair())
        return;
    // The answer to a throw refused as the hand ended comes after the result, whose rows show
    // the hand with its winning tile: the server's hand without it would take their place.
    if (handOver_)
        return Drop(id, "the hand is over");
    const int32_t count = r.I32(8);
    if (count < 0)
        return Drop(id, "negative count");
    // The count comes from the server: no more than the list holds nor the record carries.
    const int n = std::min<int>({count, kTileArraySize, int((length - 12) / 4)});
    TileArray list;
    ClearTileArray(list);
    for (int i = 0; i < n; ++i) {
        const int t = r.I32(12 + size_t(i) * 4);
        if (!ValidTile(t))
            return Drop(id, "tile outside the table");
        list[size_t(i)] = t;
    }
    // A tile the server holds is neither thrown nor filed: an own throw it took only on a later
    // turn was shown from its reply, ahead of the records sent before it. Its throw comes again.
    for (int i = 0; i < n; ++i) {
        if (CMJCard2* shown = thrown[kOwnSeat]; shown && shown->tile == list[size_t(i)])
            ReturnToPool(shown);
        if (CMJCard2* filed = TakeDiscard(kOwnSeat, list[size_t(i)])) {
            ReturnToPool(filed);
            RefreshDiscards(kOwnSeat);
        }
    }
    // The hand as the server has it, no more and no fewer tiles. A hand due to throw (3k + 2
    // tiles) fills the drawn slot too, so that no tile is written past the concealed slots.
    // Tiles the server's hand does not have go back to the pool.
    // A hand not due to throw has no drawn tile: one left in the drawn slot would take the list's
    // first tile there, and the next draw would be taken for one placed already and dropped.
    if (n % 3 != 2 && HasCaughtCard(kOwnSeat))
        ReturnToPool(Slot(kOwnSeat, kDrawnSlot));
    TileArray held;
    for (int c = FindHandCard(kOwnSeat, held); c > n; --c)
        ReturnToPool(PopTopHandTile(kOwnSeat));
    if (n % 3 == 2 && !HasCaughtCard(kOwnSeat))
        if (CMJCard2* drawn = Slot(kOwnSeat, kDrawnSlot) ? Slot(kOwnSeat, kDrawnSlot)
                                                          : TakeHandTileFromPool(kOwnSeat, kDrawnSlot)) {
            drawn->tile = list[size_t(n - 1)];
            drawn->placed = 1;
        }
    // The list's first tile is written to the drawn slot: the drawn tile, while the server holds
    // it, stays there (a hand locked after a win throws only that one; auto-play throws it).
    if (const CMJCard2* drawn = Slot(kOwnSeat, kDrawnSlot); drawn && n % 3 == 2)
        if (const auto at = std::find(list.begin(), list.begin() + n, drawn->tile); at != list.begin() + n)
            std::rotate(list.begin(), at, at + 1);
    WriteHandTiles(kOwnSeat, list);
    OnBtnSortHand();
    RefreshHand(kOwnSeat);
    PlaySound("SndTanPai", 1, nullptr);
}

void CMJMainGame2::OnNotifyGameResult(const uint8_t* data, size_t length)
{
    if (length < 560) {
        Log("game result dropped: shorter than 560 bytes");
        return;
    }
    RecordReader r(data, length);
    if (!IsLookOnClient())
        FlashHostWindow();
    if (r.I32(556) == 0)
        PlayTableSound("SndTanPai");
    RefreshInfo();
    ShowBanker(0);
    CreateGameInfoBoardBig(0);
    HideArrow();
    ClearChoiceMarks();
    CMJGameData2* info = GetSceneGameInfo();
    const int winTile = r.I32(540);
    const int players = playerCount > 0 && playerCount <= kMaxChairs ? playerCount : kMaxChairs;
    for (int chair = 0; chair < players; ++chair) {
        const int seat = ChairToSeat(chair);
        if (!IsSeat(seat))
            continue;
        TileArray list = StoredChairTiles(chair);
        if (r.I32(516 + size_t(chair) * 4) < 1) {
            CMJCard2* drawn = Slot(seat, kDrawnSlot);
            if (!drawn || !drawn->placed)
                ShowResultHand(seat, list);
            else if (r.I32(532) == -1)
                ShowResultHandFull(seat, list);
            else if (ValidTile(winTile))
                ShowResultHandWithTile(seat, winTile, list);
        } else {
            ShowWinEffect(seat);
            if (info && info->IsResultFlag25())
                RemoveFromTileArray(list, winTile);
            ShowResultHand(seat, list);
            if (ValidTile(winTile))
                ShowWinTile(seat, winTile);
        }
        RefreshHand(seat);
    }
    SetPlayModeIdle();
    MarkHandOver();
}

} // namespace Lumora
