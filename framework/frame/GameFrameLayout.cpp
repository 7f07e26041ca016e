// The in-game frame: construction, creation with the match room's wait objects, the layout of
// the scene and the side panel, and the window facts the layout depends on.
#include "framework/frame/CXyGameFrame.h"

#include "engine/host/LumoraWnd.h"
#include "engine/object/PictureObject.h"
#include "framework/frame/FrameApp.h"
#include "framework/frame/FrameEvents.h"
#include "framework/frame/FrameLayout.h"
#include "framework/frame/FrameSupport.h"
#include "framework/frame/FrameTexts.h"
#include "framework/switchroom/CSwitchRoomDlg.h"
#include "platform/DisplayWindow.h"
#include "widgets/CCySplitterBar.h"
#include "widgets/CLumoraPipeline.h"
#include "widgets/CXyBlackboard.h"
#include "widgets/CXyStandButton.h"
#include "widgets/SidePanelObjects.h"
#include "widgets/WidgetSupport.h"

using namespace Lumora;
using namespace framework;

namespace {

constexpr const char* kFrameName = "GameFrame";
constexpr const char* kSceneName = "MainGame";
constexpr const char* kWaitAnimation = "animation_WaitArrangeTable";
constexpr int kMatchStarted = 500;
constexpr uint32_t kFeeBoardLinks = 0x180A3;
constexpr uint32_t kMatchButtonFaceFlags = 4;
constexpr const char* kDigits = "0123456789";
constexpr const char* kDigitStrip = "digit_waitmatchstart";

} // namespace

CXyGameFrame::CXyGameFrame()
{
    // The fills-work-area flag starts at 1, so the first widths are those of a full window.
    sidePanelWidth_ = GetSidePanelWidth();
    visiblePanelWidth_ = sidePanelWidth_;
}

CXyGameFrame::~CXyGameFrame() = default;

void CXyGameFrame::Create()
{
    SetName(kFrameName);
    LoadSkinPacks();
    LoadColours();
    CreateFrameButtons();
    CreateTableBackground();
    CreateGameParts();
    if (const IFrameApp* app = GetFrameApp(); app && app->IsMatch())
        CreateMatchWaitObjects();
}

CXyBlackboard* CXyGameFrame::MakeBoard(const char* characters, const char* strip, bool withDigits)
{
    auto* board = NewChild<CXyBlackboard>();
    if (!board)
        return nullptr;
    board->Create(40, 42, 18);
    // The match texts show over the table: in the scene's own layers its wall tiles would cover them.
    board->SetTopMost();
    board->SetGlyphs(characters, strip);
    if (withDigits)
        board->SetGlyphs(kDigits, kDigitStrip);
    return board;
}

CXyStandButton* CXyGameFrame::MakeButton(const char* picture, uint32_t code)
{
    return NewFaceButton(*this, picture, {GetId(), code, 0, 0}, kMatchButtonFaceFlags, ButtonSounds::None);
}

void CXyGameFrame::CreateMatchWaitObjects()
{
    const IFrameApp* app = GetFrameApp();
    const bool started = app && app->GetMatchState() >= kMatchStarted;
    PictureInfo wait;
    waitAnimation_ = NewBitmapObject(GetPicture(wait, kWaitAnimation, 0));
    if (waitAnimation_)
        waitAnimation_->SetTopMost();
    pipeline_ = NewChild<CLumoraPipeline>();
    if (!countdownBoard_ && !started)
        countdownBoard_ = MakeBoard(kCountdownGlyphs, "word_waitmatchstart", true);
    signUp_ = MakeButton("btn_signup", EV_FRAME_SIGN_UP);
    giveUp_ = MakeButton("btn_giveup", EV_FRAME_GIVE_UP);
    if (!feeBoard_ && !started) {
        feeBoard_ = MakeBoard(kFeeGlyphs, "word_waitmatchstart", true);
        if (feeBoard_ && signUp_)
            signUp_->AddChild(feeBoard_, kFeeBoardLinks);
    }
    if (!knockoutBoard_)
        knockoutBoard_ = MakeBoard(kKnockoutGlyphs, "word_washturn", true);
    if (!restBoard_) {
        restBoard_ = MakeBoard(kRestGlyphs, "word_resttable", true);
        if (restBoard_ && waitAnimation_) {
            restBoard_->MoveTo(waitAnimation_->GetX(),
                               waitAnimation_->GetTop() - restBoard_->GetHeight() / 2 - 10);
            restBoard_->Redraw();
        }
    }
}

void CXyGameFrame::SetMainGame(CGameBase* scene)
{
    if (scene && !RegisterChild(scene)) {
        delete scene;
        scene = nullptr;
    }
    mainGame_ = scene;
    if (mainGame_)
        mainGame_->SetName(kSceneName);
}

void CXyGameFrame::SetSubSystem(CGameBase* panel)
{
    if (panel && !RegisterChild(panel)) {
        delete panel;
        panel = nullptr;
    }
    subSystem_ = panel;
    if (subSystem_)
        subSystem_->SetName(kSubSystemName);
}

void CXyGameFrame::GetBounds(Rect& out) const { out = {0, 0, GetViewWidth(), GetViewHeight()}; }

Rect CXyGameFrame::SceneRect() const
{
    Rect r;
    if (mainGame_)
        mainGame_->GetBounds(r);
    else
        GetBounds(r);
    return r;
}

void CXyGameFrame::OnSize()
{
    const int v = GetViewWidth(), h = GetViewHeight();
    if (v <= 0 || h <= 0)
        return;
    // The advert's browser window lies over the engine's drawing: hidden while things move.
    auto* advert = dynamic_cast<IAdvertWindow*>(FindByName(kAdvertBarName));
    const bool advertShown = advert && advert->IsAdvertShown();
    if (advertShown)
        advert->HideAdvertWindow();

    FollowWindow(v);
    const bool expanded = !splitter_ || splitter_->IsExpanded();
    const double splitterWidth = splitter_ ? splitter_->GetWidth() : 0.0;
    const FrameRects rects =
        LayoutRects(v, h, sidePanelWidth_, visiblePanelWidth_, expanded, splitterWidth, SideMargin());
    if (subSystem_)
        subSystem_->SetBounds(rects.panel);
    if (mainGame_)
        mainGame_->SetBounds(rects.scene);
    CreateTableBackground();
    PlaceMatchObjects();
    // A board of a player's details opened at a wider size stays on the table, its close button
    // within reach.
    if (detailBoard_ && detailBoard_->IsActive()) {
        MoveDetailBoardWithin(detailBoard_->GetX(), detailBoard_->GetY());
        detailBoard_->Redraw();
    }
    // So does the room-switch box, which would otherwise stand over the splitter it hides from a
    // click once the panel unfolds.
    if (PObject* tip = FindByName(CSwitchRoomDlg::kName); tip && tip->IsActive()) {
        const Spot at = KeepWhole(SceneRect(), tip->GetX(), tip->GetY(), tip->GetWidth(), tip->GetHeight());
        tip->MoveTo(at.x, at.y);
        tip->Redraw();
    }
    PlaceDialogsAgain();
    // The felt was drawn anew under everything, which no object's repaint covers: the splitter
    // folds the panel without a resize of the window, whose own full repaint would (one frame:
    // this only marks the view).
    FullRedraw();

    if (advertShown)
        advert->ShowAdvertWindow();
}

void CXyGameFrame::FollowWindow(int viewWidth)
{
    // The widths come from the window as it is now, not as it was when they were last set: a
    // window whose display took another size lays out as one started at that size, whose
    // narrow view starts with the panel folded.
    CheckWindowMaximized();
    sidePanelWidth_ = GetSidePanelWidth();
    if (laidOutWidth_ != 0 && viewWidth != laidOutWidth_)
        FoldPanelIfNarrow(viewWidth);
    laidOutWidth_ = viewWidth;
    visiblePanelWidth_ = !splitter_ || splitter_->IsExpanded() ? sidePanelWidth_ : 0;
}

void CXyGameFrame::PlaceMatchObjects()
{
    const Rect scene = SceneRect();
    const int left = scene.left, top = scene.top;
    const int wm = scene.right - scene.left, hm = scene.bottom - scene.top;
    const int cx = left + wm / 2;
    auto place = [](PObject* o, double x, double y) {
        if (o) {
            o->MoveTo(x, y);
            o->Redraw();
        }
    };
    place(matchBeginAnimation_, cx, top + hm / 3);
    place(waitAnimation_, cx, top + hm / 2);
    if (waitAnimation_ && restBoard_)
        place(restBoard_, waitAnimation_->GetX(), waitAnimation_->GetTop() - restBoard_->GetHeight() / 2 - 5);
    place(systemBoard_, cx, top + 3 * hm / 5);
    place(countdownBoard_, cx, top + hm / 2);
    place(knockoutBoard_, cx, top + hm / 2);
    if (giveUp_)
        place(giveUp_, left + giveUp_->GetWidth() / 2, top + hm - giveUp_->GetHeight() / 2);
    place(signUp_, cx, top + 2 * hm / 3);
    place(autoPlay_, cx, top + hm / 2 - AutoPlayLift());
}

void CXyGameFrame::OnSizeDone()
{
    if (mainGame_)
        mainGame_->OnSizeDone();
    if (subSystem_)
        subSystem_->OnSizeDone();
    if (IFrameApp* app = GetFrameApp())
        app->EnterGameOrMatch();
}

std::optional<platform::Rect> CXyGameFrame::WorkArea() const
{
    IFrameApp* app = GetFrameApp();
    CLumoraWnd* wnd = app ? app->GetMainWnd() : nullptr;
    platform::DisplayWindow* window = wnd ? wnd->GetWindow() : nullptr;
    if (!window)
        return std::nullopt;
    return window->WorkArea();
}

std::optional<platform::Rect> CXyGameFrame::MainWindowRect() const
{
    IFrameApp* app = GetFrameApp();
    CLumoraWnd* wnd = app ? app->GetMainWnd() : nullptr;
    platform::DisplayWindow* window = wnd ? wnd->GetWindow() : nullptr;
    if (!window)
        return std::nullopt;
    return window->ScreenRect();
}

int CXyGameFrame::GetSidePanelWidth()
{
    const std::optional<platform::Rect> area = WorkArea();
    return SidePanelWidth(fillsWorkArea_ != 0, area ? area->Width() : 0);
}

int CXyGameFrame::GetRestoredWidth()
{
    const std::optional<platform::Rect> area = WorkArea();
    return RestoredWidth(area ? area->Width() : 0);
}

int CXyGameFrame::GetRestoredHeight() { return kRestoredHeight; }

int CXyGameFrame::CheckWindowMaximized()
{
    const std::optional<platform::Rect> area = WorkArea();
    const std::optional<platform::Rect> window = MainWindowRect();
    fillsWorkArea_ = area && window && window->Width() == area->Width() && window->Height() == area->Height();
    return fillsWorkArea_;
}

int CXyGameFrame::GetLayoutWidthMode()
{
    const std::optional<platform::Rect> area = WorkArea();
    return LayoutWidthMode(fillsWorkArea_ != 0, area ? area->Width() : 0);
}

void CXyGameFrame::SetWidthMode(int mode)
{
    sidePanelWidth_ = GetSidePanelWidth();
    visiblePanelWidth_ = mode == 0 ? 0 : sidePanelWidth_;
}

bool GetMainGameRect(Rect& out)
{
    IFrameApp* app = GetFrameApp();
    CLumoraWnd* wnd = app ? app->GetMainWnd() : nullptr;
    const auto* frame = wnd ? dynamic_cast<CXyGameFrame*>(wnd->GetGameObject()) : nullptr;
    if (!frame)
        return false;
    out = frame->SceneRect();
    return true;
}

bool GetSubSystemRect(Rect& out)
{
    IFrameApp* app = GetFrameApp();
    CLumoraWnd* wnd = app ? app->GetMainWnd() : nullptr;
    const auto* frame = wnd ? dynamic_cast<CXyGameFrame*>(wnd->GetGameObject()) : nullptr;
    if (!frame)
        return false;
    frame->GetBounds(out);
    if (const CGameBase* panel = frame->GetSubSystem())
        panel->GetBounds(out);
    return true;
}
