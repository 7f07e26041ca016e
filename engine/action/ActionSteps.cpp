// Steps of the timed actions. Each reads and updates its own parameter block; objects other
// than the target are looked up by id at the moment they are needed, never kept.
#include "engine/action/ActionSteps.h"

#include "engine/GameCore.h"
#include "engine/action/ActionParams.h"
#include "engine/action/SoundPlayer.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PictureObject.h"
#include "engine/object/PObject.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Lumora {
namespace {

ObjectModule* ObjectsOf(GameCore* core)
{
    return core ? dynamic_cast<ObjectModule*>(core->GetModule(LUMORA_MODULE_OBJECT)) : nullptr;
}

// One tracked value moved towards its final value by |step| without passing it.
int32_t Approach(int32_t value, int32_t final, int32_t step)
{
    const int64_t s = std::llabs(int64_t(step));
    if (value < final)
        return int32_t(std::min<int64_t>(int64_t(value) + s, final));
    if (value > final)
        return int32_t(std::max<int64_t>(int64_t(value) - s, final));
    return value;
}

// Moves one coordinate towards its target by s, or onto it when s covers the rest.
double AxisTowards(double from, double to, double s)
{
    const double rest = std::fabs(to - from);
    if (s >= rest)
        return to;
    return to > from ? from + s : from - s;
}

} // namespace

PointD NextPointTowards(PointD from, PointD to, double speed)
{
    if (from.x == to.x && from.y == to.y)
        return from;
    if (from.x == to.x)
        return {from.x, AxisTowards(from.y, to.y, speed)};
    if (from.y == to.y)
        return {AxisTowards(from.x, to.x, speed), from.y};
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double d = std::trunc(std::sqrt(dx * dx + dy * dy));
    if (d <= speed)
        return to;
    return {from.x + dx * speed / d, from.y + dy * speed / d};
}

int BlinkStep(PObject* target, void* parameters, GameCore*, uint32_t)
{
    auto& p = ParamsOf<BlinkParams>(parameters);
    double v = target->GetAlpha() + p.step;
    if (v <= p.lower) {
        v = p.lower;
        if (p.step < 0)
            p.step = -p.step;
    } else if (v > p.upper) {
        v = p.upper;
        if (p.step > 0) {
            // A count of 0 stays 0 (it ends now) and a negative one never reaches 0.
            if (p.count > 0)
                --p.count;
            p.step = -p.step;
        }
    }
    target->SetAlpha(v);
    target->Redraw();
    return p.count == 0;
}

int RotateStep(PObject* target, void* parameters, GameCore*, uint32_t)
{
    auto& p = ParamsOf<RotateParams>(parameters);
    target->RotateBy(p.step);
    target->Redraw();
    if (std::fabs(target->GetAngle() - p.finalAngle) < std::fabs(p.step)) {
        target->SetAngle(p.finalAngle);
        target->Redraw();
        return 1;
    }
    return 0;
}

int FadeStep(PObject* target, void* parameters, GameCore*, uint32_t)
{
    auto& p = ParamsOf<FadeParams>(parameters);
    const double alpha = target->GetAlpha();
    if ((p.step < 0 && alpha <= p.finalAlpha) || (p.step > 0 && alpha >= p.finalAlpha)) {
        target->SetAlpha(p.finalAlpha);
        target->Redraw();
        return 1;
    }
    target->SetAlpha(std::clamp(alpha + p.step, 0.0, 1.0));
    target->Redraw();
    return 0;
}

int ShowStep(PObject* target, void* parameters, GameCore*, uint32_t)
{
    if (ParamsOf<ShowParams>(parameters).show)
        target->Activate();
    else
        target->Deactivate();
    target->Redraw();
    return 1;
}

int MoveStep(PObject* target, void* parameters, GameCore*, uint32_t)
{
    auto& p = ParamsOf<MoveParams>(parameters);
    p.speed = std::min(p.speed + p.acceleration, p.topSpeed);
    const PointD next = NextPointTowards({target->GetX(), target->GetY()}, {p.x, p.y}, p.speed);
    target->MoveTo(next.x, next.y);
    target->Redraw();
    return next.x == p.x && next.y == p.y;
}

int WaitStep(PObject*, void* parameters, GameCore*, uint32_t elapsedMs)
{
    return elapsedMs >= ParamsOf<WaitParams>(parameters).duration;
}

int WaitClockStep(PObject*, void* parameters, GameCore* core, uint32_t)
{
    const auto& p = ParamsOf<WaitClockParams>(parameters);
    const uint32_t now = core ? core->GetTime() : 0;
    return now - p.created > p.duration;
}

int RepeatEventStep(PObject*, void* parameters, GameCore* core, uint32_t elapsedMs)
{
    auto& p = ParamsOf<RepeatParams>(parameters);
    ObjectModule* objects = ObjectsOf(core);
    const int64_t due = p.period ? elapsedMs / p.period : 0;
    while (p.fired < due) {
        if (p.count > 0 && p.fired >= p.count)
            break;
        // Looked up for every event: a handler may release its own object while catching up.
        PObject* target = objects ? objects->FindById(p.event.target) : nullptr;
        if (!target)
            return 0; // its unregistration cancels this action
        ++p.fired;
        target->OnEvent(p.event);
    }
    return p.count > 0 && p.fired >= p.count;
}

int PlayFramesStep(PObject* target, void* parameters, GameCore*, uint32_t elapsedMs)
{
    auto& p = ParamsOf<PlayFramesParams>(parameters);
    CPglPic* picture = target->GetDrawData();
    if (!picture || !picture->GetImage() || picture->GetFrameCount() == 0)
        return 1;
    const int before = picture->GetFrame();
    auto redrawOnChange = [&] {
        if (picture->GetFrame() != before)
            target->Redraw();
    };
    switch (p.mode) {
    case 0:
        picture->AdvanceToTime(elapsedMs, p.frame);
        redrawOnChange();
        if (p.limit == 0 || elapsedMs < p.limit)
            return 0;
        picture->SetFrame(WrapFrame(int64_t(p.frame) + picture->GetFrameCount() - 1, picture->GetFrameCount()));
        target->Redraw();
        return 1;
    case 1:
        picture->AdvanceToTime(elapsedMs, p.frame);
        redrawOnChange();
        return p.limit != 0 && elapsedMs >= p.limit;
    case 2:
        picture->AdvanceToTime(elapsedMs, p.frame);
        redrawOnChange();
        if (p.limit == 0 || elapsedMs < p.limit)
            return 0;
        picture->SetFrame(p.limit & 0xFFFF);
        target->Redraw();
        return 1;
    case 3:
        picture->SetFrame(p.n & 0xFFFF);
        target->Redraw();
        return 1;
    case 4:
        picture->NextFrame();
        target->Redraw();
        if (p.limit > 0)
            --p.limit;
        return p.limit == 0;
    default:
        return 0;
    }
}

int PlaySoundStep(PObject*, void* parameters, GameCore* core, uint32_t)
{
    const auto& p = ParamsOf<PlaySoundParams>(parameters);
    PlayActionSound(core, p.name, p.flags, p.notice);
    return 1;
}

int DeleteStep(PObject*, void* parameters, GameCore* core, uint32_t)
{
    // By id: an object released twice, or released at once after a deferred release, is
    // simply no longer registered, and an object that took its address is not touched.
    if (ObjectModule* objects = ObjectsOf(core))
        objects->UnregisterObject(ParamsOf<DeleteParams>(parameters).objectId);
    return 1;
}

int ResizeStep(PObject* target, void* parameters, GameCore*, uint32_t)
{
    auto& p = ParamsOf<ResizeParams>(parameters);
    if (target->GetWidth() == double(p.width) && target->GetHeight() == double(p.height)) {
        p.width = Approach(p.width, p.finalWidth, p.widthStep);
        p.height = Approach(p.height, p.finalHeight, p.heightStep);
    }
    target->SetSize(p.width, p.height);
    target->Redraw();
    return p.width == p.finalWidth && p.height == p.finalHeight;
}

int FlipStep(PObject* target, void* parameters, GameCore*, uint32_t)
{
    auto& p = ParamsOf<FlipParams>(parameters);
    auto* picture = static_cast<BITObject*>(target);
    int32_t drawn = p.degrees;
    if (p.degrees == 0) {
        target->SetSize(p.fullWidth, target->GetHeight());
    } else {
        drawn = p.degreeStep >= 0 ? std::min(p.degrees, p.finalDegrees) : std::max(p.degrees, p.finalDegrees);
        const float radians = float(drawn) * 3.1415927f / 180.0f;
        const double c = std::cos(radians);
        if ((c < 0 && !p.swapped) || (c >= 0 && p.swapped)) {
            PictureInfo shown;
            picture->GetPictureInfo(shown);
            picture->LoadPicture(p.face.Unpack(), 1);
            p.face = PackedPicture::From(shown);
            p.swapped = !p.swapped;
        }
        target->SetSize(std::fabs(c) * p.fullWidth, target->GetHeight());
    }
    target->Redraw();
    p.degrees = drawn + p.degreeStep;
    // Ends once the final angle has been drawn, so the card rests at its full width.
    return drawn == p.finalDegrees;
}

int CallStep(PObject*, void* parameters, GameCore*, uint32_t)
{
    auto& p = ParamsOf<CallParams>(parameters);
    if (p.function)
        p.function(p.data);
    return 1;
}

} // namespace Lumora
