#pragma once
// The combo box's list of recent entries: at most six texts, oldest first, each with a key
// that stays its own for as long as the entry is listed. A pick names the entry by key, so a
// pick that arrives after its entry was pushed out finds nothing instead of another entry's
// text or freed memory.
#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>

namespace Lumora {

class RecentEntries {
public:
    static constexpr size_t kMaxEntries = 6;

    struct Entry {
        uint32_t key;
        std::string text;
    };

    // Appends a copy of the text (a text already listed is listed twice). When the list is
    // full the oldest entry leaves first and is returned in `evicted`.
    const Entry& Add(std::string_view text, std::optional<Entry>* evicted = nullptr);
    // Null when no listed entry has the key.
    const Entry* Find(uint32_t key) const;
    const std::list<Entry>& Entries() const { return entries_; }
    size_t Size() const { return entries_.size(); }

private:
    std::list<Entry> entries_;
    uint32_t nextKey_ = 1;
};

} // namespace Lumora
