// Timed actions and their groups: the object module steps every listed action on its own
// period, and a group's successor starts only when everything in the group has finished.
#include "engine/object/ObjectModule.h"
#include "engine/object/PObject.h"

#include "engine/GameCore.h"
#include "engine/util/MemPool.h"

#include <algorithm>
#include <new>
#include <vector>

namespace Lumora {
namespace {

// An action waits while its group, or any group above it, still has a predecessor to wait for.
bool IsGroupActive(const ActionGroup* group)
{
    for (; group; group = group->parent)
        if (group->predecessor)
            return false;
    return true;
}

void UnlinkChild(ActionGroup* parent, ActionGroup* child)
{
    for (ActionGroup** link = &parent->firstChild; *link; link = &(*link)->nextSibling)
        if (*link == child) {
            *link = child->nextSibling;
            child->nextSibling = nullptr;
            return;
        }
}

// Clears the predecessor of a group and of its child groups, which it lists.
void StartGroupTree(ActionGroup* group, std::vector<ActionGroup*>& started)
{
    group->predecessor = nullptr;
    started.push_back(group);
    for (ActionGroup* child = group->firstChild; child; child = child->nextSibling)
        StartGroupTree(child, started);
}

} // namespace

ActionRecord* ObjectModule::NewAction()
{
    if (!actionPool_ || shuttingDown_)
        return nullptr;
    auto* action = new (actionPool_->Alloc(sizeof(ActionRecord))) ActionRecord{};
    action->id = ++lastActionId_;
    return action;
}

ActionGroup* ObjectModule::NewGroup()
{
    if (!groupPool_ || shuttingDown_)
        return nullptr;
    auto* group = new (groupPool_->Alloc(sizeof(ActionGroup))) ActionGroup{};
    group->id = ++lastActionId_;
    return group;
}

void ObjectModule::FreeGroup(ActionGroup* group)
{
    // A group that replaced empty ones answers to their handles too; any other only to its own.
    if (group->aliases == 0) {
        if (auto found = groups_.find(group->id); found != groups_.end() && found->second == group)
            groups_.erase(found);
    } else {
        std::erase_if(groups_, [group](const auto& entry) { return entry.second == group; });
    }
    if (groupPool_)
        groupPool_->Free(group);
}

void ObjectModule::AddAction(ActionRecord* action)
{
    if (!action || shuttingDown_)
        return;
    if (action->target && action->targetId == 0)
        action->targetId = action->target->GetId();
    // A target unregistered while its action waited in the queue is gone: the action only ends.
    if (action->target && action->targetId && FindById(action->targetId) != action->target)
        action->cancelled = 1;
    action->order = ++lastActionOrder_;
    action->slot = actions_.size();
    actions_.push_back(SlotOf(*action));
    actionsByTarget_.emplace(action->targetId, action);
    action->group = currentGroup_;
    if (GameCore* core = GetCore())
        core->RequestTick();
    if (currentGroup_) {
        action->groupNext = currentGroup_->firstAction;
        if (action->groupNext)
            action->groupNext->groupPrevious = action;
        currentGroup_->firstAction = action;
        ++currentGroup_->pending;
        currentGroup_->finished = 0;
        action->waiting = IsGroupActive(currentGroup_) ? 0 : 1;
        actions_[action->slot] = SlotOf(*action);
    }
    NoteActionDue(*action);
}

void ObjectModule::BeginGroup(ActionGroup* group)
{
    if (!group || shuttingDown_)
        return;
    groups_[group->id] = group;
    if (currentGroup_) {
        group->parent = currentGroup_;
        ActionGroup** link = &currentGroup_->firstChild;
        while (*link)
            link = &(*link)->nextSibling;
        *link = group;
        ++currentGroup_->pending;
        currentGroup_->finished = 0;
    }
    group->predecessor = nullptr;
    group->pending = 0;
    group->open = 1;
    currentGroup_ = group;
}

void ObjectModule::NextGroup(ActionGroup* group)
{
    if (!group)
        return;
    if (!currentGroup_) {
        PostError("can't NextGroup without BeginGroup!");
        FreeGroup(group);
        return;
    }
    ActionGroup* current = currentGroup_;
    current->open = 0;
    const bool replaced = current->pending == 0 && !current->finished;
    if (replaced) {
        // Nothing was added to the current group: the new one takes its place and its id. The
        // handle NextActionGroup gave out, and every handle of the group replaced, name it too.
        const uint64_t ownId = group->id;
        *group = *current;
        if (current->aliases > 0)
            for (auto& entry : groups_)
                if (entry.second == current)
                    entry.second = group;
        groups_[ownId] = group;
        groups_[group->id] = group;
        ++group->aliases;
        if (group->predecessor)
            group->predecessor->successor = group;
        if (group->parent)
            for (ActionGroup** link = &group->parent->firstChild; *link; link = &(*link)->nextSibling)
                if (*link == current) {
                    *link = group;
                    break;
                }
        groupPool_->Free(current);
    } else {
        groups_[group->id] = group;
        group->predecessor = current;
        group->parent = current->parent;
        current->successor = group;
    }
    group->pending = 0;
    group->open = 1;
    group->finished = 0;
    currentGroup_ = group;
    // A group whose actions all ended while it was still open finishes now and starts this one.
    // (A replaced group went back to the pool above and is not read again.)
    if (!replaced && current->finished)
        SettleGroup(current);
}

void ObjectModule::EndGroup()
{
    ActionGroup* group = currentGroup_;
    if (!group) {
        PostError("can't EndGroup without BeginGroup!");
        return;
    }
    group->open = 0;
    currentGroup_ = group->parent;
    if (group->finished) {
        SettleGroup(group);
    } else if (group->pending == 0) {
        if (group->predecessor)
            group->predecessor->successor = nullptr;
        else if (group->parent) {
            --group->parent->pending;
            UnlinkChild(group->parent, group);
        }
        FreeGroup(group);
    }
}

// A group whose pending count reached zero. While it is still open (being filled) it only
// remembers that; otherwise it starts its successor or tells its parent, and goes.
void ObjectModule::SettleGroup(ActionGroup* group)
{
    if (group->open) {
        group->finished = 1;
        return;
    }
    group->finished = 0;
    if (group->successor) {
        StartGroup(group->successor);
    } else if (ActionGroup* parent = group->parent) {
        UnlinkChild(parent, group);
        if (parent->pending > 0 && --parent->pending == 0)
            SettleGroup(parent);
    }
    FreeGroup(group);
}

void ObjectModule::StartGroup(ActionGroup* group)
{
    // The group and its child groups start together; each marks its own actions (their waiting
    // marks depend only on the groups above them, all started first).
    std::vector<ActionGroup*> started;
    StartGroupTree(group, started);
    for (ActionGroup* g : started) {
        const uint32_t waiting = IsGroupActive(g) ? 0 : 1;
        for (ActionRecord* a = g->firstAction; a; a = a->groupNext) {
            a->waiting = waiting;
            SyncSlot(*a);
            NoteActionDue(*a);
        }
    }
}

void ObjectModule::CancelAction(uint64_t id)
{
    if (GameCore* core = GetCore())
        core->RequestTick();
    for (ActionSlot& slot : actions_)
        if (slot.id == id && slot.action) {
            slot.action->cancelled = 1;
            slot.now = 1;
            NoteActionDue(*slot.action);
        }
}

void ObjectModule::CancelGroup(uint64_t id)
{
    if (GameCore* core = GetCore())
        core->RequestTick();
    auto found = groups_.find(id);
    if (found != groups_.end())
        CancelGroupTree(found->second);
}

void ObjectModule::CancelGroupTree(ActionGroup* group)
{
    for (ActionGroup* child = group->firstChild; child; child = child->nextSibling)
        CancelGroupTree(child);
    if (group->successor)
        CancelGroupTree(group->successor);
    for (ActionRecord* a = group->firstAction; a; a = a->groupNext) {
        a->cancelled = 1;
        SyncSlot(*a);
        NoteActionDue(*a);
    }
}

void ObjectModule::CancelActionsOf(uint32_t objectId)
{
    if (GameCore* core = GetCore())
        core->RequestTick();
    const auto [from, to] = actionsByTarget_.equal_range(objectId);
    for (auto it = from; it != to; ++it) {
        it->second->cancelled = 1;
        SyncSlot(*it->second);
        NoteActionDue(*it->second);
    }
}

size_t ObjectModule::CountPendingActions() const
{
    size_t n = 0;
    for (const ActionSlot& slot : actions_)
        n += slot.action && slot.action->cancelled == 0;
    return n;
}

void ObjectModule::FinishAction(ActionRecord* action, bool cancelled)
{
    const EventRecord completion = action->completion;
    ActionGroup* group = action->group;
    const auto [from, to] = actionsByTarget_.equal_range(action->targetId);
    for (auto it = from; it != to; ++it)
        if (it->second == action) {
            actionsByTarget_.erase(it);
            break;
        }
    if (group) {
        if (action->groupPrevious)
            action->groupPrevious->groupNext = action->groupNext;
        else if (group->firstAction == action)
            group->firstAction = action->groupNext;
        if (action->groupNext)
            action->groupNext->groupPrevious = action->groupPrevious;
    }
    if (actionPool_)
        actionPool_->Free(action);
    if (completion.code) {
        if (!cancelled)
            DispatchEvent(completion);
        DispatchActionEnd(completion);
    }
    if (group && group->pending > 0 && --group->pending == 0)
        SettleGroup(group);
}

void ObjectModule::ActionDue::Note(const ActionSlot& s)
{
    if (s.waiting)
        return; // starts when its group's predecessor finishes, inside a Work
    if (s.now) {
        now = true;
        return;
    }
    const uint32_t next = s.due;
    if (!any || static_cast<int32_t>(next - wrapped) < 0)
        wrapped = next;
    if (!any || next < earliest)
        earliest = next;
    any = true;
}

void ObjectModule::NoteActionDue(ActionRecord& action)
{
    // During a run's walk only an action the walk has passed is not counted by the walk itself.
    if (walking_) {
        if (action.order < walkOrder_)
            walkDue_.Note(SlotOf(action));
    } else if (actionDue_.valid) {
        actionDue_.Note(SlotOf(action));
    }
}

void ObjectModule::SyncSlot(ActionRecord& action)
{
    if (action.slot >= actions_.size() || actions_[action.slot].action != &action) {
        // Slots are in order of addition (ended ones keep theirs until the walk's end).
        action.slot = size_t(std::lower_bound(actions_.begin(), actions_.end(), action.order,
                                              [](const ActionSlot& s, uint64_t order) { return s.order < order; }) -
                             actions_.begin());
    }
    actions_[action.slot] = SlotOf(action);
}

std::optional<uint32_t> ObjectModule::NextActionDue() const
{
    if (!actionDue_.valid) {
        actionDue_ = ActionDue{};
        for (const ActionSlot& slot : actions_)
            if (slot.action)
                actionDue_.Note(slot);
        actionDue_.valid = true;
    }
    if (!actionDue_.now && !actionDue_.any)
        return std::nullopt;
    const uint32_t at = GetLastUpdate() + GetInterval();
    if (actionDue_.now || static_cast<int32_t>(actionDue_.wrapped - at) <= 0)
        return at;
    return actionDue_.wrapped;
}

void ObjectModule::RunActions()
{
    const uint32_t now = GetLastUpdate();
    // Nothing unstarted, cancelled or due since the last walk: the walk would change nothing.
    if (actionDue_.valid && !actionDue_.now && (!actionDue_.any || now < actionDue_.earliest))
        return;
    // What stays listed makes the next due time; what a step adds, cancels or starts behind the
    // walk is folded in as it happens.
    actionDue_.valid = false;
    walkDue_ = ActionDue{};
    walking_ = true;
    // By index: a step may add actions, which the walk reaches in this pass.
    for (size_t i = 0; i < actions_.size(); ++i) {
        const ActionSlot slot = actions_[i];
        walkOrder_ = slot.order;
        if (slot.waiting || !slot.action)
            continue;
        if (!slot.now && now < slot.due) {
            walkDue_.Note(slot);
            continue;
        }
        ActionRecord* action = slot.action;
        if (action->cancelled) {
            actions_[i].action = nullptr;
            FinishAction(action, true);
            continue;
        }
        if (action->startTime == 0)
            action->startTime = now;
        action->lastStep = now;
        NoteChange();
        const int done = action->step ? action->step(action->target, action->parameters, GetCore(), now - action->startTime) : 1;
        if (done) {
            actions_[i].action = nullptr;
            FinishAction(action, false);
        } else {
            action->slot = i;
            actions_[i] = SlotOf(*action);
            walkDue_.Note(actions_[i]);
        }
    }
    std::erase_if(actions_, [](const ActionSlot& s) { return s.action == nullptr; });
    walking_ = false;
    actionDue_ = walkDue_;
    actionDue_.valid = true;
}

} // namespace Lumora
