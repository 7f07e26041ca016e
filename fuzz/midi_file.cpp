// MIDI tunes from resource packs: the reader, then a few seconds of playing what it read.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/music/MidiFile.h"
#include "engine/music/MidiSequencer.h"
#include "platform/MidiSynth.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto file = Lumora::ParseMidiFile({data, size});
    if (!file)
        return 0;
    platform::RecordingMidiSink sink;
    Lumora::MidiSequencer sequencer(*file, 44100);
    std::vector<int16_t> pcm(4096 * 2);
    for (int i = 0; i < 32 && !sequencer.Finished(); ++i)
        sequencer.Render(sink, pcm.data(), 4096);
    return 0;
}
