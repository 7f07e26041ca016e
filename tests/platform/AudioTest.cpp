#include "platform/Audio.h"
#include "platform/MidiSynth.h"
#include "platform/SilentAudio.h"
#include "support/DummyAudio.h"
#include "tests/support/TiedChild.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

using platform::AudioBackend;

std::vector<uint8_t> Tone(int ms)
{
    const auto path = std::filesystem::temp_directory_path() / ("xl-tone-" + std::to_string(::getpid()) + ".wav");
    EXPECT_EQ(
        0,
        xltest::RunProgram(xltest::Python("tests/platform/data/make_tone.py", {path.string(), std::to_string(ms)}))
            .status);
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    std::filesystem::remove(path);
    return bytes;
}

template <class Pred>
bool WaitFor(Pred pred, int ms)
{
    for (int i = 0; i < ms / 5; ++i) {
        if (pred())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return pred();
}

struct CountingSource : platform::MusicSource {
    std::atomic<int> frames{0};
    void Render(int16_t*, int n) override { frames += n; }
};

// The dummy sound driver: a real mixer that plays in real time into nothing.
TEST(MixerAudio, StreamsPlayPauseResumeStopAndEnd)
{
    auto audio = platform::OpenMixerAudio();
    ASSERT_TRUE(audio) << "SDL_AUDIODRIVER=dummy should give a device";
    EXPECT_FALSE(audio->IsSilent());
    EXPECT_FALSE(platform::OpenMixerAudio()) << "one mixer per process";
    const auto wav = Tone(150);
    const AudioBackend::Handle a = audio->CreateStream(wav);
    const AudioBackend::Handle b = audio->CreateStream(wav);
    ASSERT_NE(0u, a);
    ASSERT_NE(a, b);
    EXPECT_EQ(0u, audio->CreateStream(std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_FALSE(audio->IsActive(a));
    EXPECT_TRUE(audio->Play(a, false));
    EXPECT_TRUE(audio->IsActive(a));
    EXPECT_FALSE(audio->IsActive(b));
    audio->Pause(a);
    EXPECT_TRUE(audio->IsActive(a)) << "a paused stream still counts as active";
    EXPECT_TRUE(audio->Play(a, false));
    audio->Stop(a);
    EXPECT_FALSE(audio->IsActive(a));
    EXPECT_TRUE(audio->Play(a, true));
    EXPECT_TRUE(WaitFor([&] { return !audio->IsActive(a); }, 2000)) << "the sound ends by itself";
    audio->SetMasterVolume(0.5f);
    EXPECT_FLOAT_EQ(0.5f, audio->MasterVolume());
    audio->FreeStream(a);
    EXPECT_FALSE(audio->Play(a, false));
    EXPECT_TRUE(audio->Play(b, false));

    CountingSource music;
    audio->SetMusicSource(&music);
    EXPECT_TRUE(WaitFor([&] { return music.frames > 2048; }, 2000)) << "the device pulls the music source";
    audio->SetMusicSource(nullptr);
    const int after = music.frames;
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(after, music.frames.load());
}

TEST(SilentAudio, RecordsWhatWouldPlay)
{
    platform::SilentAudio audio;
    const auto wav = Tone(10);
    const auto h = audio.CreateStream(wav);
    ASSERT_NE(0u, h);
    EXPECT_EQ(0u, audio.CreateStream(std::vector<uint8_t>(64, 0)));
    audio.Play(h, false);
    audio.Play(h, false);  // already playing: goes on
    audio.Pause(h);
    EXPECT_TRUE(audio.IsActive(h));
    audio.Play(h, true);
    EXPECT_EQ(2, audio.Find(h)->starts);
    audio.Finish(h);
    EXPECT_FALSE(audio.IsActive(h));
    audio.FreeStream(h);
    EXPECT_EQ((std::vector<std::string>{"create 1", "play 1", "play 1", "pause 1", "restart 1", "free 1"}), audio.Log());

    CountingSource music;
    audio.SetMusicSource(&music);
    audio.RenderMusic(441);
    EXPECT_EQ(441, music.frames.load());
}

TEST(SynthSink, GeneralMidiNoteRendersSound)
{
    auto synth = platform::CreateSynthSink();
    ASSERT_TRUE(synth) << "sound font " << platform::kGeneralMidiSoundFont;
    EXPECT_FALSE(platform::CreateSynthSink("/nonexistent.sf2"));
    auto peakOf = [&](int frames) {
        std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2, 0);
        synth->Render(pcm.data(), frames);
        int peak = 0;
        for (int16_t s : pcm)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        return peak;
    };
    EXPECT_LE(peakOf(4410), 2) << "silence, give or take dither";
    synth->ShortMessage(0xC0, 0, 0);
    synth->ShortMessage(0x90, 60, 100);
    const int on = peakOf(4410);
    EXPECT_GT(on, 500);
    synth->Reset();
    peakOf(441);
    EXPECT_LT(peakOf(4410), on / 10) << "reset silences the note";
    synth->ShortMessage(0x90, 64, 100);
    synth->ShortMessage(0x90, 64, 0);  // velocity 0 is a note off
    peakOf(4410 * 3);
    EXPECT_LT(peakOf(4410), on / 10);
}

} // namespace
