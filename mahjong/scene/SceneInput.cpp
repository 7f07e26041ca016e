// The table scene's event hook: the four ranges of table events (animations, commands, the
// scene's own timed events, tile events), the scene's table of application events, and the
// clicks, choices and drags of the own hand's tiles.
#include "mahjong/scene/CMJMainGame2.h"

#include "engine/input/InputData.h"
#include "engine/object/PictureObject.h"
#include "mahjong/MahjongEvents.h"
#include "mahjong/scene/CMyParticle.h"
#include "framework/frame/FrameApp.h"
#include "widgets/AppServices.h"
#include "widgets/CXyStandButton.h"

namespace Lumora {

namespace {

constexpr double kDragRaise = 2900.0;
constexpr double kWatchAlpha = 0.8;
constexpr double kSortFadeStep = -0.05;

bool InRange(uint32_t code, uint32_t first, uint32_t last)
{
    return code >= first && code <= last;
}

} // namespace

int CMJMainGame2::OnEvent(const EventRecord& record)
{
    const uint32_t code = record.code;
    if (InRange(code, EV_RANGE_MOUSE_FIRST, EV_RANGE_MOUSE_LAST))
        return OnMouseEvent(record);
    if (InRange(code, EV_RANGE_COMMAND_FIRST, EV_RANGE_COMMAND_LAST))
        return OnCommand(record);
    if (InRange(code, EV_RANGE_KEY_FIRST, EV_RANGE_KEY_LAST))
        return OnKeyInput(record);
    if (InRange(code, EV_RANGE_TILE_FIRST, EV_RANGE_TILE_LAST))
        return OnLButtonDown(record);
    switch (code) {
    case EV_TABLE_ENTERED: OnTableEntered(); return 1;
    case EV_TABLE_REFRESHED: OnTableRefreshed(); return 1;
    case EV_USER_ENTER: OnUserEnter(record.param1); return 1;
    case EV_USER_LEAVE: OnUserLeave(record.param1); return 1;
    case EV_TABLE_ARRANGED: OnTableArranged(); return 1;
    case EV_CLICK_ANYWHERE:
        // The auto-play button ends it itself, once.
        if (autoPlay && !PressOnButton(record, kBtnAutoPlay))
            OnBtnAutoPlay();
        return 1;
    case EV_SCENE_EVENT_111: OnEvent80000111(); return 1;
    case EV_ASK_VIEW_ANSWER: ReplyKanPai(record.param1, record.param2); return 1;
    default:
        if (InRange(code, EV_TABLE_EVENTS_FIRST, EV_TABLE_EVENTS_LAST)) {
            OnTableRefreshed();
            return 1;
        }
        break;
    }
    return CMainGame::OnEvent(record);
}

bool CMJMainGame2::PressOnButton(const EventRecord& record, int slot)
{
    CXyStandButton* button = buttons[size_t(slot)];
    if (!button || !record.param2)
        return false;
    const uint32_t pressed = reinterpret_cast<const InputData*>(record.param2)->hovered;
    return pressed == button->GetId() || (button->GetBody() && pressed == button->GetBody()->GetId());
}

int CMJMainGame2::OnCommand(const EventRecord& record)
{
    const uint32_t code = record.code;
    if (InRange(code, EV_BTN_CHI, EV_BTN_PASS) && autoPlay)
        OnBtnAutoPlay();
    switch (code) {
    case EV_BTN_START: OnBtnStartGame(); break;
    case EV_BTN_ASK_VIEW: OnBtnAskKanPai(); break;
    case EV_BTN_CHI: OnBtnChi(); break;
    case EV_BTN_PENG: OnBtnPeng(); break;
    case EV_BTN_GANG: OnBtnGang(); break;
    case EV_BTN_HU: OnBtnHu(); break;
    case EV_BTN_PASS: OnBtnPass(); break;
    case EV_BTN_VOLUME: OnBtnVolume(); break;
    case EV_BTN_SOUND_ON: SetSoundOn(); break;
    case EV_BTN_SOUND_OFF: SetSoundOff(); break;
    case EV_BTN_SORT: OnBtnSortHand(); break;
    case EV_BTN_AUTOPLAY: OnBtnAutoPlay(); break;
    case EV_BTN_HIDE_SKILL: ShowSkillBar(0); break;
    case EV_BTN_SHOW_SKILL: ShowSkillBar(1); break;
    case EV_CMD_CLOSE:
        if (framework::IFrameApp* app = framework::GetFrameApp())
            app->PostCloseToMainWindow();
        break;
    case EV_CMD_80001150: LogOnce("command 80001150"); break;
    case EV_CMD_80001151: LogOnce("command 80001151"); break;
    case EV_VOLUME_BOARD_FOCUS: OnVolumeSlider(record.param1, record.param2); break;
    case EV_VOLUME_EFFECT: OnVolumeSliderUp(int(record.param1)); break;
    case EV_VOLUME_MUSIC: OnVolumeSliderDown(int(record.param1)); break;
    default: return 0;
    }
    return 1;
}

int CMJMainGame2::OnKeyInput(const EventRecord& record)
{
    switch (record.code) {
    case EV_CLOCK_TICK:
        OnClockTick();
        return 1;
    case EV_DICE_SOUND:
        for (int i = 0; i < 2; ++i)
            if (dice[size_t(i)]) {
                dice[size_t(i)]->Deactivate();
                dice[size_t(i)]->Redraw();
            }
        PlayTableSound("SndDice");
        return 1;
    case EV_DICE_DONE:
        for (size_t pair = 0; pair < 2; ++pair)
            if (record.param1 == pair + 1 && dice[pair * 2] && dice[pair * 2 + 1])
                for (size_t i = pair * 2; i < pair * 2 + 2; ++i) {
                    dice[i]->Deactivate();
                    dice[i]->Redraw();
                }
        CreateDiceHook();
        return 1;
    case EV_DEAL_SEAT_SHOWN:
        PlayThrowSound(int(record.param1));
        return 1;
    case EV_PLAY_STARTS:
        StartRound();
        ReleaseNotifyLock("play starts");
        return 1;
    case EV_DICE_ANIMATION_END:
        ReleaseNotifyLock("dice done");
        return 1;
    case EV_GATE_WATCHDOG:
        // Only the watchdog of the latest roll counts.
        if (lockHeld_ && record.param1 == rollSerial_)
            ReleaseNotifyLock("watchdog: nothing answered the dice roll");
        return 1;
    case EV_CLOCK_EXPIRED:
        OnClockExpired();
        return 1;
    case EV_REPLACEMENT_GANG:
    case EV_REPLACEMENT_FLOWER: {
        // The claim operations post the replacement tile as three words by value: tile, wall
        // position, claim flags.
        const int tile = int(record.param1 & 0xFFFF), wallPos = int(record.param1 >> 16);
        const int flags = int(record.param2);
        if (IsJokerTile(tile) && GetJokerValue(0) != kNoEntry)
            ShowJokerMarker();
        // A concealed gang's full hand has room for it only once the gang's notification lays
        // the meld: that places it then.
        if (!CatchWallCard(kOwnSeat, wallPos, tile) && record.code == EV_REPLACEMENT_GANG)
            ownReplacementPos_ = -1;
        // The replacement begins the own turn. The gang's notification may have come first and,
        // finding no drawn tile yet, left the hand unable to throw.
        playBlock[kMustThrow] = 1;
        playState = kPlayStateTurn;
        ArrowTo(kOwnSeat);
        RefreshOwnHand();
        if (MarkFlowerChoice() == 0) {
            ComputeOwnTurnOptions(flags);
            SetHuOption(flags);
        }
        RefreshHand(kOwnSeat);
        return 1;
    }
    default:
        return 0;
    }
}

int CMJMainGame2::OnLButtonDown(const EventRecord& record)
{
    auto* tile = reinterpret_cast<CMJCard2*>(record.param1);
    bool ours = false;
    for (CMJCard2* t : pool)
        ours = ours || (t && t == tile);
    if (!ours || tile->seat != kOwnSeat || tile->state != kTileHand || tile->meldKind != kMeldNone)
        return 0;
    // The input state is there only when the engine raised the event; a direct send may carry none.
    const auto* input = reinterpret_cast<const InputData*>(record.param2);
    switch (record.code) {
    case EV_TILE_WATCH_ENTER:
        tile->GetBody() ? tile->GetBody()->SetAlpha(kWatchAlpha) : void();
        tile->Redraw();
        PlayTableSound("SndDe");
        return 1;
    case EV_TILE_WATCH_LEAVE:
        tile->GetBody() ? tile->GetBody()->SetAlpha(1.0) : void();
        tile->Redraw();
        return 1;
    case EV_TILE_ENTER:
        if (tile->raised)
            return 0;
        for (int slot = 0; slot < GetMaxHandSlots(); ++slot)
            if (CMJCard2* t = hands[kOwnSeat][size_t(slot)]; t && t != tile && t->state == kTileHand && t->raised) {
                t->raised = 0;
                TileChanged(*t);
            }
        tile->raised = 1;
        TileChanged(*tile);
        PlayTableSound("SndDe");
        return 1;
    case EV_TILE_LEAVE:
        if (!input || (input->dx == 0 && input->dy == 0))
            return 0;
        tile->raised = 0;
        TileChanged(*tile);
        PlayTableSound("SndDe");
        return 1;
    case EV_TILE_GANG_CHOICE: OnGangChoiceClick(*tile); return 1;
    case EV_TILE_CHI_CHOICE: OnChiChoiceClick(*tile); return 1;
    case EV_TILE_THROW_CLICK: OnFlowerClick(*tile); return 1;
    case EV_TILE_DRAG_START: OnTileDragStart(*tile); return 1;
    case EV_TILE_DRAG_MOVE:
        if (!input)
            return 0;
        OnHandCardRelease(*tile, input->x, input->y);
        return 1;
    case EV_TILE_DRAG_END: OnHandCardClick(*tile); return 1;
    default: return 0;
    }
}

int CMJMainGame2::OnMouseEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_TURN_INDICATOR: ShowTurnIndicator(int(record.param1)); break;
    case EV_SKILL_REFRESH0: RefreshSkillBar(0); break;
    case EV_SKILL_REFRESH1: RefreshSkillBar(1); break;
    case EV_DRAWN_REFRESH:
        if (CMJCard2* drawn = hands[kOwnSeat][kDrawnSlot]) {
            RefreshHand(kOwnSeat);
            if (IsJokerTile(drawn->tile) && GetJokerValue(0) != kNoEntry)
                ShowJokerMarker();
        }
        break;
    case EV_CLEAR_STATE_WORD: stateWord80001167 = 0; break;
    case EV_SORT_NOW: {
        const int first = HasCaughtCard(kOwnSeat) ? 0 : 1;
        SortTileRange(hands[kOwnSeat], first, GetLastHandSlot(kOwnSeat));
        RefreshHand(kOwnSeat);
        if (sortPicture)
            ActFadeTo(sortPicture, kSortFadeStep, 0.0, GetActionInterval(), nullptr);
        break;
    }
    case EV_SORT_DONE:
        if (particlePicture) {
            particlePicture->Deactivate();
            particlePicture->Redraw();
        }
        if (sortPicture) {
            sortPicture->Deactivate();
            sortPicture->Redraw();
        }
        if (emitter_)
            emitter_->Stop();
        break;
    default: return 0;
    }
    return 1;
}

// ---- tile clicks ----

void CMJMainGame2::OnChiChoiceClick(CMJCard2& tile)
{
    if (IsLookOnClient() || tile.dimmed6 || !tile.inHand)
        return;
    tile.lifted = !tile.lifted;
    TileChanged(tile);
    TileArray selected;
    if (GetSelectedCard(selected) == 2)
        DoChi();
}

void CMJMainGame2::OnGangChoiceClick(CMJCard2& tile)
{
    if (IsLookOnClient() || tile.dimmed6 || !tile.inHand)
        return;
    tile.lifted = !tile.lifted;
    TileChanged(tile);
    TileArray selected;
    if (GetSelectedCard(selected) != 1)
        return;
    TileArray same;
    FindSameTiles(tile.tile, same);
    int last = -1;
    for (int32_t id : same)
        if (id != kNoEntry)
            last = std::max(last, FindTileSlot(kOwnSeat, id));
    CMJCard2* other = last >= 0 ? hands[kOwnSeat][size_t(last)] : nullptr;
    if (!other)
        return;
    if (other->meldKind == kMeldNone)
        DoAnGang(tile.tile);
    else if (other->meldKind == kMeldPeng)
        DoBuGang(tile.tile);
}

void CMJMainGame2::OnFlowerClick(CMJCard2& tile)
{
    if (IsLookOnClient() || tile.dimmed6 || !tile.inHand)
        return;
    if (autoPlay)
        OnBtnAutoPlay();
    if (IsFlowerTile(tile.tile))
        DoReplaceFlower();
    else
        ThrowOwnTile(tile.index);
}

void CMJMainGame2::OnTileDragStart(CMJCard2& tile)
{
    if (IsLookOnClient() || handMode != kHandNormal || !tile.inHand)
        return;
    tile.z += kDragRaise;
    if (tile.GetBody())
        tile.GetBody()->SetZ(tile.z);
    tile.Redraw();
}

void CMJMainGame2::OnHandCardRelease(CMJCard2& tile, int x, int y)
{
    if (IsLookOnClient() || handMode != kHandNormal || !tile.inHand)
        return;
    Rect hand;
    GetHandRect(kOwnSeat, hand);
    if (x >= hand.left && x < hand.right && y >= hand.top && y < hand.bottom) {
        // The picture stands where the tile is seen; the tile object itself stays put, as moving
        // it would shift its picture by the distance, not to the point.
        if (PObject* body = tile.GetBody()) {
            body->MoveTo(x, hand.bottom - metrics_[1] / 2 - 10);
            body->Redraw();
        }
        // Carried at the hand's top, above where its tiles lie: the claim buttons offered keep clear
        // of the hand as it lies now.
        PlaceOfferedClaims();
    } else {
        OnHandCardClick(tile);
    }
}

void CMJMainGame2::OnHandCardClick(CMJCard2& tile)
{
    if (IsLookOnClient() || handMode != kHandNormal || !tile.inHand)
        return;
    Rect hand;
    GetHandRect(kOwnSeat, hand);
    const int left = int(tile.GetX() - tile.GetWidth() / 2), top = int(tile.GetY() - tile.GetHeight() / 2);
    const int slot = GetDropSlot(tile.index, left, top - hand.top);
    MoveOwnHandTile(tile.index, slot);
    PlayTableSound("SndDe");
}

} // namespace Lumora
