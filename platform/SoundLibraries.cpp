#include "platform/SoundLibraries.h"

#include "platform/Audio.h"

#include <cstdio>
#include <dlfcn.h>
#include <mutex>

namespace platform {
namespace {

class Finder {
public:
    explicit Finder(void* library) : library_(library) {}
    template <typename F>
    void operator()(const char* name, F& to)
    {
        to = reinterpret_cast<F>(::dlsym(library_, name));
        found_ = found_ && to != nullptr;
    }
    bool Found() const { return found_; }

private:
    void* library_;
    bool found_ = true;
};

// The library's table, filled once through `fill` (Finder&, Library&); null when the library or
// one of its functions is missing. Never unloaded.
template <typename Library, typename Fill>
const Library* LoadOnce(const char* name, Fill fill)
{
    static std::once_flag once;
    static Library library{};
    static const Library* loaded = nullptr;
    std::call_once(once, [&] {
        void* handle = ::dlopen(name, RTLD_LAZY | RTLD_LOCAL);
        if (!handle) {
            std::fprintf(stderr, "sound: %s not loaded (%s)\n", name, ::dlerror());
            return;
        }
        Finder find(handle);
        fill(find, library);
        loaded = find.Found() ? &library : nullptr;
    });
    return loaded;
}

} // namespace

const MixerLibrary* Mixer()
{
    return LoadOnce<MixerLibrary>("libSDL2_mixer-2.0.so.0", [](Finder& find, MixerLibrary& m) {
        find("Mix_Init", m.init);
        find("Mix_Quit", m.quit);
        find("Mix_OpenAudio", m.openAudio);
        find("Mix_CloseAudio", m.closeAudio);
        find("Mix_QuerySpec", m.querySpec);
        find("Mix_AllocateChannels", m.allocateChannels);
        find("Mix_LoadWAV_RW", m.loadWavRw);
        find("Mix_FreeChunk", m.freeChunk);
        find("Mix_PlayChannelTimed", m.playChannelTimed);
        find("Mix_HaltChannel", m.haltChannel);
        find("Mix_Pause", m.pause);
        find("Mix_Resume", m.resume);
        find("Mix_Paused", m.paused);
        find("Mix_Playing", m.playing);
        find("Mix_Volume", m.volume);
        find("Mix_MasterVolume", m.masterVolume);
        find("Mix_HookMusic", m.hookMusic);
    });
}

const FluidLibrary* Fluid()
{
    return LoadOnce<FluidLibrary>("libfluidsynth.so.3", [](Finder& find, FluidLibrary& f) {
        find("fluid_set_log_function", f.setLogFunction);
        find("new_fluid_settings", f.newSettings);
        find("delete_fluid_settings", f.deleteSettings);
        find("fluid_settings_setnum", f.settingsSetnum);
        find("new_fluid_synth", f.newSynth);
        find("delete_fluid_synth", f.deleteSynth);
        find("fluid_synth_sfload", f.sfload);
        find("fluid_synth_noteon", f.noteon);
        find("fluid_synth_noteoff", f.noteoff);
        find("fluid_synth_key_pressure", f.keyPressure);
        find("fluid_synth_cc", f.cc);
        find("fluid_synth_program_change", f.programChange);
        find("fluid_synth_channel_pressure", f.channelPressure);
        find("fluid_synth_pitch_bend", f.pitchBend);
        find("fluid_synth_all_sounds_off", f.allSoundsOff);
        find("fluid_synth_write_s16", f.writeS16);
    });
}

void PreloadMixer() { Mixer(); }

} // namespace platform
