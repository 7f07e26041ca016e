#pragma once
// The sound output of machines and tests without a sound device: nothing is heard, every
// request is recorded, streams "play" until a test finishes or advances them, and the music
// source is rendered only when a test asks.
#include "platform/Audio.h"

#include <map>
#include <string>
#include <vector>

namespace platform {

class SilentAudio final : public AudioBackend {
public:
    struct Stream {
        size_t bytes = 0;
        bool playing = false;
        bool paused = false;
        int starts = 0;    // times it started from the beginning
        float volume = 1;
    };

    bool IsSilent() const override { return true; }
    Handle CreateStream(std::span<const uint8_t> bytes) override;
    void FreeStream(Handle stream) override;
    bool Play(Handle stream, bool restart) override;
    void Pause(Handle stream) override;
    void Stop(Handle stream) override;
    bool IsActive(Handle stream) const override;
    void SetStreamVolume(Handle stream, float volume) override;
    void SetMasterVolume(float volume) override { master_ = volume; }
    float MasterVolume() const override { return master_; }
    void SetMusicSource(MusicSource* source) override { music_ = source; }

    // Test controls: a stream reaches its end; the music source renders `frames`.
    void Finish(Handle stream);
    void RenderMusic(int frames, std::vector<int16_t>* out = nullptr);
    // Sounds whose first bytes are not a known sound format are refused, like the real mixer.
    static bool LooksLikeSound(std::span<const uint8_t> bytes);

    const Stream* Find(Handle stream) const;
    size_t StreamCount() const { return streams_.size(); }
    // "create N", "play N", "restart N", "pause N", "stop N", "free N" in call order.
    const std::vector<std::string>& Log() const { return log_; }
    MusicSource* Music() const { return music_; }

private:
    std::map<Handle, Stream> streams_;
    Handle next_ = 1;
    float master_ = 1;
    MusicSource* music_ = nullptr;
    std::vector<std::string> log_;
};

} // namespace platform
