// Timed actions and groups of the object module: periods, completion events, cancellation,
// and a group's successor starting only when the whole group has ended.
#include "tests/support/EngineFixtures.h"
#include "tests/support/PatternGlyphSource.h"

#include "engine/GameCore.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PObject.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Lumora;

namespace {

class Target : public PObject {
public:
    int OnEvent(const EventRecord& r) override
    {
        log.push_back("event " + std::to_string(r.code));
        return 1;
    }
    int OnActionEnd(const EventRecord& r) override
    {
        log.push_back("end " + std::to_string(r.code));
        return 1;
    }
    std::vector<std::string> log;
};

// Parameters of the test action: how many steps it takes, and a counter of steps taken.
struct Steps {
    int needed;
    int* taken;
};

int CountingStep(PObject*, void* parameters, GameCore*, uint32_t)
{
    Steps s;
    std::memcpy(&s, parameters, sizeof s);
    return ++*s.taken >= s.needed;
}

class ActionGroupTest : public testsupport::EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        core_ = std::make_unique<GameCore>();
        objects_ = new ObjectModule(std::make_shared<testsupport::PatternGlyphSource>());
        ASSERT_EQ(core_->LoadModule(objects_, 1, 0), LUMORA_MSG_OK);
        target_ = new Target;
        objects_->RegisterObject(target_, nullptr);
    }
    void TearDown() override
    {
        core_.reset();
        EngineFixture::TearDown();
    }

    ActionRecord* Action(int steps, int* taken, uint32_t completion = 0, uint32_t period = 0)
    {
        ActionRecord* a = objects_->NewAction();
        Steps s{steps, taken};
        std::memcpy(a->parameters, &s, sizeof s);
        a->step = CountingStep;
        a->target = target_;
        a->period = period;
        a->completion = EventRecord{target_->GetId(), completion, 0, 0};
        return a;
    }
    void Run(int ticks)
    {
        for (int i = 0; i < ticks; ++i) {
            clock_.Advance(20);
            core_->FrameTick();
        }
    }

    std::unique_ptr<GameCore> core_;
    ObjectModule* objects_ = nullptr;
    Target* target_ = nullptr;
};

TEST_F(ActionGroupTest, StepsRunOnTheirPeriodAndReportTheirEnd)
{
    int taken = 0;
    objects_->AddAction(Action(3, &taken, 80000010, 35));
    EXPECT_EQ(objects_->CountPendingActions(), 1u);
    Run(1); // starts and steps at once
    EXPECT_EQ(taken, 1);
    Run(1); // 20 ms later: before its period
    EXPECT_EQ(taken, 1);
    Run(1);
    EXPECT_EQ(taken, 2);
    Run(4);
    EXPECT_EQ(taken, 3);
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
    EXPECT_EQ(target_->log, (std::vector<std::string>{"event 80000010", "end 80000010"}));
}

TEST_F(ActionGroupTest, CancelledActionsReportOnlyTheirEnd)
{
    int taken = 0;
    objects_->AddAction(Action(100, &taken, 80000011));
    objects_->AddAction(Action(100, &taken, 80000012));
    Run(1);
    objects_->CancelActionsOf(target_->GetId());
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
    Run(1);
    EXPECT_EQ(target_->log, (std::vector<std::string>{"end 80000011", "end 80000012"}));
    // Unregistering the target cancels what is aimed at it.
    objects_->AddAction(Action(100, &taken));
    objects_->UnregisterObject(target_->GetId());
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
    Run(1);
}

TEST_F(ActionGroupTest, NextGroupWaitsForTheWholeGroup)
{
    int a1 = 0, a2 = 0, b = 0;
    ActionGroup* first = objects_->NewGroup();
    const uint64_t firstId = first->id;
    objects_->BeginGroup(first);
    objects_->AddAction(Action(2, &a1));
    objects_->AddAction(Action(4, &a2));
    objects_->NextGroup(objects_->NewGroup());
    objects_->AddAction(Action(1, &b));
    objects_->EndGroup();
    EXPECT_EQ(objects_->CurrentGroup(), nullptr);
    Run(3);
    EXPECT_EQ(a1, 2);
    EXPECT_EQ(a2, 3);
    EXPECT_EQ(b, 0);
    Run(1);
    EXPECT_EQ(a2, 4);
    Run(1);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
    // The groups are gone; cancelling their ids does nothing.
    objects_->CancelGroup(firstId);
}

TEST_F(ActionGroupTest, AnEmptyGroupIsReplacedAndKeepsItsId)
{
    ActionGroup* first = objects_->NewGroup();
    const uint64_t id = first->id;
    objects_->BeginGroup(first);
    ActionGroup* second = objects_->NewGroup();
    objects_->NextGroup(second);
    EXPECT_EQ(objects_->CurrentGroup(), second);
    EXPECT_EQ(second->id, id);
    objects_->EndGroup();
    // Misuse only reports to the error sink.
    const size_t before = core_->PendingCoreMessages();
    objects_->EndGroup();
    objects_->NextGroup(objects_->NewGroup());
    EXPECT_EQ(core_->PendingCoreMessages(), before + 2);
    EXPECT_EQ(objects_->CurrentGroup(), nullptr);
}

TEST_F(ActionGroupTest, CancellingAGroupCancelsItsSuccessorsAndChildren)
{
    int a = 0, child = 0, b = 0;
    ActionGroup* group = objects_->NewGroup();
    objects_->BeginGroup(group);
    objects_->AddAction(Action(100, &a, 80000020));
    objects_->BeginGroup(objects_->NewGroup());
    objects_->AddAction(Action(100, &child));
    objects_->EndGroup();
    objects_->NextGroup(objects_->NewGroup());
    objects_->AddAction(Action(100, &b, 80000021));
    objects_->EndGroup();
    Run(2);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(child, 2);
    objects_->CancelGroup(group->id);
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
    Run(3);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(target_->log, (std::vector<std::string>{"end 80000020", "end 80000021"}));
}

TEST_F(ActionGroupTest, AGroupThatEndsWhileStillOpenWaitsForItsClose)
{
    int a = 0, later = 0, next = 0;
    objects_->BeginGroup(objects_->NewGroup());
    objects_->AddAction(Action(1, &a));
    Run(1); // everything in the open group has ended
    EXPECT_EQ(a, 1);
    objects_->AddAction(Action(2, &later));
    objects_->NextGroup(objects_->NewGroup());
    objects_->AddAction(Action(1, &next));
    objects_->EndGroup();
    Run(1);
    EXPECT_EQ(later, 1);
    EXPECT_EQ(next, 0);
    Run(2);
    EXPECT_EQ(later, 2);
    EXPECT_EQ(next, 1);
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
}

TEST_F(ActionGroupTest, MessagesCarryActionsAndGroups)
{
    int a = 0;
    ActionRecord* action = Action(100, &a);
    const uint64_t id = action->id;
    core_->PostMessage(LUMORA_MODULE_OBJECT, OBJ_MSG_ADD_ACTION, reinterpret_cast<uintptr_t>(action), 0);
    Run(2);
    EXPECT_GE(a, 1);
    core_->PostMessage(LUMORA_MODULE_OBJECT, OBJ_MSG_CANCEL_ACTION, static_cast<uintptr_t>(id), 0);
    Run(2);
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
    ObjectModule idle;
    EXPECT_EQ(idle.NewAction(), nullptr); // no pools before Init
}

} // namespace
