#pragma once
// What the frame window, the notification dispatcher and the base scene ask of the application
// object beyond its accessors (IGameAppAccess): the objects it owns (connection, dispatcher,
// game info, hall data, the frame UI and its two parts, the main window), its flags and words,
// the boxes it shows through the frame UI, and the operations a notification or a scene request
// triggers. The application object (CGameWinApp) implements it and installs itself with
// SetGameWinApp for its whole life; tests install a fake. Every operation has a neutral default
// (null, 0, nothing done), so a fake overrides only what its test needs.
//
// Threads: the UI thread.
#include "engine/text/Markup.h"
#include "engine/object/EventRecord.h"
#include "widgets/GameUserRecord.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class CGameConnect;
class CGameInfo;
class CGameNotify;
class INotifyFrame;
namespace hall {
struct HallState;
}
namespace Lumora {
class CGameBase;
class CLumoraWnd;
} // namespace Lumora

// The frame UI's answer when the window is asked to close.
enum class CloseDecision {
    NoFrame,  // there is no frame UI: the window leaves by itself
    CloseNow, // the exit was confirmed: the window goes
    Stay,     // the decision runs (boxes, questions; the leave once granted)
};

// The match rank list of 211170: a head, then one entry per player (user id first).
inline constexpr size_t kRankHeadSize = 24;
inline constexpr size_t kRankEntrySize = 64;

class IGameWinApp {
public:
    virtual ~IGameWinApp() = default;

    // --- owned objects (null while absent) ---------------------------------------------------
    virtual CGameConnect* GetConnect() { return nullptr; }
    virtual CGameNotify* GetNotify() { return nullptr; }
    virtual CGameInfo* GetGameInfo() { return nullptr; }
    // The hall's records as applied from the start data (players, look-on users, room, table).
    virtual hall::HallState* GetHallState() { return nullptr; }
    // The frame UI object of the main window, and its scene ("MainGame") and side panel
    // ("SubSystem").
    virtual Lumora::CGameBase* GetGameFrame() { return nullptr; }
    virtual Lumora::CGameBase* GetMainGame() { return nullptr; }
    virtual Lumora::CGameBase* GetSubSystem() { return nullptr; }
    // The frame UI's operations that notifications call.
    virtual INotifyFrame* GetNotifyFrame() { return nullptr; }
    // The frame UI's fills-work-area state.
    virtual int GetGameFrameState() { return 0; }
    virtual Lumora::CLumoraWnd* GetMainWnd() { return nullptr; }

    // --- flags and words ------------------------------------------------------------------------
    virtual int GetTestModeKind() const { return 0; }
    // Bit 17 of the room record's option word of command-line field 14: the table records replays.
    virtual bool IsOption17() const { return false; }
    virtual bool IsPlaying() const { return false; }
    // Copied from the playing flag when the connection is lost, so the exit report says code 5.
    virtual void SetLostWhilePlaying(bool /*lost*/) {}
    // The table was arranged by the system (a match's knock-out round).
    virtual bool IsTableArranged() const { return false; }
    virtual void SetTableArranged() {}
    // The match phase: 500 once the match began, 600 in its later phase.
    virtual int GetMatchState() const { return 0; }
    virtual void SetMatchState(int /*state*/) {}
    // The hall's window (command-line field 3); 0 in test mode.
    virtual uint32_t GetHallWnd() const { return 0; }

    // --- boxes and lines, through the frame UI (nothing without a main window) -----------------
    virtual void ShowMsgBox(const Lumora::Markup& /*text*/, const Lumora::EventRecord* /*ok*/,
                            const Lumora::EventRecord* /*cancel*/, int /*seconds*/, uint32_t /*flags*/,
                            const char* /*icon*/)
    {
    }
    virtual void ShowAskBox(const Lumora::Markup& /*text*/, int /*seconds*/, uint32_t /*flags*/, const char* /*icon*/) {}
    virtual void ShowAskBoxEx(const Lumora::Markup& /*text*/, int /*seconds*/, uint32_t /*flags*/, const char* /*icon*/,
                              const char* /*okPicture*/, const char* /*cancelPicture*/, const char* /*link*/,
                              int /*sign*/)
    {
    }
    // Engine event 80000057 with the line to the side panel.
    virtual void ShowSystemNotice(const Lumora::Markup& /*markup*/) {}

    // --- outcomes of the scene's hall-feature requests ------------------------------------------
    virtual void OnAllowanceConfig(bool /*ok*/, const std::string& /*text*/, int32_t /*value*/,
                                   std::span<const uint8_t> /*record*/)
    {
    }
    virtual void OnAllowanceResult(bool /*ok*/, const std::string& /*text*/, int32_t /*value*/, int32_t /*kind*/,
                                   int32_t /*word*/)
    {
    }

    // --- what notifications ask of the application (data: the notification's bytes) -----------
    // 211028: applies the table list; false when the data do not hold it.
    virtual bool ApplyTableList(std::span<const uint8_t> /*data*/) { return false; }
    // 211150: takes the knock-out record; false when refused.
    virtual bool AcceptKnockoutRecord(std::span<const uint8_t> /*data*/) { return false; }
    // 211170: replaces the rank list with `count` entries of kRankEntrySize bytes after a head of
    // kRankHeadSize bytes.
    virtual void SetRankList(std::span<const uint8_t> /*headAndEntries*/, int /*count*/) {}
    // 211170: the three values of an entry into the user's extra record; false without one.
    virtual bool SetUserExtraValues(uint32_t /*userId*/, int32_t /*a*/, int32_t /*b*/, int32_t /*c*/)
    {
        return false;
    }
    virtual void SortAndShowRankList() {}
    // 211400: keeps the chat-box text.
    virtual void SetChatBoxText(const std::string& /*text*/) {}
    // 211430, 211440: true when the application accepts the record.
    virtual bool AcceptHallFeature(uint32_t /*notifyId*/, std::span<const uint8_t> /*data*/) { return false; }
    // 211510, 211600, 211601, 211930, 211931, 211910, 211700: the application's own handlers.
    virtual void OnAppNotify(uint32_t /*notifyId*/, std::span<const uint8_t> /*data*/) {}
    // The users' records changed (211030, a game's result): the side panel's user list and the
    // seat panels show them again.
    virtual void OnUsersChanged() {}
    // 211011: fills a cleared player record from the notification (its user record from +20).
    virtual void FillPlayerRecord(Lumora::GameUserRecord& record, std::span<const uint8_t> data)
    {
        if (data.size() > 20)
            record.Assign(data.data() + 20, data.size() - 20);
    }
    // 211025: posts a word to the hall's window; false when the hall is gone.
    virtual bool PostToHall(uint32_t /*message*/, uint32_t /*wparam*/, uint32_t /*lparam*/) { return false; }

    // --- the frame window's needs -----------------------------------------------------------------
    virtual CloseDecision DecideWindowClose() { return CloseDecision::NoFrame; }
    // The hall's window still lives (its link is open).
    virtual bool IsHallAlive() const { return true; }
    // The exit report to the hall (dwData 2, or 5 after a lost game) and the end of the
    // communication thread.
    virtual void ReportExitToHall() {}
    virtual void StopCommThread() {}
    // Copy data from the hall, dispatched by dwData.
    virtual void OnHallCopyData(uint32_t /*code*/, std::span<const uint8_t> /*bytes*/) {}
    // A web-page job ended (0x8618): the application frees it.
    virtual void OnWebPageOpened(uintptr_t /*job*/) {}
    // Lays out and enters the table (the frame UI's size-done operation calls it).
    virtual void EnterGameOrMatch() {}
    // The room's notice host, the room word of the notice file's name, and the temp folder
    // ("<program folder>temp/", created if missing).
    virtual std::string GetNoticeHost() const { return {}; }
    virtual uint32_t GetNoticeFileWord() const { return 0; }
    virtual std::string GetTempFolder() const { return {}; }
    // The room record's area and room names, for the lost-connection text.
    virtual std::string GetAreaName() const { return {}; }
    virtual std::string GetRoomName() const { return {}; }
    // "%s[%s]" (name and second name) or the name alone; empty when nobody has the id / chair.
    virtual std::string GetUserDisplayNameByID(uint32_t /*userId*/) const { return {}; }
    virtual std::string GetUserDisplayNameByChair(int /*chair*/) const { return {}; }
};

// The installed application; null when none is installed.
IGameWinApp* GetGameWinApp();
// Installs (or with null removes) the application; the caller keeps it alive meanwhile.
void SetGameWinApp(IGameWinApp* app);

// The free helpers of the scene and the frame: the application's game info, its frame UI object
// and that object's state word (null and 0 without an application).
CGameInfo* GetGameInfo();
Lumora::CGameBase* GetGameFrame();
int GetGameFrameState();
