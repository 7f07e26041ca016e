#pragma once
// SDL_mixer and FluidSynth, loaded when the sound device opens and when the first MIDI plays:
// linked to the program, they and the codecs and services they need would be loaded and set up
// at every start, before the program's first line runs.
#include <SDL_mixer.h>
#include <fluidsynth.h>

namespace platform {

struct MixerLibrary {
    decltype(&::Mix_Init) init;
    decltype(&::Mix_Quit) quit;
    decltype(&::Mix_OpenAudio) openAudio;
    decltype(&::Mix_CloseAudio) closeAudio;
    decltype(&::Mix_QuerySpec) querySpec;
    decltype(&::Mix_AllocateChannels) allocateChannels;
    decltype(&::Mix_LoadWAV_RW) loadWavRw;
    decltype(&::Mix_FreeChunk) freeChunk;
    decltype(&::Mix_PlayChannelTimed) playChannelTimed;
    decltype(&::Mix_HaltChannel) haltChannel;
    decltype(&::Mix_Pause) pause;
    decltype(&::Mix_Resume) resume;
    decltype(&::Mix_Paused) paused;
    decltype(&::Mix_Playing) playing;
    decltype(&::Mix_Volume) volume;
    decltype(&::Mix_MasterVolume) masterVolume;
    decltype(&::Mix_HookMusic) hookMusic;
};

struct FluidLibrary {
    decltype(&::fluid_set_log_function) setLogFunction;
    decltype(&::new_fluid_settings) newSettings;
    decltype(&::delete_fluid_settings) deleteSettings;
    decltype(&::fluid_settings_setnum) settingsSetnum;
    decltype(&::new_fluid_synth) newSynth;
    decltype(&::delete_fluid_synth) deleteSynth;
    decltype(&::fluid_synth_sfload) sfload;
    decltype(&::fluid_synth_noteon) noteon;
    decltype(&::fluid_synth_noteoff) noteoff;
    decltype(&::fluid_synth_key_pressure) keyPressure;
    decltype(&::fluid_synth_cc) cc;
    decltype(&::fluid_synth_program_change) programChange;
    decltype(&::fluid_synth_channel_pressure) channelPressure;
    decltype(&::fluid_synth_pitch_bend) pitchBend;
    decltype(&::fluid_synth_all_sounds_off) allSoundsOff;
    decltype(&::fluid_synth_write_s16) writeS16;
};

// Loaded once and never unloaded; null when the library or one of its functions is missing.
const MixerLibrary* Mixer();
const FluidLibrary* Fluid();

} // namespace platform
