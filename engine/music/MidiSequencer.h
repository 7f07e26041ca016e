#pragma once
// Plays a parsed MIDI file against the sample clock: each event goes to the synthesiser at
// the frame its tick falls on, and the synthesiser renders the frames in between.
#include "engine/music/MidiFile.h"
#include "platform/MidiSynth.h"

#include <functional>

namespace Lumora {

class MidiSequencer {
public:
    MidiSequencer(const MidiFile& file, int sampleRate);

    void Rewind();
    // Renders `frames` frames (added into `stereo`), sending every event that falls inside them.
    // `onEvent` sees each event after the sink got it.
    void Render(platform::MidiSink& sink, int16_t* stereo, int frames,
                const std::function<void(const MidiEvent&)>& onEvent = {});
    bool Finished() const { return next_ >= file_.events.size(); }
    // 100 plays at the file's tempo; 200 twice as fast.
    void SetTempoPercent(uint32_t percent);
    uint64_t Frame() const { return frame_; }

private:
    void UpdateFramesPerTick();

    const MidiFile& file_;
    int rate_;
    size_t next_ = 0;
    uint64_t frame_ = 0;         // frames rendered since the start
    uint32_t tick_ = 0;          // tick of the last event sent
    double tickFrame_ = 0;       // the frame that tick fell on
    uint32_t tempo_ = 500000;    // microseconds per quarter note
    uint32_t tempoPercent_ = 100;
    double framesPerTick_ = 0;
};

} // namespace Lumora
