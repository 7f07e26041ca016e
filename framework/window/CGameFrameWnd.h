#pragma once
// CGameFrameWnd: the main window of the game process, on the engine's host window. Beyond the
// engine's drawing it receives the hall's hand-over records, every server message the
// communication thread relays (handed to the notification dispatcher under the engine's frame
// lock), notices the loss of the connection, keeps four timers (hall alive 1000 ms, notice,
// delayed close 3000 ms, pulse), decides with the frame UI what closing means during a game,
// and starts the table UI once the start data are in (0x85B1). This game's CMainFrame derives
// from it.
//
// Messages (window messages of the platform): timers, kMsgClose, copy data, 0x85B1, 0x8617
// (a notice download ended), 0x8618 (a web page opened), 0x85B5 (a system line), and the relay's
// server messages, whose records the window frees on every path (ReleaseSocketNotify). Server
// messages that arrive while the notify gate is closed wait until it opens (0x8619).
// Destroying the window ends the message loop (quit code 0).
//
// Threads: everything on the UI thread; the notice worker only posts back (NoticeDownload.h).
// Lock order: the frame lock is taken only around the dispatcher, and nothing here waits for
// the communication thread while holding it.
#include "engine/host/LumoraWnd.h"
#include "framework/window/HeldServerMessages.h"
#include "framework/window/NoticeDownload.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace hall {
struct PlayerLeft;
}

enum FrameWndMessage : uint32_t {
    WM_START_GAME_UI = 0x85B1,
    WM_NOTICE_DOWNLOADED = 0x8617,
    WM_WEB_PAGE_OPENED = 0x8618,
    WM_SYSTEM_NOTICE_TEXT = 0x85B5,
};

class CGameFrameWnd : public Lumora::CLumoraWnd {
public:
    enum TimerId : uint32_t { kHallAliveTimer = 1, kNoticeTimer = 2, kCloseTimer = 3, kPulseTimer = 5 };
    static constexpr uint32_t kHallAlivePeriodMs = 1000;
    static constexpr uint32_t kClosePeriodMs = 3000;
    static constexpr int kPulseSeconds = 60;

    CGameFrameWnd();
    ~CGameFrameWnd() override;

    // A window on the display, undecorated; or one made elsewhere (the headless one).
    bool Create(const std::string& gbkTitle, const platform::WindowStyle& style, const platform::Rect& rect) override;
    using CLumoraWnd::Create;
    // The engine, then the hall-alive timer (what the window's creation starts).
    uint32_t StartEngine(Lumora::CGameBase* gameObject, Lumora::ResourceModule* resources = nullptr) override;

    // Operations in slot order.
    virtual int OnFrameHook() { return 0; }
    virtual void SetPulseTimer(int seconds);
    virtual void StartPulse() { SetPulseTimer(kPulseSeconds); }
    virtual void OnEmptyHook() {}
    virtual void OnConnectionLost();
    virtual void OnPlayerQuit(const hall::PlayerLeft& record);

    // The notice timer's period from the match start data; none when not positive.
    void SetNoticeInterval(int seconds);
    bool IsNoticeRunning() const { return noticeJob_ != nullptr; }
    std::weak_ptr<NoticeJob> NoticeInFlight() const { return noticeJob_; }

    // While set, the close timer closes the window; the player-left notification clears it.
    void SetHallLeaveFlag(bool on) { hallLeaveFlag_ = on; }
    bool GetHallLeaveFlag() const { return hallLeaveFlag_; }
    uint32_t GetLastServerMessageTick() const { return lastServerMessage_; }
    bool IsTimerRunning(TimerId id) const;

    // Handlers (public for the tests that drive them directly).
    void OnServerMessage(uintptr_t context, intptr_t message);
    void OnTimer(uint32_t id);
    int OnStartGameUI();
    void OnNoticeDownloaded(uintptr_t job);
    void OnWebPageOpened(uintptr_t job);
    int OnSystemNoticeText(const char* text);
    // The size of the maximised window: the frame UI's preferred size when it is not in its
    // maximised mode, else the work area.
    platform::Rect GetMaximisedRect() const;
    // The work area changed: the maximised layout again.
    void OnSettingChange();

    // Window messages.
    void OnClose() override;
    void OnDestroy() override;
    void OnCopyData(uint32_t code, std::span<const uint8_t> bytes) override;

protected:
    intptr_t OnMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) override;

private:
    void StartTimer(TimerId id, uint32_t periodMs);
    void StopTimer(TimerId id);
    void StartNotice();
    void Leave();

    uint32_t timers_ = 0;  // bit per running timer id
    uint32_t lastServerMessage_ = 0;
    bool hallLeaveFlag_ = true;
    std::shared_ptr<NoticeJob> noticeJob_;  // the download in flight
    std::unique_ptr<HeldServerMessages> held_; // made with the first server message
};
