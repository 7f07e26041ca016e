#pragma once
// A scripted stand-in for the application around the in-game frame: settable room, match and
// exit facts, a request sender that counts what it sends, and counters of the leaving steps.
#include "framework/frame/FrameApp.h"

#include <string>
#include <vector>

namespace frametest {

struct FakeRequests : framework::IFrameRequests {
    bool QueryGamePlaying() override
    {
        ++playQueries;
        return playing;
    }
    bool LeaveGame(std::string& refusal) override
    {
        ++leaves;
        refusal = leaveRefusal;
        return !leaveRefusal.empty();
    }
    void AskExit(const std::string& reason) override { askedExits.push_back(reason); }
    void ReplyAskExit(uint32_t userId, bool agree) override { replies.push_back({userId, agree}); }
    void Request201161() override { ++requests201161; }

    bool playing = true;
    std::string leaveRefusal;  // empty: the server lets the player go
    int playQueries = 0;
    int leaves = 0;
    std::vector<std::string> askedExits;
    struct Reply {
        uint32_t user;
        bool agree;
        bool operator==(const Reply&) const = default;
    };
    std::vector<Reply> replies;
    int requests201161 = 0;
};

class FakeFrameApp : public framework::IFrameApp {
public:
    FakeFrameApp() { framework::SetFrameApp(this); }
    ~FakeFrameApp() override { framework::SetFrameApp(nullptr); }
    FakeFrameApp(const FakeFrameApp&) = delete;
    FakeFrameApp& operator=(const FakeFrameApp&) = delete;

    std::string GetGameName() const override { return gameName; }
    std::string GetSignedUrlSimple(const std::string& link, bool sign) const override
    {
        return sign ? link + (link.find('?') == std::string::npos ? "?" : "&") + "uid=7&sign=abc" : link;
    }
    uint32_t GetUserID() const override { return userId; }
    const Lumora::GameUserRecord* GetUserRecordByID(uint32_t id) const override
    {
        for (const Lumora::GameUserRecord& r : users)
            if (uint32_t(r.UserId()) == id)
                return &r;
        return nullptr;
    }
    std::string GetCharacterImagePath(int character, int) const override { return "char" + std::to_string(character); }
    bool IsMatch() const override { return match; }
    int GetMatchState() const override { return matchState; }
    bool IsSilverRoom() const override { return silverRoom; }
    bool IsRoomTypeBit14() const override { return roomBit14; }
    bool CanRequestExitConsent() const override { return consentAllowed && exitRequests < 2; }
    bool IsLookOn() const override { return lookOn; }
    bool IsPlaying() const override { return playingFlag; }
    bool GetTableFlag() const override { return tableFlag; }
    void ShowSystemNotice(const Lumora::Markup& markup) override { notices.emplace_back(markup.Text()); }
    std::optional<uint32_t> GetLastExitRequestTick() const override { return lastExitTick; }
    void CountExitRequest(uint32_t tick) override
    {
        ++exitRequests;
        lastExitTick = tick;
    }
    framework::IFrameRequests* GetRequests() override { return realRequests ? realRequests : &requests; }
    void EnterGameOrMatch() override { ++entered; }
    void ReportExitToHall() override { ++exitReports; }
    void StopCommThread() override { ++commStops; }
    void PostCloseToMainWindow() override { ++closePosts; }
    Lumora::CLumoraWnd* GetMainWnd() override { return mainWnd; }
    // Links, pages and match requests.
    bool IsTestMode() const override { return testMode; }
    void SendTextToHall(const std::string& text, int32_t code) override { hallTexts.push_back({text, code}); }
    void OpenWebPage(const std::string& url) override { pages.push_back(url); }
    std::string GetActivityUrl() const override { return activityUrl; }
    std::string activityUrl = "http://act.example/a?x=1";
    std::string GetCharacterFolder(int character) const override
    {
        return characterRoot + "/" + std::to_string(character) + "/";
    }
    void AskHallForUserDetail(uint32_t user) override { hallDetailAsks.push_back(user); }
    int GetMatchSeconds() const override { return matchSeconds; }
    void SetMatchSeconds(int s) override { matchSeconds = s; }
    int GetSignUpFeeKind() const override { return feeKind; }
    int GetSignUpFee() const override { return fee; }
    int GetKnockoutStage() const override { return knockoutStage; }
    void LoginMatchRoom() override { ++matchLogins; }
    void Request201221() override { ++requests201221; }
    void Request201230(uint32_t user) override { requests201230.push_back(user); }
    void Request201231() override { ++requests201231; }
    void Request201232() override { ++requests201232; }
    void StoreMatchResult(int32_t, int32_t rank, uint32_t, int32_t, int32_t, int32_t) override
    {
        storedRanks.push_back(rank);
    }
    std::optional<framework::MatchPlayerDetail> GetMatchPlayerDetail(uint32_t user) const override
    {
        for (const auto& d : matchDetails)
            if (uint32_t(d.userId) == user)
                return d;
        return std::nullopt;
    }

    std::string gameName = "血流成河";
    uint32_t userId = 7;
    std::vector<Lumora::GameUserRecord> users;
    bool match = false;
    int matchState = 0;
    bool silverRoom = false;
    bool roomBit14 = false;
    bool consentAllowed = false;
    bool lookOn = false;
    bool playingFlag = true;
    bool tableFlag = false;
    std::vector<std::string> notices;
    std::optional<uint32_t> lastExitTick;
    int exitRequests = 0;
    FakeRequests requests;
    framework::IFrameRequests* realRequests = nullptr;  // instead of the counting fake
    int entered = 0;
    int exitReports = 0;
    int commStops = 0;
    int closePosts = 0;
    Lumora::CLumoraWnd* mainWnd = nullptr;
    bool testMode = false;
    struct HallText {
        std::string text;
        int32_t code;
        bool operator==(const HallText&) const = default;
    };
    std::vector<HallText> hallTexts;
    std::vector<std::string> pages;
    std::string characterRoot = "/nonexistent";
    std::vector<uint32_t> hallDetailAsks;
    int matchSeconds = 0;
    int feeKind = 1;
    int fee = 0;
    int knockoutStage = 0;
    int matchLogins = 0;
    int requests201221 = 0;
    std::vector<uint32_t> requests201230;
    int requests201231 = 0;
    int requests201232 = 0;
    std::vector<framework::MatchPlayerDetail> matchDetails;
    std::vector<int32_t> storedRanks;
};

} // namespace frametest
