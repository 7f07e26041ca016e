#pragma once
// The replay objects of the table: CGameReplay for an ordinary game and CMatchReplay for a
// match. The scene creates one when the room records replays or the client runs in a test mode,
// places it above the table and hands it its setting (the scene passes 5000). The recorder, the
// file format and the players are not part of this client: the objects keep their setting, draw
// nothing and do nothing else.
#include "engine/senior/CClassSenior.h"

#include <cstdint>

class CGameReplay : public Lumora::CClassSenior {
public:
    virtual void SetReplaySetting(int32_t value) { setting_ = value; }
    int32_t GetReplaySetting() const { return setting_; }

private:
    int32_t setting_ = 0;
};

class CMatchReplay : public CGameReplay {};
