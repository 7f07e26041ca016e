// The table scene's actions: the requests of a turn and of a claim (each record is the request
// head, own user, room, table and chair, followed by the claim's fields), the claim buttons and
// their choice modes, the hu option and the own turn's options, auto-play and the clock's
// time-out, the start button and the asks to see a hand.
//
// A refused or failed request leaves the table as it was: melds are laid only when their
// notification arrives, for every seat alike, so a refused claim has nothing to undo. A throw is
// shown at once and taken back when the server refuses it; the server then sends the true hand.
#include "mahjong/scene/CMJMainGame2.h"

#include "framework/connection/Record.h"
#include "framework/connection/RequestIds.h"
#include "framework/scene/GameWinApp.h"
#include "mahjong/MahjongEvents.h"
#include "mahjong/connect/CMJGameConnect2.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/data/CMJGameData2.h"
#include "mahjong/notify/CMJGameNotify2.h"
#include "widgets/AppServices.h"
#include "widgets/CXyStandButton.h"

#include <cstdio>

namespace Lumora {

namespace {

constexpr uint64_t kAutoPlayCoolDownMs = 10000;
constexpr int kOwnArrow = kOwnSeat * 2;

// A request record: the head, then words written at their offsets.
template <size_t N>
struct Request {
    uint8_t bytes[N] = {};
    RecordWriter writer{std::span<uint8_t>(bytes, N)}; // zeroes the record once
    explicit Request(IAppServices* app)
    {
        if (!app)
            return;
        writer.U32(0, app->GetUserID());
        writer.U32(4, app->GetRoomID());
        writer.U32(8, app->GetTableNO());
        writer.I32(12, app->GetChairNO());
    }
    void Set(size_t offset, int32_t value) { writer.I32(offset, value); }
};

int32_t DrawWord(const uint8_t* draw, int word)
{
    return RecordReader(draw, CMJGameConnect2::kDrawRecordSize).I32(size_t(word) * 4);
}

} // namespace

CMJGameConnect2* CMJMainGame2::TableConnect()
{
    IGameWinApp* app = GetGameWinApp();
    return app ? dynamic_cast<CMJGameConnect2*>(app->GetConnect()) : nullptr;
}

bool CMJMainGame2::Sent(bool ok, uint32_t requestId, const std::string& text)
{
    if (!text.empty())
        SystemLine(EscapeMarkup(text)); // the server's words
    if (!ok) {
        char line[96];
        std::snprintf(line, sizeof line, "request %u not done", unsigned(requestId));
        Log(line);
    }
    return ok;
}

// ---- requests ----

bool CMJMainGame2::SendThrowCard(int slot)
{
    if (IsLookOnClient() || !playBlock[kMustThrow] || playBlock[kArrowPos] != kOwnArrow || playState != kPlayStateTurn)
        return false;
    CMJCard2* t = Slot(kOwnSeat, slot);
    CMJGameConnect2* connect = TableConnect();
    if (!t || !t->inHand || t->meldKind != kMeldNone || !connect)
        return false;
    const int tile = t->tile;
    CMJCard2* taken = TakeTileFromHand(kOwnSeat, tile);
    if (!taken)
        return false;
    ParkStaleThrown(kOwnSeat);
    MakeThrownTile(kOwnSeat, *taken, tile);
    InsertCaughtCard(kOwnSeat);
    RefreshHand(kOwnSeat);
    playBlock[kMustThrow] = 0;
    HideActionButtons(0);
    PlayTableSound("SndThrow");
    PlayTileVoice(kOwnSeat, tile);

    Request<CMJGameConnect2::kThrowHeadSize + 4> r(GetAppServices());
    r.Set(CMJGameConnect2::kThrowCountOffset, 1);
    r.Set(CMJGameConnect2::kThrowHeadSize, tile);
    std::string text;
    uint32_t code = ReplyCode::RequestFailed;
    const uint32_t resets = tableResets_;
    const bool sent = connect->ThrowCards(text, r.bytes, &code);
    if (sent && code == ReplyCode::Success)
        return Sent(true, RequestId::ThrowCards, text);
    // Rebuilt while the throw waited (the hand entered again after a failed answer): the table
    // holds the hand as the server has it, the drawn tile in its place; the taken tile is gone.
    if (tableResets_ != resets)
        return Sent(false, RequestId::ThrowCards, text);
    // Refused or not sent: the tile goes back as the drawn one, for the server still holds it;
    // a throw the server made for this chair meanwhile takes it from there, and a refusal's
    // true hand (229580) follows. The server's throw may have come during the wait and filed
    // this one among the discards.
    CMJCard2* back = nullptr;
    const bool stillShown = thrown[kOwnSeat] == taken;
    if (stillShown) {
        back = taken;
        thrown[kOwnSeat] = nullptr;
    } else {
        back = TakeDiscard(kOwnSeat, tile);
        RefreshDiscards(kOwnSeat);
    }
    if (back) {
        if (Slot(kOwnSeat, kDrawnSlot)) {
            ReturnToPool(back);
        } else {
            back->inHand = 1;
            back->state = kTileHand;
            back->index = kDrawnSlot;
            back->seat = kOwnSeat;
            hands[kOwnSeat][kDrawnSlot] = back;
        }
    }
    if (stillShown)
        playBlock[kMustThrow] = 1;
    else
        InsertCaughtCard(kOwnSeat); // the server's throw ended the turn
    RefreshHand(kOwnSeat);
    return Sent(false, RequestId::ThrowCards, text);
}

bool CMJMainGame2::SendCatchCard()
{
    CMJGameConnect2* connect = TableConnect();
    if (IsLookOnClient() || !connect)
        return false;
    Request<96> r(GetAppServices());
    uint8_t draw[CMJGameConnect2::kDrawRecordSize] = {};
    std::string text;
    if (!Sent(connect->CatchCard(text, r.bytes, draw), RequestId::CatchCard, text))
        return false;
    const int tile = DrawWord(draw, 1), wallPos = DrawWord(draw, 2);
    if (!ValidTile(tile) || wallPos < 0 || wallPos >= kCardPoolSize) {
        Drop(RequestId::CatchCard, "draw record names no tile of the wall");
        return false;
    }
    for (int seat = 0; seat < kSeatCount; ++seat)
        ParkStaleThrown(seat);
    if (CatchWallCard(kOwnSeat, wallPos, tile)) {
        OnOwnDrawPlaced(tile);
    } else {
        // The server holds a tile the hand cannot show: report the mismatch as a failed draw.
        char line[80];
        std::snprintf(line, sizeof line, "draw of tile %d lost: the own hand has no room for it", tile);
        Log(line);
        connect->Request201162(CMJGameNotify2::kCardCaught, draw, int32_t(sizeof draw));
    }
    // The turn first: the refresh gives each own tile its click from it.
    playBlock[kMustThrow] = 1;
    playState = kPlayStateTurn;
    RefreshHand(kOwnSeat);
    ArrowTo(kOwnSeat);
    ComputeOwnTurnOptions(DrawWord(draw, 3));
    return true;
}

bool CMJMainGame2::SendPass()
{
    CMJGameConnect2* connect = TableConnect();
    if (IsLookOnClient() || !connect)
        return false;
    const ClaimOption& o = options[kOptPass];
    Request<40> r(GetAppServices());
    r.Set(16, o.tile);
    r.Set(20, o.chair);
    std::string text;
    if (!Sent(connect->Pass(text, r.bytes), RequestId::Pass, text))
        return false;
    options = {};
    HideActionButtons(0);
    return true;
}

namespace {

// The claim record after the head: discarder, tile, three own tiles (-1 where none), kind.
template <size_t N>
void ClaimFields(Request<N>& r, int discarder, int tile, int a, int b, int c, int kind)
{
    r.Set(16, discarder);
    r.Set(20, tile);
    r.Set(24, a);
    r.Set(28, b);
    r.Set(32, c);
    r.Set(36, kind);
}

} // namespace

int CMJMainGame2::OwnTilesLike(int tile, int n, int32_t out[3])
{
    out[0] = out[1] = out[2] = kNoEntry;
    int found = 0;
    for (int slot = 0; slot < GetMaxHandCards() && found < n && found < 3; ++slot) {
        CMJCard2* t = Slot(kOwnSeat, slot);
        if (t && t->inHand && t->meldKind == kMeldNone && t->tile != tile && GetTileIndex(t->tile) == GetTileIndex(tile))
            out[found++] = t->tile;
    }
    return found;
}

bool CMJMainGame2::SendPengAnnounce()
{
    CMJGameConnect2* connect = TableConnect();
    const ClaimOption& o = options[kOptPeng];
    int32_t own[3];
    if (!connect || OwnTilesLike(o.tile, 2, own) < 2)
        return false;
    Request<CMJGameConnect2::kClaimRecordSize> r(GetAppServices());
    ClaimFields(r, o.chair, o.tile, own[0], own[1], kNoEntry, kMeldPeng);
    std::string text;
    return Sent(connect->AnnouncePeng(text, r.bytes), RequestId::AnnouncePeng, text);
}

bool CMJMainGame2::SendPengCards()
{
    const ClaimOption& o = options[kOptPeng];
    int32_t own[3];
    if (OwnTilesLike(o.tile, 2, own) < 2)
        return false;
    return ClaimCards(RequestId::PengCards, kMeldPeng, o, own[0], own[1], kNoEntry);
}

bool CMJMainGame2::SendChiAnnounce(int first, int second)
{
    CMJGameConnect2* connect = TableConnect();
    if (!connect)
        return false;
    const ClaimOption& o = options[kOptChi];
    Request<CMJGameConnect2::kClaimRecordSize> r(GetAppServices());
    ClaimFields(r, o.chair, o.tile, first, second, kNoEntry, kMeldChi);
    std::string text;
    return Sent(connect->AnnounceChi(text, r.bytes), RequestId::AnnounceChi, text);
}

bool CMJMainGame2::SendChiCards(int first, int second)
{
    return ClaimCards(RequestId::ChiCards, kMeldChi, options[kOptChi], first, second, kNoEntry);
}

bool CMJMainGame2::ClaimCards(uint32_t requestId, int kind, const ClaimOption& o, int a, int b, int c)
{
    CMJGameConnect2* connect = TableConnect();
    if (!connect)
        return false;
    Request<CMJGameConnect2::kClaimRecordSize> r(GetAppServices());
    ClaimFields(r, o.chair, o.tile, a, b, c, kind);
    std::string text;
    uint32_t code = ReplyCode::RequestFailed;
    bool ok = false;
    if (requestId == RequestId::PengCards)
        ok = connect->SendPengCards(text, &code, r.bytes);
    else if (requestId == RequestId::ChiCards)
        ok = connect->SendChiCards(text, r.bytes, &code);
    if (!ok) {
        char line[96];
        std::snprintf(line, sizeof line, "ProcoessRequest Faild,ReQuestid:%ld,nResponse:%ld", long(requestId), long(code));
        Log(line);
    }
    return Sent(ok, requestId, text);
}

bool CMJMainGame2::SendGangAnnounce()
{
    const ClaimOption& o = options[kOptGang];
    int32_t own[3];
    if (OwnTilesLike(o.tile, 3, own) < 3)
        return false;
    return SendGangRecord(RequestId::AnnounceGang, o.chair, o.tile, own, 2);
}

bool CMJMainGame2::SendGangAnnounceEx(int kind, int tile)
{
    int32_t own[3] = {kNoEntry, kNoEntry, kNoEntry};
    if (kind == 1 && OwnTilesLike(tile, 3, own) < 3)
        return false;
    return SendGangRecord(RequestId::AnnounceGang, OwnChair(), tile, own, kind);
}

bool CMJMainGame2::SendMingGang()
{
    const ClaimOption& o = options[kOptGang];
    int32_t own[3];
    if (OwnTilesLike(o.tile, 3, own) < 3)
        return false;
    return SendGangRecord(RequestId::GangOnDiscardCards, o.chair, o.tile, own, 2);
}

bool CMJMainGame2::SendAnGang(int tile)
{
    int32_t own[3];
    if (OwnTilesLike(tile, 3, own) < 3)
        return false;
    return SendGangRecord(RequestId::ConcealedGangCards, OwnChair(), tile, own, 1);
}

bool CMJMainGame2::SendBuGang(int tile)
{
    const int32_t none[3] = {kNoEntry, kNoEntry, kNoEntry};
    return SendGangRecord(RequestId::AddedGangCards, OwnChair(), tile, none, 3);
}

bool CMJMainGame2::SendGangRecord(uint32_t requestId, int discarder, int tile, const int32_t own[3], int kind)
{
    CMJGameConnect2* connect = TableConnect();
    if (IsLookOnClient() || !connect)
        return false;
    Request<CMJGameConnect2::kClaimRecordSize> r(GetAppServices());
    ClaimFields(r, discarder, tile, own[0], own[1], own[2], kind);
    std::string text;
    if (requestId == RequestId::AnnounceGang) {
        uint8_t reply[CMJGameConnect2::kGangReplySize] = {};
        return Sent(connect->AnnounceGang(text, r.bytes, reply), requestId, text);
    }
    uint8_t draw[CMJGameConnect2::kGangCardsReplySize] = {};
    uint32_t code = ReplyCode::RequestFailed;
    if (!Sent(connect->SendGangCards(text, requestId, r.bytes, draw, &code), requestId, text))
        return false;
    // The replacement: placed when the event comes round, by value; the gang's notification
    // that names it again finds it placed.
    const int rtile = DrawWord(draw, 1), pos = DrawWord(draw, 2);
    if (ValidTile(rtile) && rtile != kNoTile && pos >= 0 && pos < kCardPoolSize) {
        ownReplacementPos_ = pos;
        PostAfter(0, EV_REPLACEMENT_GANG, uintptr_t(rtile) | uintptr_t(pos) << 16, uintptr_t(uint32_t(DrawWord(draw, 3))));
        playBlock[kMustThrow] = 1;
    }
    return true;
}

bool CMJMainGame2::SendReplaceFlower(int tile)
{
    CMJGameConnect2* connect = TableConnect();
    if (IsLookOnClient() || !connect)
        return false;
    Request<44> r(GetAppServices());
    r.Set(16, tile);
    uint8_t draw[CMJGameConnect2::kDrawRecordSize] = {};
    std::string text;
    if (!Sent(connect->ReplaceFlower(text, r.bytes, draw), RequestId::ReplaceFlower, text))
        return false;
    const int rtile = DrawWord(draw, 1), pos = DrawWord(draw, 2);
    if (ValidTile(rtile) && pos >= 0 && pos < kCardPoolSize)
        PostAfter(0, EV_REPLACEMENT_FLOWER, uintptr_t(rtile) | uintptr_t(pos) << 16, uintptr_t(uint32_t(DrawWord(draw, 3))));
    return true;
}

bool CMJMainGame2::SendHuRecord(int source, int tile, int kind)
{
    CMJGameConnect2* connect = TableConnect();
    if (IsLookOnClient() || !connect)
        return false;
    Request<48> r(GetAppServices());
    r.Set(16, source);
    r.Set(20, tile);
    r.Set(24, kind);
    std::string text;
    const uint32_t code = connect->Hu(text, r.bytes);
    return Sent(code == ReplyCode::Success, RequestId::Hu, text);
}

bool CMJMainGame2::SendHu()
{
    const ClaimOption& o = options[kOptHu];
    return SendHuRecord(o.chair, o.tile, o.gangKind ? 4 : 1);
}

bool CMJMainGame2::SendZimo()
{
    // The tile the hu option was set for, else the drawn one, else the last of the hand.
    const ClaimOption& hu = options[kOptHu];
    CMJCard2* drawn = Slot(kOwnSeat, kDrawnSlot);
    int tile = hu.enabled && hu.chair == OwnChair() && ValidTile(hu.tile) ? hu.tile : drawn ? drawn->tile : kNoEntry;
    if (tile == kNoEntry)
        for (int slot = GetMaxHandCards() - 1; slot > 0 && tile == kNoEntry; --slot)
            if (CMJCard2* t = Slot(kOwnSeat, slot); t && t->inHand && t->meldKind == kMeldNone)
                tile = t->tile;
    return SendHuRecord(OwnChair(), tile, 2);
}

bool CMJMainGame2::SendGameMessage(uint32_t subCode, const void* data, uint32_t length, int wait)
{
    CMJGameConnect2* connect = TableConnect();
    if (!connect)
        return false;
    if (!wait)
        return connect->SendGameMessage(subCode, length, data, false) != ReplyCode::RequestFailed;
    uint32_t code = 0, n = length;
    auto reply = connect->SendGameMessageWait(subCode, &code, &n, data);
    if (code != ReplyCode::Success)
        return Sent(false, RequestId::GameMessage, {});
    // A waited reply is a game message like a pushed one.
    if (IGameWinApp* app = GetGameWinApp())
        if (CGameNotify* notify = app->GetNotify(); notify && reply)
            notify->OnNotify(CMJGameNotify2::kGameMessage, reply.get(), n);
    return true;
}

// ---- claim buttons and choice modes ----

bool CMJMainGame2::IsOwnTurn() const
{
    return playBlock[kMustThrow] && playBlock[kArrowPos] == kOwnArrow;
}

void CMJMainGame2::OnBtnPeng()
{
    if (!options[kOptPeng].enabled)
        return;
    // Not sent or refused, the buttons go as well: the window's time-out (229165) passes for the
    // chair, and the meld is laid only by its notification.
    if (SendPengAnnounce() && SendPengCards())
        options = {};
    HideActionButtons(0);
}

void CMJMainGame2::OnBtnGang()
{
    if (IsOwnTurn()) {
        // The candidates of the own turn: four of a face in the hand, or a peng and its fourth.
        int tiles[kHandSlotCapacity];
        bool added[kHandSlotCapacity];
        const int n = OwnGangCandidates(tiles, added);
        if (n == 1) {
            if (added[0])
                DoBuGang(tiles[0]);
            else
                DoAnGang(tiles[0]);
        } else if (n > 1) {
            SetHandMode(kHandGangChoice);
            MarkGangChoice();
            RefreshHand(kOwnSeat);
        }
        return;
    }
    if (!options[kOptGang].enabled)
        return;
    if (SendGangAnnounce() && SendMingGang())
        options = {};
    HideActionButtons(0);
}

void CMJMainGame2::OnBtnChi()
{
    if (!options[kOptChi].enabled)
        return;
    SetHandMode(kHandChiChoice);
    MarkChiChoice();
    RefreshHand(kOwnSeat);
}

void CMJMainGame2::OnBtnHu()
{
    if (IsOwnTurn()) {
        // A refused self-drawn hu is spent (auto-play would send it again): the throw stays due.
        if (!SendZimo())
            options[kOptHu] = {};
        HideActionButtons(0);
        return;
    }
    if (!options[kOptHu].enabled)
        return;
    // Taken or refused (the window timed out), nothing of the window is left to claim.
    SendHu();
    options = {};
    HideActionButtons(0);
}

void CMJMainGame2::OnBtnPass()
{
    if (IsOwnTurn()) {
        HideActionButtons(0);
        return;
    }
    SendPass();
}

void CMJMainGame2::EndChoice()
{
    SetHandMode(kHandNormal);
    ClearChoiceMarks();
    RefreshHand(kOwnSeat);
}

void CMJMainGame2::DoChi()
{
    TileArray lifted;
    if (GetSelectedCard(lifted) == 2 && SendChiAnnounce(lifted[0], lifted[1]) && SendChiCards(lifted[0], lifted[1])) {
        options = {};
        HideActionButtons(0);
    }
    EndChoice();
}

void CMJMainGame2::DoAnGang(int tile)
{
    if (SendGangAnnounceEx(1, tile))
        SendAnGang(tile);
    HideActionButtons(0);
    EndChoice();
}

void CMJMainGame2::DoBuGang(int tile)
{
    if (SendGangAnnounceEx(3, tile))
        SendBuGang(tile);
    HideActionButtons(0);
    EndChoice();
}

void CMJMainGame2::DoReplaceFlower()
{
    const int slot = FindOwnFlower();
    if (CMJCard2* t = Slot(kOwnSeat, slot); t && IsFlowerTile(t->tile))
        SendReplaceFlower(t->tile);
    EndChoice();
}

void CMJMainGame2::ThrowOwnTile(int slot)
{
    SendThrowCard(slot);
}

int CMJMainGame2::OwnGangCandidates(int tiles[], bool added[])
{
    int n = 0;
    for (int slot = 0; slot < GetMaxHandCards(); ++slot) {
        CMJCard2* t = Slot(kOwnSeat, slot);
        if (!t || !t->inHand || t->meldKind != kMeldNone)
            continue;
        const int face = GetTileIndex(t->tile);
        bool seen = false;
        for (int i = 0; i < n; ++i)
            seen = seen || GetTileIndex(tiles[i]) == face;
        if (seen)
            continue;
        int concealed = 0, peng = 0;
        for (int s = 0; s < GetMaxHandSlots(); ++s)
            if (CMJCard2* u = Slot(kOwnSeat, s); u && u->placed && GetTileIndex(u->tile) == face) {
                concealed += u->inHand && u->meldKind == kMeldNone;
                peng += u->meldKind == kMeldPeng;
            }
        if (concealed == 4 || (peng == 3 && concealed >= 1)) {
            tiles[n] = t->tile;
            added[n] = concealed < 4;
            ++n;
        }
    }
    return n;
}

// ---- options of a turn ----

void CMJMainGame2::SetHuOption(int flags)
{
    CMJCard2* drawn = Slot(kOwnSeat, kDrawnSlot);
    if (!drawn)
        return;
    options[kOptHu].tile = drawn->tile;
    options[kOptHu].chair = OwnChair();
    options[kOptHu].enabled = (flags >> 3) & 1;
    ShowActionButton(kOptHu, options[kOptHu].enabled);
}

void CMJMainGame2::ComputeOwnTurnOptions(int flags)
{
    if (IsLookOnClient())
        return;
    int tiles[kHandSlotCapacity];
    bool added[kHandSlotCapacity];
    const bool gang = (flags & 2) && OwnGangCandidates(tiles, added) > 0;
    const bool hu = (flags & 8) != 0;
    options[kOptGang].enabled = gang;
    options[kOptHu].enabled = hu;
    if (hu)
        SetHuOption(flags);
    ShowActionButton(kOptGang, gang);
    ShowActionButton(kOptHu, hu);
    ShowActionButton(kOptPass, gang || hu);
}

// ---- auto-play and the clock ----

void CMJMainGame2::AutoPlayStep()
{
    if (IsLookOnClient())
        return;
    if (options[kOptHu].enabled) {
        OnBtnHu();
        return;
    }
    if (IsOwnTurn()) {
        if (const int slot = AutoPlayThrowSlot(); slot >= 0)
            SendThrowCard(slot);
        return;
    }
    if (options[kOptPass].enabled)
        SendPass();
}

int CMJMainGame2::AutoPlayThrowSlot()
{
    if (Slot(kOwnSeat, kDrawnSlot))
        return kDrawnSlot;
    for (int s = GetMaxHandCards() - 1; s > 0; --s)
        if (CMJCard2* t = Slot(kOwnSeat, s); t && t->inHand && t->meldKind == kMeldNone)
            return s;
    return -1;
}

bool CMJMainGame2::ClaimOnOffer() const
{
    for (int i = kOptPeng; i <= kOptPass; ++i)
        if (options[size_t(i)].enabled)
            return true;
    return false;
}

void CMJMainGame2::OnClockExpired()
{
    // A clock set by the last throw runs out after the result: the hand is over.
    if (handOver_)
        return;
    if (autoPlay) {
        AutoPlayStep();
        return;
    }
    // Due to draw: the arrow at the own seat, nothing drawn and nothing to throw. While a claim
    // of the own chair is on offer the window is open and the server ends it: a draw asked for
    // then is refused (the clock of the window runs out long before a patient server's).
    if (!IsLookOnClient() && playBlock[kArrowPos] == kOwnArrow && !HasCaughtCard(kOwnSeat) && !playBlock[kMustThrow] &&
        !ClaimOnOffer())
        SendCatchCard();
}

bool CMJMainGame2::AutoPlayCoolingDown()
{
    if (autoPlay || !autoPlayOffAt_)
        return false;
    const uint64_t now = NowMs();
    if (now - autoPlayOffAt_ >= kAutoPlayCoolDownMs)
        return false;
    SystemLine(FormatMarkup("您还需要%d秒才能再次开启托管功能!",
                            int((kAutoPlayCoolDownMs - (now - autoPlayOffAt_) + 999) / 1000)));
    return true;
}

// ---- start and asks to see a hand ----

void CMJMainGame2::OnBtnStartGame()
{
    CMJGameConnect2* connect = TableConnect();
    std::string text;
    if (connect && Sent(connect->StartGame(text), RequestId::StartGame, text))
        ShowOwnStartSent();
}

void CMJMainGame2::ShowOwnStartSent()
{
    HideStartButton();
    if (players[kOwnSeat])
        players[kOwnSeat]->ShowReady(1);
}

void CMJMainGame2::HideStartButton()
{
    if (buttons[kBtnStart]) {
        buttons[kBtnStart]->Deactivate();
        buttons[kBtnStart]->Redraw();
    }
}

void CMJMainGame2::OnBtnAskKanPai()
{
    if (CMJGameConnect2* connect = TableConnect(); connect && IsLookOnClient())
        Sent(connect->AskKanPai(), RequestId::AskKanPai, {});
}

void CMJMainGame2::ReplyKanPai(uintptr_t userId, uintptr_t allow)
{
    if (CMJGameConnect2* connect = TableConnect())
        Sent(connect->Request229560(int32_t(userId), int32_t(allow)), RequestId::Request229560, {});
}

} // namespace Lumora
