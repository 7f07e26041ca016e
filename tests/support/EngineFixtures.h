#pragma once
// GoogleTest fixtures over the headless engine. EngineFixture gives a module test a private
// program folder and a manual process clock (the test builds its own modules); SeniorFixture
// gives it the whole headless engine without input and music, and an actor that starts actions.
#include "platform/Clock.h"
#include "tests/support/DummyAudio.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/ProgramFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>

namespace testsupport {

// "<pid>_<suite>_<test>": a name of the running test that no other running test has, one path
// part (a parameterised test's names hold '/').
inline std::string TestTag()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string tag = std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" + info->name();
    std::replace(tag.begin(), tag.end(), '/', '_');
    return tag;
}

class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        programFolder_.emplace(TestTag());
        folder_ = programFolder_->Path();
    }
    void TearDown() override { programFolder_.reset(); }

    // Everything the engine wrote to the daily logs of this test, in file order.
    std::string DailyLogText() const { return programFolder_->DailyLogText(); }

    std::optional<ProgramFolder> programFolder_;
    std::filesystem::path folder_;
    platform::ManualClock clock_{0};
    // Installed for the fixture's whole life, whatever way the test ends.
    platform::ScopedClock clockInstalled_{clock_};
};

class SeniorFixture : public ::testing::Test {
protected:
    static constexpr uint32_t kTickMs = HeadlessEngine::kTickMs;

    void SetUp() override
    {
        engine_ = std::make_unique<HeadlessEngine>(TestTag(), EngineParts{false, false, false});
        core_ = &engine_->Core();
        resources_ = &engine_->Resources();
        objects_ = &engine_->Objects();
        paint_ = &engine_->Paint();
        folder_ = engine_->Folder();
        actor_ = engine_->Register(new Actor);
    }
    void TearDown() override { engine_.reset(); }

    template <typename T = Recorder>
    T* Add()
    {
        return engine_->Add<T>();
    }
    // One frame tick after `ms` milliseconds; every tick of kTickMs runs the object module.
    void Tick(uint32_t ms = kTickMs) { engine_->Tick(ms); }
    void Run(uint32_t ms) { engine_->Run(ms); }
    uint32_t Now() const { return engine_->Now(); }
    static Lumora::EventRecord Event(const Lumora::PObject* target, uint32_t code)
    {
        return Lumora::EventRecord{target->GetId(), code, 0, 0};
    }

    std::unique_ptr<HeadlessEngine> engine_;
    Lumora::GameCore* core_ = nullptr;
    Lumora::ResourceModule* resources_ = nullptr;
    Lumora::ObjectModule* objects_ = nullptr;
    Lumora::PaintModuleGDI* paint_ = nullptr;
    std::filesystem::path folder_;
    Actor* actor_ = nullptr;
};

} // namespace testsupport
