#include "engine/music/MidiSequencer.h"

#include <algorithm>
#include <cmath>

namespace Lumora {

MidiSequencer::MidiSequencer(const MidiFile& file, int sampleRate) : file_(file), rate_(sampleRate)
{
    Rewind();
}

void MidiSequencer::Rewind()
{
    next_ = 0;
    frame_ = 0;
    tick_ = 0;
    tickFrame_ = 0;
    tempo_ = 500000;
    UpdateFramesPerTick();
}

void MidiSequencer::SetTempoPercent(uint32_t percent)
{
    tempoPercent_ = std::max<uint32_t>(1, percent);
    UpdateFramesPerTick();
}

void MidiSequencer::UpdateFramesPerTick()
{
    const uint16_t division = file_.division;
    if (division & 0x8000) {
        // SMPTE time: frames per second (29 means 29.97) times ticks per frame.
        const int fps = -static_cast<int8_t>(division >> 8);
        const double perSecond = (fps == 29 ? 29.97 : fps) * (division & 0xFF);
        framesPerTick_ = perSecond > 0 ? rate_ / perSecond : 0;
    } else {
        const double tempo = static_cast<double>(tempo_) * 100.0 / tempoPercent_;
        framesPerTick_ = tempo / 1e6 * rate_ / std::max<uint16_t>(1, division);
    }
}

void MidiSequencer::Render(platform::MidiSink& sink, int16_t* stereo, int frames,
                           const std::function<void(const MidiEvent&)>& onEvent)
{
    while (frames > 0) {
        int64_t due = frames;
        if (next_ < file_.events.size()) {
            const MidiEvent& e = file_.events[next_];
            const double at = tickFrame_ + (e.tick - tick_) * framesPerTick_;
            // Compared as doubles: a far-off event (a huge tempo or delta) must not overflow.
            const double ahead = std::floor(at) - static_cast<double>(frame_);
            due = ahead <= 0 ? 0 : ahead >= frames ? frames : static_cast<int64_t>(ahead);
            if (due == 0) {
                tick_ = e.tick;
                tickFrame_ = at;
                if (e.status == MidiEvent::kTempo) {
                    tempo_ = e.tempo;
                    UpdateFramesPerTick();
                } else {
                    sink.ShortMessage(e.status, e.data1, e.data2);
                }
                ++next_;
                if (onEvent)
                    onEvent(e);
                continue;
            }
        }
        const int n = static_cast<int>(std::min<int64_t>(due, frames));
        sink.Render(stereo, n);
        stereo += static_cast<ptrdiff_t>(n) * 2;
        frames -= n;
        frame_ += static_cast<uint64_t>(n);
    }
}

} // namespace Lumora
