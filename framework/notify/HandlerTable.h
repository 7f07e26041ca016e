#pragma once
// A dispatcher's table of handlers: pairs of notification id and handler, sorted by id with one
// handler per id (checked at compile time with SortedById), searched by binary search.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace notify_table {

template <typename Handler, size_t N>
constexpr bool SortedById(const std::pair<uint32_t, Handler> (&table)[N])
{
    for (size_t i = 1; i < N; ++i)
        if (table[i - 1].first >= table[i].first)
            return false;
    return true;
}

// The handler of `id`, or null when the table has none.
template <typename Handler, size_t N>
Handler Find(const std::pair<uint32_t, Handler> (&table)[N], uint32_t id)
{
    const auto* it =
        std::lower_bound(table, table + N, id, [](const auto& entry, uint32_t key) { return entry.first < key; });
    return it != table + N && it->first == id ? it->second : nullptr;
}

} // namespace notify_table
