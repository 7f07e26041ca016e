#pragma once
// A scripted application for the frame window, the dispatcher and the base scene: both of its
// interfaces (accessors and the application's operations) with settable facts, and a log of the
// boxes, lines and operations it was asked for. Install it with Installed for a test's scope.
#include "framework/app/GameAppAccess.h"
#include "framework/app/HallState.h"
#include "framework/scene/GameWinApp.h"

#include <string>
#include <vector>

namespace frametest {

struct FakeGameWinApp : IGameWinApp, IGameAppAccess {
    // Accessors.
    uint32_t GetUserID() const override { return userId; }
    uint32_t GetRoomID() const override { return 7; }
    uint32_t GetTableNO() const override { return 3; }
    int32_t GetChairNO() const override { return chair; }
    int IsLookOn() const override { return lookOn; }
    int IsMatch() const override { return match; }
    int GetChairCount() const override { return 4; }
    uint32_t GetRoomOptions() const override { return roomOptions; }
    std::span<uint8_t> GetGameInfoBlockA() override { return blockA; }
    const Lumora::GameUserRecord* GetUserRecordByID(uint32_t id) const override { return hall.FindUser(id); }
    void ShowWaitText(const char* text, bool show) override
    {
        log.push_back(show ? std::string("wait ") + (text ? text : "") : std::string("wait hidden"));
    }

    // The application's operations.
    CGameConnect* GetConnect() override { return connect; }
    CGameNotify* GetNotify() override { return notify; }
    CGameInfo* GetGameInfo() override { return gameInfo; }
    hall::HallState* GetHallState() override { return &hall; }
    Lumora::CGameBase* GetGameFrame() override { return gameFrame; }
    int GetGameFrameState() override { return frameMaximised; }
    Lumora::CGameBase* GetMainGame() override { return scene; }
    Lumora::CGameBase* GetSubSystem() override { return panel; }
    INotifyFrame* GetNotifyFrame() override { return frame; }
    Lumora::CLumoraWnd* GetMainWnd() override { return mainWnd; }
    int GetTestModeKind() const override { return testMode; }
    bool IsOption17() const override { return option17; }
    bool IsPlaying() const override { return playing; }
    void SetLostWhilePlaying(bool lost) override { lostWhilePlaying = lost; }
    bool IsTableArranged() const override { return tableArranged; }
    void SetTableArranged() override { tableArranged = true; }
    int GetMatchState() const override { return matchState; }
    void SetMatchState(int state) override { matchState = state; }
    void ShowMsgBox(const Lumora::Markup& text, const Lumora::EventRecord*, const Lumora::EventRecord*, int seconds,
                    uint32_t flags, const char* icon) override
    {
        boxes.push_back({"msg", std::string(text.Text()), seconds, flags, icon ? icon : "", ""});
    }
    void ShowAskBox(const Lumora::Markup& text, int seconds, uint32_t flags, const char* icon) override
    {
        boxes.push_back({"ask", std::string(text.Text()), seconds, flags, icon ? icon : "", ""});
    }
    void ShowAskBoxEx(const Lumora::Markup& text, int seconds, uint32_t flags, const char* icon, const char*, const char*,
                      const char* link, int) override
    {
        boxes.push_back({"askex", std::string(text.Text()), seconds, flags, icon ? icon : "", link ? link : ""});
    }
    void ShowSystemNotice(const Lumora::Markup& markup) override { lines.emplace_back(markup.Text()); }
    void OnAllowanceConfig(bool ok, const std::string& text, int32_t value, std::span<const uint8_t>) override
    {
        log.push_back("config " + std::to_string(ok) + " " + text + " " + std::to_string(value));
    }
    void OnAllowanceResult(bool ok, const std::string& text, int32_t value, int32_t kind, int32_t word) override
    {
        log.push_back("result " + std::to_string(ok) + " " + text + " " + std::to_string(value) + " " +
                      std::to_string(kind) + " " + std::to_string(word));
    }
    bool PostToHall(uint32_t message, uint32_t wparam, uint32_t lparam) override
    {
        log.push_back("hall " + std::to_string(message) + " " + std::to_string(wparam) + " " + std::to_string(lparam));
        return hallAlive;
    }
    void ReportExitToHall() override { log.push_back("exit report"); }
    CloseDecision DecideWindowClose() override
    {
        log.push_back("decide");
        return closeDecision;
    }
    bool IsHallAlive() const override { return hallAlive; }
    std::string GetNoticeHost() const override { return noticeHost; }
    uint32_t GetGameID() const override { return gameId; }
    int IsTestMode() const override { return testMode != 0; }
    void ShowWaitTextTimed(const char* text, int seconds) override
    {
        log.push_back("wait " + std::string(text ? text : "") + " " + std::to_string(seconds));
    }
    void EnterGameOrMatch() override { log.push_back("enter"); }
    void OnUsersChanged() override { log.push_back("users changed"); }
    void StopCommThread() override { log.push_back("comm stopped"); }
    std::string GetAreaName() const override { return areaName; }
    std::string areaName = "华东";
    std::string GetRoomName() const override { return "新手"; }
    std::string GetUserDisplayNameByID(uint32_t id) const override
    {
        const Lumora::GameUserRecord* r = hall.FindUser(id);
        return r ? std::string(r->Name()) : std::string();
    }
    std::string GetUserDisplayNameByChair(int c) const override
    {
        return c >= 0 && c < 8 ? std::string(hall.players[size_t(c)].Name()) : std::string();
    }

    struct Box {
        std::string kind, text;
        int seconds;
        uint32_t flags;
        std::string icon, link;
    };

    uint32_t userId = 1001;
    int32_t chair = 0;
    int lookOn = 0;
    int match = 0;
    uint32_t roomOptions = 0;
    int testMode = 0;
    bool option17 = false;
    bool playing = false;
    bool lostWhilePlaying = false;
    bool tableArranged = false;
    bool hallAlive = true;
    int matchState = 0;
    CloseDecision closeDecision = CloseDecision::NoFrame;
    std::string noticeHost;
    uint32_t gameId = 79;
    std::vector<uint8_t> blockA = std::vector<uint8_t>(256);
    hall::HallState hall;
    CGameConnect* connect = nullptr;
    CGameNotify* notify = nullptr;
    CGameInfo* gameInfo = nullptr;
    Lumora::CGameBase* gameFrame = nullptr;
    int frameMaximised = 1;
    Lumora::CGameBase* scene = nullptr;
    Lumora::CGameBase* panel = nullptr;
    INotifyFrame* frame = nullptr;
    Lumora::CLumoraWnd* mainWnd = nullptr;
    std::vector<Box> boxes;
    std::vector<std::string> lines;
    std::vector<std::string> log;
};

// Installs the fake as both interfaces for a scope.
class Installed {
public:
    explicit Installed(FakeGameWinApp& app)
    {
        SetGameWinApp(&app);
        SetGameAppAccess(&app);
    }
    ~Installed()
    {
        SetGameWinApp(nullptr);
        SetGameAppAccess(nullptr);
    }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;
};

} // namespace frametest
