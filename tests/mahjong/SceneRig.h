#pragma once
// The table scene in a headless engine with our own packs, a fake application (players at four
// chairs, the own chair 0), game data whose parameters the test sets, and the notification
// gate installed. TestScene records the hooks the layers above would fill.
#include "framework/app/NotifyGate.h"
#include "mahjong/MahjongEvents.h"
#include "mahjong/connect/CMJGameConnect2.h"
#include "mahjong/scene/CMJMainGame2.h"
#include "tests/mahjong/TableModelRig.h"
#include "tests/mahjong/TileRig.h"
#include "tests/widgets/FakeAppServices.h"

#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace mahjongtest {

class TestScene : public Lumora::CMJMainGame2 {
public:
    std::vector<std::string> calls;
    std::vector<uint32_t> keyCodes;
    int moves = 0;
    // The recorded hooks also act as the scene would.
    bool realActions = false;

    void OnBtnPeng() override
    {
        calls.push_back(autoPlay ? "peng during auto-play" : "peng");
        if (realActions)
            CMJMainGame2::OnBtnPeng();
    }
    void OnBtnHu() override
    {
        calls.push_back("hu");
        if (realActions)
            CMJMainGame2::OnBtnHu();
    }
    void DoChi() override
    {
        calls.push_back("chi");
        if (realActions)
            CMJMainGame2::DoChi();
    }
    void ThrowOwnTile(int index) override
    {
        calls.push_back("throw " + std::to_string(index));
        if (realActions)
            CMJMainGame2::ThrowOwnTile(index);
    }
    // Drops the events that end the dice and the deal, as if their actions had been lost.
    bool loseStartEvents = false;
    int OnKeyInput(const Lumora::EventRecord& r) override
    {
        keyCodes.push_back(r.code);
        if (loseStartEvents && (r.code == Lumora::EV_DICE_DONE || r.code == Lumora::EV_PLAY_STARTS))
            return 1;
        return CMJMainGame2::OnKeyInput(r);
    }
    int OnMouseEvent(const Lumora::EventRecord& r) override
    {
        calls.push_back("mouse " + std::to_string(r.code));
        return CMJMainGame2::OnMouseEvent(r);
    }
    int OnCommand(const Lumora::EventRecord& r) override
    {
        calls.push_back("command " + std::to_string(r.code));
        return CMJMainGame2::OnCommand(r);
    }
    int OnLButtonDown(const Lumora::EventRecord& r) override
    {
        calls.push_back("tile " + std::to_string(r.code));
        return CMJMainGame2::OnLButtonDown(r);
    }
    void MoveOwnHandTile(int from, int to) override
    {
        ++moves;
        CMJMainGame2::MoveOwnHandTile(from, to);
    }
    using CMJMainGame2::TileChanged;
    // A board a test stands open over the table.
    Lumora::Rect openBoard{};
    Lumora::Rect OpenBoardBox() const override { return openBoard; }
    // The connection the actions send through; none unless a test gives one.
    CMJGameConnect2* connect = nullptr;
    CMJGameConnect2* TableConnect() override { return connect; }
    int asks = 0;
    void OnNotifyAskKanPai(const uint8_t* data, size_t length) override
    {
        ++asks;
        CMJMainGame2::OnNotifyAskKanPai(data, length);
    }
};

class SceneRig {
public:
    explicit SceneRig(const std::string& tag, const Surface& surface = kSurfaces[0])
        : engine(std::to_string(::getpid()) + "_" + tag)
    {
        engine.Owner().AddResourcePack(SkinPackPath("sound").c_str());
        SetNotifyGate(&gate);
        for (int chair = 0; chair < 4; ++chair)
            app.SeatPlayer(chair, 1000 + chair, "player" + std::to_string(chair));
        data.params[2] = 4;
        data.params[11] = 0;                      // banker: chair 0 (the own seat)
        data.params[12] = 3 | (5 << 8);           // dice 3 and 5
        data.params[14] = (1 << 8) | (1 << 5);    // a drawn-tile place for the banker; gangs face down
        data.params[36] = data.params[37] = uint32_t(-1);
        data.own = {0, 9, 18, 27, 1, 10, 19, 28, 2, 11, 20, 29, 3, 12};
        scene = new TestScene;
        scene->SetGameData(&data);
        engine.Register(scene);
        UseSurface(surface);
    }
    ~SceneRig() { SetNotifyGate(nullptr); }

    void UseSurface(const Surface& s)
    {
        FakeTileHost unused;
        engine.UseSurface(s, unused);
        scene->SetBounds(s.table);
    }
    // Every pooled tile that is shown or in use is filed once; returns the misfiled count.
    int Misfiled() const { return scene->CountMisfiledTiles(); }

    widgettest::FakeAppServices app;
    NotifyGate gate;
    TileEngine engine;
    FakeTableData data;
    TestScene* scene = nullptr;
};

} // namespace mahjongtest
