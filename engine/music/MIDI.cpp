#include "engine/music/MIDI.h"

CMIDI::CMIDI(platform::MidiSink& sink) : sink_(sink)
{
    for (auto& v : volumes_)
        v = 100;
}

CMIDI::~CMIDI()
{
    Stop(false);
    if (file_)
        OnClose();
}

bool CMIDI::Open(std::span<const uint8_t> data, OwnerNotice owner)
{
    if (file_)
        return false;
    auto parsed = Lumora::ParseMidiFile(data);
    if (!parsed)
        return false;
    if (parsed->error)
        OnParseError(parsed->error->track, parsed->error->text.c_str());
    std::lock_guard lock(mutex_);
    file_ = std::make_unique<Lumora::MidiFile>(std::move(*parsed));
    sequencer_ = std::make_unique<Lumora::MidiSequencer>(*file_, platform::kAudioRate);
    owner_ = std::move(owner);
    for (auto& v : volumes_)
        v = 100;
    state_ = kIdle;
    OnOpen();
    return true;
}

void CMIDI::Play(bool looping)
{
    std::lock_guard lock(mutex_);
    if (!sequencer_)
        return;
    if (paused_) {
        paused_ = false;
        return;
    }
    if (playing_)
        SilenceNotes();
    sequencer_->Rewind();
    state_ = kIdle;
    looping_ = looping;
    playing_ = true;
}

void CMIDI::Pause()
{
    std::lock_guard lock(mutex_);
    if (!playing_ || paused_)
        return;
    paused_ = true;
    SilenceNotes();
}

void CMIDI::Stop(bool /*wait*/)
{
    // Render holds the same lock, so once we have it the device is not inside the player.
    std::lock_guard lock(mutex_);
    const bool wasActive = playing_ || paused_;
    playing_ = false;
    paused_ = false;
    if (state_ != kStopped && state_ != kAtEnd)
        state_ = kStopped;
    if (wasActive)
        sink_.Reset();
}

void CMIDI::SetTempoPercent(uint32_t percent)
{
    std::lock_guard lock(mutex_);
    if (sequencer_)
        sequencer_->SetTempoPercent(percent);
}

void CMIDI::SilenceNotes()
{
    for (uint8_t ch = 0; ch < 16; ++ch)
        sink_.ShortMessage(static_cast<uint8_t>(0xB0 | ch), 120, 0);  // all sound off
}

void CMIDI::Render(int16_t* stereo, int frames)
{
    std::lock_guard lock(mutex_);
    if (!playing_ || paused_ || !sequencer_) {
        sink_.Render(stereo, frames);  // lets released notes ring out
        return;
    }
    sequencer_->Render(sink_, stereo, frames, [this](const Lumora::MidiEvent& e) {
        if ((e.status & 0xF0) == 0xB0 && e.data1 == 7)
            OnPosition(e);
    });
    if (sequencer_->Finished()) {
        playing_ = false;
        state_ = kAtEnd;
        OnBufferDone();
    }
}

void CMIDI::OnPosition(const Lumora::MidiEvent& e)
{
    const uint32_t channel = e.status & 0x0F;
    const uint32_t percent = e.data2 * 100u / 127u;
    volumes_[channel] = percent;
    if (owner_)
        owner_(this, percent << 16 | channel);
}
