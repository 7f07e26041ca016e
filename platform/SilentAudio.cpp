#include "platform/SilentAudio.h"

#include <cstring>

namespace platform {

bool SilentAudio::LooksLikeSound(std::span<const uint8_t> b)
{
    auto starts = [&](const char* magic, size_t at = 0) {
        const size_t n = std::strlen(magic);
        return b.size() >= at + n && std::memcmp(b.data() + at, magic, n) == 0;
    };
    const bool mpegFrame = b.size() >= 2 && b[0] == 0xFF && (b[1] & 0xE0) == 0xE0;
    return (starts("RIFF") && starts("WAVE", 8)) || starts("OggS") || starts("fLaC") || starts("ID3") || mpegFrame;
}

AudioBackend::Handle SilentAudio::CreateStream(std::span<const uint8_t> bytes)
{
    if (!LooksLikeSound(bytes))
        return 0;
    const Handle h = next_++;
    streams_[h].bytes = bytes.size();
    log_.push_back("create " + std::to_string(h));
    return h;
}

void SilentAudio::FreeStream(Handle h)
{
    if (streams_.erase(h))
        log_.push_back("free " + std::to_string(h));
}

bool SilentAudio::Play(Handle h, bool restart)
{
    auto it = streams_.find(h);
    if (it == streams_.end())
        return false;
    Stream& s = it->second;
    if (restart || !s.playing)
        ++s.starts;
    log_.push_back((restart ? "restart " : "play ") + std::to_string(h));
    s.playing = true;
    s.paused = false;
    return true;
}

void SilentAudio::Pause(Handle h)
{
    auto it = streams_.find(h);
    if (it != streams_.end() && it->second.playing) {
        it->second.paused = true;
        log_.push_back("pause " + std::to_string(h));
    }
}

void SilentAudio::Stop(Handle h)
{
    auto it = streams_.find(h);
    if (it == streams_.end())
        return;
    it->second.playing = it->second.paused = false;
    log_.push_back("stop " + std::to_string(h));
}

bool SilentAudio::IsActive(Handle h) const
{
    const Stream* s = Find(h);
    return s && s->playing;
}

void SilentAudio::SetStreamVolume(Handle h, float v)
{
    auto it = streams_.find(h);
    if (it != streams_.end())
        it->second.volume = v;
}

void SilentAudio::Finish(Handle h)
{
    auto it = streams_.find(h);
    if (it != streams_.end())
        it->second.playing = it->second.paused = false;
}

void SilentAudio::RenderMusic(int frames, std::vector<int16_t>* out)
{
    std::vector<int16_t> scratch;
    std::vector<int16_t>& buf = out ? *out : scratch;
    buf.assign(static_cast<size_t>(frames) * 2, 0);
    if (music_ && frames > 0)
        music_->Render(buf.data(), frames);
}

const SilentAudio::Stream* SilentAudio::Find(Handle h) const
{
    auto it = streams_.find(h);
    return it == streams_.end() ? nullptr : &it->second;
}

std::unique_ptr<AudioBackend> OpenAudio()
{
    if (auto mixer = OpenMixerAudio())
        return mixer;
    return std::make_unique<SilentAudio>();
}

} // namespace platform
