// The General MIDI synthesiser: FluidSynth with a sound font, rendered on demand (no driver
// of its own; the mixer pulls its samples).
#include "platform/Audio.h"
#include "platform/MidiSynth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <vector>

namespace platform {
namespace {

class FluidSink final : public MidiSink {
public:
    FluidSink(fluid_settings_t* settings, fluid_synth_t* synth) : settings_(settings), synth_(synth) {}
    ~FluidSink() override
    {
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
    }

    void ShortMessage(uint8_t status, uint8_t d1, uint8_t d2) override
    {
        const int ch = status & 0x0F;
        switch (status & 0xF0) {
        case 0x80: fluid_synth_noteoff(synth_, ch, d1); break;
        case 0x90: d2 ? fluid_synth_noteon(synth_, ch, d1, d2) : fluid_synth_noteoff(synth_, ch, d1); break;
        case 0xA0: fluid_synth_key_pressure(synth_, ch, d1, d2); break;
        case 0xB0: fluid_synth_cc(synth_, ch, d1, d2); break;
        case 0xC0: fluid_synth_program_change(synth_, ch, d1); break;
        case 0xD0: fluid_synth_channel_pressure(synth_, ch, d1); break;
        case 0xE0: fluid_synth_pitch_bend(synth_, ch, d1 | d2 << 7); break;
        default: break;
        }
    }
    void Reset() override
    {
        // Cut at once, with no release tails; then controllers and pitch back to rest.
        fluid_synth_all_sounds_off(synth_, -1);
        for (int ch = 0; ch < 16; ++ch) {
            fluid_synth_cc(synth_, ch, 121, 0);
            fluid_synth_pitch_bend(synth_, ch, 8192);
        }
    }
    void Render(int16_t* stereo, int frames) override
    {
        scratch_.resize(static_cast<size_t>(frames) * 2);
        fluid_synth_write_s16(synth_, frames, scratch_.data(), 0, 2, scratch_.data(), 1, 2);
        for (size_t i = 0; i < scratch_.size(); ++i)
            stereo[i] = static_cast<int16_t>(std::clamp(stereo[i] + scratch_[i], -32768, 32767));
    }

private:
    fluid_settings_t* settings_;
    fluid_synth_t* synth_;
    std::vector<int16_t> scratch_;
};

} // namespace

std::unique_ptr<MidiSink> CreateSynthSink(const std::string& soundFont)
{
    // FluidSynth reports to stderr by default; its warnings are no concern of the program.
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings)
        return nullptr;
    fluid_settings_setnum(settings, "synth.sample-rate", kAudioRate);
    fluid_settings_setnum(settings, "synth.gain", 0.6);
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (!synth || fluid_synth_sfload(synth, soundFont.c_str(), 1) == FLUID_FAILED) {
        if (synth)
            delete_fluid_synth(synth);
        delete_fluid_settings(settings);
        return nullptr;
    }
    return std::make_unique<FluidSink>(settings, synth);
}

} // namespace platform
