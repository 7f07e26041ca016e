#pragma once
// CGameNotifyEx: this game's notification dispatcher, the first layer of the chain. It tries
// this game's own ids first and passes every other one on unchanged to the layer below.
#include "framework/notify/CGameNotify.h"

class CGameNotifyEx : public CGameNotify {
public:
    bool OnNotify(uint32_t id, const uint8_t* data, uint32_t length) override;
};
