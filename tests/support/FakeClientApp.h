#pragma once
// A fake application for the connection, request and game-data tests: identity fields the test
// sets, the stand-in's default table (user 1001 in chair 0 of table 1, room 1), the two entry
// blocks, and a log of the operations the replies trigger.
#include "framework/connection/ClientApp.h"

#include <array>
#include <map>
#include <string>
#include <tuple>
#include <vector>

class FakeClientApp : public IClientApp {
public:
    FakeClientApp()
    {
        own.SetUserId(1001);
        own.SetI32(4, 77);
        own.SetName("玩家一");
        own.SetChair(0);
    }

    uint32_t GetUserID() const override { return userId; }
    uint32_t GetRoomID() const override { return roomId; }
    uint32_t GetTableNO() const override { return tableNo; }
    int32_t GetChairNO() const override { return chair; }
    uint32_t GetGameID() const override { return gameId; }
    int IsLookOn() const override { return lookOn; }
    uint32_t GetRoomOptions() const override { return roomOptions; }
    uint32_t GetRoomType() const override { return roomType; }
    int GetVersionMajor() const override { return 9; }
    int GetVersionMinor() const override { return 3; }
    std::string GetGameName() const override { return "血流成河"; }
    std::string GetMachineID() const override { return machineId; }
    int32_t GetHallField2() const override { return 5; }
    uint32_t GetReplayTableValue() const override { return 0; }
    int IsQuickCatch() const override { return 0; }
    uint32_t GetAppWord(AppWord) const override { return 0; }

    const Lumora::GameUserRecord* GetOwnUserRecord() const override { return hasOwn ? &own : nullptr; }
    int32_t GetUserChairByID(uint32_t id) const override { return id >= 1001 && id <= 1004 ? int32_t(id - 1001) : -1; }
    std::string GetUserNameByChair(int c) const override { return c == 0 ? firstName : "玩家"; }
    std::string firstName = "玩家一";  // chair 0's
    void MakeUserBrief(uint8_t out[136], const Lumora::GameUserRecord& r) const override
    {
        std::fill(out, out + 136, uint8_t{0});
        std::copy(r.Data(), r.Data() + 4, out);
    }
    int32_t GetOwnTableSilver() const override { return 10000; }
    void TakeLookOnUsers(const uint8_t*, size_t size) override
    {
        calls.push_back("look-on users " + std::to_string(size));
    }

    std::span<uint8_t> GetGameInfoBlockA() override { return blockA; }
    std::span<uint8_t> GetGameInfoBlockB() override { return blockB; }

    void SetAppSwitch(int flag) override { appSwitch = flag; }
    void OnEnteredAsPlayer() override { calls.push_back("entered player"); }
    void OnEnteredLookOn() override { calls.push_back("entered look-on"); }
    void OnEnteredRunning() override { calls.push_back("entered running"); }
    void OnMatchLogin(uint32_t code, const uint8_t*, size_t) override
    {
        calls.push_back("match " + std::to_string(code));
    }
    void StoreTablePlayingWord(uint32_t w) override { playingWord = w; }
    void StopAutoLeaveTimer() override { calls.push_back("stop auto-leave"); }
    void PromptTakeSilver(const uint8_t*, size_t) override { calls.push_back("take silver"); }
    void PromptStoreSilver(const uint8_t*, size_t) override { calls.push_back("store silver"); }
    void SetFeatureFlag(bool on) override { featureFlag = on; }
    const std::vector<std::string>& GetHallFeatureButtons() const override { return buttons; }
    void SetFeatureButton(size_t index, int first, int second, const std::string& text) override
    {
        features[index] = {first, second, text};
    }
    bool CheckSafeBox() override { return safeBoxOk; }
    void ShowSystemNotice(const Lumora::Markup& markup) override { calls.push_back(std::string("notice ") + std::string(markup.Text())); }
    void GetLastNotifyRecord(uint32_t out[4]) const override
    {
        for (int i = 0; i < 4; ++i)
            out[i] = lastNotify[i];
    }
    void BeginWaitCursor() override { ++waitCursor; }
    void EndWaitCursor() override { --waitCursor; }
    int IsSmallScreen() const override { return screenWidth <= 800; }
    int GetScreenWidth() const override { return screenWidth; }
    int GetScreenHeight() const override { return screenHeight; }
    int PlayGameSound(const char*, int) override { return 1; }

    uint32_t userId = 1001;
    uint32_t roomId = 1;
    uint32_t tableNo = 1;
    int32_t chair = 0;
    uint32_t gameId = 79;
    int lookOn = 0;
    uint32_t roomOptions = 0;
    uint32_t roomType = 4;
    std::string machineId = "0123456789abcdef0123456789abcdef";
    bool hasOwn = true;
    Lumora::GameUserRecord own;
    std::array<uint8_t, 256> blockA{};
    std::array<uint8_t, 5428> blockB{};
    int appSwitch = -1;
    uint32_t playingWord = 0;
    bool featureFlag = false;
    std::map<size_t, std::tuple<int, int, std::string>> features;
    bool safeBoxOk = true;
    uint32_t lastNotify[4] = {};
    int waitCursor = 0;
    int screenWidth = 1280;
    int screenHeight = 720;
    std::vector<std::string> buttons = std::vector<std::string>(12, "b");
    std::vector<std::string> calls;
};
