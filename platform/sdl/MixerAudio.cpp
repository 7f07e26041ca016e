// Sound through SDL2_mixer: each stream gets a mixer channel of its own, and the program's
// music source is mixed in through the mixer's music hook, so one device plays everything.
#include "platform/Audio.h"

#include "platform/SoundLibraries.h"
#include "platform/sdl/SdlSubsystems.h"

#include <SDL.h>

#include <algorithm>
#include <vector>

namespace platform {
namespace {

bool g_open = false;  // SDL_mixer drives one device per process

class MixerAudio final : public AudioBackend {
public:
    explicit MixerAudio(const MixerLibrary& mix) : mix_(mix)
    {
        int frequency = 0, channels = 0;
        Uint16 format = 0;
        mix_.querySpec(&frequency, &format, &channels);
        musicUsable_ = channels == 2 && format == AUDIO_S16SYS;
    }
    ~MixerAudio() override
    {
        mix_.hookMusic(nullptr, nullptr);
        mix_.haltChannel(-1);
        for (Slot& s : slots_)
            if (s.chunk)
                mix_.freeChunk(s.chunk);
        mix_.closeAudio();
        mix_.quit();
        sdl::StopSubsystems(SDL_INIT_AUDIO, true);
        g_open = false;
    }

    bool IsSilent() const override { return false; }

    Handle CreateStream(std::span<const uint8_t> bytes) override
    {
        if (bytes.empty())
            return 0;
        // The reader is closed here, not by the mixer: it leaks it when no decoder takes the bytes.
        SDL_RWops* reader = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
        if (!reader)
            return 0;
        Mix_Chunk* chunk = mix_.loadWavRw(reader, 0);
        SDL_RWclose(reader);
        if (!chunk)
            return 0;
        auto free = std::find_if(slots_.begin(), slots_.end(), [](const Slot& s) { return !s.chunk; });
        if (free == slots_.end()) {
            slots_.push_back({});
            free = slots_.end() - 1;
            mix_.allocateChannels(static_cast<int>(slots_.size()));
        }
        free->chunk = chunk;
        const int channel = static_cast<int>(free - slots_.begin());
        mix_.volume(channel, MIX_MAX_VOLUME);
        return static_cast<Handle>(channel + 1);
    }

    void FreeStream(Handle h) override
    {
        if (Slot* s = Find(h)) {
            mix_.haltChannel(Channel(h));
            mix_.freeChunk(s->chunk);
            s->chunk = nullptr;
        }
    }

    bool Play(Handle h, bool restart) override
    {
        Slot* s = Find(h);
        if (!s)
            return false;
        const int ch = Channel(h);
        if (!restart && mix_.paused(ch)) {
            mix_.resume(ch);
            return true;
        }
        if (!restart && mix_.playing(ch))
            return true;
        return mix_.playChannelTimed(ch, s->chunk, 0, -1) == ch;
    }

    void Pause(Handle h) override
    {
        if (Find(h))
            mix_.pause(Channel(h));
    }
    void Stop(Handle h) override
    {
        if (Find(h))
            mix_.haltChannel(Channel(h));
    }
    bool IsActive(Handle h) const override { return Find(h) && mix_.playing(Channel(h)) != 0; }
    void SetStreamVolume(Handle h, float v) override
    {
        if (Find(h))
            mix_.volume(Channel(h), ToMix(v));
    }
    void SetMasterVolume(float v) override
    {
        master_ = std::clamp(v, 0.0f, 1.0f);
        mix_.masterVolume(ToMix(master_));
    }
    float MasterVolume() const override { return master_; }

    void SetMusicSource(MusicSource* source) override
    {
        if (!musicUsable_)
            return;
        mix_.hookMusic(source ? &Hook : nullptr, source);
    }

private:
    struct Slot {
        Mix_Chunk* chunk = nullptr;
    };

    static int ToMix(float v) { return static_cast<int>(std::clamp(v, 0.0f, 1.0f) * MIX_MAX_VOLUME + 0.5f); }
    static int Channel(Handle h) { return static_cast<int>(h) - 1; }
    static void Hook(void* source, Uint8* stream, int len)
    {
        static_cast<MusicSource*>(source)->Render(reinterpret_cast<int16_t*>(stream), len / 4);
    }
    Slot* Find(Handle h) { return h >= 1 && h <= slots_.size() && slots_[h - 1].chunk ? &slots_[h - 1] : nullptr; }
    const Slot* Find(Handle h) const { return const_cast<MixerAudio*>(this)->Find(h); }

    const MixerLibrary& mix_;
    std::vector<Slot> slots_;
    float master_ = 1.0f;
    bool musicUsable_ = false;
};

} // namespace

std::unique_ptr<AudioBackend> OpenMixerAudio()
{
    const MixerLibrary* mix = Mixer();
    if (!mix || g_open || !sdl::StartSubsystems(SDL_INIT_AUDIO))
        return nullptr;
    mix->init(MIX_INIT_OGG | MIX_INIT_MP3 | MIX_INIT_FLAC);
    if (mix->openAudio(kAudioRate, AUDIO_S16SYS, 2, 1024) != 0) {
        mix->quit();
        sdl::StopSubsystems(SDL_INIT_AUDIO);
        return nullptr;
    }
    mix->allocateChannels(0);
    g_open = true;
    return std::make_unique<MixerAudio>(*mix);
}

} // namespace platform
