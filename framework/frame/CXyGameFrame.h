#pragma once
// The in-game frame: the engine game object that fills the main window. It owns the two game
// parts, the table scene ("MainGame") and the side panel ("SubSystem"), lays both out whenever
// the view's size changes, shows the boxes and timed dialogs of the client stacked above the
// table, keeps the objects a match room shows while it waits, and decides what closing the
// window means during a game.
//
// Created by the application, registered (and so created) by the main window's engine start,
// laid out by OnSize on every size change, and released with the engine's objects. The game
// layer overrides LoadSkinPacks and CreateGameParts. Everything runs on the UI thread; OnSize
// may run again from inside a window resize it caused, so it keeps no state between its steps.
//
// Leaving: OnCloseRequest is the one decision (leave at once, remind, ask the other players,
// refuse or ask about the penalty). Once a leave is granted the exit-confirmed flag is set; the
// window's close handler asks DecideWindowClose, which then lets the window go at once, so the
// leave request and the exit report go out once however often the exit is confirmed.
#include "engine/text/Markup.h"
#include "engine/gui/CGameBase.h"
#include "framework/frame/FrameApp.h"
#include "framework/frame/FrameLayout.h"
#include "framework/notify/NotifyFrame.h"
#include "framework/scene/GameWinApp.h"
#include "platform/WindowTypes.h"
#include "widgets/AppServices.h"
#include "widgets/GameUserRecord.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Lumora {
class BITObject;
class CLumoraGui;
class CCySplitterBar;
class CLumoraPipeline;
class CXyBlackboard;
class CXyStandButton;
class PlaneObject;
struct PictureInfo;
} // namespace Lumora

class CXyTimerDlg;


class CXyGameFrame : public Lumora::CGameBase, public Lumora::IGameFrame, public INotifyFrame {
public:
    using EventRecord = Lumora::EventRecord;
    using Rect = Lumora::Rect;

    CXyGameFrame();
    ~CXyGameFrame() override;

    void Create() override;
    int OnEvent(const EventRecord& record) override;
    void OnSize() override;
    void OnSizeDone() override;
    // The whole view: the frame has no bounds of its own.
    void GetBounds(Rect& out) const override;

    // Hooks of the layers above, in slot order; empty here.
    virtual void LoadColours();
    virtual void LoadSkinPacks() {}
    virtual void CreateTableBackground();
    virtual void CreateFrameTop();
    virtual void CreateFrameLeft();
    virtual void CreateFrameRight();
    virtual void CreateFrameBottom();
    virtual void CreateSplitter();
    virtual void CreateFrameButtons();
    virtual void CreateGameParts() {}

    // The window's placement from the title bar and its buttons.
    virtual void OnBtnFrameMax();
    virtual void MinimizeWindow();
    virtual void DragWindow();
    virtual void BeginWindowDrag(int x, int y);
    // Over a title button's face, enabled or not: a press there falls through to the title when
    // the button is disabled, and must neither drag nor fit the window.
    bool OnTitleButton(int x, int y) const;
    virtual void EndWindowDrag();

    // Character pictures: the engine picture's name, loaded from the character's folder at
    // first use (character 0's picture when the character has none); empty when neither exists.
    virtual std::string GetCharacterImagePath(int character, int size);
    void OpenActivityAwardPage();
    void OpenActivityDrawPage();
    // Opens the side panel's activity bar for the detail board's user (its report button).
    void ShowActivityBar();

    // The frame's own events (the part of OnEvent the decoration, boards and match flow add).
    int OnFrameEvent(const EventRecord& record);
    int OnMatchEvent(const EventRecord& record);

    // The match flow.
    // The table entered (the scene's auto-leave seconds first), refreshed, and event 80000013:
    // each handed to the scene and the side panel.
    virtual void OnTableEntered();
    virtual void OnTableRefreshed();
    virtual void PostTableEvent13();
    virtual void SendRequest201231();
    virtual void SendRequest201232();
    virtual void ShowMatchWaiting();
    virtual void ShowNoSignUp();
    virtual void ShowWashout();
    virtual void ShowMatchEnd();
    virtual void ShowMatchLate();
    void ShowSystemCancel() override;
    virtual void ShowSelfCancel();
    virtual void ShowWaitSignUpCheck();
    virtual void ShowSystemRejected();
    virtual void ShowMatchStarted();
    void OnMatchSignUpOK() override;
    void OnMatchQuitOK() override;
    virtual void ShowMatchResult(Data record);
    virtual void PlayMatchEnd(Data record);
    virtual void HideMatchResult();
    virtual void ShowMatchWelcome();
    // Hides CClassSenior's board of the same name: the match room's board is this one.
    using Lumora::CClassSenior::ShowSystemBoard;
    void ShowSystemBoard(const char* text, uint32_t colour, int fontSize) override;
    void StartMatchCountdown();
    void TickMatchCountdown();
    void PlayFrameAnimation(const char* name);
    void HideMatchWaiting();
    void HideMatchPanels();

    // What the notifications call (INotifyFrame), and the forwards to the scene and side panel.
    void ShowAskExit(Data data) override;
    void OnUserChanged(const Lumora::GameUserRecord& user) override;
    void OnPlayerLeaving(const Lumora::GameUserRecord& player) override;
    void OnPlayerSeated(const Lumora::GameUserRecord& player) override;
    void RefreshTableView() override;
    void ShowKnockoutRound(Data data) override;
    void ShowMatchBegin() override;
    void ShowPromotionInfo(Data data) override;
    void OnNotify211190(Data data) override;
    void OnNotify211191(Data data) override;
    void OnNotify211241(Data data) override;
    void OnNotify211700(Data data) override;
    // Bounded copies through the event queue: one end or result in work at a time.
    void QueueMatchEnd(Data data);
    void QueueMatchResult(Data data);
    void PostTableEvent15(uintptr_t p);
    void PostTableEvent21(uintptr_t p);
    void PostSideEvent104(uintptr_t p);
    void PostTableEvent62(uintptr_t p);
    void PostTableEvent3();
    uint64_t GetMatchBeginGroup() const { return matchBeginGroup_; }
    Lumora::PObject* GetMatchResultDialog() const { return matchResultDialog_; }
    Lumora::PObject* GetSystemBoard() const { return systemBoard_; }
    Lumora::PObject* GetShade() const { return shade_; }
    const std::array<uint8_t, 172>& GetSavedMatchResult() const { return savedMatchResult_; }

    // The children: stored, named and registered under the frame, which then owns them (a part
    // that cannot be registered is deleted).
    virtual void SetMainGame(Lumora::CGameBase* scene);
    virtual void SetSubSystem(Lumora::CGameBase* panel);
    Lumora::CGameBase* GetMainGame() const { return mainGame_; }
    Lumora::CGameBase* GetSubSystem() const { return subSystem_; }

    virtual int GetSidePanelWidth();
    virtual int GetRestoredWidth();
    virtual int GetRestoredHeight();
    // Sets and returns the fills-work-area flag: 1 when the main window has exactly the work
    // area's size.
    virtual int CheckWindowMaximized();

    // The splitter's width modes (IGameFrame): 0 folds the side panel away.
    int GetLayoutWidthMode() override;
    void SetWidthMode(int mode) override;
    void ShowUserDetail(uint32_t userId, int hidePrevious) override;

    // The player detail board.
    virtual void OpenShopClothes(int clothesId);
    virtual void OnUserClicked(uint32_t userId, int x, int y);
    virtual void GetShopHost();
    virtual void ShowPlayerBoardSmall(uint32_t userId, int x, int y);
    virtual void SendRequest201230();
    virtual void ShowMatchPlayerDetail(const framework::MatchPlayerDetail& detail);
    virtual void ShowPlayerDetail(const Lumora::GameUserRecord& user);
    virtual void RefreshUserDetail();
    // The hall's answer to ShowUserDetail's ask: draws the record and, unless the board already
    // shows this user, places it at the mouse. Never asks the hall again.
    void ShowHallUserDetail(const Lumora::GameUserRecord& user);
    void HidePlayerDetail(int userId);
    Lumora::PObject* GetDetailBoard() const { return detailBoard_; }
    Lumora::PObject* GetReportButton() const { return reportButton_; }
    int GetDetailUserId() const { return detailUserId_; }

    // Leaving.
    virtual void OnCloseRequest();
    virtual void OnCloseConfirmed();
    void ShowForceQuitAsk();
    void ShowSureQuitBoard();
    // The window's close handler: CloseNow once the exit was confirmed; otherwise the decision
    // runs (the match board in a running match) and the window stays.
    CloseDecision DecideWindowClose();
    bool IsExitConfirmed() const { return exitConfirmed_; }

    // Boxes: each call makes a new one above the last. Records may be null.
    virtual CXyTimerDlg* ShowMsgBox(const Lumora::Markup& text, const EventRecord* ok, const EventRecord* cancel, int seconds,
                                    uint32_t flags, const char* icon);
    // Accepting raises the confirmed exit (80000090), refusing the close (80000091).
    virtual CXyTimerDlg* ShowAskBox(const Lumora::Markup& text, int seconds, uint32_t flags, const char* icon);
    virtual CXyTimerDlg* ShowAskBoxEx(const Lumora::Markup& text, int seconds, uint32_t flags, const char* icon,
                                      const char* okPicture, const char* cancelPicture, const char* link, int sign);
    // Slides a dialog in from below the view's lower right corner.
    void SlideInDialog(Lumora::CLumoraGui* dialog);
    // Stands a dialog (a box, an ask, a board of the frame's) where its rule puts it in the view as
    // it is now, whole inside it, sliding in from below onto the corner; OnSize places it again by
    // the same rule, or, once a player dragged it away, keeps it whole inside the view. Kept by id
    // until the dialog is gone. Depth and showing stay the caller's.
    void PlaceDialog(Lumora::PObject& dialog, framework::DialogPlace place, double bottomGap = 0);
    virtual void CreateUserListBar(uint32_t userId, int pinned);
    virtual void ShowAutoPlaying(int show);
    virtual void OnEvent80000086();
    // The detail board and its report button, as the detail board's builder makes them.
    void SetDetailBoard(Lumora::PObject* board, Lumora::PObject* reportButton);

    // What tests and the layers above read.
    int GetVisiblePanelWidth() const { return visiblePanelWidth_; }
    int GetPanelWidth() const { return sidePanelWidth_; }
    int GetFillsWorkArea() const { return fillsWorkArea_; }
    int GetExitRequestFlag() const { return exitRequest_; }
    int GetPinnedFlag() const { return pinned_; }
    // The scene's rectangle, or the frame's without a scene.
    Rect SceneRect() const;
    Lumora::CLumoraPipeline* GetEventQueue() const { return pipeline_; }
    Lumora::BITObject* GetWaitAnimation() const { return waitAnimation_; }
    Lumora::BITObject* GetAutoPlayAnimation() const { return autoPlay_; }
    Lumora::CXyStandButton* GetSignUpButton() const { return signUp_; }
    Lumora::CXyStandButton* GetGiveUpButton() const { return giveUp_; }
    Lumora::CXyStandButton* GetSettingsButton() const { return settingsButton_; }
    Lumora::CXyBlackboard* GetCountdownBoard() const { return countdownBoard_; }
    Lumora::CXyBlackboard* GetFeeBoard() const { return feeBoard_; }
    Lumora::CXyBlackboard* GetKnockoutBoard() const { return knockoutBoard_; }
    Lumora::CXyBlackboard* GetRestBoard() const { return restBoard_; }
    Lumora::PlaneObject* GetSureQuitBoard() const { return sureQuitBoard_; }
    // The forced-quit dialog while it is open.
    CXyTimerDlg* GetForceQuitDialog() const;

protected:
    // The work area at or below which the side panel is folded away.
    virtual int FoldWidthLimit() const { return 800; }
    // The gap between the view's left and right edges and the scene and side panel.
    virtual int SideMargin() const { return 4; }
    // How far above the scene's centre the auto-play animation stands.
    virtual double AutoPlayLift() const { return 0.0; }
    void FoldPanelIfNarrow(int width);
    // The widget settings: 50007 differs by layer; the base also publishes two colours.
    void PublishSettings(int setting50007, bool colours);
    // The board's picture and the character (at x 10; 135 x 270 when large), then the name's pen.
    void RepaintDetailBoard(Lumora::PlaneObject& board, int character, int y, bool large, uint32_t nameColour);
    void ShowReportButtonFor(uint32_t userId);
    void SetFitFace(const char* picture);
    void PlaceTitleButtons(int gapHelp, int gapSettings, int gapShop, int helpDrop);
    void MakeTitlePlane(int topHeight, int yT);
    Lumora::PlaneObject* MakeBorderPlane(const Lumora::PictureInfo& picture, int width, int height);
    void DrawTableHalo(int inset);
    void DrawFrameBorderTop();
    Lumora::PlaneObject* BuildDetailBoard(bool match);
    // The detail board centred at (x, y) as near as it stays inside the scene on all four sides.
    void MoveDetailBoardWithin(double x, double y);
    void DrawDetailLines(const Lumora::GameUserRecord& user, int top, int step, uint32_t nameColour,
                         uint32_t firstColour, uint32_t restColour);
    // `optional`: shown by its own rule, not with the board.
    Lumora::CXyStandButton* AddBoardButton(Lumora::PObject& board, const char* picture, uint32_t code,
                                           bool optional = false);
    void SetDetailIds(int userId, int clothesId);
    Lumora::PObject*& DetailBoardSlot() { return detailBoard_; }
    Lumora::PObject*& ReportButtonSlot() { return reportButton_; }
    std::optional<platform::Rect> WorkAreaRect() const { return WorkArea(); }
    std::optional<platform::Rect> WindowRect() const { return MainWindowRect(); }
    void SetPanelWidths(int width) { sidePanelWidth_ = width; }
    void SetVisiblePanelWidth(int width) { visiblePanelWidth_ = width; }
    void SetFillsWorkArea(int flag) { fillsWorkArea_ = flag; }
    // Where an ask dialog of another player goes; the mahjong frame stacks them.
    virtual void PlaceAskDialog(Lumora::CLumoraGui* dialog);
    // Where a dialog of `width` x `height` rests by its rule at the view's size, when placed and
    // again on each resize; a layer may keep it clear of what its table shows.
    virtual framework::Spot DialogRestOf(framework::DialogPlace place, double width, double height,
                                         double bottomGap) const;
    void ToSceneAndPanel(uint32_t code, uintptr_t p1 = 0);
    bool ShowNotice(const char* picture);
    void ShowClosingNotice(const char* picture);
    void ShowSignUpNotice(const char* picture);
    void StopCountdown();
    std::vector<uint32_t> resultButtons_;
    // Disabled now and enabled again five seconds later.
    void DebounceButton(Lumora::CXyStandButton* button);

    // The window's own chrome and placement, drawn and moved by the layers above.
    int maximised_ = 1;  // 1 while the window fills the work area
    int restoredX_ = 100;
    int restoredY_ = 100;
    int dragAnchorX_ = -1;  // -1: no drag in progress
    int dragAnchorY_ = -1;
    Lumora::PlaneObject* topPlane_ = nullptr;
    Lumora::PlaneObject* leftPlane_ = nullptr;
    Lumora::PlaneObject* rightPlane_ = nullptr;
    Lumora::PlaneObject* bottomPlane_ = nullptr;
    Lumora::PlaneObject* titlePlane_ = nullptr;
    int defaultTopHeight_ = 25;
    int defaultSideWidth_ = 3;
    int defaultBottomHeight_ = 3;
    Lumora::CXyStandButton* closeButton_ = nullptr;
    Lumora::CXyStandButton* fitButton_ = nullptr;
    Lumora::CXyStandButton* minimiseButton_ = nullptr;
    Lumora::CXyStandButton* settingsButton_ = nullptr;
    Lumora::CXyStandButton* helpButton_ = nullptr;
    Lumora::CXyStandButton* shopButton_ = nullptr;
    Lumora::CCySplitterBar* splitter_ = nullptr;
    // Match display.
    Lumora::PObject* rankDigit_ = nullptr;
    Lumora::PObject* resultTextBox_ = nullptr;
    Lumora::PObject* matchResultDialog_ = nullptr;
    Lumora::BITObject* matchBeginAnimation_ = nullptr;
    Lumora::PObject* systemBoard_ = nullptr;
    uint64_t matchBeginGroup_ = 0;
    int noticeSeconds_ = 15;
    int holdFlag_ = 0;  // set by event 80000092, cleared by 80000093
    uint64_t countdownAction_ = 0;
    std::array<uint8_t, 172> savedMatchResult_{};
    // Player detail.
    Lumora::PObject* shade_ = nullptr;
    Lumora::PObject* detailExtra_ = nullptr;
    int detailUserId_ = -1;
    int detailClothesId_ = -1;

private:
    void CreateMatchWaitObjects();
    Lumora::CXyBlackboard* MakeBoard(const char* characters, const char* strip, bool withDigits);
    Lumora::CXyStandButton* MakeButton(const char* picture, uint32_t code);
    void PlaceMatchObjects();
    // Takes the side panel's widths from the main window as it is now, and folds the panel when
    // the view narrowed to a width at which the frame starts with it folded.
    void FollowWindow(int viewWidth);
    // A new box registered under the frame, stacked by the engine's box counter.
    CXyTimerDlg* NewBox();
    void FinishBox(CXyTimerDlg* box);
    int NextBoxCounter();
    void CentreOnScene(Lumora::PObject& object) const;
    std::optional<platform::Rect> WorkArea() const;
    std::optional<platform::Rect> MainWindowRect() const;
    // Every placed dialog where its rule puts it at the view's new size.
    void PlaceDialogsAgain();

    struct KeptDialog {
        uint32_t id = 0;
        framework::DialogPlace place = framework::DialogPlace::ViewCentre;
        double bottomGap = 0;
        framework::Spot rest; // where it rests (or slides to) at the size it was placed at
        uint64_t slide = 0;   // its slide in from below, while it may still run
    };
    std::vector<KeptDialog> keptDialogs_;

    Lumora::CLumoraPipeline* pipeline_ = nullptr;
    int sidePanelWidth_ = 0;
    int visiblePanelWidth_ = 0;
    int laidOutWidth_ = 0; // the view's width at the last layout; 0 before the first
    Lumora::CGameBase* mainGame_ = nullptr;
    Lumora::CGameBase* subSystem_ = nullptr;
    Lumora::BITObject* waitAnimation_ = nullptr;
    Lumora::BITObject* autoPlay_ = nullptr;
    Lumora::PlaneObject* sureQuitBoard_ = nullptr;
    Lumora::CXyStandButton* signUp_ = nullptr;
    Lumora::CXyStandButton* giveUp_ = nullptr;
    Lumora::CXyBlackboard* feeBoard_ = nullptr;
    Lumora::CXyBlackboard* countdownBoard_ = nullptr;
    Lumora::CXyBlackboard* knockoutBoard_ = nullptr;
    Lumora::CXyBlackboard* restBoard_ = nullptr;
    Lumora::PObject* detailBoard_ = nullptr;
    Lumora::PObject* reportButton_ = nullptr;
    int pinned_ = 0;
    int exitRequest_ = 0;
    int fillsWorkArea_ = 1;
    uint32_t forceQuitDialog_ = 0;  // by id: the dialog releases itself
    bool exitConfirmed_ = false;
};

// The scene's and the side panel's rectangles, through the main window's game object; each
// falls back to the frame's rectangle when that part is missing. False without a frame.
bool GetMainGameRect(Lumora::Rect& out);
bool GetSubSystemRect(Lumora::Rect& out);
// The main window's frame's character picture name; empty without a frame.
std::string GetCharacterImagePath(int character, int size);
// The frame's answer to its event 80000024: request 201161 while the table flag is set.
void OnBtnRequest201161();
