#pragma once
// The step of each kind of timed action. The object module calls a step as
// step(target, parameters, core, ms since the first step) and ends the action when it returns
// nonzero; the parameters are the kind's block of ActionParams.h.
#include "engine/geometry/Geometry.h"
#include "engine/object/ActionRecord.h"

namespace Lumora {

int BlinkStep(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);
int RotateStep(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);
int FadeStep(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);
int ShowStep(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);
int MoveStep(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);
int WaitStep(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);
int WaitClockStep(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);
int RepeatEventStep(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);
int PlayFramesStep(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);
int PlaySoundStep(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);
int DeleteStep(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);
int ResizeStep(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);
int FlipStep(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);
int CallStep(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);

// The point at most `speed` from `from` on the way to `to`; the target itself once within reach.
PointD NextPointTowards(PointD from, PointD to, double speed);

} // namespace Lumora
