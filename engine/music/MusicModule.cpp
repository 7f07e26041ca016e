#include "engine/music/MusicModule.h"

#include "engine/GameCore.h"
#include "engine/object/ObjectModule.h"
#include "engine/resource/ResourceModule.h"
#include "platform/GbkWalk.h"
#include "platform/SilentAudio.h"

#include <string>
#include <string_view>
#include <vector>

namespace Lumora {

MusicModule::MusicModule(std::unique_ptr<platform::AudioBackend> audio, std::unique_ptr<platform::MidiSink> synth)
    : audio_(std::move(audio)), synth_(std::move(synth))
{
}

MusicModule::~MusicModule() { Shutdown(); }

int MusicModule::Init()
{
    // No sound device is no reason to fail: callers rely on the module being there.
    if (!audio_)
        audio_ = platform::OpenAudio();
    volume_ = audio_->MasterVolume();
    SetInterval(kWorkInterval);
    return 1;
}

void MusicModule::Shutdown()
{
    if (audio_) {
        audio_->SetMusicSource(nullptr);
        for (auto& [key, stream] : streams_)
            audio_->FreeStream(stream);
    }
    streams_.clear();
    playList_.clear();
    midi_.reset();
    midiKey_ = {};
    audio_.reset();
}

ResourceKey MusicModule::SoundKey(const char* name)
{
    std::string_view text = name ? name : "";
    const size_t slash = platform::GbkFindLastOf(text, "\\/");
    if (slash != std::string_view::npos)
        text.remove_prefix(slash + 1);
    return MakeResourceKey(std::string(text) + ".sound");
}

MusicModule::Channel MusicModule::PlaySound(const char* name, int repeats, const EventRecord* endNotice)
{
    if (muted_ || !audio_)
        return 0;
    return PlayByKey(SoundKey(name), repeats, endNotice);
}

MusicModule::Channel MusicModule::PlayByKey(const ResourceKey& key, int repeats, const EventRecord* endNotice)
{
    if (!audio_)
        return 0;
    if (auto it = streams_.find(key); it != streams_.end())
        return PlayChannel(it->second, repeats, endNotice);
    Channel channel = 0;
    if (!CreateFromResource(key, channel))
        return 0;
    if (channel != 0)
        return PlayChannel(channel, repeats, endNotice);
    PlayMidi(repeats, endNotice);
    return 0;
}

bool MusicModule::CreateFromResource(const ResourceKey& key, Channel& out)
{
    out = 0;
    auto* resources = static_cast<ResourceModule*>(GetModule(LUMORA_MODULE_RESOURCE));
    ResourceRecord* record = resources ? resources->Load(key) : nullptr;
    if (!audio_ || !record || !record->Data())
        return false;
    const std::span<const uint8_t> bytes(record->Data(), record->DataSize());
    static const uint32_t kMid = HashStringRS(".mid"), kMidi = HashStringRS(".midi");
    const bool isMidi = record->typeHash == kMid || record->typeHash == kMidi;
    if (!isMidi) {
        const Channel stream = audio_->CreateStream(bytes);
        resources->ReleaseData(key);  // the output keeps its own decoded copy
        if (stream == 0)
            return false;  // nothing is remembered for a sound that does not decode
        streams_[key] = stream;
        out = stream;
        return true;
    }
    if (!synth_)
        synth_ = audio_->IsSilent() ? nullptr : platform::CreateSynthSink();
    if (!synth_)
        synth_ = std::make_unique<platform::RecordingMidiSink>();
    auto midi = std::make_unique<CMIDI>(*synth_);
    const bool opened = midi->Open(bytes);
    resources->ReleaseData(key);
    if (!opened)
        return false;
    ReplaceMidi(std::move(midi));
    midiKey_ = key;
    return true;
}

void MusicModule::ReplaceMidi(std::unique_ptr<CMIDI> midi)
{
    // The output must stop calling the old player before it goes.
    audio_->SetMusicSource(nullptr);
    midi_ = std::move(midi);
    if (midi_)
        audio_->SetMusicSource(midi_.get());
}

MusicModule::Channel MusicModule::PlayChannel(Channel channel, int repeats, const EventRecord* endNotice)
{
    if (!audio_ || !audio_->Play(channel, false))
        return 0;
    playList_.push_back({channel, repeats, endNotice ? *endNotice : EventRecord{}});
    if (GameCore* core = GetCore())
        core->RequestTick();
    return channel;
}

bool MusicModule::PlayMidi(int repeats, const EventRecord* endNotice)
{
    if (!midi_)
        return false;
    midi_->Play(false);
    playList_.push_back({0, repeats, endNotice ? *endNotice : EventRecord{}});
    if (GameCore* core = GetCore())
        core->RequestTick();
    return true;
}

void MusicModule::SendEndNotice(const EventRecord& notice)
{
    if (notice.code == 0 || !GetModule(LUMORA_MODULE_OBJECT))
        return;
    // The object module delivers the copy and deletes it.
    SendMessage(LUMORA_MODULE_OBJECT, OBJ_MSG_EVENT_RELEASE, reinterpret_cast<uintptr_t>(new EventRecord(notice)), 0);
}

void MusicModule::EndEntries(Channel channel)
{
    // Notices go out after the list is settled: their receivers may play or stop sounds.
    std::vector<EventRecord> notices;
    for (auto it = playList_.begin(); it != playList_.end();) {
        if (it->channel == channel) {
            notices.push_back(it->notice);
            it = playList_.erase(it);
        } else {
            ++it;
        }
    }
    for (const EventRecord& notice : notices)
        SendEndNotice(notice);
}

void MusicModule::StopSound(const char* name)
{
    if (muted_ || !audio_)
        return;
    const ResourceKey key = SoundKey(name);
    if (auto it = streams_.find(key); it != streams_.end()) {
        const Channel stream = it->second;
        streams_.erase(it);
        EndEntries(stream);
        audio_->FreeStream(stream);
        return;
    }
    // Only the name the tune was played under stops it; any other name leaves the music alone.
    if (midi_ && key == midiKey_) {
        EndEntries(0);
        ReplaceMidi(nullptr);
        midiKey_ = {};
    }
}

void MusicModule::Pause(Channel channel)
{
    if (!audio_)
        return;
    if (channel == 0) {
        if (midi_)
            midi_->Pause();
        return;
    }
    audio_->Pause(channel);
}

void MusicModule::Stop(Channel channel)
{
    if (!audio_)
        return;
    EndEntries(channel);
    if (channel == 0) {
        if (midi_)
            midi_->Stop(true);
        return;
    }
    audio_->Stop(channel);
}

void MusicModule::Resume(Channel channel, bool restart)
{
    if (!audio_)
        return;
    if (channel == 0) {
        if (midi_)
            midi_->Play(false);
        return;
    }
    audio_->Play(channel, restart);
}

void MusicModule::StopAll()
{
    if (!audio_)
        return;
    std::list<Entry> stopping;
    stopping.swap(playList_);
    for (const Entry& entry : stopping) {
        if (entry.channel == 0) {
            if (midi_)
                midi_->Stop(true);
        } else {
            audio_->Stop(entry.channel);
        }
    }
    for (const Entry& entry : stopping)
        SendEndNotice(entry.notice);
}

bool MusicModule::IsPlaying(Channel channel) const
{
    if (!audio_)
        return false;
    if (channel == 0)
        return midi_ && midi_->IsPlaying();
    return audio_->IsActive(channel);
}

void MusicModule::SetVolume(float volume)
{
    volume_ = volume;
    if (audio_)
        audio_->SetMasterVolume(volume);
}

float MusicModule::GetVolume() const { return audio_ ? audio_->MasterVolume() : volume_; }

void MusicModule::SetChannelVolume(Channel channel, float volume)
{
    if (audio_ && channel != 0)
        audio_->SetStreamVolume(channel, volume);
}

void MusicModule::Work()
{
    std::vector<EventRecord> notices;
    for (auto it = playList_.begin(); it != playList_.end();) {
        if (IsPlaying(it->channel)) {
            ++it;
            continue;
        }
        // A tune whose player is gone can never play again: it ends here.
        const bool gone = it->channel == 0 && !midi_;
        if (gone || --it->repeats == 0) {
            notices.push_back(it->notice);
            it = playList_.erase(it);
            continue;
        }
        if (it->channel == 0)
            midi_->Play(false);
        else
            audio_->Play(it->channel, true);
        ++it;
    }
    for (const EventRecord& notice : notices)
        SendEndNotice(notice);
}

} // namespace Lumora
