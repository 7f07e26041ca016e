// The table scene's reset, start data and start of play: the wall, the dice and the gate, the
// start of a round, the info boards, the turn clock and arrows, the claim pointer and the
// action buttons.
#include "mahjong/scene/CMJMainGame2.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "engine/util/EngineLog.h"
#include "framework/app/NotifyGate.h"
#include "framework/connection/Record.h"
#include "mahjong/MahjongEvents.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/controls/CMJXyDigit.h"
#include "mahjong/data/CMJGameData2.h"
#include "mahjong/scene/CMyParticle.h"
#include "mahjong/scene/ClearPlace.h"
#include "widgets/AppServices.h"
#include "widgets/CXyStandButton.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace Lumora {

namespace {

constexpr int kWallSection = 27;
constexpr int kDealtTiles = 53;
constexpr uint32_t kDiceTumbleMs = 600;
constexpr uint32_t kDiceShowMs = 800;
constexpr int kTumbleFirstFrame = 6;
constexpr int kTumbleFrames = 4;
constexpr double kInfoZ = 9000.0;
constexpr int kInfoFontSize = 14;
constexpr int kInfoTextMargin = 8;
constexpr int kSmallInfoInset = 10; // the small board's lines, from either side
constexpr double kPointerZ = 9500.0;
constexpr double kWaitZ = 52000.0;
constexpr const char* kFace = "宋体";

// The scene redraws each change of its own pictures when it makes it: one that a step leaves
// where, how and whether it was shown is on the screen already.
void RedrawIfChanged(PObject& object, const ObjectGeometry& before)
{
    if (!(object.Geometry() == before))
        object.Redraw();
}

struct DiceRoll {
    int32_t faceFrame;
};

// Tumbles through the tumble frames until the tumble time is over, then shows the face.
int DiceStep(PObject* target, void* params, GameCore*, uint32_t elapsed)
{
    DiceRoll roll;
    std::memcpy(&roll, params, sizeof roll);
    auto* die = dynamic_cast<BITObject*>(target);
    if (!die)
        return 1;
    if (elapsed < kDiceTumbleMs) {
        die->SetFrame(kTumbleFirstFrame + int(elapsed / (kDiceTumbleMs / (2 * kTumbleFrames))) % kTumbleFrames);
        die->Redraw();
        return 0;
    }
    die->SetFrame(roll.faceFrame);
    die->Redraw();
    return 1;
}

// The name of the round's banker, as the server gave it.
std::string BankerName(CMJGameData2* data, IAppServices* app)
{
    const size_t chair = data ? size_t(data->GetStartValue2C()) : GameUserRecord::kPlayerSlots;
    if (!app || chair >= GameUserRecord::kPlayerSlots)
        return {};
    return std::string(app->GetPlayerRecords()[chair].Name());
}

} // namespace

// ---- reset ----

void CMJMainGame2::ResetCards()
{
    CMJTable2::ResetCards();
}

void CMJMainGame2::ClearTableState()
{
    CMJTable2::ClearTableState();
    playBlock.fill(0);
    tableBlock.fill(0);
}

void CMJMainGame2::ClearRoundFlags()
{
    CMJTable2::ClearRoundFlags();
    stateWord80001167 = 0;
    playBlock[kMustThrow] = playBlock[kJustThrown] = 0;
}

void CMJMainGame2::ResetPlayers()
{
    for (CMJPlayer2* panel : players)
        if (panel)
            panel->ResetPanel();
}

void CMJMainGame2::ResetRound()
{
    ClearRoundFlags();
    ClearChoiceMarks();
}

void CMJMainGame2::ResetScene()
{
    ClearTableState();
    ClearRoundFlags();
    ReleaseNotifyLock("scene reset");
}

void CMJMainGame2::ResetTable()
{
    ++tableResets_;
    handOver_ = false;
    ClearTableState();
    ResetCards();
    ResetPlayers();
    ResetAnimation1();
    StopClock();
    ResetAnimation2();
    HideArrow();
    HideWaitAnimation();
    HideGameInfo();
    HideHandEffects();
    if (infoBoardBig) {
        infoBoardBig->Deactivate();
        infoBoardBig->Redraw();
    }
    LayoutTable();
}

void CMJMainGame2::OnResetGame()
{
    for (CMJCard2* t : pool)
        if (t)
            t->Deactivate();
    handOver_ = false;
    handDealt_ = false;
    ClearTableState();
    ResetCards();
    ResetPlayers();
    ResetAnimation1();
    StopClock();
    HideHandEffects();
    ReleaseNotifyLock("game reset");
}

void CMJMainGame2::OnGameReady()
{
    IAppServices* app = GetAppServices();
    CXyStandButton* start = buttons[kBtnStart];
    if (!start)
        return;
    const int own = OwnChair();
    // A dealt hand's chairs are all ready, though the deal cleared the panels' ready tags (an
    // entry again in the middle of a hand comes here).
    const bool ready = handDealt_ || (IsSeat(kOwnSeat) && players[kOwnSeat] && players[kOwnSeat]->IsReady());
    if (app && app->IsLookOn())
        start->Deactivate();
    else if (!ready && own >= 0)
        start->Activate();
    start->Redraw();
}

void CMJMainGame2::LayoutTable()
{
    CMJGameData2* data = GetSceneGameInfo();
    const int banker = data ? int(data->GetStartValue2C()) : 0;
    const int chairs = playerCount > 0 ? playerCount : chairCount;
    int seatsInOrder[kSeatCount] = {-1, -1, -1, -1};
    int seat = ChairToSeat(banker);
    const int sections = std::clamp(chairs, 1, kSeatCount);
    for (int k = 0; k < sections; ++k) {
        seatsInOrder[k] = seat;
        seat = PrevSeat(seat);
    }
    int missing = 0;
    for (int p = 0; p < GetTotalTileCount() && p < kCardPoolSize; ++p) {
        // Sections past the last chair go round again.
        const int s = seatsInOrder[(p / kWallSection) % sections];
        if (!IsSeat(s) || wall[size_t(p)])
            continue;
        CMJCard2* t = GetFreeCard();
        if (!t) {
            ++missing;
            continue;
        }
        t->state = kTileWall;
        t->seat = s;
        t->index = p % kWallSection;
        t->count = kWallSection;
        t->placed = 1;
        t->faceUp = 0;
        t->tile = kNoTile;
        t->layoutMode = viewMode;
        wall[size_t(p)] = t;
        t->Activate();
        t->Update();
    }
    if (missing) {
        char line[96];
        std::snprintf(line, sizeof line, "wall: %d positions left empty (tile pool exhausted)", missing);
        Log(line);
    }
}

void CMJMainGame2::OnGameStartData(const uint8_t*, size_t)
{
    ResetTable();
    ShowBanker(1);
    RollDice();
}

// ---- dice and the gate ----

void CMJMainGame2::RollDice()
{
    if (!lockHeld_) {
        if (NotifyGate* gate = GetNotifyGate())
            gate->Close();
        lockHeld_ = true;
    }
    ++rollSerial_;
    PostAfter(kGateWatchdogMs, EV_GATE_WATCHDOG, rollSerial_);
    CMJGameData2* data = GetSceneGameInfo();
    const uint32_t word = data ? data->GetStartValue30() : 0;
    const int faces[2] = {int(word & 0xFF), int((word >> 8) & 0xFF)};
    for (int i = 0; i < 2; ++i) {
        BITObject* die = dice[size_t(i)];
        if (!die)
            continue;
        CancelActionsOf(die->GetId());
        die->SetFrame(kTumbleFirstFrame);
        die->Activate();
        die->Redraw();
        // Frames 0-5 are the faces 1-6, 6-9 the tumble.
        const DiceRoll roll{faces[i] >= 1 && faces[i] <= 6 ? faces[i] - 1 : 0};
        ActCustom(die, DiceStep, &roll, sizeof roll, 0, nullptr);
    }
    PostAfter(kDiceTumbleMs, EV_DICE_SOUND);
    PostAfter(kDiceTumbleMs + kDiceShowMs, EV_DICE_DONE, 1);
}

void CMJMainGame2::CreateDiceHook()
{
    // The dealt positions leave the wall first, so that their tiles can make the hands: a wall
    // of 152 would otherwise leave the pool too few for the deal.
    for (int p = 0; p < kDealtTiles && p < kCardPoolSize; ++p)
        if (CMJCard2* t = wall[size_t(p)]) {
            wall[size_t(p)] = nullptr;
            ReturnToPool(t);
        }
    StartDeal();
}

// ---- start of play ----

void CMJMainGame2::StartRound()
{
    OnBtnSortHand();
    ShowRoundBoards();
    // Read by the headless run: its "after the deal" screenshot waits for this line.
    Log("the deal is laid out");
}

void CMJMainGame2::ShowRoundBoards()
{
    ShowRoundInfo();
    RestoreFlowerCounts();
    CreateInfoControl();
    UpdateTurnArrow();
    ShowGameInfo();
    CreateGameInfoBoardBig(1);
    HideGameInfo();
}

void CMJMainGame2::CreateGameInfoBoardBig(int flag)
{
    if (!infoBoardBig) {
        infoBoardBig = NewPictureBoard("bit_infoboard", kInfoZ);
        if (!infoBoardBig)
            return;
        const Rect box = CentreBox();
        Place(infoBoardBig, (box.left + box.right) / 2, (box.top + box.bottom) / 2);
    }
    PictureInfo back;
    GetRes(back, "bit_infoboard", 0);
    infoBoardBig->Clear();
    infoBoardBig->DrawPicture(back, 0, 0, 0, 0, 0, 1.0);
    infoBoardBig->SetFont(kInfoFontSize, 400, kFace);
    infoBoardBig->SetPen(0xFFFFFF, 1.0);
    // The clock stands in the middle of the board: the round and its banker go above it on one
    // line, a long name cut with "…" (plain: the name is the player's own text), the base below.
    if (CMJGameData2* data = GetSceneGameInfo()) {
        const int room = infoBoardBig->GetSurfaceWidth() - 2 * kInfoTextMargin;
        const std::string round = FormatText("【第%d局】庄：", int(data->GetStartValue20())) +
                                  BankerName(data, GetAppServices());
        infoBoardBig->DrawTextWrapped(infoBoardBig->FitText(round, room), kInfoTextMargin);
        const bool silver = data->GetStartValue54() != 0;
        std::string label;
        data->GetBaseLabel(label);
        const std::string base = FormatText(silver ? "%s：%d 两" : "%s：%d 分", label.c_str(),
                                            int(silver ? data->GetStartValue24() : data->GetStartValue28()));
        infoBoardBig->DrawTextWrapped(base, infoBoardBig->GetSurfaceHeight() - kInfoTextMargin - kInfoFontSize);
    }
    if (flag == 1)
        infoBoardBig->Activate();
    infoBoardBig->Redraw();
}

void CMJMainGame2::CreateInfoControl()
{
    if (infoBoardSmall)
        return;
    infoBoardSmall = NewPictureBoard("bit_infoboard_small", kInfoZ);
    if (!infoBoardSmall)
        return;
    const Rect table = GetTableRect();
    Place(infoBoardSmall, int(table.left + infoBoardSmall->GetWidth() / 2 + 4),
          int(table.top + infoBoardSmall->GetHeight() / 2 + 4));
    RefreshInfo();
}

void CMJMainGame2::ShowGameInfo()
{
    if (infoBoardSmall) {
        RefreshInfo();
        infoBoardSmall->Activate();
        infoBoardSmall->Redraw();
    }
}

void CMJMainGame2::HideGameInfo()
{
    if (infoBoardSmall) {
        infoBoardSmall->Deactivate();
        infoBoardSmall->Redraw();
    }
}

void CMJMainGame2::RefreshInfo()
{
    if (!infoBoardSmall)
        return;
    PictureInfo back;
    GetRes(back, "bit_infoboard_small", 0);
    infoBoardSmall->Clear();
    infoBoardSmall->DrawPicture(back, 0, 0, 0, 0, 0, 1.0);
    CMJGameData2* data = GetSceneGameInfo();
    const std::string banker = BankerName(data, GetAppServices());
    int left = 0;
    for (CMJCard2* t : wall)
        left += t != nullptr;
    char lines[4][96];
    std::snprintf(lines[0], sizeof lines[0], "第%d局", data ? int(data->GetStartValue20()) : 0);
    infoBoardSmall->SetFont(12, 400, kFace);
    // A long name is cut with "…" rather than wrapped over the next line.
    const int room = infoBoardSmall->GetSurfaceWidth() - 2 * kSmallInfoInset;
    const std::string bankerLine = infoBoardSmall->FitText("庄家:" + banker, room);
    std::snprintf(lines[1], sizeof lines[1], "%s", bankerLine.c_str());
    std::snprintf(lines[2], sizeof lines[2], "底注:%d",
                  data ? int(data->GetStartValue54() ? data->GetStartValue24() : data->GetStartValue28()) : 0);
    std::snprintf(lines[3], sizeof lines[3], "剩余:%d", left);
    infoBoardSmall->SetPen(0xFFFFFF, 1.0);
    for (int i = 0; i < 4; ++i)
        infoBoardSmall->DrawTextLine(kSmallInfoInset, 6 + i * 17, std::string_view(lines[i])); // plain
    infoBoardSmall->Redraw();
}

void CMJMainGame2::ShowRoundInfo()
{
    IAppServices* app = GetAppServices();
    CMJGameData2* data = GetSceneGameInfo();
    if (!app || !data)
        return;
    Lumora::Markup line;
    data->FormatRoundResult(line);
    app->ShowSystemNotice(line);
}

void CMJMainGame2::ShowBanker(int flag)
{
    CMJGameData2* data = GetSceneGameInfo();
    const int bankerSeat = data ? ChairToSeat(int(data->GetStartValue2C())) : -1;
    for (int seat = 0; seat < kSeatCount; ++seat)
        if (players[size_t(seat)])
            players[size_t(seat)]->SetBanker(flag && seat == bankerSeat);
}

void CMJMainGame2::ShowJokerMarker()
{
    // No joker in the game: nothing to mark.
    if (GetJokerValue(0) == kNoEntry)
        return;
    LogOnce("joker marker");
}

// ---- play state: clock and arrows ----

int CMJMainGame2::GetClockValue()
{
    return clockDigits ? clockDigits->GetValue() : 0;
}

void CMJMainGame2::SetClockValue(int value)
{
    if (value < 0 || !clockDigits)
        return;
    playBlock[kClockValue] = value;
    // The board repaints a new text itself and keeps the text it shows: a clock that shows
    // already needs no repaint of its own.
    const PlaneObject* plane = clockDigits->GetPlane();
    const bool shown = clockDigits->IsActive() && plane && plane->IsActive();
    clockDigits->Activate();
    clockDigits->SetValue(value);
    if (!shown)
        clockDigits->Redraw();
    StartClockTicks();
}

void CMJMainGame2::StartClockTicks()
{
    if (clockAction_)
        CancelAction(clockAction_);
    const EventRecord tick{GetId(), EV_CLOCK_TICK, 0, 0};
    clockAction_ = ActRepeatEvent(1000, -1, &tick);
}

void CMJMainGame2::OnClockTick()
{
    if (!clockDigits || !clockDigits->IsActive())
        return;
    const int value = clockDigits->GetValue();
    if (value <= 0)
        return;
    clockDigits->SetValue(value - 1);
    playBlock[kClockValue] = value - 1;
    if (value - 1 == 0) {
        if (clockAction_)
            CancelAction(clockAction_);
        clockAction_ = 0;
        PostAfter(0, EV_CLOCK_EXPIRED);
    }
}

void CMJMainGame2::StopClock()
{
    if (clockAction_)
        CancelAction(clockAction_);
    clockAction_ = 0;
    if (clockDigits) {
        clockDigits->Deactivate();
        clockDigits->Redraw();
    }
}

void CMJMainGame2::SetHandMode(int mode)
{
    if (mode == handMode)
        return;
    handMode = mode;
    RefreshOwnHand();
    RefreshHand(kOwnSeat);
}

void CMJMainGame2::PointTurnArrow(int, int to)
{
    playBlock[kArrowPos] = to;
    UpdateTurnArrow();
}

void CMJMainGame2::UpdateTurnArrow()
{
    if (!clockHand)
        return;
    // Seats 0 left, 1 top, 2 right, 3 bottom: the hand's angle in degrees, which the engine turns
    // counter-clockwise on the screen.
    static constexpr double kAngle[4] = {90.0, 0.0, 270.0, 180.0};
    const int seat = playBlock[kArrowPos] / 2;
    if (!IsSeat(seat))
        return;
    const ObjectGeometry before = clockHand->Geometry();
    clockHand->SetAngle(kAngle[seat]);
    clockHand->Activate();
    RedrawIfChanged(*clockHand, before);
}

void CMJMainGame2::ShowTurnIndicator(int value)
{
    PointTurnArrow(playBlock[kArrowPos], value);
}

void CMJMainGame2::HideTurnIndicator()
{
    if (clockHand) {
        clockHand->Deactivate();
        clockHand->Redraw();
    }
}

// ---- the claim pointer and the action buttons ----

void CMJMainGame2::ShowArrow(int seat, int tile)
{
    CMJCard2* target = IsSeat(seat) ? FindClaimedMeldTile(seat, tile) : nullptr;
    if (!target) {
        HideArrow();
        return;
    }
    const bool made = !claimPointer;
    if (made) {
        PictureInfo info;
        GetRes(info, "bit_claimpointer", 0);
        claimPointer = Own(NewBitmapObject(info));
        if (!claimPointer)
            return;
        claimPointer->SetZ(kPointerZ);
    }
    const ObjectGeometry before = claimPointer->Geometry();
    claimPointer->MoveTo(target->GetX(), target->GetY() - target->GetHeight() / 2 - claimPointer->GetHeight() / 2);
    claimPointer->Activate();
    if (made)
        claimPointer->Redraw();
    else
        RedrawIfChanged(*claimPointer, before);
    tableBlock[0] = seat;
    tableBlock[1] = tile;
}

void CMJMainGame2::UpdateArrow()
{
    UpdateTurnArrow();
    if (claimPointer && claimPointer->IsActive())
        ShowArrow(tableBlock[0], tableBlock[1]);
}

void CMJMainGame2::HideArrow()
{
    if (claimPointer) {
        claimPointer->Deactivate();
        claimPointer->Redraw();
    }
}

bool CMJMainGame2::SetActionButton(int index, int show)
{
    static constexpr ButtonSlot kSlots[6] = {kBtnStart, kBtnPeng, kBtnGang, kBtnChi, kBtnHu, kBtnPass};
    if (index < 1 || index > 5 || IsLookOnClient())
        return false;
    CXyStandButton* button = buttons[kSlots[index]];
    if (!button || button->IsActive() == (show != 0))
        return false;
    show ? button->Activate() : button->Deactivate();
    button->Redraw();
    return true;
}

void CMJMainGame2::ShowActionButton(int index, int show)
{
    // The offered ones stand side by side: one shown or hidden moves the rest.
    if (SetActionButton(index, show))
        PlaceOfferedClaims();
    if (show && index >= 1 && index <= 5 && !IsLookOnClient())
        FlashHostWindow();
}

void CMJMainGame2::HideActionButtons(int show)
{
    bool any = false;
    for (int i = 1; i <= 5; ++i)
        any = SetActionButton(i, show) || any;
    if (!any)
        return;
    PlaceOfferedClaims();
    if (show)
        FlashHostWindow();
}

bool CMJMainGame2::UnderClaimButton(const CMJCard2& tile) const
{
    const PObject* body = tile.GetBodyPicture();
    if (tile.seat != kOwnSeat || !body || !body->IsActive() ||
        (tile.state != kTileHand && tile.state != kTileDiscard && tile.state != kTileWall))
        return false;
    const Rect box{int(body->GetLeft()), int(body->GetTop()), int(body->GetRight()), int(body->GetBottom())};
    for (ButtonSlot slot : {kBtnPass, kBtnHu, kBtnGang, kBtnPeng, kBtnChi})
        if (const PObject* face = buttons[slot] && buttons[slot]->IsActive() ? buttons[slot]->GetBody() : nullptr;
            face && BoxesOverlap({int(face->GetLeft()) + 1, int(face->GetTop()) + 1, int(face->GetRight()) - 1,
                                  int(face->GetBottom()) - 1},
                                 box))
            return true;
    return false;
}

// ---- animations ----

void CMJMainGame2::ShowWaitAnimation()
{
    if (!waitAnimation) {
        PictureInfo info;
        GetRes(info, "animation_wait", 0);
        waitAnimation = Own(NewBitmapObject(info));
        if (!waitAnimation)
            return;
        waitAnimation->SetZ(kWaitZ);
        const Rect box = CentreBox();
        Place(waitAnimation, (box.left + box.right) / 2, (box.top + box.bottom) / 2);
    }
    CancelActionsOf(waitAnimation->GetId());
    // Its frames advance and redraw in the action's steps.
    const ObjectGeometry before = waitAnimation->Geometry();
    waitAnimation->Activate();
    RedrawIfChanged(*waitAnimation, before);
    ActPlayFrames(waitAnimation, 0, -1, 0, 0, nullptr);
}

void CMJMainGame2::HideWaitAnimation()
{
    if (!waitAnimation)
        return;
    CancelActionsOf(waitAnimation->GetId());
    waitAnimation->Deactivate();
    waitAnimation->Redraw();
}

void CMJMainGame2::ResetAnimation1()
{
    for (BITObject* die : dice)
        if (die) {
            CancelActionsOf(die->GetId());
            die->Deactivate();
            die->Redraw();
        }
}

void CMJMainGame2::ResetAnimation2()
{
    HideTurnIndicator();
}

void CMJMainGame2::ResetAnimation3()
{
    HideWaitAnimation();
}

void CMJMainGame2::OnAutoPlayStarted(int chair)
{
    const int seat = ChairToSeat(chair);
    if (IsSeat(seat) && players[size_t(seat)])
        players[size_t(seat)]->SetAutoPlay(1);
}

void CMJMainGame2::OnAutoPlayStopped(int chair)
{
    const int seat = ChairToSeat(chair);
    if (IsSeat(seat) && players[size_t(seat)])
        players[size_t(seat)]->HideAnimation2();
}

} // namespace Lumora
