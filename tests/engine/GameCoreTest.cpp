#include "engine/GameCore.h"

#include "tests/support/EngineFixtures.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace Lumora;

namespace {

// A module that records what happens to it in a journal shared by the test.
class ProbeModule : public BaseModule {
public:
    ProbeModule(uint32_t id, std::vector<std::string>& journal, const char* name = "Probe")
        : id_(id), name_(name), journal_(journal)
    {
    }
    ~ProbeModule() override { journal_.push_back(Tag("deleted")); }

    int Init() override { return initResult; }
    void Shutdown() override { journal_.push_back(Tag("shutdown")); }
    void Work() override
    {
        journal_.push_back(Tag("work@" + std::to_string(GetLastUpdate())));
        if (onWork)
            onWork(*this);
    }
    uint32_t GetId() const override { return id_; }
    const char* GetName() const override { return name_; }
    int ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t) override
    {
        journal_.push_back(Tag("msg" + std::to_string(message) + ":" + std::to_string(wparam)));
        return processResult;
    }
    uint32_t GetQueueLimit() const override { return queueLimit; }

    std::string Tag(const std::string& what) const { return std::to_string(id_) + " " + what; }

    int initResult = 1;
    int processResult = LUMORA_MSG_OK;
    uint32_t queueLimit = kDefaultQueueLimit;
    std::function<void(ProbeModule&)> onWork;

private:
    uint32_t id_;
    const char* name_;
    std::vector<std::string>& journal_;
};

class GameCoreTest : public testsupport::EngineFixture {
protected:
    ProbeModule* Load(uint32_t id, int run = 1, int guard = 1, const char* name = "Probe")
    {
        auto* m = new ProbeModule(id, journal_, name);
        EXPECT_EQ(core_->LoadModule(m, run, guard), LUMORA_MSG_OK);
        return m;
    }
    void TickAt(uint64_t ms)
    {
        clock_.Set(ms);
        core_->FrameTick();
    }
    std::vector<std::string> Take()
    {
        std::vector<std::string> out;
        out.swap(journal_);
        return out;
    }
    void SetUp() override
    {
        EngineFixture::SetUp();
        core_ = std::make_unique<GameCore>();
    }
    void TearDown() override
    {
        core_.reset();
        EngineFixture::TearDown();
    }

    std::vector<std::string> journal_;
    std::unique_ptr<GameCore> core_;
};

using Journal = std::vector<std::string>;

TEST_F(GameCoreTest, ModuleWorksOnEverySecondTickOnceItsIntervalHasPassed)
{
    Load(LUMORA_MODULE_OBJECT);
    for (uint64_t t : {0, 5, 10, 15, 20, 25, 29, 30})
        TickAt(t);
    EXPECT_EQ(Take(), (Journal{"1002 work@10", "1002 work@20", "1002 work@30"}));
}

TEST_F(GameCoreTest, PostsAreDeliveredInOrderWithinAndAcrossTicks)
{
    ProbeModule* objects = Load(LUMORA_MODULE_OBJECT);
    ProbeModule* paint = Load(LUMORA_MODULE_PAINT);
    objects->SetInterval(0);
    paint->SetInterval(0);
    // During the object module's work: a post to the later paint module arrives this tick,
    // a post to itself on the next.
    objects->onWork = [](ProbeModule& m) {
        if (m.GetLastUpdate() == 1) {
            m.PostMessage(LUMORA_MODULE_PAINT, 1033, 7, 0);
            m.PostMessage(LUMORA_MODULE_OBJECT, 1020, 8, 0);
        }
    };
    core_->PostMessage(LUMORA_MODULE_OBJECT, 1015, 1, 0);
    core_->PostMessage(LUMORA_MODULE_PAINT, 1034, 2, 0);
    core_->PostMessage(LUMORA_MODULE_OBJECT, 1016, 3, 0);
    TickAt(1);
    EXPECT_EQ(Take(), (Journal{"1002 msg1015:1", "1002 msg1016:3", "1002 work@1", "1003 msg1034:2",
                               "1003 msg1033:7", "1003 work@1"}));
    TickAt(2);
    EXPECT_EQ(Take(), (Journal{"1002 msg1020:8", "1002 work@2", "1003 work@2"}));
}

TEST_F(GameCoreTest, RingGrowsWhenTheSixteenthEntryArrivesAndKeepsOrder)
{
    ProbeModule* music = Load(LUMORA_MODULE_MUSIC);
    music->SetInterval(100);
    for (uintptr_t i = 0; i < 15; ++i)
        core_->PostMessage(LUMORA_MODULE_MUSIC, 1, i, 0);
    core_->DeliverMessages(music);
    EXPECT_EQ(music->Ring().Capacity(), 16u);
    for (uintptr_t i = 15; i < 20; ++i)
        core_->PostMessage(LUMORA_MODULE_MUSIC, 1, i, 0);
    core_->DeliverMessages(music);
    EXPECT_EQ(music->Ring().Capacity(), 32u);
    EXPECT_EQ(music->Ring().Pending(), 20u);
    // The music module never drains by itself; the base update hands it its posts.
    TickAt(101);
    Journal expected;
    for (int i = 0; i < 20; ++i)
        expected.push_back("1004 msg1:" + std::to_string(i));
    expected.push_back("1004 work@101");
    EXPECT_EQ(Take(), expected);
    EXPECT_EQ(music->Ring().Head(), 0u);
    EXPECT_EQ(music->Ring().Tail(), 0u);
}

int g_released = 0;
void CountRelease(const ModuleMessage& m)
{
    g_released += static_cast<int>(m.wparam);
}

TEST_F(GameCoreTest, OverflowReleasesPayloadsResetsTheRingAndLogs)
{
    ProbeModule* music = Load(LUMORA_MODULE_MUSIC, 0, 1, "MusicModule");  // paused: never drains
    music->queueLimit = 4;
    g_released = 0;
    for (int i = 0; i < 5; ++i)
        core_->PostMessage(LUMORA_MODULE_MUSIC, 1, 1, 0, CountRelease);
    TickAt(1);
    EXPECT_EQ(music->Ring().Pending(), 5u);
    EXPECT_EQ(g_released, 0);
    core_->PostMessage(LUMORA_MODULE_MUSIC, 2, 100, 0, CountRelease);
    TickAt(2);
    EXPECT_EQ(g_released, 5);  // the five old ones, not the new one
    EXPECT_EQ(music->Ring().Pending(), 1u);
    EXPECT_EQ(music->Ring().Head(), 0u);
    EXPECT_NE(DailyLogText().find("<MusicModule> overflowed, 5 messages dropped"), std::string::npos);
    core_.reset();  // the one still pending is released with its module
    EXPECT_EQ(g_released, 105);
}

TEST_F(GameCoreTest, MessagesForAbsentModulesAreDiscardedAtTheEndOfTheTick)
{
    Load(LUMORA_MODULE_OBJECT);
    g_released = 0;
    core_->PostMessage(LUMORA_MODULE_ERROR_SINK, LUMORA_MSG_MODULE_FAULT, 3, 0, CountRelease);
    core_->PostMessage(LUMORA_MODULE_MUSIC, 1, 4, 0, CountRelease);
    core_->PostMessage(LUMORA_MODULE_OBJECT, 1, 0, 0, CountRelease);
    TickAt(1);
    EXPECT_EQ(core_->PendingCoreMessages(), 0u);
    EXPECT_EQ(g_released, 7);
    EXPECT_NE(DailyLogText().find("message 1002 for module 1010 discarded"), std::string::npos);
}

TEST_F(GameCoreTest, LoadFailuresDeleteTheNewcomerAndLog)
{
    ProbeModule* first = Load(LUMORA_MODULE_OBJECT);
    EXPECT_EQ(core_->LoadModule(new ProbeModule(LUMORA_MODULE_OBJECT, journal_), 1, 1), LUMORA_RETURN_MODULE_CRASH);
    EXPECT_EQ(Take(), (Journal{"1002 deleted"}));
    EXPECT_EQ(core_->GetModule(LUMORA_MODULE_OBJECT), first);

    auto* failing = new ProbeModule(LUMORA_MODULE_PAINT, journal_, "PaintModule");
    failing->initResult = 0;
    EXPECT_EQ(core_->LoadModule(failing, 1, 1), LUMORA_RETURN_MODULE_INITIAL_FAILD);
    EXPECT_EQ(Take(), (Journal{"1003 deleted"}));
    EXPECT_EQ(core_->GetModule(LUMORA_MODULE_PAINT), nullptr);
    const std::string log = DailyLogText();
    const size_t crash = log.find("      GameCore::LoadModule---->LUMORA_RETURN_MODULE_CRASH\r\n");
    const size_t init = log.find("      GameCore::LoadModule---->LUMORA_RETURN_MODULE_INITIAL_FAILD\r\n");
    const size_t name = log.find("      ErrorModulePaintModule\r\n");
    EXPECT_NE(crash, std::string::npos);
    EXPECT_LT(crash, init);
    EXPECT_LT(init, name);
    EXPECT_NE(name, std::string::npos);
}

TEST_F(GameCoreTest, ReferenceCountsDecideWhenAModuleGoes)
{
    ProbeModule* objects = Load(LUMORA_MODULE_OBJECT);
    EXPECT_EQ(core_->LoadModule(objects, 1, 1), LUMORA_MSG_OK);  // same instance: one more reference
    EXPECT_EQ(objects->GetRefCount(), 2u);
    EXPECT_EQ(core_->UnloadModule(LUMORA_MODULE_OBJECT), LUMORA_MSG_OK);
    EXPECT_EQ(core_->GetModule(LUMORA_MODULE_OBJECT), objects);  // still linked and updated
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(core_->UnloadModule(LUMORA_MODULE_OBJECT), LUMORA_MSG_OK);
    EXPECT_EQ(Take(), (Journal{"1002 shutdown", "1002 deleted"}));
    EXPECT_EQ(core_->UnloadModule(LUMORA_MODULE_OBJECT), LUMORA_RETURN_MODULE_NOT_FOUND);
}

TEST_F(GameCoreTest, UnloadDuringTheTickWaitsForTheTickToEnd)
{
    ProbeModule* objects = Load(LUMORA_MODULE_OBJECT);
    Load(LUMORA_MODULE_PAINT);
    Load(LUMORA_MODULE_INPUT);
    objects->onWork = [](ProbeModule& m) {
        static uint32_t paint = LUMORA_MODULE_PAINT;
        EXPECT_EQ(m.SendMessage(LUMORA_MODULE_CORE, LUMORA_MSG_UNLOAD_MODULE, reinterpret_cast<uintptr_t>(&paint), 0), 1);
    };
    TickAt(11);
    EXPECT_EQ(Take(), (Journal{"1002 work@11", "1003 work@11", "1005 work@11", "1003 shutdown", "1003 deleted"}));
    EXPECT_EQ(core_->ModuleCount(), 2u);
}

TEST_F(GameCoreTest, PauseResumeAndLoadThroughCoreMessages)
{
    Load(LUMORA_MODULE_MUSIC);
    uint32_t music = LUMORA_MODULE_MUSIC;
    EXPECT_EQ(core_->SendMessage(LUMORA_MODULE_CORE, LUMORA_MSG_PAUSE_MODULE, reinterpret_cast<uintptr_t>(&music), 0), 1);
    EXPECT_EQ(core_->SendMessage(LUMORA_MODULE_ERROR_SINK, 1, 0, 0), 0);
    auto* input = new ProbeModule(LUMORA_MODULE_INPUT, journal_);
    core_->PostMessage(LUMORA_MODULE_CORE, LUMORA_MSG_LOAD_MODULE, reinterpret_cast<uintptr_t>(input), 0);
    TickAt(11);
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(core_->GetModule(LUMORA_MODULE_INPUT), input);
    EXPECT_EQ(input->GetFlags() & (MODULE_FLAG_RUNNING | MODULE_FLAG_GUARDED), MODULE_FLAG_GUARDED);
    uint32_t inputId = LUMORA_MODULE_INPUT;
    core_->SendMessage(LUMORA_MODULE_CORE, LUMORA_MSG_RESUME_MODULE, reinterpret_cast<uintptr_t>(&inputId), 0);
    core_->SendMessage(LUMORA_MODULE_CORE, LUMORA_MSG_RESUME_MODULE, reinterpret_cast<uintptr_t>(&music), 0);
    TickAt(22);
    EXPECT_EQ(Take(), (Journal{"1004 work@22", "1005 work@22"}));
}

TEST_F(GameCoreTest, GuardedModuleThatThrowsIsStoppedAndReportedAfterTheTick)
{
    ProbeModule* paint = Load(LUMORA_MODULE_PAINT, 1, 1, "PaintModule");
    Load(LUMORA_MODULE_INPUT);
    std::vector<std::string> shown;
    bool tickWasOver = false;
    core_->SetFaultHandler([&](const std::string& text) {
        shown.push_back(text);
        tickWasOver = !core_->IsLocked();
    });
    paint->onWork = [](ProbeModule&) { throw std::runtime_error("boom"); };
    TickAt(11);
    EXPECT_EQ(Take(), (Journal{"1003 work@11", "1005 work@11"}));
    EXPECT_FALSE(paint->IsRunning());
    const std::string text = "\xC4\xA3\xBF\xE9:<PaintModule>\xD2\xF2\xB9\xCA\xD5\xCF\xB9\xD8\xB1\xD5!";  // GBK
    EXPECT_EQ(shown, std::vector<std::string>{text});
    EXPECT_TRUE(tickWasOver);
    EXPECT_EQ(core_->FaultReports(), std::vector<std::string>{text});
    EXPECT_NE(DailyLogText().find("      " + text + "\r\n"), std::string::npos);
    TickAt(22);
    EXPECT_EQ(Take(), (Journal{"1005 work@22"}));
}

TEST_F(GameCoreTest, UnguardedExceptionLeavesTheTickWithTheLockReleased)
{
    ProbeModule* objects = Load(LUMORA_MODULE_OBJECT, 1, 0);
    objects->onWork = [](ProbeModule&) { throw std::runtime_error("boom"); };
    clock_.Set(11);
    EXPECT_THROW(core_->FrameTick(), std::runtime_error);
    EXPECT_FALSE(core_->IsLocked());
    objects->onWork = nullptr;
    Take();
    TickAt(22);  // the next tick runs normally
    EXPECT_EQ(Take(), (Journal{"1002 work@22"}));
}

TEST_F(GameCoreTest, NestedTickFromInsideAModuleReturnsAtOnce)
{
    ProbeModule* objects = Load(LUMORA_MODULE_OBJECT);
    Load(LUMORA_MODULE_PAINT);
    GameCore* core = core_.get();
    objects->onWork = [core](ProbeModule&) { core->FrameTick(); };  // as a modal loop would
    TickAt(11);
    EXPECT_EQ(Take(), (Journal{"1002 work@11", "1003 work@11"}));
}

TEST_F(GameCoreTest, SettingsRunLogAndClock)
{
    clock_.Set(1000);
    GameCore core;
    EXPECT_EQ(core.GetSetting(5), -1);
    core.Init(42);
    EXPECT_EQ(core.GetHwnd(), 42u);
    EXPECT_EQ(core.GetSetting(5), 14);
    EXPECT_EQ(core.GetSetting(12), -1);
    EXPECT_EQ(core.GetSetting(17), 19840388);
    EXPECT_STREQ(core.GetSettingString(31), "ScrollBar_HorzRightBtn");
    EXPECT_EQ(core.GetSettingString(32), nullptr);
    core.SetSettingString(32, "x");
    EXPECT_STREQ(core.GetSettingString(32), "x");
    clock_.Advance(1234);
    EXPECT_EQ(core.GetTime(), 1234u);

    const std::string log = testsupport::ReadFile(folder_ / "GameRun.log");
    EXPECT_NE(log.find("     GameCore Start\r\n"), std::string::npos);
    EXPECT_NE(log.find("     LumoraVesion:1.000000\r\n"), std::string::npos);
    EXPECT_NE(log.find("     LumoraLastBulid:<"), std::string::npos);
    GameCore again;
    again.Init(0);  // the run log starts afresh
    EXPECT_EQ(testsupport::ReadFile(folder_ / "GameRun.log").size(), log.size());
}

TEST_F(GameCoreTest, AModuleBearingTheSinkIdHearsFaultsAndOverflowsInsteadOfTheLog)
{
    ProbeModule* sink = Load(LUMORA_MODULE_ERROR_SINK);
    sink->SetInterval(1000);
    ProbeModule* paint = Load(LUMORA_MODULE_PAINT, 1, 1, "PaintModule");
    paint->queueLimit = 1;
    paint->onWork = [](ProbeModule&) { throw 7; };  // not even a std::exception
    core_->PostMessage(LUMORA_MODULE_PAINT, 1, 0, 0);
    core_->PostMessage(LUMORA_MODULE_PAINT, 1, 0, 0);
    TickAt(11);  // paint takes both, works, throws and is stopped; the sink is told
    Journal j = Take();
    ASSERT_EQ(j.size(), 4u);
    EXPECT_EQ(j[1], "1003 msg1:0");
    EXPECT_EQ(j[2], "1003 work@11");
    EXPECT_EQ(j[3].rfind("1010 msg1002:", 0), 0u);
    EXPECT_TRUE(core_->FaultReports().empty());
    EXPECT_FALSE(paint->IsRunning());
    // Stopped, it no longer drains: above its limit of 1 the ring is dropped and the sink told.
    core_->PostMessage(LUMORA_MODULE_PAINT, 1, 0, 0);
    core_->PostMessage(LUMORA_MODULE_PAINT, 1, 0, 0);
    core_->DeliverMessages(paint);
    core_->PostMessage(LUMORA_MODULE_PAINT, 1, 0, 0);
    core_->DeliverMessages(paint);
    EXPECT_EQ(Take(), (Journal{"1010 msg1005:1003"}));
    EXPECT_EQ(paint->Ring().Pending(), 1u);
}

} // namespace
