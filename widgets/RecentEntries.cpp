#include "widgets/RecentEntries.h"

namespace Lumora {

const RecentEntries::Entry& RecentEntries::Add(std::string_view text, std::optional<Entry>* evicted)
{
    if (evicted)
        evicted->reset();
    while (entries_.size() >= kMaxEntries) {
        if (evicted)
            *evicted = std::move(entries_.front());
        entries_.pop_front();
    }
    // Keys are never 0, so a record whose parameter is 0 names no entry.
    if (nextKey_ == 0)
        nextKey_ = 1;
    entries_.push_back(Entry{nextKey_++, std::string(text)});
    return entries_.back();
}

const RecentEntries::Entry* RecentEntries::Find(uint32_t key) const
{
    for (const Entry& e : entries_)
        if (e.key == key)
            return &e;
    return nullptr;
}

} // namespace Lumora
