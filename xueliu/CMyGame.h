#pragma once
// CMyGame: this game's table scene, the only one the frame creates. It keeps the mahjong scene
// and adds what this game changes: a 108-tile wall and 19 hand slots, this game's tile views,
// its voices ("male1_"/"female1_"), the deal's steps (exchange three, missing suit), the wins
// that do not end the hand (each one shown at once, the winner's count on its seat, the won
// tile taken away, an own win locking the hand to its drawn tile), the score changes of gangs
// and of the end, and the result.
//
// The steps' records come from CGameNotifyEx through OnGameStep; each is checked here and a
// record too short, or naming a chair, tile or suit outside the table, is dropped with a log
// line. The server decides every claim: the calculator's state written here is a hint only.
//
// Threads: the UI thread.
#include "mahjong/scene/CMJMainGame2.h"
#include "xueliu/ResultSummary.h"

#include <array>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

class CGameInfoEx;

namespace Lumora {
class CMyCalclator;
class CXyCheckGroup;
class CXyResultListXueliu;
class CXyStandDlg;
class CXyStandButton;
} // namespace Lumora

class CMyGame : public Lumora::CMJMainGame2 {
public:
    static constexpr int kHandSlots = 19;
    static constexpr int kTiles = 108;
    static constexpr int kSuits = 3;
    static constexpr int kBoardWidth = 300; // a board's client width unless it asks for more
    // A win's label stands two seconds while the hand plays on, then fades.
    static constexpr uint32_t kWinLabelHoldMs = 2000;
    static constexpr double kWinLabelFadeStep = 0.06;
    // Scene events of this game.
    enum Event : uint32_t {
        kEvExchangeClick = 80001126, // a hand tile clicked while choosing the three
        kEvSettings = 80000084,      // the frame's settings button
        kEvLowerReceived = 80001190, // the received three go down again
        kEvBoardOk = 80001191,       // p1: the board
        kEvResultContinue = 80001192,
        kEvResultLeave = 80001193,
        kEvBoardClose = 80001194,
        kEvMissingTick = 80001195,
        kEvExchangeRetry = 80001196, // p1: attempt, p2: the exchange's serial
        kEvExchangeTick = 80001197,  // p1: seconds left, p2: the exchange's serial
        kEvWinLabelFade = 80001198,  // p1: the win's serial
        kEvBoardKey = 80001200,      // p1: the board; a key went down on it
    };
    enum Board : int { kBoardExchange = 1, kBoardMissing = 2, kBoardResult = 3, kBoardSettings = 4, kBoardQr = 5 };
    // The steps' phases.
    enum Phase : int { kPhaseIdle = 0, kPhaseExchange = 1, kPhaseExchangeWait = 2, kPhaseMissing = 3,
                       kPhaseMissingWait = 4, kPhasePlay = 5, kPhaseEnded = 6 };

    int GetMaxHandSlots() override { return kHandSlots; }
    int GetTotalTileCount() override { return kTiles; }
    std::unique_ptr<Lumora::CMJCard2> MakeCard() override;
    void CreateCalculator() override;
    void CreateHook() override;
    CMJGameData2* GetSceneGameInfo() override;
    int OnEvent(const Lumora::EventRecord& record) override;
    // The table's layout, and an open board kept in the middle of the table.
    void OnSize() override;
    Lumora::Rect OpenBoardBox() const override;

    // The gang routines and the voices of this game.
    void AddMingGangSeat0(const Lumora::MeldRecord& record, int restore) override;
    void AddMingGangSeat1(const Lumora::MeldRecord& record, int restore) override;
    void AddMingGangSeat2(const Lumora::MeldRecord& record, int restore) override;
    void AddBuGang(int seat, const Lumora::MeldRecord& record, int restore) override;
    void AddAnGangOther(int seat, const Lumora::MeldRecord& record, int restore) override;
    void PlayTileVoice(int seat, int tile) override;
    void PlayActionVoice(int seat, const char* action) override;
    void ShowWinEffect(int seat) override;
    void SetTileClickEvent(Lumora::CMJCard2& tile) override;
    bool SendThrowCard(int slot) override;
    // A locked hand's drawn tile; else a tile of the missing suit first (AutoPlayThrow).
    int AutoPlayThrowSlot() override;
    void OnBtnStartGame() override;
    void OnNotifyCardCaught(const uint8_t* data, size_t length) override;
    void OnOwnDrawPlaced(int tile) override;
    void OnNotifyGameResult(const uint8_t* data, size_t length) override;
    void OnQRCodeNotify(const uint8_t* data) override;
    void OnResetGame() override;

    // 211040, before the generic round start: the calculator and this game's deal state.
    void ResetDealState();
    // Entering a hand that runs (210220, the own chair back after a drop) or a table to look on
    // (210210): the table rebuilt from block B, whose deal-start part the game info already
    // holds: the wall still standing, every seat's hand, melds and discards, the tile in the
    // middle, missing suits, win counts and the turn. A block that names a chair, tile, suit,
    // count or wall position outside the table changes nothing (a log line). Taken up again in
    // the deal it was following (`sameDeal`), the scene keeps the hand's wins and payments for
    // the result board.
    static bool BlockBHoldsARunningHand(std::span<const uint8_t> block);
    void RestoreRunningHand(std::span<const uint8_t> block, bool sameDeal = false);
    // 229300-229370 and 229800.
    void OnGameStep(uint32_t id, const uint8_t* data, size_t length);
    // Why a record of the deal's course (229300, 229330, 229340, 229360, 229810) does not fit
    // where the deal stands, or null when it does: each comes once, in its order, the result
    // once play has begun; a deal start (211040) and a ready notice (201160) only while no hand
    // runs; the hand's play (throws, draws, claims, gangs, payments, wins) not after its result.
    // The dispatcher refuses the record.
    const char* OutOfCourse(uint32_t id);
    // The room switch offered when the player goes on after a result.
    virtual void CheckSwitchRoom();

    // The exchange: a click lifts or drops a tile (three of one suit at most); OK sends them.
    void ToggleExchangeTile(Lumora::CMJCard2& tile);
    bool SendExchange();
    bool SendMissingSuit(int suit);
    // The three tiles the exchange recommends (the highest of the shortest suit holding three,
    // ties to the lowest suit), and the recommended missing suit; from a hand of tile ids.
    static std::vector<int> RecommendExchange(const std::vector<int>& hand);
    static int RecommendMissingSuit(const std::vector<int>& hand);
    // The tile auto-play throws from a hand of tile ids: a tile of the missing suit while the hand
    // holds one (the preferred tile when it is one, else the highest), else the preferred tile.
    static int AutoPlayThrow(const std::vector<int>& hand, int preferred, int missingSuit);
    // The fan labels of a win's sixteen counters ("清一色2番 " ...), GBK.
    static std::string FanLabels(const int32_t counters[16], int kind);

    // What the scene shows, for the boards and for tests.
    int Phase() const { return phase_; }
    bool HandLocked() const { return handLocked_; }
    int WinCount(int chair) const { return ValidChairIndex(chair) ? winCounts_[size_t(chair)] : 0; }
    int MissingSuit(int chair) const { return ValidChairIndex(chair) ? missing_[size_t(chair)] : -1; }
    int64_t Amount(int chair) const { return ValidChairIndex(chair) ? amounts_[size_t(chair)] : 0; }
    bool ChairChose(int chair, int step) const;
    const std::vector<int>& ExchangeChoice() const { return exchangeChoice_; }
    int RecommendedSuit() const { return recommendedSuit_; }
    const std::vector<std::string>& GameLines() const { return lines_; }
    Lumora::CXyStandDlg* OpenBoard() const { return board_; }
    int OpenBoardKind() const { return boardKind_; }
    const std::vector<std::string>& BoardLines() const { return boardLines_; }
    const std::vector<uint8_t>& ResultRecord() const { return result_; }
    // The open board's check or radio buttons, in the order shown, and their states.
    const std::vector<uint32_t>& BoardChecks() const { return boardChecks_; }
    Lumora::CXyStandButton* FirstBoardButton() const { return boardFirstButton_; }
    std::vector<int> BoardCheckStates() const;
    Lumora::CXyResultListXueliu* ResultList() const;
    // The line under a seat's panel: missing suit and wins.
    Lumora::PlaneObject* SeatMark(int seat) const { return seat >= 0 && seat < 4 ? seatMarks_[size_t(seat)] : nullptr; }
    // The wins and score changes of this hand, as they came.
    const xueliu::HandRecords& HandRecords() const { return handRecords_; }
    // The own concealed tiles as the scene holds them (after a result: the hand shown).
    std::vector<int> OwnHandTiles();

protected:
    bool SendStepRequest(uint32_t requestId, std::initializer_list<int32_t> values);
    // The steps' handlers.
    void OnExchangeBegin(const uint8_t* data, size_t length);
    void BeginExchange(int attempt);
    void OnChairChose(const uint8_t* data, size_t length);
    void OnExchangeDone(const uint8_t* data, size_t length);
    void OnMissingSuitBegin(const uint8_t* data, size_t length);
    void OnMissingSuits(const uint8_t* data, size_t length);
    // The option bits of a turn that offer a gang and a hu (the draw's word at +12).
    static constexpr int kOwnGangFlag = 1 << 1;
    static constexpr int kOwnHuFlag = 1 << 3;
    // Play begins with the banker's throw: its turn (the own one with its gangs and hu offered).
    void StartBankerTurn();
    void OnScoreChange(const uint8_t* data, size_t length);
    void OnPlayerWins(const uint8_t* data, size_t length);
    // The four silver deltas at `silverAt` and score deltas at `scoreAt` of a payment's record
    // reach the players' records, the user list and the seat panels at once.
    void FollowPayment(const uint8_t* data, size_t length, size_t silverAt, size_t scoreAt);
    // The slots 1-13 a seat's hand starts from before its melds are laid out of them.
    void TrimDealtSlots(int seat, int keep);
    // Takes the won tile away: the discarder's thrown tile, the winner's drawn one, the ganger's.
    void TakeWonTile(int winner, int source, int tile, int kind);
    // A locked hand may throw only the tile it drew.
    bool MayThrowLocked(const Lumora::CMJCard2& tile) const;
    // The line under each seat's panel: missing suit, wins, this deal's amount.
    void RefreshSeatMark(int chair);
    // A line of the hand's log and of the chat: `plain` as the log keeps it, `markup` as the chat
    // shows it (its names as unbroken runs).
    void GameLine(const std::string& plain, const Lumora::Markup& markup);
    std::string ChairName(int chair) const;
    // Boards.
    // A board of `kind` centred on the table: title, text lines, contentHeight pixels for the
    // caller's content under them, then the buttons in a row. Returns the top-left of the content.
    std::pair<double, double> ShowBoard(int kind, const char* title, const std::vector<std::string>& lines,
                                        const std::vector<std::pair<const char*, uint32_t>>& buttons,
                                        int contentHeight = 0, int width = kBoardWidth);
    void DrawBoardLines();
    Lumora::CXyCheckGroup* NewBoardGroup(int multiple);
    void AddBoardCheck(Lumora::CXyCheckGroup& group, const char* label, int checked, bool radio, double x, double y);
    std::vector<std::string> MissingBoardLines(int seconds) const;
    int CheckedMissingSuit() const;
    void ApplySettingsBoard();
    void CloseBoard();
    // The open board where the layout puts a board of its size (clear of the panels), after a resize.
    void CentreBoardOnTable();
    // Links a button, check, list or picture to the open board, just above it.
    void PutOnBoard(Lumora::PObject& object, double dz);
    void ShowExchangeBoard(int seconds);
    void ShowMissingBoard(int seconds);
    void ShowResultBoard();
    void ShowSettingsBoard();
    // The frame's 设置 is enabled while no other board is open.
    void SettingsFollowBoard();
    // The open board hears the keys: it takes the focus, and each of its objects, which a press
    // gives the focus to, hands them on.
    void TakeBoardKeys();
    void OnBoardOk();
    CGameInfoEx* GameInfoEx();
    static bool ValidChairIndex(int chair) { return chair >= 0 && chair < 4; }
    // The report for tests that click through the window (SceneReport.cpp).
    void StartReport();
    void WriteReport();
    Lumora::Rect ReportBox(const Lumora::PObject& object) const;
    Lumora::Rect ScreenBox(const Lumora::Rect& viewBox) const;
    std::string ReportRect(const Lumora::PObject& object) const;
    // The boxes a layout decides, for checks that compare it with a fresh client's.
    std::string ReportLayout();

    int phase_ = kPhaseIdle;
    // How far the deal has come, for every client alike (a watcher has no exchange phase).
    enum Course : int { kCourseNone = -1, kCourseDealt, kCourseExchangeBegun, kCourseExchanged, kCourseMissingBegun,
                        kCoursePlay, kCourseEnded };
    int course_ = kCourseNone;
    bool handLocked_ = false;
    // The tile the own chair drew last (a replacement included): the one a locked hand may
    // throw, wherever the hand keeps it. -1 before the first draw of a deal.
    int ownDrawnTile_ = -1;
    // The tile of the last robbed gang the ganger gave up: every robber wins on that one tile.
    int robbedTile_ = -1;
    std::array<int, 4> winCounts_{};
    std::array<int, 4> missing_{-1, -1, -1, -1};
    std::array<int64_t, 4> amounts_{};
    std::array<int, 4> chose_{}; // bit 0 exchange, bit 1 missing suit
    std::vector<int> exchangeChoice_;
    std::vector<int> received_;
    int recommendedSuit_ = -1;
    int missingSeconds_ = 0;
    uintptr_t missingSerial_ = 0;
    uintptr_t winSerial_ = 0; // the latest win label's
    int exchangeSeconds_ = 0;
    uintptr_t exchangeSerial_ = 0;
    std::vector<std::string> lines_;
    std::vector<uint8_t> result_;
    std::array<Lumora::PlaneObject*, 4> seatMarks_{};
    Lumora::CXyStandDlg* board_ = nullptr;
    int boardKind_ = 0;
    struct BoardLabel {
        int x, y;
        std::string text;
    };
    std::vector<std::string> boardLines_;
    std::vector<BoardLabel> boardLabels_;
    std::vector<uint32_t> boardChecks_;
    uint32_t resultListId_ = 0;
    xueliu::HandRecords handRecords_;
    std::vector<Lumora::PObject*> boardObjects_; // the board's buttons and pictures
    Lumora::CXyStandButton* boardFirstButton_ = nullptr;
    std::string reportPath_; // empty: no report
    bool reportLayout_ = false; // with the layout's boxes (XL_SCENE_LAYOUT=1)
    std::string lastReport_;
};
