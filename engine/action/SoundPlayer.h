#pragma once
// How a timed action plays a named sound: through the music module of the core, with the
// flags and end notice handed over unchanged.
#include "engine/object/EventRecord.h"

#include <cstdint>

namespace Lumora {

class GameCore;

// Nothing happens without a music module (a silent engine).
void PlayActionSound(GameCore* core, const char* name, int32_t flags, const EventRecord& notice);

} // namespace Lumora
