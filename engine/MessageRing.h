#pragma once
// A module's own FIFO of pending module messages: filled by the core's delivery, emptied
// by the module's drain. Grows by doubling, never shrinks; touched by the UI thread only.
#include "engine/ModuleMessage.h"

#include <cstdint>
#include <vector>

namespace Lumora {

class MessageRing {
public:
    static constexpr uint32_t kInitialCapacity = 16;

    MessageRing();

    // Appends at the tail; grows first when only one free slot is left.
    void Push(const ModuleMessage& message);
    // Takes the entry at the head; false when empty.
    bool Pop(ModuleMessage& out);
    // Drops every pending entry, releasing its payload; returns how many were dropped.
    uint32_t DropAll();
    // Sets head and tail back to 0 (the ring must be empty).
    void Rewind();

    uint32_t Pending() const { return count_; }
    bool Empty() const { return count_ == 0; }
    uint32_t Capacity() const { return capacity_; }
    uint32_t Head() const { return head_; }
    uint32_t Tail() const { return tail_; }

private:
    void Grow();

    std::vector<ModuleMessage> entries_;
    uint32_t head_ = 0;      // next to read
    uint32_t tail_ = 0;      // next to write
    uint32_t capacity_ = kInitialCapacity;
    uint32_t count_ = 0;     // written and not yet read
};

} // namespace Lumora
