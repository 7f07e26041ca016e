#pragma once
// The application object as the frame window, the dispatcher and the base scene see it
// (IGameWinApp): each operation forwards to the one CGameWinApp, its main window and the frame
// UI of that window (CXyGameFrame) with its scene and side panel. The game layer makes it with
// the objects it owns (connection, dispatcher, game info), installs it and keeps it as long as
// the application lives.
#include "framework/scene/GameWinApp.h"

class CGameWinApp;
class CXyGameFrame;

class GameWinAppLink final : public IGameWinApp {
public:
    GameWinAppLink(CGameWinApp& app, CGameConnect* connect, CGameNotify* notify, CGameInfo* info)
        : app_(app), connect_(connect), notify_(notify), info_(info)
    {
    }

    CGameConnect* GetConnect() override { return connect_; }
    CGameNotify* GetNotify() override { return notify_; }
    CGameInfo* GetGameInfo() override { return info_; }
    hall::HallState* GetHallState() override;
    Lumora::CGameBase* GetGameFrame() override;
    Lumora::CGameBase* GetMainGame() override;
    Lumora::CGameBase* GetSubSystem() override;
    int GetGameFrameState() override;
    Lumora::CLumoraWnd* GetMainWnd() override;

    int GetTestModeKind() const override;
    bool IsOption17() const override;
    bool IsPlaying() const override;
    void SetLostWhilePlaying(bool lost) override;
    bool IsTableArranged() const override { return tableArranged_; }
    void SetTableArranged() override { tableArranged_ = true; }
    int GetMatchState() const override;
    void SetMatchState(int state) override;
    uint32_t GetHallWnd() const override;

    void ShowMsgBox(const char* text, const Lumora::EventRecord* ok, const Lumora::EventRecord* cancel, int seconds,
                    uint32_t flags, const char* icon) override;
    void ShowAskBox(const char* text, int seconds, uint32_t flags, const char* icon) override;
    void ShowAskBoxEx(const char* text, int seconds, uint32_t flags, const char* icon, const char* okPicture,
                      const char* cancelPicture, const char* link, int sign) override;
    void ShowSystemNotice(const char* markup) override;
    void OnAllowanceConfig(bool ok, const std::string& text, int32_t value, std::span<const uint8_t> record) override;
    void OnAllowanceResult(bool ok, const std::string& text, int32_t value, int32_t kind, int32_t word) override;
    bool PostToHall(uint32_t message, uint32_t wparam, uint32_t lparam) override;

    CloseDecision DecideWindowClose() override;
    bool IsHallAlive() const override;
    void ReportExitToHall() override;
    void StopCommThread() override;
    void OnHallCopyData(uint32_t code, std::span<const uint8_t> bytes) override;
    void OnWebPageOpened(uintptr_t job) override;
    void OnStartTable() override;
    void EnterGameOrMatch() override;
    std::string GetNoticeHost() const override;
    std::string GetTempFolder() const override;
    std::string GetAreaName() const override;
    std::string GetRoomName() const override;
    std::string GetUserDisplayNameByID(uint32_t userId) const override;
    std::string GetUserDisplayNameByChair(int chair) const override;

private:
    CXyGameFrame* Frame();

    CGameWinApp& app_;
    CGameConnect* connect_;
    CGameNotify* notify_;
    CGameInfo* info_;
    bool tableArranged_ = false;
};
