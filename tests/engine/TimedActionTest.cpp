// Timed actions under the manual clock: each kind's steps and end, completion events, cancel,
// refusals, and the faults of ids, group handles, null targets and deletion.
#include "tests/support/EngineFixtures.h"
#include "tests/support/SceneSupport.h"

#include "engine/action/ActionSteps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

using namespace Lumora;
using testsupport::Recorder;

namespace {

constexpr uint32_t kDone = 80000001;

class TimedActions : public testsupport::SeniorFixture {
protected:
    void SetUp() override
    {
        SeniorFixture::SetUp();
        target_ = Add();
        done_ = Event(target_, kDone);
    }
    // Runs until the target has heard the completion event, at most `limit` ms.
    uint32_t RunUntilDone(uint32_t limit = 10000)
    {
        for (uint32_t t = 0; t < limit; t += kTickMs) {
            Tick();
            for (const std::string& line : target_->log)
                if (line.rfind("end " + std::to_string(kDone), 0) == 0)
                    return Now();
        }
        return 0;
    }
    Recorder* target_ = nullptr;
    EventRecord done_;
};

TEST_F(TimedActions, WaitEndsOnItsFirstStepOrAfterItsDuration)
{
    ASSERT_NE(actor_->ActWait(0, &done_), 0u);
    Tick();
    const std::string at = " @" + std::to_string(Now());
    EXPECT_EQ(target_->log, (std::vector<std::string>{"event 80000001" + at, "end 80000001" + at}));

    target_->log.clear();
    actor_->ActWait(500, &done_);
    Tick();
    const uint32_t first = Now();
    const uint32_t end = RunUntilDone();
    EXPECT_GE(end - first, 500u);
    EXPECT_LT(end - first, 500u + kTickMs);
}

TEST_F(TimedActions, WaitOnClockCountsFromCreationAndNeedsStrictlyMore)
{
    actor_->ActWaitClock(100, &done_);
    const uint32_t created = Now();
    Tick(100); // exactly 100 ms later: not yet
    EXPECT_TRUE(target_->log.empty());
    Tick(11);
    EXPECT_EQ(target_->log.size(), 2u);
    EXPECT_EQ(Now() - created, 111u);
}

TEST_F(TimedActions, BlinkCountsRisesToTheUpperBound)
{
    actor_->least = 0;
    target_->SetAlpha(0.5);
    actor_->ActBlink(target_, 0.2, 0, 0, 1.0, 0.0, &done_);
    Tick();
    EXPECT_DOUBLE_EQ(target_->GetAlpha(), 0.7); // count 0: one step and the end
    EXPECT_EQ(target_->log.size(), 2u);

    target_->log.clear();
    target_->SetAlpha(0.5);
    actor_->ActBlink(target_, 0.3, 2, 0, 1.0, 0.0, &done_);
    std::vector<double> seen;
    for (int i = 0; i < 40 && target_->log.empty(); ++i) {
        Tick();
        seen.push_back(std::round(target_->GetAlpha() * 10) / 10);
    }
    // 0.8, top (1.0, count 1), 0.7, 0.4, 0.1, bottom 0.0, 0.3, 0.6, 0.9, top (count 0): ends.
    EXPECT_EQ(seen, (std::vector<double>{0.8, 1.0, 0.7, 0.4, 0.1, 0.0, 0.3, 0.6, 0.9, 1.0}));
}

TEST_F(TimedActions, BlinkWithANegativeCountRunsUntilCancelled)
{
    actor_->least = 0;
    const uint64_t id = actor_->ActBlink(target_, 0.5, -1, 0, 1.0, 0.0, &done_);
    Run(400);
    EXPECT_TRUE(target_->log.empty());
    actor_->CancelAction(id);
    Tick();
    ASSERT_EQ(target_->log.size(), 1u);
    EXPECT_EQ(target_->log[0].substr(0, 12), "end 80000001"); // cancelled: OnActionEnd only
}

TEST_F(TimedActions, IntervalsBelowTheLeastAreRaised)
{
    target_->SetAlpha(0.0);
    actor_->ActFadeTo(target_, 0.1, 1.0, 0, nullptr); // least interval 30 ms
    Tick();
    const double afterFirst = target_->GetAlpha();
    Tick(20); // 20 ms: too early for the next step
    EXPECT_DOUBLE_EQ(target_->GetAlpha(), afterFirst);
    Tick(20);
    EXPECT_GT(target_->GetAlpha(), afterFirst);
}

TEST_F(TimedActions, FadeRefusesAStepThatCannotArriveAndCorrectsItsOvershoot)
{
    target_->SetAlpha(0.5);
    EXPECT_EQ(actor_->ActFadeTo(target_, 0.0, 1.0, 0, nullptr), 0u);
    EXPECT_EQ(actor_->ActFadeTo(target_, -0.1, 1.0, 0, nullptr), 0u);
    EXPECT_EQ(actor_->ActFadeTo(target_, 0.1, 0.2, 0, nullptr), 0u);
    Run(200);
    EXPECT_DOUBLE_EQ(target_->GetAlpha(), 0.5);

    actor_->least = 0;
    actor_->ActFadeTo(target_, 0.3, 0.9, 0, &done_);
    std::vector<double> seen;
    while (target_->log.empty()) {
        Tick();
        seen.push_back(std::round(target_->GetAlpha() * 100) / 100);
    }
    EXPECT_EQ(seen, (std::vector<double>{0.8, 1.0, 0.9})); // clamped to 1.0, then put on 0.9
}

TEST_F(TimedActions, MoveAcceleratesUpToItsTopSpeedAndLandsExactly)
{
    actor_->least = 0;
    target_->MoveTo(0, 0);
    actor_->ActMoveTo(target_, 100, 0, 10, 5, 25, &done_);
    std::vector<double> xs;
    while (target_->log.empty() && xs.size() < 50) {
        Tick();
        xs.push_back(target_->GetX());
    }
    // The speed grows before each move: 15, 20, 25, 25, then the 15 that remain.
    EXPECT_EQ(xs, (std::vector<double>{15, 35, 60, 85, 100}));
    EXPECT_EQ(target_->GetY(), 0);

    // A top speed of 0 does not limit; a diagonal move keeps its direction.
    target_->log.clear();
    target_->MoveTo(0, 0);
    actor_->ActMoveTo(target_, 300, 400, 100, 100, 0, &done_);
    Tick();
    EXPECT_DOUBLE_EQ(target_->GetX(), 120.0); // 200 of the 500 ms
    EXPECT_DOUBLE_EQ(target_->GetY(), 160.0);
    Tick();
    EXPECT_EQ(target_->GetX(), 300);
    EXPECT_EQ(target_->GetY(), 400);
    EXPECT_EQ(target_->log.size(), 2u);
}

TEST_F(TimedActions, MoveOfAnObjectAlreadyThereEndsAtOnce)
{
    target_->MoveTo(7, 9);
    actor_->ActMoveTo(target_, 7, 9, 1, 0, 0, &done_);
    Tick();
    EXPECT_EQ(target_->log.size(), 2u);
}

TEST(NextPoint, StraightAndDiagonalSteps)
{
    EXPECT_EQ(NextPointTowards({0, 0}, {0, 10}, 4).y, 4);
    EXPECT_EQ(NextPointTowards({0, 0}, {0, -10}, 4).y, -4);
    EXPECT_EQ(NextPointTowards({0, 0}, {3, 0}, 4).x, 3);
    // The distance is cut to a whole number first: 1.9 counts as 1, reached by a speed of 1.
    const PointD near = NextPointTowards({0, 0}, {1.1, 1.5}, 1);
    EXPECT_EQ(near.x, 1.1);
    EXPECT_EQ(near.y, 1.5);
}

TEST_F(TimedActions, RotateStopsOnItsFinalAngle)
{
    actor_->least = 0;
    actor_->ActRotateTo(target_, 40, 90, 0, &done_);
    std::vector<double> angles;
    while (target_->log.empty() && angles.size() < 20) {
        Tick();
        angles.push_back(target_->GetAngle());
    }
    EXPECT_EQ(angles, (std::vector<double>{40, 90})); // 80 is within one step of 90: put on it
}

TEST_F(TimedActions, RepeatEventFiresOnItsPeriodAndCatchesUpAfterAStall)
{
    Recorder* listener = Add();
    const EventRecord tick = Event(listener, 80000002);
    ASSERT_NE(actor_->ActRepeatEvent(100, 3, &tick), 0u);
    Tick();
    const uint32_t start = Now();
    EXPECT_TRUE(listener->log.empty()); // nothing on the first step
    Run(100);
    ASSERT_EQ(listener->log.size(), 1u);
    EXPECT_EQ(listener->log[0], "event 80000002 @" + std::to_string(start + 100));
    Tick(350); // stalled: both missing events at once
    EXPECT_EQ(listener->log.size(), 3u);
    Run(1000);
    EXPECT_EQ(listener->log.size(), 3u); // exactly three

    // A count of 0 repeats until cancelled, catching up several periods in one pass.
    listener->log.clear();
    const uint64_t id = actor_->ActRepeatEvent(50, 0, &tick);
    Tick();
    Tick(210);
    EXPECT_EQ(listener->log.size(), 4u);
    actor_->CancelAction(id);
    Run(200);
    EXPECT_EQ(listener->log.size(), 4u);
}

// The wake time is kept between passes: each add, cancel and step must move it.
TEST_F(TimedActions, TheNextDueStepFollowsStepsAddsAndCancels)
{
    const auto add = [this](uint32_t period) {
        ActionRecord* a = objects_->NewAction();
        a->period = period;
        a->step = [](PObject*, void*, GameCore*, uint32_t) { return 0; }; // runs until cancelled
        objects_->AddAction(a);
        return a->id;
    };
    const auto nextPass = [this] { return objects_->GetLastUpdate() + objects_->GetInterval(); };
    const uint64_t slow = add(100);
    EXPECT_EQ(objects_->NextActionDue(), nextPass()); // unstarted
    Tick();
    const uint32_t start = Now();
    EXPECT_EQ(objects_->NextActionDue(), start + 100);
    Run(80); // passes with nothing due
    EXPECT_EQ(objects_->NextActionDue(), start + 100);
    Run(20);
    EXPECT_EQ(objects_->NextActionDue(), start + 200);

    const uint64_t fast = add(40);
    EXPECT_EQ(objects_->NextActionDue(), nextPass());
    Tick();
    EXPECT_EQ(objects_->NextActionDue(), Now() + 40);
    objects_->CancelAction(fast);
    EXPECT_EQ(objects_->NextActionDue(), nextPass());
    Tick();
    EXPECT_EQ(objects_->CountPendingActions(), 1u);
    objects_->CancelAction(slow);
    Tick();
    EXPECT_EQ(objects_->NextActionDue(), std::nullopt);
}

// Actions of mixed periods, some waiting for a group, one that cancels an action behind it and
// one ahead of it and adds another: each pass steps what is due in the order of addition, the
// added one in the same pass, and no step is lost or runs early.
TEST_F(TimedActions, APassStepsWhatIsDueInTheOrderOfAddition)
{
    // What the steps need, in static storage: a step is a plain function.
    static std::vector<std::pair<uint32_t, int>> log;
    static std::function<void(int tag)> stepped;
    static std::map<int, std::vector<uint32_t>> times;
    log.clear();
    times.clear();
    std::vector<uint64_t> ids;
    std::vector<uint32_t> periods;
    const auto add = [&](int tag, uint32_t period) {
        ActionRecord* a = objects_->NewAction();
        a->period = period;
        EmplaceParams<int>(*a) = tag;
        a->step = [](PObject*, void* p, GameCore*, uint32_t) {
            stepped(ParamsOf<int>(p));
            return int(ParamsOf<int>(p) == 12 && times[12].size() == 3); // ends its group
        };
        objects_->AddAction(a);
        ids.push_back(a->id);
        periods.push_back(period);
    };
    stepped = [&](int tag) {
        log.emplace_back(Now(), tag);
        times[tag].push_back(Now());
        if (tag == 10 && times[10].size() == 3) {
            objects_->CancelAction(ids[5]);
            objects_->CancelAction(ids[20]);
            add(int(ids.size()), 0);
        }
    };
    for (int tag = 0; tag < 24; ++tag) {
        if (tag == 12) {
            objects_->BeginGroup(objects_->NewGroup());
            add(tag, 0);
            objects_->NextGroup(objects_->NewGroup());
            continue;
        }
        add(tag, uint32_t(tag % 4) * kTickMs);
        if (tag == 15)
            objects_->EndGroup();
    }
    const uint32_t start = Now();
    Run(300);
    for (size_t i = 1; i < log.size(); ++i) {
        if (log[i].first == log[i - 1].first) {
            EXPECT_LT(log[i - 1].second, log[i].second) << "at " << log[i].first - start;
        }
    }
    const uint32_t cancel = times[10][2];
    EXPECT_EQ(times[24].front(), cancel); // added during the pass, stepped in it
    EXPECT_EQ(times[5].back(), cancel); // behind the canceller: stepped before it
    EXPECT_LT(times[20].back(), cancel); // ahead of it: stepped no more
    ASSERT_FALSE(times[13].empty());
    EXPECT_EQ(times[13].front(), times[12].back()); // its group started in the pass, ahead of it
    for (auto& [tag, at] : times)
        for (size_t k = 1; k < at.size() && tag != 5 && tag != 20; ++k)
            EXPECT_EQ(at[k] - at[k - 1], std::max(periods[size_t(tag)], kTickMs)) << "tag " << tag;
    stepped = nullptr;
}

TEST_F(TimedActions, RepeatEventIsRefusedWithoutARegisteredTargetOrPeriod)
{
    const EventRecord nobody{999, 80000002, 0, 0};
    EXPECT_EQ(actor_->ActRepeatEvent(100, 3, &nobody), 0u);
    EXPECT_EQ(actor_->ActRepeatEvent(100, 3, nullptr), 0u);
    const EventRecord tick = Event(target_, 80000002);
    EXPECT_EQ(actor_->ActRepeatEvent(0, 3, &tick), 0u);
    EXPECT_EQ(core_->PendingCoreMessages(), 0u);
}

// An object that releases itself on the first repeated event it hears.
class SelfReleasing : public Recorder {
public:
    int OnEvent(const EventRecord&) override
    {
        ++heard;
        if (owner)
            owner->ReleaseObject(this, false);
        return 1;
    }
    CClassSenior* owner = nullptr;
    static inline int heard = 0;
};

TEST_F(TimedActions, RepeatEventStopsWhenItsObjectGoesWhileCatchingUp)
{
    auto* victim = Add<SelfReleasing>();
    victim->owner = actor_;
    SelfReleasing::heard = 0;
    const EventRecord tick = Event(victim, 80000002);
    actor_->ActRepeatEvent(10, 5, &tick);
    Tick();
    Tick(100); // five events due at once; the first one releases the object
    EXPECT_EQ(SelfReleasing::heard, 1);
    Run(100);
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
}

TEST_F(TimedActions, OneStepKindsEndOnTheirFirstStep)
{
    static int calls;
    calls = 0;
    target_->Deactivate();
    actor_->ActShow(target_, true, &done_);
    const int data = 41;
    actor_->ActCall([](void* p) { calls += *static_cast<int*>(p) + 1; }, &data, sizeof data);
    const EventRecord notice = Event(target_, 80000003);
    EXPECT_NE(actor_->ActPlaySound("SndThrow", 1, &notice), 0u);
    Tick();
    EXPECT_TRUE(target_->IsActive());
    EXPECT_EQ(calls, 42);
    EXPECT_EQ(target_->log.size(), 2u);
    EXPECT_EQ(objects_->CountPendingActions(), 0u);

    Recorder* doomed = Add();
    const uint32_t doomedId = doomed->GetId();
    actor_->ActDelete(doomed, &done_);
    Tick();
    EXPECT_EQ(objects_->FindById(doomedId), nullptr);
    EXPECT_EQ(target_->log.size(), 4u);
}

TEST_F(TimedActions, SoundNamesAndCallDataMustFitTheirBlocks)
{
    EXPECT_EQ(actor_->ActPlaySound(std::string(31, 'a').c_str(), 0, nullptr) != 0, true);
    EXPECT_EQ(actor_->ActPlaySound(std::string(32, 'a').c_str(), 0, nullptr), 0u);
    EXPECT_EQ(actor_->ActPlaySound(nullptr, 0, nullptr), 0u);
    unsigned char big[kMaxCallData + 1] = {};
    EXPECT_EQ(actor_->ActCall([](void*) {}, big, sizeof big), 0u);
    static unsigned char copy[kMaxCallData];
    for (size_t i = 0; i < kMaxCallData; ++i)
        big[i] = static_cast<unsigned char>(i + 1);
    EXPECT_NE(actor_->ActCall([](void* p) { std::memcpy(copy, p, kMaxCallData); }, big, kMaxCallData), 0u);
    big[0] = 99; // the caller's bytes were copied when the action was made
    Tick();
    EXPECT_EQ(copy[0], 1);
    EXPECT_EQ(copy[kMaxCallData - 1], kMaxCallData);
}

TEST_F(TimedActions, NullTargetsAreRefused)
{
    EXPECT_EQ(actor_->ActBlink(nullptr, 0.1, 1, 0, 1, 0, nullptr), 0u);
    EXPECT_EQ(actor_->ActRotateTo(nullptr, 1, 2, 0, nullptr), 0u);
    EXPECT_EQ(actor_->ActFadeTo(nullptr, 0.1, 1, 0, nullptr), 0u);
    EXPECT_EQ(actor_->ActShow(nullptr, true, nullptr), 0u);
    EXPECT_EQ(actor_->ActMoveTo(nullptr, 1, 1, 1, 0, 0, nullptr), 0u);
    EXPECT_EQ(actor_->ActPlayFrames(nullptr, 0, 1, 0, 0, nullptr), 0u);
    EXPECT_EQ(actor_->ActDelete(nullptr, nullptr), 0u);
    EXPECT_EQ(actor_->ActResize(nullptr, 1, 1, 2, 2, 1, 1, nullptr), 0u);
    EXPECT_EQ(actor_->ActFlip(nullptr, 10, 180, nullptr, 0, nullptr), 0u);
    EXPECT_EQ(core_->PendingCoreMessages(), 0u);
    Run(100);
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
}

TEST_F(TimedActions, ActionsOfAnUnregisteredActorAreRefused)
{
    testsupport::Actor loose;
    EXPECT_EQ(loose.ActWait(10, nullptr), 0u);
    EXPECT_EQ(loose.BeginActionGroup(), 0u);
}

TEST_F(TimedActions, ResizeWalksBothSidesAndRestoresATamperedSize)
{
    actor_->least = 0;
    target_->SetSize(10, 10);
    actor_->ActResize(target_, 10, 10, 30, 14, 8, 3, &done_);
    Tick();
    EXPECT_EQ(target_->GetWidth(), 18);
    EXPECT_EQ(target_->GetHeight(), 13);
    target_->SetSize(99, 99); // changed behind the action's back: put back, not advanced
    Tick();
    EXPECT_EQ(target_->GetWidth(), 18);
    EXPECT_EQ(target_->GetHeight(), 13);
    Tick();
    Tick();
    EXPECT_EQ(target_->GetWidth(), 30); // 26, then 30 without passing it
    EXPECT_EQ(target_->GetHeight(), 14);
    EXPECT_EQ(target_->log.size(), 2u);
}

TEST_F(TimedActions, PlayFramesModes)
{
    auto image = testsupport::AnimatedImage(4, 100);
    auto* pic = Add<BITObject>();
    pic->LoadPicture(testsupport::InfoOf(*image), 1);
    Recorder* sink = target_;

    // Mode 3: jump to frame n and end.
    actor_->ActPlayFrames(pic, 3, 2, 0, 0, &done_);
    Tick();
    EXPECT_EQ(pic->GetFrame(), 2);
    EXPECT_EQ(sink->log.size(), 2u);

    // Mode 4: n single steps, one per interval.
    sink->log.clear();
    pic->SetFrame(0);
    actor_->ActPlayFrames(pic, 4, 3, 0, 50, &done_);
    Tick();
    EXPECT_EQ(pic->GetFrame(), 1);
    Run(120);
    EXPECT_EQ(pic->GetFrame(), 3);
    EXPECT_EQ(sink->log.size(), 2u);

    // Mode 0: one loop (400 ms) from frame 0, then rests on the frame before the start.
    sink->log.clear();
    pic->SetFrame(0);
    actor_->ActPlayFrames(pic, 0, 1, 0, 0, &done_);
    Tick();
    const uint32_t start = Now();
    Run(140);
    EXPECT_EQ(pic->GetFrame(), 1);
    const uint32_t end = RunUntilDone();
    EXPECT_GE(end - start, 400u);
    EXPECT_EQ(pic->GetFrame(), 3);

    // A picture-less target ends at once.
    sink->log.clear();
    actor_->ActPlayFrames(target_, 0, -1, 0, 0, &done_);
    Tick();
    EXPECT_EQ(sink->log.size(), 2u);
}

TEST_F(TimedActions, FlipTurnsTheCardAndSwapsItsFaceHalfWay)
{
    actor_->least = 0;
    auto back = testsupport::AnimatedImage(1, 0, 20, 30);
    auto front = testsupport::AnimatedImage(1, 0, 20, 30);
    auto* card = Add<BITObject>();
    card->LoadPicture(testsupport::InfoOf(*back), 1);
    PictureInfo face = testsupport::InfoOf(*front);
    actor_->ActFlip(card, 60, 180, &face, 0, &done_);
    std::vector<double> widths;
    std::vector<const ImageRecord*> shown;
    while (target_->log.empty() && widths.size() < 10) {
        Tick();
        widths.push_back(std::round(card->GetWidth() * 100) / 100);
        PictureInfo now;
        card->GetPictureInfo(now);
        shown.push_back(now.image);
    }
    EXPECT_EQ(widths, (std::vector<double>{20, 10, 10, 20}));
    EXPECT_EQ(shown, (std::vector<const ImageRecord*>{back.get(), back.get(), front.get(), front.get()}));
}

TEST_F(TimedActions, CancelDeliversOnlyTheEndNoticeAndStopsTheSteps)
{
    actor_->least = 0;
    target_->SetAlpha(0.0);
    const uint64_t id = actor_->ActFadeTo(target_, 0.01, 1.0, 0, &done_);
    Tick();
    const double before = target_->GetAlpha();
    actor_->CancelAction(id);
    Tick();
    Run(100);
    EXPECT_DOUBLE_EQ(target_->GetAlpha(), before);
    ASSERT_EQ(target_->log.size(), 1u);
    EXPECT_EQ(target_->log[0].substr(0, 12), "end 80000001");
    actor_->CancelAction(id); // no longer pending: nothing
    Run(40);
    EXPECT_EQ(target_->log.size(), 1u);
}

TEST_F(TimedActions, CancelObjectActionsCancelsEveryActionAimedAtIt)
{
    actor_->ActBlink(target_, 0.1, -1, 0, 1, 0, &done_);
    actor_->ActRotateTo(target_, 1, 1000, 0, &done_);
    Tick();
    actor_->CancelObjectActions(target_->GetId());
    Tick();
    EXPECT_EQ(target_->log.size(), 2u);
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
}

TEST_F(TimedActions, IdsAboveTwoToThe31AreCancelledWhole)
{
    // Ids as a long-running engine reaches them; a truncated id would name another action.
    auto postWithId = [&](uint64_t id) {
        ActionRecord* a = actor_->MakeAction(target_, WaitStep, 10, &done_);
        a->id = id;
        ParamsOf<WaitParams>(a->parameters).duration = 100000;
        return actor_->PostAction(a);
    };
    const uint64_t high = postWithId(0x80000005ull);
    const uint64_t wide = postWithId(0x100000007ull);
    const uint64_t low = postWithId(7);
    EXPECT_EQ(high, 0x80000005ull);
    Tick();
    actor_->CancelAction(high);
    actor_->CancelAction(wide);
    Tick();
    EXPECT_EQ(target_->log.size(), 2u);
    EXPECT_EQ(objects_->CountPendingActions(), 1u); // the action with id 7 runs on
    actor_->CancelAction(low);
    Tick();
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
}

TEST_F(TimedActions, ReleasingTwiceOrDeferredThenAtOnceTouchesNoOtherObject)
{
    Recorder* first = Add();
    const uint32_t firstId = first->GetId();
    actor_->ReleaseObject(first, true);
    EXPECT_FALSE(first->IsActive());
    actor_->ReleaseObject(first, true);
    Tick();
    EXPECT_EQ(objects_->FindById(firstId), nullptr);
    Tick();

    Recorder* second = Add();
    const uint32_t secondId = second->GetId();
    actor_->ReleaseObject(second, true);
    actor_->ReleaseObject(second, false); // gone now; the deferred delete finds nothing
    EXPECT_EQ(objects_->FindById(secondId), nullptr);
    Recorder* newcomer = Add(); // may well take the freed address
    Run(100);
    EXPECT_EQ(objects_->FindById(newcomer->GetId()), newcomer);
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
}

TEST_F(TimedActions, ActionsQueuedForAnObjectReleasedAtOnceNeverStep)
{
    Recorder* gone = Add();
    actor_->ActFadeTo(gone, -0.1, 0.0, 0, nullptr);
    actor_->CancelObjectActions(gone->GetId());
    actor_->ReleaseObject(gone, false);
    Run(100); // the fade joins the list after its object went; the cancel catches it first
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
}

TEST_F(TimedActions, ActionsQueuedForAnObjectReleasedWithoutCancelNeverStep)
{
    Recorder* gone = Add();
    const EventRecord goneDone = Event(gone, kDone);
    actor_->ActFadeTo(gone, -0.1, 0.0, 0, &goneDone);
    actor_->ActMoveTo(gone, 5, 5, 1, 0, 0, nullptr);
    actor_->ReleaseObject(gone, false); // the actions are still in the queue
    Run(100);
    EXPECT_EQ(objects_->CountPendingActions(), 0u);
}

TEST_F(TimedActions, CustomStepsCarryTheirOwnParameters)
{
    struct Particle {
        int* steps;
        int lifetime;
    };
    static auto step = [](PObject*, void* p, GameCore*, uint32_t) -> int {
        auto* particle = static_cast<Particle*>(p);
        return ++*particle->steps >= particle->lifetime;
    };
    int steps = 0;
    const Particle particle{&steps, 3};
    EXPECT_NE(actor_->ActCustom(nullptr, step, &particle, sizeof particle, 0, &done_), 0u);
    unsigned char tooMany[kActionParameterBytes + 1] = {};
    EXPECT_EQ(actor_->ActCustom(nullptr, step, tooMany, sizeof tooMany, 0, nullptr), 0u);
    EXPECT_EQ(actor_->ActCustom(nullptr, nullptr, nullptr, 0, 0, nullptr), 0u);
    Run(100);
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(target_->log.size(), 2u);
}

TEST_F(TimedActions, GroupsRunInSequence)
{
    actor_->least = 0;
    actor_->BeginActionGroup();
    actor_->ActWait(100, nullptr);
    actor_->ActWait(200, nullptr);
    actor_->NextActionGroup();
    const uint64_t last = actor_->ActWait(0, &done_);
    actor_->EndActionGroup();
    EXPECT_NE(last, 0u);
    Tick();
    const uint32_t start = Now();
    const uint32_t end = RunUntilDone();
    EXPECT_GE(end - start, 200u); // the second group waited for both of the first
    EXPECT_LT(end - start, 200u + 2 * kTickMs);
}

TEST_F(TimedActions, GroupHandlesCancelTheirGroupAndStaleOnesNothing)
{
    const uint64_t a = actor_->BeginActionGroup();
    actor_->ActWait(0, nullptr);
    actor_->EndActionGroup();
    Run(60); // group a has finished and gone
    EXPECT_NE(a, 0u);

    Recorder* other = Add();
    const EventRecord otherDone = Event(other, kDone);
    const uint64_t b = actor_->BeginActionGroup();
    actor_->ActWait(100000, &otherDone);
    actor_->EndActionGroup();
    Tick();
    actor_->CancelGroup(a); // stale: the running group b stays
    Run(60);
    EXPECT_TRUE(other->log.empty());
    EXPECT_EQ(objects_->CountPendingActions(), 1u);
    actor_->CancelGroup(b);
    Tick();
    ASSERT_EQ(other->log.size(), 1u);
    EXPECT_EQ(other->log[0].substr(0, 12), "end 80000001");
}

TEST_F(TimedActions, AnEmptyGroupIsReplacedByTheNextAndKeepsItsHandle)
{
    const uint64_t first = actor_->BeginActionGroup();
    actor_->NextActionGroup(); // nothing added yet: the new group takes the first one's place
    actor_->ActWait(100000, &done_);
    actor_->EndActionGroup();
    Tick();
    EXPECT_EQ(objects_->CountPendingActions(), 1u);
    Tick(); // the wait runs at once: no predecessor to wait for
    actor_->CancelGroup(first);
    Tick();
    ASSERT_EQ(target_->log.size(), 1u);
    EXPECT_EQ(target_->log[0].substr(0, 12), "end 80000001");
}

// The handle NextActionGroup returns names the group it made, even when that group took the
// place of an empty one; after the group ends, neither handle touches a later group.
TEST_F(TimedActions, TheNextGroupsOwnHandleCancelsItAfterAReplacement)
{
    actor_->BeginActionGroup();
    actor_->NextActionGroup();
    const uint64_t next = actor_->NextActionGroup(); // replaces twice
    actor_->ActWait(100000, &done_);
    actor_->EndActionGroup();
    Run(40);
    actor_->CancelGroup(next);
    Tick();
    ASSERT_EQ(target_->log.size(), 1u);
    EXPECT_EQ(target_->log[0].substr(0, 12), "end 80000001");

    Recorder* other = Add();
    const EventRecord otherDone = Event(other, kDone);
    actor_->BeginActionGroup();
    actor_->ActWait(100000, &otherDone);
    actor_->EndActionGroup();
    Tick();
    actor_->CancelGroup(next); // the group it named is gone
    Run(40);
    EXPECT_TRUE(other->log.empty());
    EXPECT_EQ(objects_->CountPendingActions(), 1u);
}

TEST_F(TimedActions, CancellingAGroupCancelsItsSuccessors)
{
    const uint64_t first = actor_->BeginActionGroup();
    actor_->ActWait(100000, &done_);
    actor_->NextActionGroup();
    actor_->ActWait(0, &done_);
    actor_->EndActionGroup();
    Tick();
    actor_->CancelGroup(first);
    Run(60);
    // Both end by cancellation: the waiting second group never ran its step.
    ASSERT_EQ(target_->log.size(), 2u);
    EXPECT_EQ(target_->log[0].substr(0, 3), "end");
    EXPECT_EQ(target_->log[1].substr(0, 3), "end");
}

} // namespace
