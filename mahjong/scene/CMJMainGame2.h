#pragma once
// The mahjong table scene ("MainGame"): the engine object that shows a table of four seats and
// takes the player's input at it. It creates its controls (buttons, volume board and sliders,
// skill bar, turn clock, dice, slogan, sort picture, player panels and the pool of 168 tile
// views), lays the table out for the surface (tile metrics, the centre box, walls, discard
// areas, the own hand's rectangle, the seats' anchor points), runs the start of a game (dice,
// deal, start of play) and the table's animations (clock, turn arrow, claim pointer, wait
// animation, sort sparkles, win effect), and dispatches its events in four ranges. The tiles and
// the operations that move them are the table model's (CMJTable2); the server's notifications
// and the claim requests are handled by the layers above, through the hooks declared here.
//
// Threads: the UI thread only. The notification gate (NotifyGate) is the only thing shared with
// another thread: the dice roll closes it and the start of play opens it again.
//
// Ownership: every control and tile is an engine object linked to the scene as owned, so the
// engine releases them with the scene; the scene keeps their pointers for its life. The
// calculator is shared with the tile views. The game data (SetGameData) and the sound settings are the application's and must outlive
// the scene.
//
// Operation groups, in slot order: 1 control creation, 2 table and button handlers, 3 counts
// and seat arithmetic, 4 reset and start data, 5 hand operations, 6 caught tile and discards,
// 7 play state, 8 requests, 9 notification handlers, 10 tiles, melds and drawing, 11 start of
// play, dice, boards and claims, 12 input, 13 clock, animations and layout. Groups 3, 5, 6 and
// 10 are the table model's (the base CMJTable2, declared there in this order); groups 8 and 9
// belong to the layers above and are not declared here.
//
// Design choices where no contract fixes the behaviour (kept small):
// - Walls: position p is tile p mod 27 of section p / 27; section k stands before the seat of
//   the k-th chair in play order from the banker; a position the pool cannot supply stays
//   empty (logged). The dealt positions (0-52) go back to the pool before the deal takes its
//   tiles. The wall areas lie round the centre box (RecalcLayout): 14 stacks of TM35 above and
//   below, of TM33 at the sides, each moved out where the box is too small to keep them apart;
//   the discard areas lie outside them.
// - Dice: the first pair tumbles for 600 ms, then shows the faces of game-parameter word 12
//   (byte 0 and byte 1); 80001111 sounds them, 80001112 800 ms later hides them and deals.
// - The notification gate: RollDice closes it once however often it runs; 80001114, 80001119,
//   OnResetGame, ResetScene, the destructor and a watchdog 10 s after the roll open it.
// - Turn clock: two digits at the centre box counting down each second; at 0 it posts 80001115
//   to the scene. The turn arrow ("clock_hand_big") turns toward the seat of its position.
// - Boards: the big info board (deal line) in the centre box, the small one (deal, banker,
//   base, tiles left) at the scene's top left, created at first use and reused.
// - Player panels beside each seat's hand; a click asks the frame for the player's details.
// - Claim and start buttons are hidden until asked for; the skill bar and the slogan show.
// - Sound settings (keep silence, volumes 0-50, music) live in TableSoundSettings, which the
//   application hands over with SetSoundSettings and saves; changes write through to it.
// - The table rectangle is the scene's bounds (the main-game rectangle the frame gives it).
// - The frame's table events: 80000011 the table entered (the panels, then the start button),
//   80000012 refreshed, 80000014 a player seated, 80000016 a player leaving (his panel goes),
//   80000018 the table list, the rest of 80000014-80000021 refreshed; each refreshes the panels
//   from the application's player records.
// - The replacement tile of 80001117/80001118 travels by value in the event's two words.
#include "engine/text/Markup.h"
#include "framework/scene/CMainGame.h"
#include "mahjong/scene/CMJTable2.h"
#include "mahjong/scene/ClearPlace.h"
#include "mahjong/scene/ReadList.h"
#include "mahjong/tiles/ITileHost.h"
#include "mahjong/tiles/TileLayout.h"
#include "mahjong/tiles/TileShadowCache.h"

#include <array>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

class CMJGameData2;
class CMJCalclator;
class CMJGameConnect2;

namespace Lumora {

class BITObject;
class CMJPlayer2;
class CMJSliderBar;
class CMJXyDigit;
class CXyStandButton;
class PlaneObject;
class CMyParticle;

// The sound settings the table reads and changes.
struct TableSoundSettings {
    bool keepSilence = false;
    bool musicOn = true;
    int effectVolume = 50; // 0-50
    int musicVolume = 50;  // 0-50
    std::string backgroundMusic;
};

class CMJMainGame2 : public CMainGame, public CMJTable2, public ITileHost {
public:
    static constexpr int kButtonCount = 14;
    static constexpr int kControlCount = 19;
    static constexpr int kVolumeRange = 50;
    // The gate opens by itself this long after a roll that nothing answered.
    static constexpr uint32_t kGateWatchdogMs = 10000;

    CMJMainGame2();
    ~CMJMainGame2() override;

    void Create() override;
    int OnEvent(const EventRecord& record) override;
    void OnSize() override;
    void OnSizeDone() override;
    void OnResetGame() override;
    void OnGameReady() override;

    // 1. Control creation.
    virtual void CreateDice();
    virtual void CreateCards();
    // Decodes every size class's tile pictures, so that no layout decodes one.
    void DecodeTilePictures();
    // One tile view of the pool: a game with its own tile view makes it here.
    virtual std::unique_ptr<CMJCard2> MakeCard();
    virtual void CreatePlayers(int count);
    virtual void CreateActionButtons();
    virtual void CreateOptionButtons();
    virtual void CreateClock();
    virtual void CreateSlogan();
    virtual void CreateExtraControls();
    virtual void CreateHook() {}
    virtual void* AfxGetApp() { return nullptr; }
    virtual CMJGameData2* GetSceneGameInfo() { return gameData_; }
    virtual CXyStandButton* CreateTableButton(const char* name, uint32_t event, const char* tip, int flag, int a, int b);

    // 2. Table and button handlers.
    virtual void OnTableEntered();
    virtual void OnTableRefreshed();
    virtual void OnUserEnter(uintptr_t p1);
    virtual void OnUserLeave(uintptr_t p1);
    virtual void OnTableHook1() {}
    virtual void OnTableHook2() {}
    virtual void OnTableArranged();
    virtual void OnBtnStartGame();
    // The start request went: the start button goes and the own panel shows ready.
    void ShowOwnStartSent();
    void HideStartButton();
    virtual void OnEvent80000111();
    virtual void OnBtnAutoPlay();
    // Whether the press a record reports (with its input state) landed on the button.
    bool PressOnButton(const EventRecord& record, int slot);
    virtual void OnBtnSortHand();
    virtual void OnBtnVolume();
    virtual void OnVolumeSlider(uintptr_t p1, uintptr_t p2);
    virtual void SetSoundOn();
    virtual void SetSoundOff();
    virtual void OnVolumeSliderUp(int value);
    virtual void OnVolumeSliderDown(int value);
    virtual void ShowSkillBar(int show);
    virtual void RefreshSkillBar(int which);
    virtual void OnBtnAskKanPai();
    virtual void ReplyKanPai(uintptr_t userId, uintptr_t allow);
    virtual void ApplyBackgroundMusic();

    // 4. Reset and start data.
    virtual void LayoutTable();
    void ResetCards() override;
    virtual void ResetPlayers();
    virtual void ResetRound();
    virtual void OnGameStartData(const uint8_t* record, size_t size);
    virtual void OnGameStartData2(const uint8_t*, size_t) {}
    void ClearTableState() override;

    // 7. Play state.
    virtual int IsWaitingThrow() { return playBlock[kMustThrow]; }
    virtual int GetStateField(int i) { return i >= 0 && i < int(playBlock.size()) ? playBlock[size_t(i)] : 0; }
    virtual int GetClockValue();
    virtual void SetClockValue(int value);
    virtual void StopClock();
    virtual int GetHandMode() { return handMode; }
    virtual void SetHandMode(int mode);
    void ClearRoundFlags() override;
    virtual void PointTurnArrow(int from, int to);
    virtual void ShowTurnIndicator(int value);
    virtual int GetTurnArrowPos() { return playBlock[kArrowPos]; }
    virtual void HideTurnIndicator();
    virtual void UpdateTurnArrow();
    virtual void SetPlayModeIdle() { playState = 0; }

    // 11. Start of play, dice, boards and claims (the claim handlers are the layers' above).
    virtual void ResetScene();
    virtual void ResetTable();
    // Hides what a hand leaves on the table above the tiles: the win label, the claim and sort
    // pictures and their particles; nothing of a hand stands over the next one.
    void HideHandEffects();
    virtual void StartRound();
    // The start of play less the sort of the own hand: round info, flowers, info boards, arrow.
    void ShowRoundBoards();
    virtual void RollDice();
    virtual void CreateDiceHook();
    virtual void CreateGameInfoBoardBig(int flag);
    virtual void CreateInfoControl();
    virtual void ShowGameInfo();
    virtual void HideGameInfo();
    virtual void RefreshInfo();
    virtual void ShowRoundInfo();
    virtual void ShowBanker(int flag);
    virtual void ShowJokerMarker();
    virtual void ShowArrow(int seat, int tile);
    virtual void UpdateArrow();
    virtual void HideArrow();
    virtual void ShowActionButton(int index, int show);
    virtual void HideActionButtons(int show);
    virtual void ComputeOwnTurnOptions(int flags);
    virtual void SetHuOption(int flags);
    virtual void DoChi();
    virtual void DoAnGang(int tile);
    virtual void DoBuGang(int tile);
    virtual void DoReplaceFlower();
    virtual void ThrowOwnTile(int slot);
    virtual void OnBtnChi();
    virtual void OnBtnPeng();
    virtual void OnBtnGang();
    virtual void OnBtnHu();
    virtual void OnBtnPass();
    // The clock's time-out step while auto-play is on: hu, throw, or pass.
    virtual void AutoPlayStep();
    // The own hand slot auto-play throws from: the drawn tile, else the last concealed; -1 none.
    virtual int AutoPlayThrowSlot();
    // A claim of the own chair (peng, gang, chi, hu or pass) is on offer: its window is open.
    bool ClaimOnOffer() const;
    // 80001115: the turn clock reached 0.
    virtual void OnClockExpired();

    // 8. Requests (SceneActions.cpp). Each builds its record behind the request head and sends
    // it through the mahjong connection; false leaves the table as it was.
    virtual bool SendThrowCard(int slot);
    virtual bool SendCatchCard();
    // Why a draw record (229160) would be lost on the own hand, which has no room for it (a
    // mismatch with the server's hand: the dispatcher refuses it, which reports it), or null.
    const char* LostOwnDraw(const uint8_t* data, size_t length);
    // An own draw placed from the reply of SendCatchCard, before the hand's refresh.
    virtual void OnOwnDrawPlaced(int /*tile*/) {}
    virtual bool SendPass();
    virtual bool SendPengAnnounce();
    virtual bool SendGangAnnounce();
    // The announcement of an own gang: kind 1 concealed, 3 added.
    virtual bool SendGangAnnounceEx(int kind, int tile);
    virtual bool SendChiAnnounce(int first, int second);
    virtual bool SendPengCards();
    virtual bool SendMingGang();
    virtual bool SendAnGang(int tile);
    virtual bool SendBuGang(int tile);
    virtual bool SendChiCards(int first, int second);
    virtual bool SendReplaceFlower(int tile);
    virtual bool SendHu();
    virtual bool SendZimo();
    virtual bool SendGameMessage(uint32_t subCode, const void* data, uint32_t length, int wait);

    // 9. Notification handlers (SceneHandlers.cpp): each checks its record and drops, with a
    // log line, one that is too short or names a chair, seat, wall position, tile or count
    // outside the table.
    virtual void OnNotifyPlayerStarted(int chair);
    virtual void OnNotifyRoundStart();
    virtual void OnNotify211300();
    virtual void OnNotifyAskKanPai(const uint8_t* data, size_t length);
    virtual void OnNotifyKanPaiAnswer(const uint8_t* data, size_t length);
    virtual void OnNotifyCardThrown(const uint8_t* data, size_t length);
    virtual void OnNotifyCardCaught(const uint8_t* data, size_t length);
    virtual void OnNotify229165(const uint8_t* data, size_t length);
    virtual void OnNotifyPengAnnounced(const uint8_t* data, size_t length);
    virtual void OnNotifyPengCards(const uint8_t* data, size_t length);
    virtual void OnNotifyChiAnnounced(const uint8_t* data, size_t length);
    virtual void OnNotifyChiCards(const uint8_t* data, size_t length);
    virtual void OnNotifyGangAnnounced(const uint8_t* data, size_t length);
    virtual void OnNotifyGangCards(uint32_t id, const uint8_t* data, size_t length);
    virtual void OnNotifyFlower(const uint8_t* data, size_t length);
    virtual void OnNotifyOwnHand(const uint8_t* data, size_t length);
    virtual void OnNotifyGameResult(const uint8_t* data, size_t length);
    virtual void OnNotifyGameMessage(const uint8_t* data, size_t length);
    virtual void OnGameMessage(uint32_t subCode, const uint8_t* data, size_t length);
    virtual void OnGameMessageHook(uint32_t, const uint8_t*, size_t) {}
    virtual void OnNotifyPlayerOffline(uint32_t userId);

    // 12. Input.
    virtual int OnKeyInput(const EventRecord& record);
    virtual int OnCommand(const EventRecord& record);
    virtual int OnMouseEvent(const EventRecord& record);
    virtual int OnLButtonDown(const EventRecord& record);
    virtual void OnFlowerClick(CMJCard2& tile);
    virtual void OnChiChoiceClick(CMJCard2& tile);
    virtual void OnGangChoiceClick(CMJCard2& tile);
    virtual void OnTileDragStart(CMJCard2& tile);
    virtual void OnHandCardClick(CMJCard2& tile);
    virtual void OnHandCardRelease(CMJCard2& tile, int x, int y);

    // 13. Clock, animations and layout.
    virtual void GetSeatAnchor(TablePoint& out, int seat);
    virtual void ResetAnimation0() {}
    virtual void ShowWaitAnimation();
    virtual void HideWaitAnimation();
    virtual void OnAutoPlayStarted(int chair);
    virtual void OnAutoPlayStopped(int chair);
    virtual void ResetAnimations(int mode);
    virtual void ResetAnimation1();
    virtual void ResetAnimation2();
    virtual void ResetAnimation3();
    virtual void AnimationHook() {}
    virtual void ComputeTileMetrics(double scale);
    virtual void RecalcLayout(int seat, Rect& rect);
    virtual void OnLayoutChanged(int seat, Rect& rect);
    virtual void ScaleLayout(Rect& out);
    virtual int ScaleX25();
    virtual int ScaleX37();
    virtual double ScaleTile();
    virtual int ScaleX110();
    virtual double GetTileScale() { return tileScale_; }
    virtual void CreateCalculator();

    // The table model's hooks that need the engine.
    void GetHandRect(int seat, Rect& rect) override;
    void ShowWinEffect(int seat) override;

    // ITileHost.
    uint32_t GetSceneObjectId() const override { return GetId(); }
    Rect GetTableRect() const override;
    bool GetSplitterFlag() const override;
    TileMetrics GetTileMetrics(double scale) override;
    Rect GetWallArea(int seat) const override;
    Rect GetDiscardArea(int seat) const override;
    int GetFullHandTiles() const override { return kFullHandTiles; }
    int GetColumnLift(int seat) const override { return seat == 2 ? rightColumnLift_ : 0; }
    double GetDiscardScale() const override { return discardScale_; }
    TileShadowCache* GetShadowCache() override { return &shadows_; }

    // Wiring by the application.
    void SetGameData(CMJGameData2* data) { gameData_ = data; }
    void SetSoundSettings(TableSoundSettings* settings) { settings_ = settings; }
    TableSoundSettings& SoundSettings() { return settings_ ? *settings_ : ownSettings_; }

    // The gate lock: closed at most once, opened when held.
    bool HoldsNotifyLock() const { return lockHeld_; }
    void ReleaseNotifyLock(const char* why);

    // Play block words the scene reads itself.
    enum PlayWord : int { kMustThrow = 0, kArrowPos = 1, kJustThrown = 2, kClockValue = 3 };
    std::array<int, 21> playBlock{};
    std::array<int, 66> tableBlock{};
    int autoPlay = 0;
    int viewMode = kAreaLayout;
    int stateWord80001167 = 0;

    // Controls, for the layers above and for tests.
    std::array<CXyStandButton*, kButtonCount> buttons{};
    enum ButtonSlot : int {
        kBtnStart, kBtnAutoPlay, kBtnVolume, kBtnSort, kBtnVolumeOn, kBtnVolumeOn2, kBtnHideSkill, kBtnShowSkill,
        kBtnAskView, kBtnPass, kBtnHu, kBtnGang, kBtnPeng, kBtnChi
    };
    std::array<CMJPlayer2*, kSeatCount> players{};
    CMJXyDigit* clockDigits = nullptr;
    BITObject* clockHand = nullptr;
    std::array<BITObject*, 4> dice{};
    BITObject* particlePicture = nullptr;
    BITObject* sortPicture = nullptr;
    BITObject* claimPointer = nullptr;
    BITObject* waitAnimation = nullptr;
    PlaneObject* slogan = nullptr;
    PlaneObject* skillBar = nullptr;
    PlaneObject* volumeBoard = nullptr;
    std::array<CMJSliderBar*, 2> volumeSliders{};
    BITObject* winPicture = nullptr;
    // Shows the named action picture ("peng1", "gang2", ...) at the seat's label place for a
    // moment, then fades it out and deletes it. Nothing for an empty name or another seat.
    void PlayActionImage(int seat, const std::string& name);
    // Where a seat's label picture of that (natural) size stands (its centre) and at what size: our
    // art draws the word in the picture's upper half, kLabelLift above the middle, and the word
    // stands inside the table nearest the seat's anchor, clear of every seat's hand and melds, the
    // other seats' discards (each at its fullest, else as they lie), the seat panels with their
    // marks and the clock, and of `apart` (the other word that shows) where they would meet. Where
    // no place by the seat is clear of the tiles thrown, it shrinks rather than cover them. Follows
    // the layout.
    struct WordPlace {
        TablePoint at;
        double scale = 1.0;
    };
    WordPlace LabelPlace(int seat, int width, int height, const BITObject* apart = nullptr);
    static constexpr int kLabelLift = 22;
    // Where a board of that size stands (its centre): nearest the table's middle, whole inside the
    // table, clear of the panels and the own hand (and every hand where there is room).
    TablePoint BoardPlace(int width, int height);
    // The board open over the table, if any (the layers above own the boards); a word keeps clear of it.
    virtual Rect OpenBoardBox() const { return {}; }
    // What a player reads, as the last layout listed it (and the claim buttons offered since).
    const ReadList& ReadItems() const { return readList_; }
    // A seat panel's depth: over the discards (at most a few hundred), under the hands and melds.
    static constexpr double kPanelZ = 1000.0;
    // The box every tile of a seat's group can cover in the present layout.
    Rect SeatTilesBox(int seat, TileGroup group) const;
    // Takes the last action's picture away before its time (a win's label replaces it).
    void RemoveActionImage();
    uint32_t lastActionImageId = 0; // the picture object of the last action, while it lasts
    PlaneObject* infoBoardBig = nullptr;
    PlaneObject* infoBoardSmall = nullptr;
    CMyParticle* Emitter() { return emitter_.get(); }

protected:
    // CMJTable2 hooks.
    CMJGameData2* TableData() override { return GetSceneGameInfo(); }
    CMJCalclator* TableCalculator() override { return calculator_.get(); }
    void TileChanged(CMJCard2& tile) override;
    int IsLookOnClient() override;
    int IsTestModeClient() override;
    int OwnChair() override;
    int ChairSex(int chair) override;
    bool KeepSilence() override { return SoundSettings().keepSilence; }
    void PlaySoundResource(const char* name, double volume) override;
    double EffectVolume() override { return SoundSettings().effectVolume / double(kVolumeRange); }
    void PostSceneEvent(uint32_t delayMs, uint32_t code, uintptr_t p1) override;
    void AddPanelFlower(int seat) override;
    void HideClaimButtons() override { HideActionButtons(0); }
    void Log(const char* line) override;
    int TileMetric(int i) override { return metrics_[i]; }

    // The hand's result has come: until the next hand's reset the turn clock may still count down
    // on screen, but its time-out asks nothing of the server.
    void MarkHandOver()
    {
        handOver_ = true;
        handDealt_ = false;
    }

    // Helpers.
    // Makes the scene the owner of an object it created: the engine releases it with the scene.
    template <typename T>
    T* Own(T* object)
    {
        if (object)
            AddChild(object, LINK_OWNED);
        return object;
    }
    // A keyed plane showing that picture, at that depth.
    PlaneObject* NewPictureBoard(const char* picture, double z);
    void PostAfter(uint32_t ms, uint32_t code, uintptr_t p1 = 0, uintptr_t p2 = 0);
    void Place(PObject* object, int x, int y);
    Rect CentreBox();
    // Lists the seats' tiles, the info boards, the slogan, the clock and the dice, as now placed.
    void ListWhatIsRead();
    // Where the seats' tiles reach, for the controls placed between them.
    // Edges of the seats' tiles in the area layout. Where a rule gives only an area, the tiles'
    // pictures reach past it: the right seat's discards by their height (TM44) below it and half a
    // tile (TM45) short of its right.
    struct TableEdges {
        Rect table, hand;
        int leftColumn = 0, rightColumn = 0; // the side seats' hands and melds
        int topRowBottom = 0;
        int rightDiscardsRight = 0, rightDiscardsBottom = 0;
        int claimSize = 0; // the claim buttons'
    };
    TableEdges Edges(const Rect& hand);
    // The claim buttons offered, by the own hand and over no tile (the own discards and wall as they
    // lie), smaller where nothing there is clear; placed once the panels stand and the tiles are laid.
    void PlaceClaimButtons(const TableEdges& e, bool offeredOnly);
    void PlaceOfferedClaims();
    // Shows or hides a claim button (1..5) without placing the others; true when it changed.
    bool SetActionButton(int index, int show);
    // An own tile laid over an offered claim button's face.
    bool UnderClaimButton(const CMJCard2& tile) const;
    // Each seat panel's place and size, found beside its own seat's tiles where no tile of any seat
    // comes; the panels are only listed as read there, not yet moved or drawn.
    struct PanelPlace {
        double scale = 1.0;
        TablePoint at{};
        bool found = false;
    };
    using PanelPlaces = std::array<PanelPlace, kSeatCount>;
    // Which seat's panel crowded the table at a discard scale in the last layout: the next searches
    // it ahead of the others, unless it found room there without them.
    struct CrowdedHint {
        int seat = -1;
        bool ahead = true; // false where it found room alone, crowded only among the others' panels
    };
    // True where a panel found no room clear of a whole deal's discards. With `untilCrowded`, stops
    // at the first such panel: a layout that will try smaller discards needs no more of this one.
    // There the hint (a guess that orders the work only) is read and written.
    bool FindPanelPlaces(const TableEdges& e, PanelPlaces& out, bool untilCrowded = false, CrowdedHint* hint = nullptr);
    // Draws and moves each panel as found, once a layout.
    void ApplyPanelPlaces(const PanelPlaces& places);
    // The clock, the dice, the wait animation and the slogan, which the discard scale leaves where they are.
    void PlaceCentre();
    void PlaceControls(const TableEdges& edges, const PanelPlaces& panels);
    void StartClockTicks();
    void OnClockTick();
    void LogOnce(const char* what);

    std::shared_ptr<CMJCalclator> calculator_;
    CMJGameData2* gameData_ = nullptr;
    TableSoundSettings* settings_ = nullptr;
    TableSoundSettings ownSettings_;
    double tileScale_ = 0.5;
    // The splitter bar found last: every tile's update asks whether it stands open.
    mutable uint32_t splitterId_ = 0;
    // Its answer held for one layout: before the bar exists each tile would search the scene for it.
    std::optional<bool> splitterInLayout_;
    TileMetrics metrics_;
    TileMetricsCache metricsCache_;
    TileShadowCache shadows_;
    std::array<Rect, kSeatCount> wallAreas_{};
    std::array<Rect, kSeatCount> discardAreas_{};
    // Per seat, the boxes of its groups of tiles at their fullest, by TileGroup.
    std::array<std::array<Rect, 3>, kSeatCount> groupBoxes_{};
    ReadList readList_;
    // The panel search's blocks of places never nearer the own hand, for the next discard scale.
    NeverNearerMemo neverNearer_;
    double discardScale_ = 1.0;
    // At each discard scale but the last.
    std::array<CrowdedHint, 2> panelsCrowded_{};
    double claimScale_ = 1.0; // the claim buttons' faces, shrunk where nothing by the own hand is clear
    int rightColumnLift_ = 0; // the right seat's column over the own hand's end, with its tile raised
    int labelSeat_ = -1; // the seat of the last action's picture
    int winSeat_ = -1; // the seat of the win's label
    // Moves a seat's word to its label place, at the size that place takes (of its picture's own).
    void PlaceWord(BITObject* word, int seat, const BITObject* apart);
    // Tile pictures' sizes by name, for one layout: its discard scales ask again for the pictures the
    // first asked for, and the seats share most.
    using PictureSizes = std::vector<std::pair<std::string, std::pair<int, int>>>;
    // Every group's box, or only the discards' (all that a new discard scale moves).
    void ComputeGroupBoxes(PictureSizes& pictures, bool discardsOnly = false);
    // The labels and the claim pointer stand where the present layout puts them.
    void FollowLayout();
    bool lockHeld_ = false;
    uint32_t rollSerial_ = 0;
    uint64_t clockAction_ = 0;
    bool handOver_ = false;
    // Counts the table's resets: a request that finds it moved knows the table was rebuilt
    // while it waited.
    uint32_t tableResets_ = 0;
    // From the deal to its result or a reset: every chair is ready, the own one included.
    bool handDealt_ = false;
    std::unique_ptr<CMyParticle> emitter_;
    uint64_t emitterAction_ = 0;
    uint32_t musicChannel_ = 0; // the background music's channel, 0 while none plays
    std::map<std::string, bool> loggedOnce_;

    // The actions' state (SceneActions.cpp).
    // The wall position of the own gang's replacement already placed from the reply, or -1.
    int ownReplacementPos_ = -1;
    // When auto-play was last turned off (engine ms), for its cool-down; 0 never.
    uint64_t autoPlayOffAt_ = 0;
    // A record's words, bounded: false (and a log line) when the record is too short.
    bool NeedRecord(uint32_t id, size_t length, size_t need);
    bool ValidChair(int chair) const;
    // A tile of this game's set (GetTotalTileCount), or the hidden tile.
    bool ValidTile(int tile) { return (tile >= 0 && tile < GetTotalTileCount()) || tile == kNoTile; }
    static bool AnyTileId(int tile) { return (tile >= 0 && tile <= 151) || tile == kNoTile; }
    // A chair's tiles as the game data keeps them, each tile `valid` refuses made an empty entry.
    TileArray StoredChairTiles(int chair, bool (*valid)(int) = AnyTileId);
    void Drop(uint32_t id, const char* why);
    // Parks a seat's thrown tile still in the middle before that slot is used again.
    void ParkStaleThrown(int seat);
    // The tile becomes the seat's thrown tile, large in the middle.
    void MakeThrownTile(int seat, CMJCard2& t, int tile);
    void ClockThrowTime();
    void ClockClaimTime();
    void ArrowTo(int seat);
    void SystemLine(const Lumora::Markup& markup);
    void FlashHostWindow();
    bool ClaimCards(uint32_t requestId, int kind, const ClaimOption& option, int first, int second, int third);
    bool SendGangRecord(uint32_t requestId, int discarder, int tile, const int32_t own[3], int kind);
    bool SendHuRecord(int source, int tile, int kind);
    // Logs a request not done and shows the text the connection left.
    bool Sent(bool ok, uint32_t requestId, const std::string& text);
    // Up to n own concealed tiles of the face of `tile` (not that tile itself); -1 fills the rest.
    int OwnTilesLike(int tile, int n, int32_t out[3]);
    // The own turn's gang candidates: four of a face, or a peng and its fourth (added).
    int OwnGangCandidates(int tiles[], bool added[]);
    bool IsOwnTurn() const;
    void EndChoice();
    // True (with the line) while auto-play may not be turned on again.
    bool AutoPlayCoolingDown();
    static uint64_t NowMs();
    // The mahjong connection of the application; tests give their own.
    virtual CMJGameConnect2* TableConnect();
    bool CheckMeld(uint32_t id, const uint8_t* data, size_t length, size_t need, int tiles);
    // The own visible hand holds each of the tiles concealed (other seats: true); else dropped.
    bool HoldsConcealed(uint32_t id, int seat, std::initializer_list<int> tiles);
    void LayPengOrChi(uint32_t id, int kind, const uint8_t* data, size_t length);
    // Centres an ask dialog on the scene.
    void PlaceAskDialog(PObject& dialog);
    // The play flag that 229165 clears.
    int playFlag229165 = 0;
};

} // namespace Lumora
