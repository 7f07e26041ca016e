// This game's scene: creation, the tile views and calculator, the gang routines, the voices,
// the win effect, the tile clicks and the throw of a locked hand.
#include "xueliu/CMyGame.h"

#include "engine/object/PlaneObject.h"
#include "framework/app/CGameWinApp.h"
#include "framework/connection/RequestIds.h"
#include "framework/scene/GameWinApp.h"
#include "mahjong/MahjongEvents.h"
#include "mahjong/connect/CMJGameConnect2.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "widgets/WidgetSupport.h"
#include "rules/RoomTypeQuery.h"
#include "xueliu/GameCalculator.h"
#include "widgets/AppServices.h"
#include "widgets/CXyStandButton.h"
#include "xueliu/CGameInfoEx.h"
#include "xueliu/CMyCard.h"

#include <algorithm>
#include <cstdio>

using namespace Lumora;

namespace {

constexpr int kMarkWidth = 150;
constexpr int kMarkHeight = 18;
constexpr double kMarkZ = 7000;
// The seat's line hangs under its panel as a strip of the panel's colour: it moves and hides
// with the panel, and goes with it.
constexpr uint32_t kMarkLinks = LINK_OWNED | LINK_REDRAW | LINK_MOVE | LINK_DEACTIVATE_ALWAYS;
constexpr uint32_t kMarkBack = 0x462828; // the panel's (40, 40, 70)
constexpr uint32_t kMarkInk = 0x00FFFF; // yellow

} // namespace

CMJGameData2* CMyGame::GetSceneGameInfo()
{
    if (gameData_)
        return gameData_;
    IGameWinApp* app = GetGameWinApp();
    return app ? dynamic_cast<CMJGameData2*>(app->GetGameInfo()) : nullptr;
}

CGameInfoEx* CMyGame::GameInfoEx() { return dynamic_cast<CGameInfoEx*>(GetSceneGameInfo()); }

std::unique_ptr<CMJCard2> CMyGame::MakeCard() { return std::make_unique<CMyCard>(calculator_, this); }

void CMyGame::CreateCalculator()
{
    // The application answers the room question (heavenly and earthly hands).
    calculator_ = xueliu::MakeGameCalculator(dynamic_cast<const IRoomTypeQuery*>(GetGameApp()));
}

void CMyGame::CreateHook()
{
    for (int seat = 0; seat < kSeatCount; ++seat) {
        PlaneObject* mark = NewPlaneObject(kMarkWidth, kMarkHeight, kColourKeyBackground);
        if (mark) {
            mark->SetZ(kMarkZ);
            PlaneObject* panel = players[size_t(seat)] ? players[size_t(seat)]->GetPlane() : nullptr;
            panel ? void(panel->AddChild(mark, kMarkLinks)) : void(Own(mark));
        }
        seatMarks_[size_t(seat)] = mark;
    }
    // The area layout of this game's table.
    ResetAnimations(0);
    StartReport();
}

void CMyGame::OnResetGame()
{
    CMJMainGame2::OnResetGame();
    CloseBoard();
    phase_ = kPhaseIdle;
    course_ = kCourseNone; // no hand runs until the next deal
    handLocked_ = false;
    ownDrawnTile_ = -1;
}

void CMyGame::ResetDealState()
{
    CloseBoard();
    phase_ = kPhaseIdle;
    course_ = kCourseDealt;
    handLocked_ = false;
    ownDrawnTile_ = -1;
    robbedTile_ = -1;
    winCounts_ = {};
    missing_ = {-1, -1, -1, -1};
    amounts_ = {};
    chose_ = {};
    exchangeChoice_.clear();
    received_.clear();
    result_.clear();
    handRecords_.Clear();
    recommendedSuit_ = -1;
    CMJGameData2* data = GetSceneGameInfo();
    xueliu::ResetCalculatorDeal(calculator_.get(), data ? int(data->GetStartValue2C()) : -1);
    if (handMode != kHandNormal)
        SetHandMode(kHandNormal);
    for (int chair = 0; chair < 4; ++chair)
        RefreshSeatMark(chair);
}

bool CMyGame::ChairChose(int chair, int step) const
{
    return ValidChairIndex(chair) && step >= 1 && step <= 2 && (chose_[size_t(chair)] >> (step - 1)) & 1;
}

// ---- gang routines: the generic ones (the concealed gang's fourth face down by the rule bit) ----

void CMyGame::AddMingGangSeat0(const MeldRecord& record, int restore) { CMJTable2::AddMingGangSeat0(record, restore); }
void CMyGame::AddMingGangSeat1(const MeldRecord& record, int restore) { CMJTable2::AddMingGangSeat1(record, restore); }
void CMyGame::AddMingGangSeat2(const MeldRecord& record, int restore) { CMJTable2::AddMingGangSeat2(record, restore); }
void CMyGame::AddBuGang(int seat, const MeldRecord& record, int restore) { CMJTable2::AddBuGang(seat, record, restore); }
void CMyGame::AddAnGangOther(int seat, const MeldRecord& record, int restore)
{
    CMJTable2::AddAnGangOther(seat, record, restore);
}

// ---- voices ----

void CMyGame::PlayTileVoice(int seat, int tile)
{
    if (KeepSilence())
        return;
    char name[64];
    std::snprintf(name, sizeof name, "%s%d.wav", ChairSex(SeatToChair(seat)) ? "female1_" : "male1_",
                  GetTileIndex(tile));
    PlaySoundResource(name, EffectVolume());
}

void CMyGame::PlayActionVoice(int seat, const char* action)
{
    if (KeepSilence() || !action)
        return;
    char name[64];
    std::snprintf(name, sizeof name, "%s%s.wav", ChairSex(SeatToChair(seat)) ? "female1_" : "male1_", action);
    PlaySoundResource(name, EffectVolume());
}

// ---- the win effect and the seat marks ----

void CMyGame::ShowWinEffect(int seat)
{
    if (winPicture)
        CancelActionsOf(winPicture->GetId());
    // The win's label takes the place of the claim's (a gang's, on which the win came).
    RemoveActionImage();
    CMJMainGame2::ShowWinEffect(seat);
    RefreshSeatMark(SeatToChair(seat));
    // The hand plays on after a win: the label goes after a while, as a claim's does, so that it
    // does not stand over the seat's later throws; the seat's mark keeps the count.
    if (winPicture)
        PostAfter(kWinLabelHoldMs, kEvWinLabelFade, ++winSerial_, 0);
}

void CMyGame::RefreshSeatMark(int chair)
{
    const int seat = ChairToSeat(chair);
    if (!ValidChairIndex(chair) || !IsSeat(seat))
        return;
    PlaneObject* mark = seatMarks_[size_t(seat)];
    if (!mark)
        return;
    static constexpr const char* kSuitMark[kSuits] = {"缺万", "缺条", "缺筒"};
    std::string text;
    const int suit = missing_[size_t(chair)];
    if (suit >= 0 && suit < kSuits)
        text += kSuitMark[suit];
    if (const int wins = winCounts_[size_t(chair)]; wins > 0) {
        char line[32];
        std::snprintf(line, sizeof line, "%s胡×%d", text.empty() ? "" : " ", wins);
        text += line;
    }
    mark->SetBackgroundColour(kColourKeyBackground);
    mark->Clear();
    if (text.empty()) {
        mark->Deactivate();
        return;
    }
    // The strip is as long as its words (a GBK byte is half a 12-pixel character), no longer.
    mark->SetBackgroundColour(kMarkBack);
    mark->FillRect(0, 0, std::min(kMarkWidth, int(text.size()) * 6 + 12), kMarkHeight);
    mark->SetFont(12, 700, "宋体");
    mark->SetPen(kMarkInk, 1.0);
    mark->DrawTextLine(6, 3, text);
    if (CMJPlayer2* panel = players[size_t(seat)]; panel && panel->GetPlane()) {
        PlaneObject* plane = panel->GetPlane();
        Place(mark, int(plane->GetLeft() + kMarkWidth / 2),
              int(plane->GetTop() + plane->GetHeight() + kMarkHeight / 2));
    }
    mark->Activate();
    mark->Redraw();
}

// ---- tile clicks and the throw ----

void CMyGame::SetTileClickEvent(CMJCard2& tile)
{
    if (phase_ == kPhaseExchange && handMode == kHandFlower) {
        tile.dimmed6 = 0;
        tile.SetClickTarget(kEvExchangeClick);
        return;
    }
    // After an own win the hand is locked: only the drawn tile may go.
    const bool locked = handLocked_ && !MayThrowLocked(tile);
    if (tile.dimmed6 != int(locked)) {
        tile.dimmed6 = locked;
        TileChanged(tile);
    }
    if (locked) {
        tile.SetClickTarget(EV_TILE_IDLE_CLICK);
        return;
    }
    CMJMainGame2::SetTileClickEvent(tile);
}

bool CMyGame::SendThrowCard(int slot)
{
    if (const CMJCard2* t = Slot(kOwnSeat, slot); handLocked_ && (!t || !MayThrowLocked(*t))) {
        Log("throw refused: the hand is locked to its drawn tile");
        return false;
    }
    return CMJMainGame2::SendThrowCard(slot);
}

int CMyGame::AutoPlayThrowSlot()
{
    const int generic = CMJMainGame2::AutoPlayThrowSlot();
    std::vector<int> hand;
    int lockedSlot = -1;
    for (int slot = 0; slot < GetMaxHandCards(); ++slot)
        if (const CMJCard2* t = Slot(kOwnSeat, slot); t && t->placed && t->inHand && t->meldKind == kMeldNone) {
            hand.push_back(t->tile);
            if (MayThrowLocked(*t))
                lockedSlot = slot;
        }
    if (handLocked_)
        return lockedSlot;
    const CMJCard2* preferred = Slot(kOwnSeat, generic);
    const int tile = AutoPlayThrow(hand, preferred ? preferred->tile : -1, MissingSuit(OwnChair()));
    const int slot = tile >= 0 ? FindTileSlot(kOwnSeat, tile) : -1;
    return slot >= 0 ? slot : generic;
}

void CMyGame::OnBtnStartGame()
{
    CMJGameConnect2* connect = TableConnect();
    if (!connect || IsLookOnClient())
        return;
    std::string text;
    if (Sent(connect->StartGameEx(text), RequestId::StartGameEx, text))
        ShowOwnStartSent();
}

bool CMyGame::MayThrowLocked(const CMJCard2& tile) const
{
    // By the tile's id: the drawn slot does not always hold the drawn tile.
    return ownDrawnTile_ >= 0 ? tile.tile == ownDrawnTile_ : tile.index == kDrawnSlot;
}

void CMyGame::OnNotifyCardCaught(const uint8_t* data, size_t length)
{
    if (RecordReader r(data, length); length >= 8 && r.I32(0) == OwnChair() && !IsLookOnClient())
        ownDrawnTile_ = r.I32(4);
    CMJMainGame2::OnNotifyCardCaught(data, length);
    if (handLocked_)
        RefreshOwnHand();
}

// The reply's draw is the tile a locked hand may throw, as the server's draw record's is; the
// hand's refresh that follows gives each tile its click from it.
void CMyGame::OnOwnDrawPlaced(int tile) { ownDrawnTile_ = tile; }

std::vector<int> CMyGame::OwnHandTiles()
{
    std::vector<int> out;
    for (int slot = 0; slot < GetMaxHandSlots(); ++slot)
        if (CMJCard2* t = Slot(kOwnSeat, slot);
            t && t->placed && t->meldKind == kMeldNone && (t->inHand || t->state == kTileResultRow))
            out.push_back(t->tile);
    return out;
}

std::string CMyGame::ChairName(int chair) const
{
    IAppServices* app = GetAppServices();
    if (app && ValidChairIndex(chair)) {
        const auto records = app->GetPlayerRecords();
        if (size_t(chair) < records.size() && !records[size_t(chair)].IsEmpty())
            return std::string(records[size_t(chair)].Name());
    }
    char name[32];
    std::snprintf(name, sizeof name, "%d号位", chair + 1);
    return name;
}

void CMyGame::GameLine(const std::string& plain, const Lumora::Markup& markup)
{
    lines_.push_back(plain);
    if (lines_.size() > 200)
        lines_.erase(lines_.begin());
    SystemLine(Lumora::Markup(" <c=2906200>") + markup + "\r\n");
}
