#include "platform/SoundLibraries.h"

#include "platform/Audio.h"
#include "platform/SharedLibrary.h"

#include <mutex>

namespace platform {
namespace {

// The library's table, filled once through `fill` (SharedLibrary&, Library&); null when the
// library or one of its functions is missing.
template <typename Library, typename Fill>
const Library* LoadOnce(const char* file, Fill fill)
{
    static std::once_flag once;
    static Library library{};
    static const Library* loaded = nullptr;
    std::call_once(once, [&] {
        SharedLibrary shared(file, "sound");
        if (!shared.Opened())
            return;
        fill(shared, library);
        loaded = shared.FoundAll() ? &library : nullptr;
    });
    return loaded;
}

} // namespace

const MixerLibrary* Mixer()
{
    return LoadOnce<MixerLibrary>("libSDL2_mixer-2.0.so.0", [](SharedLibrary& lib, MixerLibrary& m) {
        lib.Find("Mix_Init", m.init);
        lib.Find("Mix_Quit", m.quit);
        lib.Find("Mix_OpenAudio", m.openAudio);
        lib.Find("Mix_CloseAudio", m.closeAudio);
        lib.Find("Mix_QuerySpec", m.querySpec);
        lib.Find("Mix_AllocateChannels", m.allocateChannels);
        lib.Find("Mix_LoadWAV_RW", m.loadWavRw);
        lib.Find("Mix_FreeChunk", m.freeChunk);
        lib.Find("Mix_PlayChannelTimed", m.playChannelTimed);
        lib.Find("Mix_HaltChannel", m.haltChannel);
        lib.Find("Mix_Pause", m.pause);
        lib.Find("Mix_Resume", m.resume);
        lib.Find("Mix_Paused", m.paused);
        lib.Find("Mix_Playing", m.playing);
        lib.Find("Mix_Volume", m.volume);
        lib.Find("Mix_MasterVolume", m.masterVolume);
        lib.Find("Mix_HookMusic", m.hookMusic);
    });
}

const FluidLibrary* Fluid()
{
    return LoadOnce<FluidLibrary>("libfluidsynth.so.3", [](SharedLibrary& lib, FluidLibrary& f) {
        lib.Find("fluid_set_log_function", f.setLogFunction);
        lib.Find("new_fluid_settings", f.newSettings);
        lib.Find("delete_fluid_settings", f.deleteSettings);
        lib.Find("fluid_settings_setnum", f.settingsSetnum);
        lib.Find("new_fluid_synth", f.newSynth);
        lib.Find("delete_fluid_synth", f.deleteSynth);
        lib.Find("fluid_synth_sfload", f.sfload);
        lib.Find("fluid_synth_noteon", f.noteon);
        lib.Find("fluid_synth_noteoff", f.noteoff);
        lib.Find("fluid_synth_key_pressure", f.keyPressure);
        lib.Find("fluid_synth_cc", f.cc);
        lib.Find("fluid_synth_program_change", f.programChange);
        lib.Find("fluid_synth_channel_pressure", f.channelPressure);
        lib.Find("fluid_synth_pitch_bend", f.pitchBend);
        lib.Find("fluid_synth_all_sounds_off", f.allSoundsOff);
        lib.Find("fluid_synth_write_s16", f.writeS16);
    });
}

void PreloadMixer() { Mixer(); }

} // namespace platform
