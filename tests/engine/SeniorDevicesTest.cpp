// Sounds and input reached through the object services: the music module on the silent output
// and the input module without a window.
#include "tests/support/EngineFixtures.h"
#include "tests/support/SceneSupport.h"

#include "engine/input/InputModule.h"
#include "engine/music/MusicModule.h"
#include "platform/MidiSynth.h"
#include "platform/SilentAudio.h"

#include <gtest/gtest.h>

using namespace Lumora;
using testsupport::Recorder;

namespace {

class SeniorDevices : public testsupport::SeniorFixture {
protected:
    void SetUp() override
    {
        SeniorFixture::SetUp();
        auto audio = std::make_unique<platform::SilentAudio>();
        audio_ = audio.get();
        music_ = new MusicModule(std::move(audio), std::make_unique<platform::RecordingMidiSink>());
        input_ = new InputModule;
        ASSERT_EQ(core_->LoadModule(music_, 1, 0), LUMORA_MSG_OK);
        ASSERT_EQ(core_->LoadModule(input_, 1, 0), LUMORA_MSG_OK);
        std::vector<uint8_t> wav = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E'};
        wav.resize(44, 0);
        resources_->AddMemory("SndHit.wav", wav.data(), wav.size());
    }
    platform::SilentAudio* audio_ = nullptr;
    MusicModule* music_ = nullptr;
    InputModule* input_ = nullptr;
};

TEST_F(SeniorDevices, SoundsPlayPauseStopAndMute)
{
    const uint32_t channel = actor_->PlaySound("SndHit", 1, nullptr);
    ASSERT_NE(channel, 0u);
    EXPECT_TRUE(music_->IsPlaying(channel));
    actor_->PauseChannel(channel);
    EXPECT_TRUE(audio_->Find(channel)->paused);
    actor_->ResumeChannel(channel, true);
    EXPECT_TRUE(music_->IsPlaying(channel));
    actor_->StopChannel(channel);
    EXPECT_FALSE(music_->IsPlaying(channel));
    actor_->SetMute(true);
    EXPECT_EQ(actor_->PlaySound("SndHit", 1, nullptr), 0u);
    actor_->SetMute(false);
    EXPECT_EQ(actor_->PlaySound(nullptr, 1, nullptr), 0u);
}

TEST_F(SeniorDevices, ActionSoundsPlayOnTheirFirstStep)
{
    EXPECT_NE(actor_->ActPlaySound("SndHit", 1, nullptr), 0u);
    EXPECT_EQ(audio_->StreamCount(), 0u); // nothing until the action steps
    Tick();
    EXPECT_EQ(audio_->StreamCount(), 1u);
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
}

TEST_F(SeniorDevices, HooksGoToTheHookTarget)
{
    Recorder* target = Add();
    EXPECT_EQ(actor_->SetHookTarget(target->GetId()), 0u);
    const EventRecord hook{actor_->GetId(), 80000020, 0, 0};
    actor_->HookEvent(19840330, hook);
    ASSERT_NE(target->FindEventHook(19840330), nullptr);
    EXPECT_EQ(target->FindEventHook(19840330)->code, 80000020u);
    actor_->UnhookEvent(19840330);
    EXPECT_EQ(target->FindEventHook(19840330), nullptr);
    EXPECT_EQ(actor_->SetHookTarget(0), target->GetId());
}

TEST_F(SeniorDevices, FocusGoesToTheTopLevelObject)
{
    Recorder* panel = Add();
    panel->SetTopLevel(true);
    Recorder* field = Add();
    panel->AddChild(field, 0x10000);
    EXPECT_EQ(actor_->SetFocusObject(field->GetId()), 0u);
    EXPECT_EQ(input_->Focused(), panel->GetId());
    EXPECT_TRUE(panel->GetFlags() & OBJ_NO_CHECK_CHILDREN);
    InputData data;
    EXPECT_EQ(actor_->GetInputData(data).focused, panel->GetId());
    actor_->SetInputSwitch(0);
    EXPECT_FALSE(input_->IsInputEnabled());
    actor_->SetInputSwitch(1);
    EXPECT_TRUE(input_->IsInputEnabled());
    EXPECT_FALSE(actor_->SetCursorFile("/no/such.cur"));
}

} // namespace
