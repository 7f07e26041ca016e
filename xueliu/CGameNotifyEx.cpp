// This game's dispatcher: its own ids, then the layer below.
#include "xueliu/CGameNotifyEx.h"

bool CGameNotifyEx::OnNotify(uint32_t id, const uint8_t* data, uint32_t length)
{
    return CGameNotify::OnNotify(id, data, length);
}
