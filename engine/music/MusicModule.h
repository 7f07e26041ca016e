#pragma once
// Engine module 1004: the game's sound effects and background music from resources. Sampled
// sounds play on streams of the sound output; MIDI music plays through CMIDI and a General MIDI
// synthesiser. Without a sound device everything goes to a silent output that records what
// would play, so the module is always there for its callers.
#include "engine/BaseModule.h"
#include "engine/music/MIDI.h"
#include "engine/object/EventRecord.h"
#include "engine/resource/ResourceKey.h"
#include "platform/Audio.h"
#include "platform/MidiSynth.h"

#include <list>
#include <map>
#include <memory>

namespace Lumora {

class MusicModule : public BaseModule {
public:
    using Channel = platform::AudioBackend::Handle;  // 0 is the MIDI player
    static constexpr uint32_t kWorkInterval = 100;
    static constexpr uint32_t kQueueLimit = 8096;

    // Without an output the module opens the sound device, or the silent output when there is
    // none. Without a synthesiser one is made when the first MIDI tune is played.
    explicit MusicModule(std::unique_ptr<platform::AudioBackend> audio = nullptr,
                         std::unique_ptr<platform::MidiSink> synth = nullptr);
    ~MusicModule() override;

    int Init() override;
    void Shutdown() override;
    void Work() override;
    // Only a tune that plays needs watching for its end.
    std::optional<uint32_t> NextWorkDue() const override
    {
        return playList_.empty() && Ring().Empty() ? std::nullopt : BaseModule::NextWorkDue();
    }
    uint32_t GetId() const override { return LUMORA_MODULE_MUSIC; }
    const char* GetName() const override { return "MusicModule"; }
    int ProcessMessage(uint32_t, uintptr_t, uintptr_t) override { return 1; }
    uint32_t GetQueueLimit() const override { return kQueueLimit; }

    virtual void SetMuted(bool muted) { muted_ = muted; }
    // The channel that plays (0 for a MIDI tune, or on failure).
    virtual Channel PlayByKey(const ResourceKey& key, int repeats, const EventRecord* endNotice);
    virtual Channel PlaySound(const char* name, int repeats, const EventRecord* endNotice);
    virtual void SetVolume(float volume);
    virtual float GetVolume() const;
    virtual void StopSound(const char* name);
    virtual void Pause(Channel channel);
    virtual void Stop(Channel channel);
    virtual void Resume(Channel channel, bool restart);
    virtual void StopAll();
    virtual bool IsPlaying(Channel channel) const;
    virtual bool CreateFromResource(const ResourceKey& key, Channel& out);
    virtual Channel PlayChannel(Channel channel, int repeats, const EventRecord* endNotice);
    virtual bool PlayMidi(int repeats, const EventRecord* endNotice);
    virtual void SendEndNotice(const EventRecord& endNotice);
    void SetChannelVolume(Channel channel, float volume);

    bool IsMuted() const { return muted_; }
    size_t PlayListSize() const { return playList_.size(); }
    size_t StreamCount() const { return streams_.size(); }
    CMIDI* Midi() const { return midi_.get(); }
    platform::AudioBackend* Audio() const { return audio_.get(); }
    // The key every sound name is played under: its file name followed by ".sound".
    static ResourceKey SoundKey(const char* name);

private:
    struct Entry {
        Channel channel;
        int repeats;
        EventRecord notice;
    };

    // Removes every play-list entry of the channel, sending each one's end notice.
    void EndEntries(Channel channel);
    void ReplaceMidi(std::unique_ptr<CMIDI> midi);

    bool muted_ = false;
    float volume_ = 1.0f;
    std::unique_ptr<platform::AudioBackend> audio_;
    std::unique_ptr<platform::MidiSink> synth_;
    std::list<Entry> playList_;
    std::map<ResourceKey, Channel> streams_;
    std::unique_ptr<CMIDI> midi_;
    ResourceKey midiKey_;  // the resource the current tune came from
};

} // namespace Lumora
