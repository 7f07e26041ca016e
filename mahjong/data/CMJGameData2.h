#pragma once
// The mahjong layer's game information. CMJGameBase2 adds the chair count and the arithmetic
// of chairs (the server's seat numbers) and view seats (3 the own place at the bottom, 0 the
// next chair in play order, 1 the opposite, 2 the previous; at a table of three seat 1 stays
// empty). CMJGameData2 reads the game-parameter record (the first 49 words of the deal-start
// record) and the game-result record that the game layer stores, formats a deal's result line
// and gives a few screen-dependent layout measures. Only the game layer's object is created;
// every accessor asks the game layer for its record anew, and reads 0 while none is stored.
#include "framework/connection/ClientApp.h"
#include "framework/info/CGameInfo.h"

#include <cstdint>
#include <string>

class CMJGameBase2 : public CGameInfo {
public:
    explicit CMJGameBase2(IClientApp* app) : app_(app) {}

    void SetApp(IClientApp* app) { app_ = app; }
    IClientApp* GetApp() const { return app_; }

    // Both seats beside a seat, or beside a chair; see the .cpp for the tables.
    virtual void GetSideChairs(int seat, int& a, int& b);
    virtual void GetSideChairs2(int chair, int& a, int& b);
    // -1 for a seat that shows no chair (seat 1 at a table of three included).
    virtual int SeatToChair(int seat);
    virtual int PrevSeat(int seat);
    virtual int NextSeat(int seat);
    virtual int OppositeSeat(int seat) { return (seat + 2) % 4; }
    virtual int ChairToSeat(int chair);
    virtual int PrevChair(int chair) { return (chair - 1 + chairCount) % chairCount; }
    virtual int NextChair(int chair) { return (chair + 1) % chairCount; }
    virtual int OppositeChair(int chair) { return (chair + 2) % 4; }
    virtual int PlayGameSound(const char* name, int flags);

    int chairCount = 4; // 3 selects the three-player rules
    int secondCount = 4;
    int tileStyle = 1;

protected:
    int OwnChair() const;
    IClientApp* app_;
};

class CMJGameData2 : public CMJGameBase2 {
public:
    static constexpr size_t kParamWords = 49;
    static constexpr size_t kParamSize = kParamWords * 4;
    static constexpr uint32_t kNoValue = 0xFFFFFFFF;

    using CMJGameBase2::CMJGameBase2;

    int IsRuleFlag0() override { return GetRuleFlags() & 1; }
    uint32_t GetStartValue58() override { return Word(22); }
    uint32_t GetRuleFlags() override { return Word(14); }
    void SetRuleFlags(uint32_t value) override { SetWord(14, value); }
    uint32_t GetStartValue20() override { return Word(8); }
    uint32_t GetStartValue24() override { return Word(9); }
    uint32_t GetStartValue28() override { return Word(10); }
    uint32_t GetStartValue34() override { return Word(13); }
    uint32_t GetStartValue2C() override { return Word(11); }
    void SetStartValue34(uint32_t value) override { SetWord(13, value); }

    // The records the game layer keeps: 49 words, 16 bytes after them, and the result head.
    virtual void StoreGameStart(const uint8_t*, size_t) {}
    virtual void StoreGameResult(const uint8_t*, size_t) {}
    virtual uint32_t* GetGameParams() { return nullptr; }
    virtual uint8_t* GetStartExtra() { return nullptr; }
    virtual uint8_t* GetGameResult() { return nullptr; }
    virtual size_t GetGameResultSize() { return 0; }

    uint32_t GetStartValue70() { return Word(28); }
    int HasStartValue90() { return Word(36) != kNoValue; }
    int IsRuleFlag8() { return (GetRuleFlags() >> 8) & 1; }
    uint32_t GetStartValue6C() { return Word(27); }
    uint32_t GetStartValue74() { return Word(29); }
    uint32_t GetStartValue54() { return Word(21); }
    uint32_t GetStartValue78() { return Word(30); }
    uint32_t GetStartValue7C() { return Word(31); }
    int IsResultFlag1() { return ResultFlag(1); }
    int IsResultFlag25() { return ResultFlag(25); }
    int IsResultFlag24() { return ResultFlag(24); }
    int IsResultFlag26() { return ResultFlag(26); }
    uint32_t GetResultValue218();
    uint32_t GetStartValue30() { return Word(12); }
    uint32_t GetStartValue98() { return Word(38); }
    uint32_t GetStartValue80() { return Word(32); }
    uint32_t GetStartValue94() { return Word(37); }
    // Copies words 23-26 (16 bytes) to out and returns it.
    uint32_t* GetStartValues5C(uint32_t out[4]);
    uint32_t GetStartValue90() { return Word(36); }
    uint32_t GetStartValue84() { return Word(33); }
    uint32_t GetStartValue88() { return Word(34); }
    uint32_t GetStartValue8C() { return Word(35); }
    uint32_t GetStartValue3C() { return Word(15); }
    // 0 in this layer; the game layer answers with the own tiles, a chair's tiles and a
    // chair's tile count.
    virtual int GetSeatData(int32_t*) { return 0; }
    virtual int GetConstZero(int, int32_t*) { return 0; }
    virtual int GetChairValue(int) { return 0; }
    uint32_t GetStartValue4C() { return Word(19); }
    uint32_t GetStartValue48() { return Word(18); }
    uint32_t GetStartValue9C() { return Word(39); }
    uint32_t GetStartValueA0() { return Word(40); }

    virtual std::string& GetBaseLabel(std::string& out);
    virtual std::string& GetGangLabel(std::string& out);
    virtual std::string& GetTextHookA(std::string& out);
    virtual Lumora::Markup& FormatRoundResult(Lumora::Markup& out);
    virtual std::string& GetTextHookB(std::string& out);
    int GetConst250() const { return 250; }
    int GetConst24() const { return 24; }
    int GetLayoutHeight() const;
    int GetLayoutSixth() const;
    int GetTileWidth() const;
    int GetRowWidth() const;
    int GetPanelWidth() const;

protected:
    uint32_t Word(size_t index);
    void SetWord(size_t index, uint32_t value);
    int ResultFlag(int bit);
};
