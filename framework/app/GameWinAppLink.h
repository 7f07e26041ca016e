#pragma once
// The application as the frame window, the notification dispatcher and the base scene ask for it
// (IGameWinApp): it forwards to the one application object, its connection and its dispatcher,
// and finds the frame UI's parts in the main window's game object. The game layer makes it and
// installs it for as long as the application lives.
#include "framework/app/CGameWinApp.h"
#include "framework/scene/GameWinApp.h"

class CGameConnect;
class CGameNotify;
class CXyGameFrame;

class GameWinAppLink final : public IGameWinApp {
public:
    GameWinAppLink(CGameWinApp& app, CGameConnect* connection, CGameNotify* notify)
        : app_(app), connection_(connection), notify_(notify)
    {
    }

    CGameConnect* GetConnect() override { return connection_; }
    CGameNotify* GetNotify() override { return notify_; }
    CGameInfo* GetGameInfo() override { return app_.GetGameInfo(); }
    hall::HallState* GetHallState() override { return &app_.MutableHallData(); }
    Lumora::CGameBase* GetGameFrame() override { return app_.GetGameFrameObject(); }
    Lumora::CGameBase* GetMainGame() override { return app_.GetMainGame(); }
    Lumora::CGameBase* GetSubSystem() override { return app_.GetSubSystem(); }
    INotifyFrame* GetNotifyFrame() override;
    Lumora::CLumoraWnd* GetMainWnd() override;

    int GetTestModeKind() const override { return app_.GetTestModeKind(); }
    bool IsOption17() const override { return app_.IsOption17() != 0; }
    bool IsPlaying() const override { return app_.IsPlaying() != 0; }
    void SetLostWhilePlaying(bool lost) override { app_.SetLostWhilePlaying(lost); }
    bool IsTableArranged() const override { return app_.GetTableFlag() != 0; }
    void SetTableArranged() override { app_.SetTableArranged(); }
    int GetMatchState() const override { return app_.GetMatchState(); }
    void SetMatchState(int state) override { app_.SetMatchState(state); }
    uint32_t GetHallWnd() const override { return app_.IsTestMode() ? 0 : app_.GetHallWnd(); }
    // 211150: the round's table record (its knock-out stage) and the chairs' extra entries.
    bool AcceptKnockoutRecord(std::span<const uint8_t> data) override
    {
        if (data.size() < hall::ReplayTableRecord::kSize)
            return false;
        app_.LoadReplayTable(data);
        return true;
    }

    // 211170: the rank list and the standings it carries.
    void SetRankList(std::span<const uint8_t> headAndEntries, int count) override
    {
        app_.SetRankList(headAndEntries, count);
    }
    bool SetUserExtraValues(uint32_t userId, int32_t a, int32_t b, int32_t c) override
    {
        return app_.SetRankValues(userId, a, b, c);
    }
    void SortAndShowRankList() override { app_.SortMatchRanks(); }
    void OnUsersChanged() override { app_.OnUsersChanged(); }

    int GetGameFrameState() override;
    // Boxes and lines: the application's.
    void ShowMsgBox(const Lumora::Markup& text, const Lumora::EventRecord* ok, const Lumora::EventRecord* cancel, int seconds,
                    uint32_t flags, const char* icon) override
    {
        app_.ShowMsgBox(text, ok, cancel, seconds, flags, icon);
    }
    void ShowAskBox(const Lumora::Markup& text, int seconds, uint32_t flags, const char* icon) override
    {
        app_.ShowAskBox(text, seconds, flags, icon);
    }
    void ShowAskBoxEx(const Lumora::Markup& text, int seconds, uint32_t flags, const char* icon, const char* okPicture,
                      const char* cancelPicture, const char* link, int sign) override
    {
        app_.ShowAskBoxEx(text, seconds, flags, icon, okPicture, cancelPicture, link, sign);
    }
    void ShowSystemNotice(const Lumora::Markup& markup) override { app_.ShowSystemNotice(markup); }
    void OnAllowanceConfig(bool ok, const std::string& text, int32_t value, std::span<const uint8_t> record) override;
    void OnAllowanceResult(bool ok, const std::string& text, int32_t value, int32_t kind, int32_t word) override;
    // The frame UI's close decision.
    CloseDecision DecideWindowClose() override;
    bool PostToHall(uint32_t message, uint32_t wparam, uint32_t lparam) override
    {
        return app_.PostToHallFrame(message, wparam, lparam);
    }

    bool IsHallAlive() const override { return app_.IsTestMode() || app_.IsHallWindowAlive(); }
    void ReportExitToHall() override { app_.ReportExitToHall(app_.GetMainWindowId()); }
    void StopCommThread() override { app_.StopCommunication(); }
    void OnHallCopyData(uint32_t code, std::span<const uint8_t> bytes) override { app_.OnHallCopyData(code, bytes); }
    void OnWebPageOpened(uintptr_t job) override;
    void EnterGameOrMatch() override { app_.EnterGameOrMatch(); }
    std::string GetNoticeHost() const override { return app_.GetNoticeHost(); }
    uint32_t GetNoticeFileWord() const override;
    std::string GetTempFolder() const override { return app_.GetTempFolder(); }
    std::string GetAreaName() const override { return app_.GetAreaName(); }
    std::string GetRoomName() const override { return app_.GetRoomRecordName(); }
    std::string GetUserDisplayNameByID(uint32_t userId) const override { return app_.GetUserDisplayNameByID(userId); }
    std::string GetUserDisplayNameByChair(int chair) const override { return app_.GetUserDisplayNameByChair(chair); }

private:
    CXyGameFrame* Frame();

    CGameWinApp& app_;
    CGameConnect* connection_;
    CGameNotify* notify_;
};
