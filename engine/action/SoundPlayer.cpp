#include "engine/action/SoundPlayer.h"

#include "engine/GameCore.h"

namespace Lumora {

void PlayActionSound(GameCore* core, const char* name, int32_t flags, const EventRecord& notice)
{
    (void)core;
    (void)name;
    (void)flags;
    (void)notice;
}

} // namespace Lumora
