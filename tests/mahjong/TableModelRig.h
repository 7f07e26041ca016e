#pragma once
// A table model over 168 tile views that are never registered with an engine, with game data
// of a table of four where the own chair is 0 (chairs 1, 2, 3 sit at seats 0, 1, 2), the real
// calculator, and hooks that record the events, sounds and voices the model asks for.
#include "mahjong/data/CMJGameData2.h"
#include "mahjong/scene/CMJTable2.h"
#include "rules/MJCalclator.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace mahjongtest {

class FakeTableData : public CMJGameData2 {
public:
    FakeTableData() : CMJGameData2(nullptr) {}
    uint32_t* GetGameParams() override { return params.data(); }
    int GetOwnTiles(int32_t* list) override
    {
        int n = 0;
        for (int i = 0; i < 32; ++i) {
            list[i] = i < int(own.size()) ? own[size_t(i)] : -1;
            n += list[i] != -1;
        }
        return n;
    }
    int GetChairTiles(int, int32_t* list) override { return GetOwnTiles(list); }
    int GetChairTileCount(int) override { return int(own.size()); }

    std::array<uint32_t, 49> params{};
    std::vector<int32_t> own;
};

class TestTable : public Lumora::CMJTable2 {
public:
    TestTable()
    {
        calc = std::make_shared<CMJCalclator>();
        for (int i = 0; i < Lumora::kCardPoolSize; ++i) {
            tiles.push_back(std::make_unique<Lumora::CMJCard2>(calc));
            SetPoolEntry(i, tiles.back().get());
        }
        playerCount = 4;
    }

    struct Posted {
        uint32_t delay, code;
        uintptr_t p1;
    };
    std::vector<Posted> posted;
    std::vector<std::string> sounds;
    std::vector<std::string> logs;
    bool silence = false;
    int sex = 0;
    int lookOn = 0;
    int flowersAdded = 0;
    uint32_t lastClickCode = 0;
    void SetTileClickEvent(Lumora::CMJCard2& tile) override
    {
        CMJTable2::SetTileClickEvent(tile);
        lastClickCode = ClickCodeFor(tile);
    }
    int tm0 = 50, tm1 = 72;
    FakeTableData data;
    std::shared_ptr<CMJCalclator> calc;
    std::vector<std::unique_ptr<Lumora::CMJCard2>> tiles;

    // A concealed hand at a seat, slots 1 up, with those ids, face up.
    void GiveHand(int seat, std::initializer_list<int> ids, int drawn = -1)
    {
        int slot = 1;
        for (int id : ids) {
            Lumora::CMJCard2* t = TakeHandTileFromPool(seat, slot++);
            t->tile = id;
            t->placed = t->faceUp = 1;
        }
        if (drawn >= 0) {
            Lumora::CMJCard2* t = TakeHandTileFromPool(seat, 0);
            t->tile = drawn;
            t->placed = t->faceUp = 1;
        }
    }
    // A thrown tile lying before a seat.
    Lumora::CMJCard2* Throw(int seat, int id)
    {
        Lumora::CMJCard2* t = GetFreeCard();
        t->state = Lumora::kTileThrown;
        t->tile = id;
        t->seat = seat;
        t->placed = 1;
        thrown[size_t(seat)] = t;
        return t;
    }
    std::vector<int> HandIds(int seat, int first, int last)
    {
        std::vector<int> ids;
        for (int s = first; s <= last; ++s)
            ids.push_back(hands[size_t(seat)][size_t(s)] ? hands[size_t(seat)][size_t(s)]->tile : -1);
        return ids;
    }
    int FreeTiles() const
    {
        int n = 0;
        for (auto* t : pool)
            n += t->state == Lumora::kTileFree;
        return n;
    }

    using CMJTable2::TakeHandTileFromPool;

protected:
    CMJGameData2* TableData() override { return &data; }
    CMJCalclator* TableCalculator() override { return calc.get(); }
    int IsLookOnClient() override { return lookOn; }
    int ChairSex(int) override { return sex; }
    bool KeepSilence() override { return silence; }
    void PlaySoundResource(const char* name, double) override { sounds.push_back(name); }
    void PostSceneEvent(uint32_t delay, uint32_t code, uintptr_t p1) override { posted.push_back({delay, code, p1}); }
    void AddPanelFlower(int) override { ++flowersAdded; }
    void Log(const char* line) override { logs.push_back(line); }
    int TileLeft(const Lumora::CMJCard2& t) override { return 1000 - t.index * tm0; }
    int TileMetric(int i) override { return i == 0 ? tm0 : tm1; }
};

} // namespace mahjongtest
