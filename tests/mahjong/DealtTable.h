#pragma once
// A dealt table for the notification tests, the fuzz target and the benchmarks: the scene rig
// after the deal (own chair 0, the banker, holds 14 tiles) and the mahjong dispatcher pointed
// at its scene, with the application's filters answered by fields.
#include "tests/mahjong/SceneRig.h"

#include "mahjong/notify/CMJGameNotify2.h"

#include <string>
#include <vector>

namespace mahjongtest {

struct TableNotify : CMJGameNotify2 {
    Lumora::CMJMainGame2* scene = nullptr;
    bool flag = false;
    int reject = 0;
    Lumora::CMJMainGame2* Scene() const override { return scene; }
    bool TableFlag() const override { return flag; }
    int RejectKanPaiAsk() const override { return reject; }
    bool Send(uint32_t id, const std::vector<uint8_t>& r) { return OnNotify(id, r.data(), uint32_t(r.size())); }
};

struct DealtTable {
    explicit DealtTable(const std::string& tag, const Surface& surface = kSurfaces[0]) : rig(tag, surface)
    {
        rig.scene->OnTableEntered();
        rig.scene->OnGameReady();
        rig.scene->OnGameStartData(nullptr, 0);
        rig.engine.Run(4000);
        rig.scene->chairCount = rig.scene->playerCount = 4;
        notify.scene = rig.scene;
    }
    SceneRig rig;
    TableNotify notify;
};

} // namespace mahjongtest
