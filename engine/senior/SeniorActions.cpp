// The starting operations of the timed actions, their groups, cancelling and releasing
// objects. Each starting operation fills a record of the object module and posts it; the
// action joins the running list when the core delivers the post.
#include "engine/senior/CClassSenior.h"

#include "engine/GameCore.h"
#include "engine/action/ActionSteps.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PictureObject.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Lumora {

uint32_t CClassSenior::AtLeastLeast(uint32_t interval) const
{
    return std::max(interval, GetActionInterval());
}

ActionRecord* CClassSenior::MakeAction(PObject* target, ActionStep step, uint32_t interval, const EventRecord* event)
{
    ObjectModule* objects = GetObjectModule();
    if (!objects || !IsRegistered())
        return nullptr;
    ActionRecord* action = objects->NewAction();
    if (!action)
        return nullptr;
    action->target = target;
    // Taken now, while the target surely lives: the record may wait in the queue.
    action->targetId = target ? target->GetId() : 0;
    action->step = step;
    action->period = interval;
    if (event)
        action->completion = *event;
    return action;
}

uint64_t CClassSenior::PostAction(ActionRecord* action)
{
    const uint64_t id = action->id;
    PostToObjects(OBJ_MSG_ADD_ACTION, reinterpret_cast<uintptr_t>(action));
    return id;
}

void CClassSenior::PostToObjects(uint32_t message, uintptr_t wparam)
{
    if (GameCore* core = GetCore())
        core->PostMessage(LUMORA_MODULE_OBJECT, message, wparam, 0);
}

uint64_t CClassSenior::ActBlink(PObject* target, double step, int32_t count, uint32_t interval, double upper,
                                double lower, const EventRecord* event)
{
    if (!target)
        return 0;
    ActionRecord* a = MakeAction(target, BlinkStep, AtLeastLeast(interval), event);
    if (!a)
        return 0;
    EmplaceParams<BlinkParams>(*a) = {step, upper, lower, count};
    return PostAction(a);
}

uint64_t CClassSenior::ActRotateTo(PObject* target, double step, double angle, uint32_t interval,
                                   const EventRecord* event)
{
    if (!target)
        return 0;
    ActionRecord* a = MakeAction(target, RotateStep, AtLeastLeast(interval), event);
    if (!a)
        return 0;
    EmplaceParams<RotateParams>(*a) = {step, angle};
    return PostAction(a);
}

uint64_t CClassSenior::ActFadeTo(PObject* target, double step, double alpha, uint32_t interval,
                                 const EventRecord* event)
{
    if (!target || step == 0)
        return 0;
    const double now = target->GetAlpha();
    if ((step < 0 && alpha > now) || (step > 0 && alpha < now))
        return 0;
    ActionRecord* a = MakeAction(target, FadeStep, AtLeastLeast(interval), event);
    if (!a)
        return 0;
    EmplaceParams<FadeParams>(*a) = {step, alpha};
    return PostAction(a);
}

uint64_t CClassSenior::ActShow(PObject* target, bool show, const EventRecord* event)
{
    if (!target)
        return 0;
    ActionRecord* a = MakeAction(target, ShowStep, GetActionInterval(), event);
    if (!a)
        return 0;
    EmplaceParams<ShowParams>(*a).show = show ? 1 : 0;
    return PostAction(a);
}

uint64_t CClassSenior::ActMoveTo(PObject* target, int32_t x, int32_t y, double speed, double acceleration,
                                 double topSpeed, const EventRecord* event)
{
    if (!target)
        return 0;
    ActionRecord* a = MakeAction(target, MoveStep, GetActionInterval(), event);
    if (!a)
        return 0;
    const double top = topSpeed == 0.0 ? 99999999.0 : std::fabs(topSpeed);
    EmplaceParams<MoveParams>(*a) = {std::fabs(speed), std::fabs(acceleration), top, double(x), double(y)};
    return PostAction(a);
}

uint64_t CClassSenior::ActWait(uint32_t durationMs, const EventRecord* event)
{
    ActionRecord* a = MakeAction(nullptr, WaitStep, durationMs, event);
    if (!a)
        return 0;
    EmplaceParams<WaitParams>(*a).duration = durationMs;
    return PostAction(a);
}

uint64_t CClassSenior::ActWaitClock(uint32_t durationMs, const EventRecord* event)
{
    ActionRecord* a = MakeAction(nullptr, WaitClockStep, 0, event);
    if (!a)
        return 0;
    EmplaceParams<WaitClockParams>(*a) = {GetClock(), durationMs};
    return PostAction(a);
}

uint64_t CClassSenior::ActRepeatEvent(uint32_t periodMs, int32_t count, const EventRecord* event)
{
    if (!event || periodMs == 0)
        return 0;
    PObject* target = FindById(event->target);
    if (!target)
        return 0;
    // The action aims at the event's object, so that releasing that object cancels it.
    ActionRecord* a = MakeAction(target, RepeatEventStep, periodMs, nullptr);
    if (!a)
        return 0;
    EmplaceParams<RepeatParams>(*a) = {periodMs, count, 0, *event};
    return PostAction(a);
}

uint64_t CClassSenior::ActPlayFrames(PObject* target, int32_t mode, int32_t n, int32_t frame, uint32_t interval,
                                     const EventRecord* event)
{
    if (!target)
        return 0;
    const uint32_t period = (mode >= 0 && mode <= 2) ? GetActionInterval() : interval;
    ActionRecord* a = MakeAction(target, PlayFramesStep, period, event);
    if (!a)
        return 0;
    uint32_t limit = uint32_t(n);
    const CPglPic* picture = target->GetDrawData();
    if (mode == 0) {
        limit = (n == -1 || !picture) ? 0 : picture->GetTotalDelay() * uint32_t(n);
    } else if (mode == 1) {
        limit = 0;
        if (picture && picture->GetFrameCount() > 0)
            for (int32_t i = 0; i < n; ++i)
                limit += picture->GetFrameDelay(int64_t(picture->GetFrame()) + i);
    }
    EmplaceParams<PlayFramesParams>(*a) = {frame, mode, n, limit};
    return PostAction(a);
}

uint64_t CClassSenior::ActPlaySound(const char* name, int32_t flags, const EventRecord* notice)
{
    if (!name || std::strlen(name) >= kSoundNameBytes)
        return 0;
    ActionRecord* a = MakeAction(nullptr, PlaySoundStep, 0, nullptr);
    if (!a)
        return 0;
    auto& p = EmplaceParams<PlaySoundParams>(*a);
    std::strcpy(p.name, name);
    p.flags = flags;
    if (notice)
        p.notice = *notice;
    return PostAction(a);
}

uint64_t CClassSenior::ActDelete(PObject* object, const EventRecord* event)
{
    if (!object)
        return 0;
    ActionRecord* a = MakeAction(object, DeleteStep, GetActionInterval(), event);
    if (!a)
        return 0;
    EmplaceParams<DeleteParams>(*a).objectId = object->GetId();
    return PostAction(a);
}

uint64_t CClassSenior::ActResize(PObject* target, int32_t width, int32_t height, int32_t finalWidth,
                                 int32_t finalHeight, int32_t widthStep, int32_t heightStep, const EventRecord* event)
{
    if (!target)
        return 0;
    ActionRecord* a = MakeAction(target, ResizeStep, GetActionInterval(), event);
    if (!a)
        return 0;
    EmplaceParams<ResizeParams>(*a) = {width, height, finalWidth, finalHeight, widthStep, heightStep};
    return PostAction(a);
}

uint64_t CClassSenior::ActFlip(BITObject* target, int32_t degreeStep, int32_t finalDegrees, const PictureInfo* otherFace,
                               uint32_t interval, const EventRecord* event)
{
    if (!target)
        return 0;
    ActionRecord* a = MakeAction(target, FlipStep, AtLeastLeast(interval), event);
    if (!a)
        return 0;
    auto& p = EmplaceParams<FlipParams>(*a);
    p.face = PackedPicture::From(otherFace ? *otherFace : PictureInfo{});
    p.degreeStep = degreeStep;
    p.finalDegrees = finalDegrees;
    p.degrees = 0;
    p.fullWidth = int32_t(target->GetWidth());
    p.swapped = 0;
    return PostAction(a);
}

uint64_t CClassSenior::ActCall(CallFunction function, const void* data, size_t size)
{
    // The caller's bytes are copied into the record: more than it holds is refused.
    if (size > kMaxCallData || (size && !data))
        return 0;
    ActionRecord* a = MakeAction(nullptr, CallStep, GetActionInterval(), nullptr);
    if (!a)
        return 0;
    auto& p = EmplaceParams<CallParams>(*a);
    p.function = function;
    if (size)
        std::memcpy(p.data, data, size);
    return PostAction(a);
}

uint64_t CClassSenior::ActCustom(PObject* target, ActionStep step, const void* parameters, size_t size,
                                 uint32_t interval, const EventRecord* event)
{
    if (!step || size > kActionParameterBytes || (size && !parameters))
        return 0;
    ActionRecord* a = MakeAction(target, step, interval, event);
    if (!a)
        return 0;
    if (size)
        std::memcpy(a->parameters, parameters, size);
    return PostAction(a);
}

uint64_t CClassSenior::PostNewGroup(uint32_t message)
{
    ObjectModule* objects = GetObjectModule();
    ActionGroup* group = objects && IsRegistered() ? objects->NewGroup() : nullptr;
    if (!group)
        return 0;
    const uint64_t id = group->id;
    PostToObjects(message, reinterpret_cast<uintptr_t>(group));
    return id;
}

uint64_t CClassSenior::BeginActionGroup() { return PostNewGroup(OBJ_MSG_BEGIN_GROUP); }
uint64_t CClassSenior::NextActionGroup() { return PostNewGroup(OBJ_MSG_NEXT_GROUP); }

void CClassSenior::EndActionGroup() { PostToObjects(OBJ_MSG_END_GROUP, 0); }

void CClassSenior::CancelGroup(uint64_t group)
{
    if (group)
        PostToObjects(OBJ_MSG_CANCEL_GROUP, uintptr_t(group));
}

void CClassSenior::CancelObjectActions(uint32_t objectId) { PostToObjects(OBJ_MSG_CANCEL_ACTIONS_OF, objectId); }

void CClassSenior::CancelAction(uint64_t actionId)
{
    static_assert(sizeof(uintptr_t) >= sizeof(uint64_t), "the whole action id travels in the message");
    if (actionId)
        PostToObjects(OBJ_MSG_CANCEL_ACTION, uintptr_t(actionId));
}

void CClassSenior::ReleaseObject(PObject* object, bool deferred)
{
    if (!object)
        return;
    if (deferred) {
        object->Deactivate();
        object->Redraw();
        ActDelete(object, nullptr);
        return;
    }
    if (ObjectModule* objects = GetObjectModule())
        objects->UnregisterObject(object->GetId());
}

} // namespace Lumora
