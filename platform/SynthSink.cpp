// The General MIDI synthesiser: FluidSynth with a sound font, rendered on demand (no driver
// of its own; the mixer pulls its samples).
#include "platform/Audio.h"
#include "platform/MidiSynth.h"
#include "platform/SoundLibraries.h"

#include <algorithm>
#include <vector>

namespace platform {
namespace {

class FluidSink final : public MidiSink {
public:
    FluidSink(const FluidLibrary& fluid, fluid_settings_t* settings, fluid_synth_t* synth)
        : fluid_(fluid), settings_(settings), synth_(synth)
    {
    }
    ~FluidSink() override
    {
        fluid_.deleteSynth(synth_);
        fluid_.deleteSettings(settings_);
    }

    void ShortMessage(uint8_t status, uint8_t d1, uint8_t d2) override
    {
        const int ch = status & 0x0F;
        switch (status & 0xF0) {
        case 0x80: fluid_.noteoff(synth_, ch, d1); break;
        case 0x90: d2 ? fluid_.noteon(synth_, ch, d1, d2) : fluid_.noteoff(synth_, ch, d1); break;
        case 0xA0: fluid_.keyPressure(synth_, ch, d1, d2); break;
        case 0xB0: fluid_.cc(synth_, ch, d1, d2); break;
        case 0xC0: fluid_.programChange(synth_, ch, d1); break;
        case 0xD0: fluid_.channelPressure(synth_, ch, d1); break;
        case 0xE0: fluid_.pitchBend(synth_, ch, d1 | d2 << 7); break;
        default: break;
        }
    }
    void Reset() override
    {
        // Cut at once, with no release tails; then controllers and pitch back to rest.
        fluid_.allSoundsOff(synth_, -1);
        for (int ch = 0; ch < 16; ++ch) {
            fluid_.cc(synth_, ch, 121, 0);
            fluid_.pitchBend(synth_, ch, 8192);
        }
    }
    void Render(int16_t* stereo, int frames) override
    {
        scratch_.resize(static_cast<size_t>(frames) * 2);
        fluid_.writeS16(synth_, frames, scratch_.data(), 0, 2, scratch_.data(), 1, 2);
        for (size_t i = 0; i < scratch_.size(); ++i)
            stereo[i] = static_cast<int16_t>(std::clamp(stereo[i] + scratch_[i], -32768, 32767));
    }

private:
    const FluidLibrary& fluid_;
    fluid_settings_t* settings_;
    fluid_synth_t* synth_;
    std::vector<int16_t> scratch_;
};

} // namespace

std::unique_ptr<MidiSink> CreateSynthSink(const std::string& soundFont)
{
    const FluidLibrary* fluid = Fluid();
    if (!fluid)
        return nullptr;
    // FluidSynth reports to stderr by default; its warnings are no concern of the program.
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
        fluid->setLogFunction(level, nullptr, nullptr);
    fluid_settings_t* settings = fluid->newSettings();
    if (!settings)
        return nullptr;
    fluid->settingsSetnum(settings, "synth.sample-rate", kAudioRate);
    fluid->settingsSetnum(settings, "synth.gain", 0.6);
    fluid_synth_t* synth = fluid->newSynth(settings);
    if (!synth || fluid->sfload(synth, soundFont.c_str(), 1) == FLUID_FAILED) {
        if (synth)
            fluid->deleteSynth(synth);
        fluid->deleteSettings(settings);
        return nullptr;
    }
    return std::make_unique<FluidSink>(*fluid, settings, synth);
}

} // namespace platform
