#pragma once
// The application as the other framework parts see it: the connection's start-up steps over
// CGameConnect (IServerStartup), and the application's accessors as the connection and request
// catalogue (IClientApp) and the in-game frame (framework::IFrameApp) ask for them. Each link
// only forwards to the one application object; the game layer makes them, installs them and keeps
// them as long as the application lives.
#include "framework/app/CGameWinApp.h"
#include "framework/app/ServerStartup.h"
#include "framework/connection/CGameConnect.h"
#include "framework/frame/FrameApp.h"
#include "framework/notify/CGameNotify.h"
#include "framework/scene/GameWinApp.h"

class ConnectionStartup final : public IServerStartup {
public:
    explicit ConnectionStartup(CGameConnect& connection) : c_(connection) {}
    void LoadProxySettings(const std::string& hallIniPath) override { c_.LoadProxySettings(hallIniPath); }
    void SetupEncryption() override { c_.SetupEncryption(); }
    void SetNotifyThreadId(uint32_t threadId) override { c_.SetNotifyThreadId(threadId); }
    bool OpenGameChannel(const std::string& name, const std::string& host, uint16_t port, int& proxyFailed) override
    {
        return c_.OpenGameChannel(name, host, port, &proxyFailed);
    }
    std::string GetProxyHost() const override { return c_.GetProxyHost(); }
    bool CheckVersion(std::string& errorText, int32_t& valueA, int32_t& valueB) override
    {
        int a = 0, b = 0;
        bool ok = c_.CheckVersion(errorText, &a, &b);
        valueA = a;
        valueB = b;
        return ok;
    }
    bool GetFeatureConfig() override
    {
        std::string text;
        return c_.GetFeatureConfig(text);
    }
    bool EnterGame(std::string& errorText) override { return c_.EnterGame(errorText); }
    bool LoginGame(std::string& errorText) override { return c_.LoginGame(errorText); }
    bool QuitGame(uint32_t userId, int32_t chair) override { return c_.QuitGame(userId, chair); }
    void CloseAll() override { c_.CloseAll(); }

private:
    CGameConnect& c_;
};

// The requests the widgets send, through the connection.
class WidgetConnectLink final : public Lumora::IGameConnect {
public:
    explicit WidgetConnectLink(CGameConnect& connection) : c_(connection) {}
    void SendAhoo(uint32_t userId) override { c_.SendAhoo(userId); }
    void Request201230(uint32_t userId) override { c_.Request201230(static_cast<int32_t>(userId)); }
    int Request229560(uint32_t userId, int allow) override
    {
        return c_.Request229560(static_cast<int32_t>(userId), allow) ? 1 : 0;
    }
    int SendChatText(const std::string& text) override { return c_.SendChatEx(text) ? 1 : 0; }

private:
    CGameConnect& c_;
};

class ClientAppLink final : public IClientApp {
public:
    explicit ClientAppLink(CGameWinApp& app) : app_(app) {}

    uint32_t GetUserID() const override { return app_.GetUserID(); }
    uint32_t GetRoomID() const override { return app_.GetRoomID(); }
    uint32_t GetTableNO() const override { return app_.GetTableNO(); }
    int32_t GetChairNO() const override { return app_.GetChairNO(); }
    uint32_t GetGameID() const override { return app_.GetGameID(); }
    int IsLookOn() const override { return app_.IsLookOn(); }
    uint32_t GetRoomOptions() const override { return app_.GetRoomOptions(); }
    uint32_t GetRoomType() const override { return app_.GetRoomType(); }
    int GetVersionMajor() const override { return app_.GetVersionMajor(); }
    int GetVersionMinor() const override { return app_.GetVersionMinor(); }
    std::string GetGameName() const override { return app_.GetGameName(); }
    std::string GetMachineID() const override { return app_.GetMachineID(); }
    uint32_t GetCommandLineField2() const override { return static_cast<uint32_t>(app_.GetHallField2()); }
    uint32_t GetReplayTableValue() const override { return static_cast<uint32_t>(app_.GetReplayTableValue()); }
    int IsQuickCatch() const override { return 0; }
    uint32_t GetAppWord(AppWord) const override { return 0; }
    const Lumora::GameUserRecord* GetOwnUserRecord() const override { return app_.GetUserRecordByID(app_.GetUserID()); }
    int32_t GetUserChairByID(uint32_t userId) const override { return app_.GetUserChairByID(userId); }
    std::string GetUserNameByChair(int chair) const override { return app_.GetUserNameByChair(chair); }
    void MakeUserBrief(uint8_t out[136], const Lumora::GameUserRecord& record) const override
    {
        app_.MakeUserBrief(std::span<uint8_t>(out, kUserBriefSize), record);
    }
    int32_t GetOwnTableSilver() const override;
    void TakeLookOnUsers(const uint8_t*, size_t) override {}
    std::span<uint8_t> GetGameInfoBlockA() override { return app_.GetGameInfoBlockA(); }
    std::span<uint8_t> GetGameInfoBlockB() override { return app_.GetGameInfoBlockB(); }
    void SetAppSwitch(int entryFlag) override { app_.SetAppSwitch(entryFlag); }
    void OnEnteredAsPlayer() override { app_.OnEnteredAsPlayer(); }
    void OnEnteredLookOn() override { app_.OnEnteredLookOn(); }
    void OnEnteredRunning() override { app_.OnEnteredRunning(); }
    void OnMatchLogin(uint32_t code, const uint8_t* data, size_t size) override
    {
        app_.OnMatchLogin(code, data ? std::span<const uint8_t>(data, size) : std::span<const uint8_t>());
    }
    void StoreTablePlayingWord(uint32_t word) override { app_.StoreTablePlayingWord(word); }
    void StopAutoLeaveTimer() override {}
    void PromptTakeSilver(const uint8_t* data, size_t size) override;
    void PromptStoreSilver(const uint8_t* data, size_t size) override;
    void SetFeatureFlag(bool on) override { app_.SetFeatureFlag(on); }
    size_t GetFeatureButtonCount() const override { return app_.GetHallFeatureButtons().size(); }
    void SetFeatureButton(size_t index, int first, int second, const std::string& text) override
    {
        app_.SetFeatureButton(index, {first, second, text});
    }
    bool CheckSafeBox() override { return true; }
    void ShowSystemNotice(const Lumora::Markup& markup) override { app_.ShowSystemNotice(markup); }
    // The dispatcher's record of the last notification (zeros without one).
    void GetLastNotifyRecord(uint32_t out[4]) const override
    {
        IGameWinApp* app = GetGameWinApp();
        if (CGameNotify* notify = app ? app->GetNotify() : nullptr)
            notify->GetLastNotifyRecord(out);
        else
            out[0] = out[1] = out[2] = out[3] = 0;
    }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    int IsSmallScreen() const override { return app_.GetSmallScreen(); }
    int GetScreenWidth() const override;
    int GetScreenHeight() const override;
    int PlayGameSound(const char*, int) override { return 0; }

private:
    CGameWinApp& app_;
};

class FrameAppLink final : public framework::IFrameApp, public framework::IFrameRequests {
public:
    FrameAppLink(CGameWinApp& app, CGameConnect* connection) : app_(app), connection_(connection) {}

    std::string GetGameName() const override { return app_.GetGameName(); }
    std::string GetSignedUrlSimple(const std::string& link, bool sign) const override
    {
        return app_.GetSignedUrlSimple(link, sign);
    }
    uint32_t GetUserID() const override { return app_.GetUserID(); }
    const Lumora::GameUserRecord* GetUserRecordByID(uint32_t userId) const override
    {
        return app_.GetUserRecordByID(userId);
    }
    std::string GetCharacterImagePath(int character, int size) const override
    {
        return app_.GetCharacterImagePath(character, size);
    }
    bool IsMatch() const override { return app_.IsMatch() != 0; }
    int GetMatchState() const override { return app_.GetMatchState(); }
    bool IsSilverRoom() const override { return app_.IsSilverRoom() != 0; }
    bool IsRoomTypeBit14() const override { return app_.IsLeaveForbidden() != 0; }
    bool CanRequestExitConsent() const override { return app_.CanRequestExitConsent() != 0; }
    bool IsLookOn() const override { return app_.IsLookOn() != 0; }
    bool IsPlaying() const override { return app_.IsPlaying() != 0; }
    bool GetTableFlag() const override { return app_.GetTableFlag() != 0; }
    void ShowSystemNotice(const Lumora::Markup& markup) override { app_.ShowSystemNotice(markup); }
    std::optional<uint32_t> GetLastExitRequestTick() const override { return app_.GetLastExitRequestTick(); }
    void CountExitRequest(uint32_t tick) override { app_.CountExitRequest(tick); }
    framework::IFrameRequests* GetRequests() override { return connection_ ? this : nullptr; }
    void EnterGameOrMatch() override { app_.EnterGameOrMatch(); }
    void ReportExitToHall() override { app_.ReportExitToHall(app_.GetMainWindowId()); }
    void StopCommThread() override { app_.StopCommunication(); }
    void PostCloseToMainWindow() override;
    Lumora::CLumoraWnd* GetMainWnd() override;
    // Links, pages and the match requests of the frame.
    bool IsTestMode() const override { return app_.IsTestMode() != 0; }
    uint32_t GetTitleTextColour() const override { return app_.GetRGBColorTitleText(); }
    void SendTextToHall(const std::string& text, int32_t code) override { app_.SendTextToHall(text, code); }
    void OpenWebPage(const std::string& url) override { app_.OpenWebPage(url, false, url); }
    std::string GetCharacterFolder(int character) const override { return app_.GetCharacterFolder(character); }
    void AskHallForUserDetail(uint32_t userId) override;
    bool IsRoomOptionBit3() const override { return app_.IsRoomOptionBit3() != 0; }
    void LoginMatchRoom() override { app_.LoginMatchRoom(); }
    // The match's facts and standings, from the application's match data and extra entries.
    std::optional<framework::MatchPlayerDetail> GetMatchPlayerDetail(uint32_t userId) const override;
    int GetChair() const override { return app_.GetChairNO(); }
    int GetMatchSeconds() const override { return app_.GetMatchSeconds(); }
    void SetMatchSeconds(int seconds) override { app_.SetMatchSeconds(seconds); }
    int GetMatchPhaseValue() const override { return app_.GetMatchValue(); }
    int GetSignUpFeeKind() const override { return app_.GetSignUpFeeKind(); }
    int GetSignUpFee() const override { return app_.GetSignUpFee(); }
    int GetKnockoutStage() const override { return app_.GetKnockoutStage(); }
    void StoreMatchResult(int32_t value, int32_t rank, uint32_t userId, int32_t level, int32_t points,
                          int32_t nextPoints) override
    {
        app_.StoreMatchResult(value, rank, userId, level, points, nextPoints);
    }
    void RefreshMatchRankList() override { app_.SortMatchRanks(); }
    void Request201221() override
    {
        if (connection_)
            connection_->Request201221();
    }
    void Request201230(uint32_t userId) override
    {
        if (connection_)
            connection_->Request201230(static_cast<int32_t>(userId));
    }
    void Request201231() override
    {
        if (connection_)
            connection_->Request201231();
    }
    void Request201232() override
    {
        if (connection_)
            connection_->Request201232();
    }

    // The requests of leaving.
    bool QueryGamePlaying() override { return connection_->QueryGamePlaying(); }
    bool LeaveGame(std::string& reason) override
    {
        return connection_->LeaveGame(reason, app_.GetUserID(), app_.GetChairNO());
    }
    void AskExit(const std::string& reason) override { connection_->AskExit(reason); }
    void ReplyAskExit(uint32_t userId, bool agree) override { connection_->ReplyAskExit(userId, agree ? 1 : 0); }
    void Request201161() override
    {
        std::string text;
        connection_->Request201161(text);
    }

private:
    CGameWinApp& app_;
    CGameConnect* connection_;
};
