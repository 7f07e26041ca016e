#pragma once
// CMIDI: the background-music player. It reads a standard MIDI file and plays it through a
// synthesiser as the sound device pulls samples (it is the device's music source). Open,
// Play, Pause and Stop come from the UI thread; Render runs on the device's thread. Reaching
// the end of the data only marks the player finished: nothing waits or frees on that thread.
#include "engine/music/MidiFile.h"
#include "engine/music/MidiSequencer.h"
#include "platform/Audio.h"
#include "platform/MidiSynth.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>

class CMIDI : public platform::MusicSource {
public:
    enum State : uint32_t { kIdle = 0, kStopping = 100, kStopped = 200, kAtEnd = 300 };
    static constexpr uint32_t kVolumeNotice = 1047;
    // Told of volume changes, on the device's thread: (player, (percent << 16) | channel).
    // It must only post.
    using OwnerNotice = std::function<void(CMIDI* player, uint32_t volumeAndChannel)>;

    // The synthesiser is shared, not owned; it must outlive the player.
    explicit CMIDI(platform::MidiSink& sink);
    ~CMIDI() override;

    // Refused when a file is already open or the data is not a MIDI file.
    bool Open(std::span<const uint8_t> data, OwnerNotice owner = {});
    void Play(bool looping);
    void Pause();
    void Stop(bool wait);

    bool IsPlaying() const { return playing_.load(); }
    bool IsPaused() const { return paused_.load(); }
    State GetState() const { return state_.load(); }
    uint32_t ChannelVolume(int channel) const { return volumes_[channel & 15].load(); }
    void SetTempoPercent(uint32_t percent);
    const Lumora::MidiFile* File() const { return file_.get(); }

    void Render(int16_t* stereo, int frames) override;

protected:
    virtual void OnError(uint32_t /*code*/) {}
    virtual void OnParseError(int /*track*/, const char* /*text*/) {}
    virtual void OnOpen() {}
    virtual void OnClose() {}
    // The player ran out of data (device thread).
    virtual void OnBufferDone() {}
    // A volume controller passed (device thread).
    virtual void OnPosition(const Lumora::MidiEvent& event);

private:
    void SilenceNotes();

    platform::MidiSink& sink_;
    std::unique_ptr<Lumora::MidiFile> file_;
    std::unique_ptr<Lumora::MidiSequencer> sequencer_;
    OwnerNotice owner_;
    std::mutex mutex_;  // held by Render and by every control operation
    std::atomic<bool> playing_{false};
    std::atomic<bool> paused_{false};
    std::atomic<State> state_{kIdle};
    bool looping_ = false;
    std::array<std::atomic<uint32_t>, 16> volumes_{};
};
