#include "engine/action/SoundPlayer.h"

#include "engine/GameCore.h"
#include "engine/music/MusicModule.h"

namespace Lumora {

void PlayActionSound(GameCore* core, const char* name, int32_t flags, const EventRecord& notice)
{
    // The play flags are the music module's repeat count, handed over unchanged.
    auto* music = core ? dynamic_cast<MusicModule*>(core->GetModule(LUMORA_MODULE_MUSIC)) : nullptr;
    if (music)
        music->PlaySound(name, flags, notice.code ? &notice : nullptr);
}

} // namespace Lumora
