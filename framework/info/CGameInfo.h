#pragma once
// CGameInfo: the framework's abstract game information. It keeps the exit-request count and
// time; the mahjong data layer implements the accessors of the deal-start record (CMJGameData2)
// and this game's layer the three that stay abstract there (the own tile list, a chair's tile
// list and a chair's tile count). The application owns the one final object.
#include <cstdint>

class CGameInfo {
public:
    virtual ~CGameInfo() = default;

    virtual int IsRuleFlag0() = 0;
    virtual uint32_t GetStartValue58() = 0;
    // Copies the own 32-entry tile list; the number of entries before the first -1.
    virtual int GetOwnTiles(int32_t* list) = 0;
    virtual uint32_t GetRuleFlags() = 0;
    virtual void SetRuleFlags(uint32_t value) = 0;
    virtual uint32_t GetStartValue20() = 0;
    virtual uint32_t GetStartValue24() = 0;
    virtual uint32_t GetStartValue28() = 0;
    virtual uint32_t GetStartValue34() = 0;
    virtual uint32_t GetStartValue2C() = 0;
    // Copies that chair's 32-entry tile list; the number of entries before the first -1.
    virtual int GetChairTiles(int chair, int32_t* list) = 0;
    virtual void SetStartValue34(uint32_t value) = 0;
    // That chair's tile count.
    virtual int GetChairTileCount(int chair) = 0;

    // Clears the exit-request count and time.
    virtual void Reset()
    {
        exitRequestCount = 0;
        exitRequestTime = 0;
    }

    int32_t exitRequestCount = 0;
    uint32_t exitRequestTime = 0;
};
