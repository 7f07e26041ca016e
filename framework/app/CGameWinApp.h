#pragma once
// CGameWinApp: the generic application object of the platform's game clients. Exactly one exists
// for the life of the client (the game layer's CGameApp, made by the start-up); every other part
// reaches the hall's data, the owners of the connection, dispatcher and game info, the main
// window, the paths and the per-user files through it.
//
// Start-up (InitInstance): file logger, the hall's command line (or test mode), the hall link,
// the hall-feature names, the communication thread, the connection (proxy, channel, version
// check, feature configuration), the web sign. The game layer then creates the main window,
// which registers with the communication thread and the hall. The hall's start data arrive as a
// copy-data record (OnHallCopyData); applied, the window gets kStartTable and enters the game.
// End: ExitInstance closes the connection (joining its socket thread), stops the communication
// thread and closes the logger last; the destructor relaunches when asked.
//
// The application owns the main window (the window layer never deletes itself).
//
// Threads: everything on the UI thread, except where an operation says otherwise.
#include "engine/text/Markup.h"
#include "framework/app/GameAppAccess.h"
#include "framework/app/HallCommandLine.h"
#include "framework/app/HallState.h"
#include "framework/app/ServerStartup.h"
#include "platform/Event.h"
#include "platform/HallLink.h"
#include "platform/WindowTypes.h"
#include "widgets/AppServices.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Lumora {
struct EventRecord;
class CGameBase;
class CLumoraWnd;
}
class CGameFrameWnd;
class CXyGameFrame;
struct ClientPlatform;
class CGameCommThread;
class CGameInfo;
class NotifyGate;
class WaitDialogView;

// A web-sign request waiting for the hall's answer. Blocks stay in the application's list until
// it ends, so a late answer always finds its block; the hall names a block by its token (index +
// 1 in the list), never by an address.
struct WebSignBlock {
    uint32_t userId = 0;
    std::shared_ptr<platform::Event> done; // kept until the application ends
    std::string answer; // at most 255 bytes
    bool abandoned = false;
    double askedAt = 0; // for the start-up trace
};

class CGameWinApp : public IGameAppAccess, public Lumora::IAppServices {
public:
    static constexpr int kMaxConfigTexts = 60;
    static constexpr uint32_t kWebSignWaitMs = 6000;
    static constexpr uint32_t kHallSendTimeoutMs = 5000;
    static constexpr size_t kLastRecordSize = 448;
    static constexpr int kScoreRing = 30;
    // How long a text stays up before the client goes on (or ends).
    static constexpr uint32_t kNoServerPauseMs = 2000;
    static constexpr uint32_t kVersionPauseMs = 3000;
    static constexpr uint32_t kEnterPauseMs = 2000;
    static constexpr uint32_t kBadStartDataPauseMs = 2000;
    static constexpr uint32_t kWaitAndClosePauseMs = 5000;
    // The JSON POST's answers are short texts: a longer reply is refused, not read on.
    static constexpr size_t kHttpPostReplyLimit = 64 * 1024;

    CGameWinApp(const char* gameCode, uint32_t defaultPort, int versionMajor, int versionMinor);
    ~CGameWinApp() override;
    CGameWinApp(const CGameWinApp&) = delete;
    CGameWinApp& operator=(const CGameWinApp&) = delete;

    // The program's arguments (without argv[0]) and its own path, before InitInstance.
    void SetArguments(std::vector<std::string> arguments, std::string programPath);
    // The gate of the relay (installed by the start-up for the life of the client).
    void SetNotifyGate(std::shared_ptr<NotifyGate> gate) { gate_ = std::move(gate); }
    // How windows are made (a headless maker in tests); must outlive the application's use.
    void SetPlatform(const ClientPlatform* platform) { platform_ = platform; }

    virtual bool InitInstance();
    // The exit code of the process.
    virtual int ExitInstance();

    // Virtual operations, in slot order.
    virtual int IsPlaying() const { return playing_; }
    int IsMatch() const override { return match_; }
    virtual void SetPlaying() { playing_ = 1; }
    virtual void ClearPlaying() { playing_ = 0; }
    virtual bool EnterGameOrMatch();
    virtual bool LoginMatchRoom();
    virtual bool EnterGameRoom();
    virtual bool CreateMainWnd();
    virtual Lumora::CGameBase* CreateGameFrame();
    int GetChairCount() const override { return 0; }
    Lumora::IGameNotify* GetNotify() override { return nullptr; }
    Lumora::IGameConnect* GetConnect() override { return nullptr; }
    std::span<uint8_t> GetGameInfoBlockA() override { return {}; }
    std::span<uint8_t> GetGameInfoBlockB() override { return {}; }
    virtual void* GetOwnerSlot15() { return nullptr; }
    virtual CGameInfo* GetGameInfo() { return nullptr; }
    virtual void PlayGameSound(int /*soundId*/, int /*flags*/) {}
    virtual void* GetOwnerSlot18() { return nullptr; }
    // The frame UI object of the main window, as the widgets see it; null without one.
    Lumora::IGameFrame* GetGameFrame() override;
    // The frame UI's scene ("MainGame") and side panel ("SubSystem"); null without them.
    virtual Lumora::CGameBase* GetMainGame();
    virtual Lumora::CGameBase* GetSubSystem();
    virtual void EmptyHook22() {}
    // Orders the match rank list (the own entry first, then by score) and tells the scene and the
    // side panel.
    virtual void SortMatchRanks();
    virtual void EmptyHook24() {}
    // Match hooks (the frame UI's match operations); the first four take an own chair of -1 as 0.
    virtual void OnMatchTableEntered();
    virtual void OnMatchTableRefreshed();
    virtual void OnMatchTableEvent();
    virtual void OnMatchWaiting(const uint8_t* record, size_t size);
    virtual void OnMatchNoSignUp();
    virtual void OnMatchWashOut();
    virtual void OnMatchEnd();
    virtual void OnMatchLate();
    virtual void OnMatchStarted();
    virtual void OnMatchSystemCancel();
    virtual void OnMatchSelfCancel();
    virtual void OnMatchWaitingCheck();
    virtual void OnMatchSystemRejected();
    virtual void ShowWaitAndClose(const char* text);
    virtual void AskTakeSilver(int32_t minimum, int32_t carried);
    virtual void AskStoreSilver(int32_t maximum, int32_t carried);
    virtual void OnGetSubsidyConfigFailed();
    // `place` names where the silver went.
    virtual void OnAllowanceResult(bool ok, int32_t amount, const std::string& place);
    virtual void SetTestMode(int kind);
    virtual int IsOption17() const { return (room().U32(hall::RoomRecord::kOptionWord) >> 17) & 1; }
    virtual int32_t GetReplayValue() const;
    virtual int GetTestModeKind() const { return testModeKind_; }
    virtual int IsOption18() const { return (room().U32(hall::RoomRecord::kOptionWord) >> 18) & 1; }
    virtual bool RelaunchGame();
    virtual bool StartHall();
    virtual void QuitTableAndDisconnect();
    virtual bool RelaunchWithArguments(const std::string& text);
    // The 136-byte user block of the enter request: id, flags, name and second name.
    virtual void MakeUserBrief(std::span<uint8_t> out, const Lumora::GameUserRecord& user) const;
    virtual void MakeUserRecord(Lumora::GameUserRecord& out, std::span<const uint8_t> serverInfo) const;
    virtual void LoadTableFromServer(std::span<const uint8_t> /*record*/) {}
    virtual void UpdateOtherPlayers(std::span<const uint8_t> /*record*/) {}
    virtual void LoadTableByChair(std::span<const uint8_t> record);
    virtual std::string GetPortraitFolder() const;
    virtual std::string GetCharacterFolder(int number) const;
    virtual std::string GetSignedUrl(const std::string& url, bool sign, std::string* signOut);
    virtual std::string GetSignedUrlSimple(const std::string& url, bool sign) { return GetSignedUrl(url, sign, nullptr); }
    virtual void ResetRoundScores();
    virtual bool WriteLastRecord();
    virtual bool ReadLastRecord(std::span<uint8_t, kLastRecordSize> buffer) const;
    virtual void AddRoundScores(std::span<const int32_t> scores);
    virtual void NotifyAdvertBar();
    virtual void NotifyUserListBar55();
    virtual void NotifyUserListBar56();
    virtual void BuildHallFeatureButtons();
    virtual int GetGuideActive() const;
    virtual void SetGuideActive(int value);
    virtual void ClearGuideActive();
    virtual int CanRequestExitConsent() const;  // option bit 1 clear, fewer than 2 exit requests
    virtual int IsOption24() const;
    virtual void LoadReplayTable(std::span<const uint8_t> record);
    virtual void ApplyGameResult(std::span<const uint8_t> /*record*/) {}
    // The users' records changed: the user list (80000055) and the frame UI's table refreshed
    // (80000012 to the scene's seat panels and the side panel).
    void OnUsersChanged();
    virtual void SetRoomBasics(uint32_t roomId, uint32_t table, int32_t players, uint32_t roomType, uint32_t options);
    virtual void ConvertUserInfo(Lumora::GameUserRecord& out, std::span<const uint8_t> record) const;
    virtual void ApplyPlayerStats(std::span<const uint8_t> /*record*/) {}
    virtual void ApplyPlayerSilver(std::span<const uint8_t> /*record*/) {}
    virtual void ApplyPlayerAmount(std::span<const uint8_t> /*record*/) {}
    virtual void ApplyAmountChange(std::span<const uint8_t> /*record*/) {}
    virtual void ApplySafeBoxChange(std::span<const uint8_t> record) { ApplyAmountChange(record); }
    virtual void ApplyPlayerTexts(std::span<const uint8_t> /*texts*/) {}
    virtual bool ApplyPlayerStatus(uint32_t userId, int32_t chair, int32_t status);
    virtual bool ApplyPlayerFlag(uint32_t userId, int32_t chair, int32_t flag);
    virtual int32_t NextHigherRoom(int32_t silver) const;
    virtual int32_t NextLowerRoom(int32_t silver) const;
    virtual void EmptyHook88() {}
    virtual std::string BuildSignedWebUrl(int kind, bool appendIds);
    virtual int NeedsNotifyLock(uint32_t /*id*/) const { return 1; }

    // Life cycle and the hall (non-virtual).
    bool ParseCommandLine();
    bool ConnectGameServer();
    void SetRelaunchOnExit(bool relaunch) { relaunchOnExit_ = relaunch; }
    void RegisterGameWnd(platform::WindowId window);
    void ReportExitToHall(platform::WindowId window);
    int SendTextToHall(const std::string& text, int32_t code);
    virtual std::string GetWebSign();
    bool PostToHallFrame(uint32_t message, uint32_t wparam, uint32_t lparam);
    // Asks the hall to move the player to that room; 1 when the own room is in the room list.
    int GotoOtherRoom(uint32_t targetRoomId);
    // The main window's copy-data handler (dwData 1, 4, 6, 7, 13).
    void OnHallCopyData(uint32_t dwData, std::span<const uint8_t> bytes);
    // Called on the hall link's reader thread: the web-sign answer (dwData 14).
    bool OnWebSignAnswer(std::span<const uint8_t> enciphered);
    void OpenWebPage(const std::string& url, bool sign, const std::string& title);
    std::string ExecHttpRequestPost(const std::string& url, const std::string& body);
    std::string GetConfigText(int index) const;
    bool IsHallWindowAlive() const;
    // Stops the communication thread (the close of the main window, then ExitInstance).
    void StopCommunication() { StopCommThread(); }
    // This game's settings answer: nonzero plays no sound or voice.
    virtual int IsKeepSilence() const { return 0; }
    // The frame UI's message and ask boxes; nothing without a frame UI.
    virtual void ShowMsgBox(const Lumora::Markup& text, const Lumora::EventRecord* ok = nullptr,
                            const Lumora::EventRecord* cancel = nullptr, int seconds = 0, uint32_t flags = 0,
                            const char* icon = nullptr);
    virtual void ShowAskBox(const Lumora::Markup& text, int seconds, uint32_t flags, const char* icon);
    virtual void ShowAskBoxEx(const Lumora::Markup& text, int seconds, uint32_t flags, const char* icon, const char* okPicture,
                              const char* cancelPicture, const char* link, int sign);
    // The frame UI object of the main window as its own class; null without one.
    virtual CXyGameFrame* GetFrameUI() const;

    // Getters.
    uint32_t GetUserID() const override { return line_.userId; }
    int32_t GetChairNO() const override { return line_.chair; }
    uint32_t GetTableNO() const override { return hall_.table.U32(hall::TableRecord::kTableNumber); }
    uint32_t GetRoomID() const override { return room().U32(hall::RoomRecord::kRoomId); }
    uint32_t GetGameID() const override { return line_.gameId; }
    uint32_t GetHallWnd() const { return line_.hallWindow; }
    uint32_t GetRoomType() const override { return room().U32(hall::RoomRecord::kRoomType); }
    uint32_t GetRoomOptions() const override { return room().U32(hall::RoomRecord::kRoomOptions); }
    int GetVersionMajor() const override { return versionMajor_; }
    int GetVersionMinor() const override { return versionMinor_; }
    int IsLookOn() const override { return line_.lookOn; }
    int IsRelaunched() const { return line_.relaunched; }
    int IsTestMode() const override { return testFlag_; }
    int32_t GetHallField2() const override { return line_.field2; }
    int32_t GetHallField6() const override { return line_.field6; }
    int32_t GetTablePlayerCount() const { return hall_.table.I32(hall::TableRecord::kPlayerCount); }
    int32_t GetReplayTableValue() const;
    int IsRoomOptionBit1() const { return (GetRoomOptions() >> 1) & 1; }
    int IsRoomOptionBit3() const override { return (GetRoomOptions() >> 3) & 1; }
    int IsRoomOptionBit6() const { return (GetRoomOptions() >> 6) & 1; }
    int IsRoomOptionBit7() const { return (GetRoomOptions() >> 7) & 1; }
    int IsLeaveForbidden() const { return (GetRoomType() >> 14) & 1; }
    int IsSilverRoom() const { return (GetRoomType() >> 2) & 1; }
    int IsMatchStarted() const { return GetMatchState() >= 500; }
    int IsMatchLatePhase() const { return GetMatchState() >= 600; }
    int IsMatchBeforeStart() const { return GetMatchState() < 500; }
    void SetMatchState(int32_t state) { hall_.matchData.SetI32(hall::MatchStanding::kMatchState, state); }
    uint32_t GetRGBColorAdvBk() const { return colours_[kAdvBk]; }
    uint32_t GetRGBColorAdvGrid() const { return colours_[kAdvGrid]; }
    uint32_t GetRGBColorAdvHeader() const { return colours_[kAdvHeader]; }
    uint32_t GetRGBColorAdvText() const { return colours_[kAdvText]; }
    uint32_t GetRGBColorPlayerViewHeader() const override { return colours_[kPlayerViewHeader]; }
    uint32_t GetRGBColorPlayerViewText() const override { return colours_[kPlayerViewText]; }
    uint32_t GetRGBColorTitleText() const { return colours_[kTitleText]; }
    std::string GetServerHost() const override { return line_.serverHost; }
    uint16_t GetServerPort() const override { return line_.port ? line_.port : static_cast<uint16_t>(defaultPort_); }
    std::string GetGameName() const override { return line_.gameName; }
    std::string GetGameCode() const override { return gameCode_; }
    std::string GetRoomName() const;
    std::string GetAreaName() const;
    std::string GetRoomRecordName() const;
    std::string GetNoticeHost() const;

    // User lookups over the 8 players, then the 64 look-on users.
    const Lumora::GameUserRecord* GetUserRecordByID(uint32_t userId) const override { return hall_.FindUser(userId); }
    int32_t GetUserChairByID(uint32_t userId) const override;
    void GetUserNameByID(std::string& out, uint32_t userId) const override;
    std::string GetUserNameByChair(int chair) const;
    std::string GetUserDisplayNameByID(uint32_t userId) const;
    std::string GetUserDisplayNameByChair(int chair) const;
    int IsPlayerInChair(int chair) const override;
    int IsPlayerUser(uint32_t userId) const { return hall_.IsPlayer(userId); }
    int IsLookOnUser(uint32_t userId) const override { return hall_.IsLookOnUser(userId); }
    int IsUserFlagBit0(uint32_t userId) const;
    int IsUserFlagBit12(uint32_t userId) const;
    int32_t GetUserRecordValueA4(uint32_t userId) const;
    const hall::ExtraPlayerEntry* GetUserExtraByID(uint32_t userId) const;
    int32_t GetMatchPlayerValue(int chair) const;

    // Paths ('/' separators).
    std::string GetProgramFolder() const;
    std::string GetGameIniPath() const override;
    std::string GetHallIniPath() const override;
    std::string GetSkinIniPath() const { return skinIni_; }
    std::string GetUserDataPath() const;
    std::string GetLastRecordPath() const;
    std::string GetTempFolder() const;
    std::string GetAdvertPage() const;
    std::string GetPayPage() const;
    // Read from the adapters once, at start-up (they do not change while the client runs), and
    // kept: every request carries the same id. UI thread.
    std::string GetMachineID() const override;

    // Other accessors.
    const std::vector<std::string>& GetHallFeatureButtons() const override { return featureButtons_; }
    void ShowWaitText(const char* text, bool show) override;
    void ShowWaitTextTimed(const char* text, int seconds) override;
    uint32_t GetNotifyThreadId() const override;
    int GetAppSwitch() const override { return appSwitch_; }
    void SetAppSwitch(int flag) { appSwitch_ = flag; }
    // The feature-button configuration the server sent (indexes of the hall-feature names).
    struct FeatureButton {
        int first = 0;
        int second = 0;
        std::string text;
    };
    void SetFeatureFlag(bool on) { featureFlag_ = on; }
    bool GetFeatureFlag() const { return featureFlag_; }
    void SetFeatureButton(size_t index, FeatureButton button);
    const std::vector<FeatureButton>& GetFeatureTable() const { return featureTable_; }
    void StoreTablePlayingWord(uint32_t word) { tablePlayingWord_ = word; }
    uint32_t GetTablePlayingWord() const { return tablePlayingWord_; }
    // The match's facts, kept in the match data (the hall's start data, then each match record
    // of the login's answer); the notifications move the state on.
    int32_t GetMatchState() const { return hall_.matchData.I32(hall::MatchStanding::kMatchState); }
    int32_t GetMatchSeconds() const { return hall_.matchData.I32(hall::MatchStanding::kSecondsToStart); }
    void SetMatchSeconds(int32_t seconds) { hall_.matchData.SetI32(hall::MatchStanding::kSecondsToStart, seconds); }
    int32_t GetSignUpFeeKind() const { return hall_.matchData.I32(hall::MatchStanding::kFeeKind); }
    int32_t GetSignUpFee() const { return hall_.matchData.I32(hall::MatchStanding::kFee); }
    int32_t GetMatchValue() const { return hall_.matchData.I32(hall::MatchStanding::kMatchValue); }
    int32_t GetKnockoutStage() const { return hall_.replayTable.I32(hall::ReplayTableRecord::kKnockoutStage); }
    // The extra entry that holds that user's standing; null when no entry names him.
    const hall::ExtraPlayerEntry* GetMatchStanding(uint32_t userId) const;
    // A match result: its value and rank are kept; the user's new rank level and points go into
    // his extra entry when he has one.
    void StoreMatchResult(int32_t value, int32_t rank, uint32_t userId, int32_t level, int32_t points,
                          int32_t nextPoints);
    // The match rank list of 211170: its head, then at most kMaxRankEntries entries (the rest are
    // dropped: the list is re-sorted on every change).
    static constexpr size_t kMaxRankEntries = 1024;
    void SetRankList(std::span<const uint8_t> headAndEntries, int count);
    std::span<const uint8_t> GetRankEntries() const;
    // A rank entry's three values into that user's extra entry; false when no entry names him.
    bool SetRankValues(uint32_t userId, int32_t a, int32_t b, int32_t c);
    int32_t GetMatchResultValue() const { return matchResultValue_; }
    int32_t GetMatchRank() const { return matchRank_; }
    // The match login's answer: each code runs its match operation with the data.
    virtual void OnMatchLogin(uint32_t code, std::span<const uint8_t> data);
    // Exit requests sent to the other players and the tick of the last one.
    std::optional<uint32_t> GetLastExitRequestTick() const { return lastExitTick_; }
    void CountExitRequest(uint32_t tick)
    {
        ++exitRequests_;
        lastExitTick_ = tick;
    }
    int GetExitRequestCount() const { return exitRequests_; }
    // The table flag: set once a knock-out round has seated the player at a table the system
    // arranged (211150); the seat notifications, the exit reminder and request 201161 read it.
    int GetTableFlag() const { return tableArranged_; }
    void SetTableArranged() { tableArranged_ = 1; }
    // Entered as a player (210200): a chair still unknown becomes 0, then the frame UI's table
    // entered (event 80000011 to the scene and the side panel).
    void OnEnteredAsPlayer();
    // Entered a hand that runs (the own chair came back) or a table to look on: the entry block
    // the connection stored holds the table; the game rebuilds it (nothing here).
    virtual void OnEnteredRunning() {}
    virtual void OnEnteredLookOn() {}
    // The line to the side panel's chat area.
    void ShowSystemNotice(const Lumora::Markup& markup) override;
    void OpenWebPage(const char* address, int flag) override { OpenWebPage(address ? address : "", flag != 0, address ? address : ""); }
    std::span<const Lumora::GameUserRecord, Lumora::GameUserRecord::kPlayerSlots> GetPlayerRecords() const override { return hall_.players; }
    std::span<const Lumora::GameUserRecord, Lumora::GameUserRecord::kLookOnSlots> GetLookOnRecords() const override { return hall_.lookOn; }
    std::string GetCharacterImagePath(int character, int kind) const override;
    void GetWealthTitle(int32_t silver, std::string& out) const override;

    const hall::HallState& HallData() const { return hall_; }
    hall::HallState& MutableHallData() { return hall_; }
    const HallCommandLine& CommandLine() const { return line_; }
    const std::vector<std::string>& Arguments() const { return arguments_; }
    CGameFrameWnd* GetMainWnd() const { return mainWnd_.get(); }
    // The main window's game object (the frame UI); null before the window exists.
    Lumora::CGameBase* GetGameFrameObject() const;
    void SetLostWhilePlaying(bool lost) { lostWhilePlaying_ = lost ? 1 : 0; }
    platform::WindowId GetMainWindowId() const;
    int GetSmallScreen() const { return smallScreen_; }
    int32_t GetMatchScoreTotal(int chair) const { return chair >= 0 && chair < 8 ? scoreTotals_[chair] : 0; }
    int32_t GetMatchScore(int chair, int game) const;
    int GetMatchGameCount() const { return scoreGames_; }
    int32_t GetVersionValueA() const { return versionValueA_; }
    int32_t GetVersionValueB() const { return versionValueB_; }

protected:
    // The connection's start-up interface; null when the game layer has none (start-up fails).
    virtual IServerStartup* GetServerStartup() { return nullptr; }
    // Made-up start data of test mode: the game layer fills them.
    virtual void FillTestStartData();
    // The main window object (the game layer's frame window class).
    virtual std::unique_ptr<CGameFrameWnd> MakeFrameWindow();
    // Runs when the start data are applied and valid (posts kStartTable to the main window).
    virtual void OnStartDataApplied();
    // The frame's hall-leave flag and its reaction to a player who left (the frame window's).
    virtual bool IsHallLeaveSet() const;
    virtual void OnPlayerQuit(const hall::PlayerLeft& record);
    void SetMainWnd(std::unique_ptr<CGameFrameWnd> wnd);
    const hall::RoomRecord& room() const { return hall_.room; }
    void ApplyCommandLine(const HallCommandLine& line);
    bool StartCommThread();
    void StopCommThread();
    bool ConnectHall();
    void ShowStartFailure(const char* text, uint32_t pauseMs);

private:
    enum Colour { kAdvHeader, kAdvText, kAdvBk, kAdvGrid, kPlayerViewHeader, kPlayerViewText, kTitleText, kColours };

    void ReadSkinColours();
    void ToFrameUI(void (CXyGameFrame::*show)());
    // A chair still unknown (-1) becomes 0.
    void KnowOwnChair();
    void ApplyStartData(std::span<const uint8_t> plain);
    void OnPlayerLeft(std::span<const uint8_t> plain);
    int32_t FindChairByUser(uint32_t userId) const;
    // The web sign in two halves: the question to the hall (the block's index, none without a
    // hall), and the wait for its answer up to the given time.
    std::optional<size_t> AskWebSign();
    std::string AwaitWebSign(size_t index, uint32_t limitMs);
    // The start-up's sign was asked before the main window was built; it is awaited, within the
    // same limit from the question, before the window is shown and registered.
    void AwaitStartWebSign();

    std::string gameCode_;
    uint32_t defaultPort_;
    int versionMajor_;
    int versionMinor_;
    int smallScreen_ = 0;
    int match_ = 0;
    int testModeKind_ = 0;
    int testFlag_ = 0;
    int keepWaitText_ = 0;
    bool relaunchOnExit_ = false;
    int32_t versionValueA_ = 0;
    int32_t versionValueB_ = 0;
    int playing_ = 0;
    int lostWhilePlaying_ = 0;
    int32_t matchResultValue_ = 0;
    int32_t matchRank_ = 0;
    int tableArranged_ = 0;
    std::vector<uint8_t> rankList_;
    HallCommandLine line_;
    hall::HallState hall_;
    std::string skinIni_;
    std::array<uint32_t, kColours> colours_{};
    std::vector<std::string> featureButtons_;
    std::array<std::array<int32_t, kScoreRing>, 8> scores_{};
    std::array<int32_t, 8> scoreTotals_{};
    int scoreGames_ = 0;

    std::vector<std::string> arguments_;
    std::string programPath_;
    bool loggerOpen_ = false;
    bool exitReported_ = false;
    std::shared_ptr<NotifyGate> gate_;
    std::unique_ptr<CGameCommThread> commThread_;
    std::unique_ptr<WaitDialogView> waitView_;
    std::unique_ptr<platform::HallLink> hallLink_;
    const ClientPlatform* platform_ = nullptr;
    std::unique_ptr<CGameFrameWnd> mainWnd_;

    int appSwitch_ = 0;
    bool featureFlag_ = false;
    std::vector<FeatureButton> featureTable_;
    uint32_t tablePlayingWord_ = 0;
    int exitRequests_ = 0;
    std::optional<uint32_t> lastExitTick_;
    mutable std::optional<std::string> machineId_;

    mutable std::mutex webSignMutex_;
    std::vector<WebSignBlock> webSigns_;
    std::optional<size_t> startWebSign_;
    uint32_t startWebSignAsked_ = 0;
    std::atomic<double> registeredAt_{0}; // for the start-up trace
};

// Tests: runs on the UI thread each time the table is entered after the start data
// (EnterGameOrMatch, on kStartTable).
void SetStartTableHook(std::function<void()> hook);

// Frees the job a web-page worker posts back to the main window.
void FreeWebPageJob(uintptr_t job);

// The one application object; null before it is made and after it is gone.
CGameWinApp* GetGameApp();

