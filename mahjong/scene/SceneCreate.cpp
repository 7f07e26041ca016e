// The table scene's construction, creation of its controls and tile pool, destruction, and the
// table model's hooks that reach the engine, the application and the sound.
#include "mahjong/scene/CMJMainGame2.h"

#include "engine/input/InputModule.h"
#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "engine/paint/PaintModule.h"
#include "engine/util/EngineLog.h"
#include "framework/app/GameAppAccess.h"
#include "framework/app/NotifyGate.h"
#include "mahjong/MahjongEvents.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/controls/CMJSliderBar.h"
#include "mahjong/controls/CMJXyDigit.h"
#include "mahjong/data/CMJGameData2.h"
#include "mahjong/scene/CMyParticle.h"
#include "mahjong/tiles/TilePicture.h"
#include "rules/MJCalclator.h"
#include "widgets/AppServices.h"
#include "widgets/CXyStandButton.h"
#include "widgets/CXyToolTip.h"
#include "widgets/WidgetSupport.h"

namespace Lumora {

namespace {

constexpr double kButtonZ = 10000.0;
constexpr double kSkillBarZ = 9999.0;
constexpr double kVolumeBoardZ = 9998.0;
constexpr double kClockZ = 10500.0;
constexpr double kDiceZ = 5000.0;
constexpr double kSloganZ = 10000.0;
constexpr double kSortRaise = 3000.0;
constexpr int kToolTipWidth = 120;
// Links of the hide-skill and show-skill buttons: as a body but shown and hidden on their own.
constexpr uint32_t kSkillToggleLinks = kBodyLinks & ~uint32_t(LINK_ACTIVATE_ALWAYS | LINK_DEACTIVATE_ALWAYS);
static_assert(kSkillToggleLinks == 0x3C0EB);

} // namespace

CMJMainGame2::CMJMainGame2()
{
    SetName(kMainGameName);
    for (auto& o : options)
        ClearTileArray(o.list);
}

CMJMainGame2::~CMJMainGame2()
{
    // The calculator first, then the gate, as the scene goes.
    calculator_.reset();
    ReleaseNotifyLock("scene destroyed");
}

void CMJMainGame2::Create()
{
    CreateCalculator();
    CreateClock();
    CreateExtraControls();
    IAppServices* app = GetAppServices();
    CreatePlayers(app ? app->GetChairCount() : 4);
    CreateDice();
    CreateCards();
    DecodeTilePictures();
    CreateActionButtons();
    CreateOptionButtons();
    CreateSlogan();
    CreateHook();
    ResetTable();
    ResetScene();
}

void CMJMainGame2::CreateCalculator()
{
    calculator_ = std::make_shared<CMJCalclator>();
}

CXyStandButton* CMJMainGame2::CreateTableButton(const char* name, uint32_t event, const char* tip, int flag, int, int)
{
    CXyStandButton* button = Own(NewChild<CXyStandButton>());
    if (!button)
        return nullptr;
    PictureInfo face;
    GetRes(face, name, 0);
    const EventRecord notify{GetId(), event, 0, 0};
    button->SetName(name);
    button->Create(&face, &notify, 0, 0);
    button->SetHandCursor(1);
    button->SetSound(1, "SndTouchButton");
    button->SetSound(2, "SndHitButton");
    button->SetZ(kButtonZ);
    button->Enable(flag != 0);
    if (tip && *tip)
        if (CXyToolTip* toolTip = Own(NewChild<CXyToolTip>()))
            toolTip->Attach(button, tip, kToolTipWidth);
    return button;
}

void CMJMainGame2::CreateActionButtons()
{
    const struct {
        const char* name;
        uint32_t event;
        ButtonSlot slot;
    } list[] = {{"btn_StartGame", EV_BTN_START, kBtnStart},   {"btn_AskCardView", EV_BTN_ASK_VIEW, kBtnAskView},
                {"btn_Guo_big", EV_BTN_PASS, kBtnPass},       {"btn_Hu_big", EV_BTN_HU, kBtnHu},
                {"btn_Gang_big", EV_BTN_GANG, kBtnGang},      {"btn_Peng_big", EV_BTN_PENG, kBtnPeng},
                {"btn_Chi_big", EV_BTN_CHI, kBtnChi}};
    // Hidden until the game or a claim asks for them.
    for (const auto& b : list)
        if ((buttons[b.slot] = CreateTableButton(b.name, b.event, nullptr, 1, 0, 0)))
            buttons[b.slot]->Deactivate();
}

void CMJMainGame2::CreateOptionButtons()
{
    buttons[kBtnAutoPlay] = CreateTableButton("btn_AutoPlay", EV_BTN_AUTOPLAY, "托管", 1, 0, 0);
    buttons[kBtnVolume] = CreateTableButton("btn_Volume", EV_BTN_VOLUME, "音量", 1, 0, 0);
    buttons[kBtnVolumeOn] = CreateTableButton("btn_VolumeOn", EV_BTN_SOUND_ON, "打开声音", 1, 0, 0);
    buttons[kBtnVolumeOn2] = CreateTableButton("btn_VolumeOn", EV_BTN_SOUND_OFF, "关闭声音", 1, 0, 0);
    buttons[kBtnSort] = CreateTableButton("btn_Sort", EV_BTN_SORT, "理牌", 1, 0, 0);
    buttons[kBtnHideSkill] = CreateTableButton("btn_HideSkill", EV_BTN_HIDE_SKILL, nullptr, 1, 0, 0);
    buttons[kBtnShowSkill] = CreateTableButton("btn_ShowSkill", EV_BTN_SHOW_SKILL, nullptr, 1, 0, 0);
    if (!skillBar) {
        skillBar = NewPictureBoard("bit_skillbk", kSkillBarZ);
        if (skillBar) {
            skillBar->SetTopMost();
            // The buttons themselves are linked, not their faces: linking a face would take it
            // from its button, which then no longer hears its clicks.
            for (ButtonSlot slot : {kBtnAutoPlay, kBtnVolume, kBtnSort})
                if (buttons[slot])
                    skillBar->AddChild(buttons[slot], kBodyLinks);
            for (ButtonSlot slot : {kBtnHideSkill, kBtnShowSkill})
                if (buttons[slot])
                    skillBar->AddChild(buttons[slot], kSkillToggleLinks);
        }
    }
    if (buttons[kBtnVolume] && !volumeBoard) {
        volumeBoard = NewPictureBoard("bit_volumebk", kVolumeBoardZ);
        if (volumeBoard) {
            volumeBoard->SetTopMost();
            volumeBoard->AddFlags(OBJ_TOP_LEVEL | OBJ_BOARD);
            volumeBoard->AddEventHook(EV_FOCUS_LEFT, GetId(), EV_VOLUME_BOARD_FOCUS, 0, 0);
            for (ButtonSlot slot : {kBtnVolumeOn, kBtnVolumeOn2})
                if (buttons[slot])
                    volumeBoard->AddChild(buttons[slot], kBodyLinks);
            const uint32_t events[2] = {EV_VOLUME_EFFECT, EV_VOLUME_MUSIC};
            for (int i = 0; i < 2; ++i) {
                CMJSliderBar* slider = Own(NewChild<CMJSliderBar>());
                if (!slider)
                    continue;
                slider->Create("slider_bk", "slider_bar", 1, EventRecord{GetId(), events[i], 0, 0}, kVolumeRange, 1);
                slider->SetZ(kSkillBarZ);
                volumeBoard->AddChild(slider, kBodyLinks);
                volumeSliders[size_t(i)] = slider;
            }
            volumeBoard->Deactivate();
        }
    }
    ShowSkillBar(1);
}

void CMJMainGame2::CreateClock()
{
    PictureInfo hand;
    GetRes(hand, "clock_hand_big", 0);
    clockHand = Own(NewBitmapObject(hand));
    if (clockHand) {
        clockHand->SetZ(kClockZ);
        clockHand->Deactivate();
    }
    clockDigits = Own(NewChild<CMJXyDigit>());
    if (clockDigits) {
        clockDigits->Create("digit_Clock_big", 2);
        clockDigits->SetZ(kClockZ + 1);
        clockDigits->Deactivate();
    }
}

void CMJMainGame2::CreateDice()
{
    PictureInfo face;
    GetRes(face, "dice1_00", 0);
    for (BITObject*& die : dice) {
        die = Own(NewBitmapObject(face));
        if (!die)
            continue;
        die->SetZ(kDiceZ);
        die->Deactivate();
        die->Redraw();
    }
}

PlaneObject* CMJMainGame2::NewPictureBoard(const char* picture, double z)
{
    PictureInfo back;
    GetRes(back, picture, 0);
    PlaneObject* plane = Own(NewPlaneObject(back.width, back.height, kColourKeyBackground));
    if (plane) {
        plane->DrawPicture(back, 0, 0, 0, 0, 0, 1.0);
        plane->SetZ(z);
    }
    return plane;
}

void CMJMainGame2::CreateSlogan()
{
    slogan = NewPictureBoard("bit_slogan", kSloganZ);
    if (slogan) {
        slogan->Activate();
        slogan->Redraw();
    }
    PictureInfo sort;
    GetRes(sort, "bit_SortHand", 0);
    sortPicture = Own(NewBitmapObject(sort));
    if (sortPicture) {
        sortPicture->SetZ(sortPicture->GetZ() + kSortRaise);
        sortPicture->Deactivate();
    }
}

void CMJMainGame2::CreateExtraControls()
{
    // A press anywhere in the window (either button) tells the scene once, which ends auto-play:
    // on the felt (the frame's background, which no press finds), a tile, a seat's panel, the
    // skill bar or the side panel, and before what it lands on does its own work.
    if (auto* input = dynamic_cast<InputModule*>(GetInputModule()))
        input->WatchPresses(EventRecord{GetId(), EV_CLICK_ANYWHERE, 0, 0});
}

void CMJMainGame2::CreateCards()
{
    for (int i = 0; i < kCardPoolSize; ++i) {
        if (pool[size_t(i)])
            continue;
        std::unique_ptr<CMJCard2> tile = MakeCard();
        if (!tile || !RegisterChild(tile.get()))
            continue;
        CMJCard2* t = Own(tile.release());
        t->Reset();
        t->layoutMode = viewMode;
        t->Deactivate();
        t->Redraw();
        SetPoolEntry(i, t);
    }
}

void CMJMainGame2::DecodeTilePictures()
{
    // Every size class's, now: a resize into a class not shown yet would decode its pictures in
    // that first layout (about 10 ms a class). Quietly: a table without its skins finds none.
    if (PaintModule* paint = GetPaintModule())
        for (const std::string& name : AllTilePictureNames())
            paint->GetImageFrame(name, 0);
}

std::unique_ptr<CMJCard2> CMJMainGame2::MakeCard() { return std::make_unique<CMJCard2>(calculator_, this); }

void CMJMainGame2::CreatePlayers(int count)
{
    playerCount = std::clamp(count, 0, kSeatCount);
    chairCount = playerCount == 3 ? 3 : 4;
    if (gameData_)
        gameData_->chairCount = chairCount;
    for (int chair = 0; chair < playerCount; ++chair) {
        const int seat = ChairToSeat(chair);
        if (!IsSeat(seat) || players[size_t(seat)])
            continue;
        CMJPlayer2* panel = Own(NewChild<CMJPlayer2>());
        if (!panel)
            continue;
        panel->Create(seat);
        panel->SetChair(chair);
        // Above every discard: where a crowded table leaves a panel no room clear of a whole deal's
        // discards, its name and silver stay whole over them.
        panel->SetZ(kPanelZ);
        players[size_t(seat)] = panel;
    }
}

// ---- the table model's hooks ----

void CMJMainGame2::TileChanged(CMJCard2& tile)
{
    tile.layoutMode = viewMode;
    tile.Update();
    // The buttons are placed as offered; a tile of the own laid since under one (drawn, raised, the
    // hand sorted or laid at a scale the last layout did not know) moves them clear of it.
    if (UnderClaimButton(tile))
        PlaceOfferedClaims();
}

int CMJMainGame2::IsLookOnClient()
{
    IAppServices* app = GetAppServices();
    return app ? app->IsLookOn() : 0;
}

int CMJMainGame2::IsTestModeClient()
{
    IGameAppAccess* app = GetGameAppAccess();
    return app ? app->IsTestMode() : 0;
}

int CMJMainGame2::OwnChair()
{
    IAppServices* app = GetAppServices();
    const int chair = app ? app->GetChairNO() : 0;
    return chair < 0 ? 0 : chair;
}

int CMJMainGame2::ChairSex(int chair)
{
    IAppServices* app = GetAppServices();
    if (!app || chair < 0 || size_t(chair) >= GameUserRecord::kPlayerSlots)
        return 0;
    return app->GetPlayerRecords()[size_t(chair)].Sex();
}

void CMJMainGame2::PostSceneEvent(uint32_t delayMs, uint32_t code, uintptr_t p1)
{
    PostAfter(delayMs, code, p1);
}

void CMJMainGame2::PostAfter(uint32_t ms, uint32_t code, uintptr_t p1, uintptr_t p2)
{
    const EventRecord event{GetId(), code, p1, p2};
    if (ms == 0)
        PostEvent(event);
    else
        ActWait(ms, &event);
}

void CMJMainGame2::AddPanelFlower(int seat)
{
    if (IsSeat(seat) && players[size_t(seat)])
        players[size_t(seat)]->AddFlower();
}

void CMJMainGame2::Log(const char* line)
{
    WriteRunLog("MainGame: %s", line);
}

void CMJMainGame2::LogOnce(const char* what)
{
    if (!loggedOnce_[what]) {
        loggedOnce_[what] = true;
        Log(what);
    }
}

void CMJMainGame2::ReleaseNotifyLock(const char* why)
{
    if (!lockHeld_)
        return;
    lockHeld_ = false;
    if (NotifyGate* gate = GetNotifyGate())
        gate->Open();
    if (why)
        WriteRunLog("MainGame: notification gate opened (%s)", why);
}

} // namespace Lumora
