#pragma once
// Sound output: sampled sounds held in memory and played on channels of their own, a master
// volume, and one music source that the program renders itself (the MIDI player). Either a
// real mixer on the sound device or a silent stand-in that records what would play.
#include <cstdint>
#include <memory>
#include <span>

namespace platform {

inline constexpr int kAudioRate = 44100;  // frames per second, stereo 16-bit

// Music made by the program. Render runs on the sound device's thread.
class MusicSource {
public:
    virtual ~MusicSource() = default;
    // Fills frames of interleaved left/right samples (2 * frames values); silence when idle.
    virtual void Render(int16_t* stereo, int frames) = 0;
};

class AudioBackend {
public:
    using Handle = uint32_t;  // 0 names nothing

    virtual ~AudioBackend() = default;

    // False for the real mixer; true when nothing is heard.
    virtual bool IsSilent() const = 0;
    // Decodes a whole sound file held in memory (WAV, OGG, MP3, FLAC: told by its content).
    // The bytes may be freed afterwards. 0 when they do not decode.
    virtual Handle CreateStream(std::span<const uint8_t> bytes) = 0;
    virtual void FreeStream(Handle stream) = 0;
    // restart: from the beginning. Otherwise a paused stream resumes, a playing one goes on and a
    // stopped one starts. False for an unknown handle.
    virtual bool Play(Handle stream, bool restart) = 0;
    virtual void Pause(Handle stream) = 0;
    virtual void Stop(Handle stream) = 0;
    // Playing or paused.
    virtual bool IsActive(Handle stream) const = 0;
    virtual void SetStreamVolume(Handle stream, float volume) = 0;  // 0..1
    virtual void SetMasterVolume(float volume) = 0;                 // 0..1
    virtual float MasterVolume() const = 0;
    // Null stops the music. On return the old source is no longer being called.
    virtual void SetMusicSource(MusicSource* source) = 0;
};

// The mixer on the default sound device, or nothing when there is no device.
std::unique_ptr<AudioBackend> OpenMixerAudio();
// The mixer when it opens, else the silent stand-in: callers always get a back end.
std::unique_ptr<AudioBackend> OpenAudio();
// Loads the mixer's library ahead of OpenMixerAudio, from any thread: a start-up can have it
// loaded on a spare thread while it waits for others.
void PreloadMixer();

} // namespace platform
