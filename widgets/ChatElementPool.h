#pragma once
// Where a chat box's elements live: blocks of 1024 elements, never freed one by one to the
// heap; a freed element goes back to the pool and is handed out again first.
#include "widgets/ChatFormat.h"

#include <memory>
#include <vector>

namespace Lumora {

class ChatElementPool {
public:
    static constexpr size_t kChunk = 1024;

    ChatElement* Take(const ChatElement& value)
    {
        if (!free_) {
            chunks_.push_back(std::make_unique<ChatElement[]>(kChunk));
            ChatElement* chunk = chunks_.back().get();
            for (size_t i = 0; i < kChunk; ++i) {
                chunk[i].next = free_;
                free_ = &chunk[i];
            }
        }
        ChatElement* e = free_;
        free_ = e->next;
        *e = value;
        e->next = nullptr;
        ++inUse_;
        return e;
    }
    void Give(ChatElement* e)
    {
        e->next = free_;
        free_ = e;
        --inUse_;
    }
    size_t InUse() const { return inUse_; }
    size_t Capacity() const { return chunks_.size() * kChunk; }

private:
    std::vector<std::unique_ptr<ChatElement[]>> chunks_;
    ChatElement* free_ = nullptr;
    size_t inUse_ = 0;
};

} // namespace Lumora
