#include "engine/MessageRing.h"

#include <cstddef>

namespace Lumora {

MessageRing::MessageRing() : entries_(kInitialCapacity) {}

void MessageRing::Grow()
{
    // Pending entries move to the front in arrival order, which also unrolls a wrapped ring.
    std::vector<ModuleMessage> bigger(static_cast<size_t>(capacity_) * 2);
    for (uint32_t i = 0; i < count_; ++i)
        bigger[i] = entries_[(head_ + i) % capacity_];
    entries_.swap(bigger);
    head_ = 0;
    tail_ = count_;
    capacity_ *= 2;
}

void MessageRing::Push(const ModuleMessage& message)
{
    if (count_ >= capacity_ - 1)
        Grow();
    entries_[tail_] = message;
    tail_ = (tail_ + 1) % capacity_;
    ++count_;
}

bool MessageRing::Pop(ModuleMessage& out)
{
    if (count_ == 0)
        return false;
    out = entries_[head_];
    entries_[head_] = ModuleMessage{};
    head_ = (head_ + 1) % capacity_;
    --count_;
    return true;
}

uint32_t MessageRing::DropAll()
{
    const uint32_t dropped = count_;
    ModuleMessage m;
    while (Pop(m))
        m.Release();
    Rewind();
    return dropped;
}

void MessageRing::Rewind()
{
    if (count_ == 0)
        head_ = tail_ = 0;
}

} // namespace Lumora
