#include "tests/support/EngineFixtures.h"
#include "tests/support/PatternGlyphSource.h"

#include "engine/GameCore.h"
#include "engine/music/MusicModule.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PObject.h"
#include "engine/resource/ResourceModule.h"
#include "platform/SilentAudio.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace Lumora;

namespace {

struct NoticeLog : PObject {
    std::vector<uint32_t> codes;
    int OnEvent(const EventRecord& r) override
    {
        codes.push_back(r.code);
        return 1;
    }
};

// The smallest WAV file the silent output accepts, and a one-note MIDI tune.
std::vector<uint8_t> Wav()
{
    std::vector<uint8_t> b = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E'};
    b.resize(44, 0);
    return b;
}
std::vector<uint8_t> Tune()
{
    return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, 13,
            0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
}

class MusicModuleTest : public testsupport::EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        core_ = std::make_unique<GameCore>();
        resources_ = new ResourceModule();
        objects_ = new ObjectModule(std::make_shared<testsupport::PatternGlyphSource>());
        auto audio = std::make_unique<platform::SilentAudio>();
        audio_ = audio.get();
        auto synth = std::make_unique<platform::RecordingMidiSink>();
        synth_ = synth.get();
        music_ = new MusicModule(std::move(audio), std::move(synth));
        ASSERT_EQ(LUMORA_MSG_OK, core_->LoadModule(resources_, 1, 1));
        ASSERT_EQ(LUMORA_MSG_OK, core_->LoadModule(objects_, 1, 0));
        ASSERT_EQ(LUMORA_MSG_OK, core_->LoadModule(music_, 1, 0));
        listener_ = new NoticeLog;
        objects_->RegisterObject(listener_, nullptr);
        const auto wav = Wav(), tune = Tune();
        resources_->AddMemory("SndHit.wav", wav.data(), wav.size());
        resources_->AddMemory("SndOther.wav", wav.data(), wav.size());
        resources_->AddMemory("Broken.wav", "not a sound", 11);
        resources_->AddMemory("Tune.mid", tune.data(), tune.size());
        resources_->AddMemory("Tune2.mid", tune.data(), tune.size());
    }
    void TearDown() override
    {
        core_.reset();
        EngineFixture::TearDown();
    }
    EventRecord Notice(uint32_t code) const { return {listener_->GetId(), code, 0, 0}; }
    // One work step of the music module (every 100 ms).
    void Step()
    {
        clock_.Advance(101);
        core_->FrameTick();
    }

    std::unique_ptr<GameCore> core_;
    ResourceModule* resources_ = nullptr;
    ObjectModule* objects_ = nullptr;
    MusicModule* music_ = nullptr;
    platform::SilentAudio* audio_ = nullptr;
    platform::RecordingMidiSink* synth_ = nullptr;
    NoticeLog* listener_ = nullptr;
};

TEST_F(MusicModuleTest, ThreeRepeatsPlayThreeTimesThenOneNotice)
{
    const EventRecord notice = Notice(80000100);
    const auto ch = music_->PlaySound("sounds\\SndHit", 3, &notice);
    ASSERT_NE(0u, ch);
    for (int i = 0; i < 5; ++i) {
        audio_->Finish(ch);
        Step();
    }
    EXPECT_EQ(3, audio_->Find(ch)->starts);
    EXPECT_EQ((std::vector<uint32_t>{80000100}), listener_->codes);
    EXPECT_EQ(0u, music_->PlayListSize());
    EXPECT_EQ(ch, music_->PlaySound("SndHit", 1, nullptr)) << "the stream is kept for the next play";
}

TEST_F(MusicModuleTest, ASoundThatDoesNotDecodeIsNotRememberedAndLeavesTheMusicAlone)
{
    ASSERT_EQ(0u, music_->PlaySound("Tune", 0, nullptr));
    ASSERT_TRUE(music_->IsPlaying(0));
    music_->Stop(0);
    EXPECT_EQ(0u, music_->PlaySound("Broken", 1, nullptr));
    EXPECT_EQ(0u, music_->StreamCount());
    EXPECT_EQ(0u, music_->PlaySound("Broken", 1, nullptr));
    EXPECT_FALSE(music_->IsPlaying(0)) << "a failed sound never restarts the tune";
    EXPECT_EQ(0u, music_->PlayListSize());
}

TEST_F(MusicModuleTest, StoppingByNameTouchesOnlyThatSound)
{
    const EventRecord tuneEnd = Notice(80000201), hitEnd = Notice(80000202);
    music_->PlaySound("Tune", 0, &tuneEnd);
    const auto hit = music_->PlaySound("SndHit", 1, &hitEnd);
    music_->StopSound("NoSuchSound");
    music_->StopSound("SndOther");  // known, but never played
    EXPECT_TRUE(music_->IsPlaying(0)) << "a name that is not the tune leaves the tune playing";
    music_->StopSound("SndHit");
    EXPECT_EQ((std::vector<uint32_t>{80000202}), listener_->codes) << "the freed stream's entry ends";
    EXPECT_FALSE(audio_->Find(hit));
    music_->StopSound("Tune");
    EXPECT_EQ(nullptr, music_->Midi());
    EXPECT_EQ((std::vector<uint32_t>{80000202, 80000201}), listener_->codes);
    EXPECT_EQ(0u, music_->PlayListSize());
}

TEST_F(MusicModuleTest, MidiChannelWithoutAPlayerIsSafeAndEnds)
{
    music_->Resume(0, true);
    music_->Pause(0);
    EXPECT_FALSE(music_->IsPlaying(0));
    EXPECT_FALSE(music_->PlayMidi(1, nullptr));
    const EventRecord end = Notice(80000300);
    music_->PlaySound("Tune", 5, &end);
    ASSERT_TRUE(music_->Midi());
    // The player runs to its end: every work step restarts it while repeats remain.
    std::vector<int16_t> pcm;
    for (int i = 0; i < 4; ++i) {
        audio_->RenderMusic(44100, &pcm);
        Step();
    }
    EXPECT_TRUE(listener_->codes.empty());
    EXPECT_GE(synth_->Messages().size(), 8u) << "the tune played more than once";
    music_->StopSound("Tune");
    EXPECT_EQ((std::vector<uint32_t>{80000300}), listener_->codes);
    music_->Resume(0, false);
    Step();
}

TEST_F(MusicModuleTest, StopEndsEveryEntryOfTheChannel)
{
    const EventRecord a = Notice(80000401), b = Notice(80000402);
    const auto ch = music_->PlaySound("SndHit", 2, &a);
    music_->PlaySound("SndHit", 2, &b);
    EXPECT_EQ(2u, music_->PlayListSize());
    music_->Stop(ch);
    EXPECT_EQ((std::vector<uint32_t>{80000401, 80000402}), listener_->codes);
    EXPECT_EQ(0u, music_->PlayListSize());
    EXPECT_FALSE(audio_->IsActive(ch));
    Step();
    EXPECT_EQ(1, audio_->Find(ch)->starts) << "nothing replays a stopped sound";
}

TEST_F(MusicModuleTest, ANewTuneReplacesThePlayingOne)
{
    music_->PlaySound("Tune", 0, nullptr);
    CMIDI* first = music_->Midi();
    music_->PlaySound("Tune2", 0, nullptr);
    EXPECT_NE(first, music_->Midi());
    EXPECT_EQ(music_->Midi(), audio_->Music()) << "the output plays the new tune";
    EXPECT_TRUE(music_->IsPlaying(0));
    music_->SetMuted(true);
    EXPECT_EQ(0u, music_->PlaySound("SndHit", 1, nullptr));
    music_->StopAll();
    EXPECT_FALSE(music_->IsPlaying(0));
}

TEST(MusicModuleNoDevice, LoadsWithTheSilentOutput)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    GameCore core;
    auto* music = new MusicModule();
    ASSERT_EQ(LUMORA_MSG_OK, core.LoadModule(music, 1, 0));
    EXPECT_TRUE(music->Audio()->IsSilent());
    EXPECT_EQ(0u, music->PlaySound("Anything", 1, nullptr)) << "no resource module: nothing plays, nothing breaks";
    setenv("SDL_AUDIODRIVER", "dummy", 1);  // the tests after this one in the same program
}

} // namespace
