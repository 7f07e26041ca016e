#pragma once
// A stand-in for the game client's application in widget tests: user tables filled by the
// test, settable answers, and records of every request, notice and call the widgets make.
#include "widgets/AppServices.h"

#include <array>
#include <string>
#include <vector>

namespace widgettest {

using Lumora::AhooRecord;
using Lumora::GameUserRecord;

struct FakeConnect : Lumora::IGameConnect {
    void SendAhoo(uint32_t userId) override { ahoos.push_back(userId); }
    void Request201230(uint32_t userId) override { details.push_back(userId); }
    int Request229560(uint32_t userId, int allow) override
    {
        lookOnRequests.push_back({userId, uint32_t(allow)});
        return lookOnResult;
    }
    int SendChatText(const std::string& text) override
    {
        chats.push_back(text);
        return 1;
    }
    std::vector<std::string> chats;
    std::vector<uint32_t> ahoos;
    std::vector<uint32_t> details;
    std::vector<std::array<uint32_t, 2>> lookOnRequests;
    int lookOnResult = 1;
};

struct FakeNotify : Lumora::IGameNotify {
    void OnAhoo(const AhooRecord& record) override { calls.push_back(record); }
    std::vector<AhooRecord> calls;
};

struct FakeFrame : Lumora::IGameFrame {
    void ShowUserDetail(uint32_t userId, int hidePrevious) override { shown.push_back({userId, uint32_t(hidePrevious)}); }
    int GetLayoutWidthMode() override { return layoutMode; }
    void SetWidthMode(int mode) override
    {
        widthMode = mode;
        modes.push_back(mode);
    }
    void OnSize() override { ++sized; }
    std::vector<std::array<uint32_t, 2>> shown;
    int layoutMode = 2;
    int widthMode = -1;
    std::vector<int> modes;
    int sized = 0;
};

class FakeAppServices : public Lumora::IAppServices {
public:
    FakeAppServices() { Lumora::SetAppServices(this); }
    ~FakeAppServices() override { Lumora::SetAppServices(nullptr); }
    FakeAppServices(const FakeAppServices&) = delete;
    FakeAppServices& operator=(const FakeAppServices&) = delete;

    // A player at a chair, with its name and a few values derived from the id.
    GameUserRecord& SeatPlayer(int chair, int32_t userId, const std::string& name)
    {
        GameUserRecord& r = players[size_t(chair)];
        Fill(r, userId, name);
        r.SetChair(chair);
        return r;
    }
    GameUserRecord& AddLookOn(size_t slot, int32_t userId, const std::string& name, int32_t watchedChair)
    {
        GameUserRecord& r = lookOns[slot];
        Fill(r, userId, name);
        r.SetChair(watchedChair);
        r.SetLookOn(1);
        return r;
    }

    uint32_t GetUserID() const override { return userId; }
    uint32_t GetRoomID() const override { return roomId; }
    uint32_t GetTableNO() const override { return tableNo; }
    int32_t GetChairNO() const override { return chairNo; }
    int32_t GetUserChairByID(uint32_t id) const override
    {
        const GameUserRecord* r = Find(id);
        return r ? r->Chair() : -1;
    }
    void GetUserNameByID(std::string& out, uint32_t id) const override
    {
        const GameUserRecord* r = Find(id);
        out = r ? std::string(r->Name()) : std::string();
    }
    int IsLookOn() const override { return lookOn; }
    int IsLookOnUser(uint32_t id) const override
    {
        for (const GameUserRecord& r : players)
            if (r.UserId() != 0 && uint32_t(r.UserId()) == id)
                return 0;
        for (const GameUserRecord& r : lookOns)
            if (r.UserId() != 0 && uint32_t(r.UserId()) == id)
                return 1;
        return 0;
    }
    int IsPlayerInChair(int chair) const override
    {
        return chair >= 0 && chair < 8 && players[size_t(chair)].UserId() != 0 ? 1 : 0;
    }
    int IsRoomOptionBit3() const override { return roomBit3; }
    int GetChairCount() const override { return chairCount; }
    int GetAppSwitch() const override { return appSwitch; }
    uint32_t GetRGBColorPlayerViewText() const override { return 0x102030; }
    uint32_t GetRGBColorPlayerViewHeader() const override { return 0x405060; }
    void ShowSystemNotice(const Lumora::Markup& markup) override { notices.emplace_back(markup.Text()); }
    void OpenWebPage(const char* address, int sign) override { pages.emplace_back(address), pageSigns.push_back(sign); }
    Lumora::IGameConnect* GetConnect() override { return &connect; }
    Lumora::IGameNotify* GetNotify() override { return &notify; }
    Lumora::IGameFrame* GetGameFrame() override { return &frame; }
    std::span<const GameUserRecord, 8> GetPlayerRecords() const override { return players; }
    std::span<const GameUserRecord, 64> GetLookOnRecords() const override { return lookOns; }
    std::string GetCharacterImagePath(int character, int) const override
    {
        return characterPictures ? "char" + std::to_string(character) : std::string();
    }
    void GetWealthTitle(int32_t silver, std::string& out) const override
    {
        out = silver >= 100000 ? "富甲一方的大财主" : "平民";
    }

    bool characterPictures = true; // false: no character has a picture, nor the stand-in
    uint32_t userId = 1001;
    uint32_t roomId = 55;
    uint32_t tableNo = 9;
    int32_t chairNo = 0;
    int lookOn = 0;
    int roomBit3 = 0;
    int chairCount = 4;
    int appSwitch = 1;
    std::array<GameUserRecord, 8> players{};
    std::array<GameUserRecord, 64> lookOns{};
    std::vector<std::string> notices;
    std::vector<std::string> pages;
    std::vector<int> pageSigns;  // the flag each page was opened with: nonzero signs it
    FakeConnect connect;
    FakeNotify notify;
    FakeFrame frame;

private:
    static void Fill(GameUserRecord& r, int32_t id, const std::string& name)
    {
        r = GameUserRecord{};
        r.SetUserId(id);
        r.SetName(name);
        r.SetScore(id % 1000);
        r.SetSilver(id * 10);
        r.SetLevel("新手");
        r.SetCharacter(id % 7);
        r.SetSex(id % 2);
    }
    const GameUserRecord* Find(uint32_t id) const
    {
        for (const GameUserRecord& r : players)
            if (r.UserId() != 0 && uint32_t(r.UserId()) == id)
                return &r;
        for (const GameUserRecord& r : lookOns)
            if (r.UserId() != 0 && uint32_t(r.UserId()) == id)
                return &r;
        return nullptr;
    }
};

} // namespace widgettest
