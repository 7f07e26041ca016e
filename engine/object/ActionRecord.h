#pragma once
// The records of timed actions and of the groups that order them, as the object module keeps
// them. The action kinds themselves fill the parameters and supply the step function.
#include "engine/object/EventRecord.h"

#include <cstddef>
#include <cstdint>

namespace Lumora {

class GameCore;
class PObject;
struct ActionGroup;

// Called as step(target, parameters, core, ms since the action started); nonzero when done.
using ActionStep = int (*)(PObject* target, void* parameters, GameCore* core, uint32_t elapsedMs);

struct ActionRecord {
    uint64_t id = 0;
    ActionGroup* group = nullptr;
    PObject* target = nullptr;
    uint32_t targetId = 0;   // taken from the target when the action is added
    uint32_t waiting = 0;    // 1 while its group has not started
    uint32_t cancelled = 0;
    uint32_t startTime = 0;  // engine ms; 0 = not started
    uint32_t lastStep = 0;
    uint32_t period = 0;     // the step runs when now >= last step + period
    uint64_t order = 0; // place in the module's list: later added, higher
    size_t slot = 0; // where the module's list held it, a hint checked before use
    alignas(std::max_align_t) unsigned char parameters[64] = {};
    ActionStep step = nullptr;
    EventRecord completion;  // code 0: none
    // The other live actions of its group, so that a group starts without a walk of every action.
    ActionRecord* groupPrevious = nullptr;
    ActionRecord* groupNext = nullptr;
};

struct ActionGroup {
    uint64_t id = 0;
    ActionGroup* parent = nullptr;
    ActionGroup* predecessor = nullptr; // must finish before this group starts
    ActionGroup* successor = nullptr;
    ActionGroup* firstChild = nullptr;
    ActionGroup* nextSibling = nullptr;
    uint32_t pending = 0;               // actions and child groups not yet finished
    uint32_t open = 0;                  // still being filled: the current group or one above it
    uint32_t finished = 0;              // everything in it ended while it was still open
    uint32_t aliases = 0; // handles of the empty groups it replaced, which name it too
    ActionRecord* firstAction = nullptr; // its live actions
};

} // namespace Lumora
