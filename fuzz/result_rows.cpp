// The result board's rows from a game result and the hand's win and score-change records as the
// server sent them: byte 0 picks silver or score, bytes 1 and 2 the counts of win and change
// records, each record a length byte and its bytes, and the rest the result. Whatever they hold,
// the rows read nothing outside them and name only chairs of the table; nor do the checks of the
// deal's records, and a result they pass gives a row per chair.
#include "xueliu/RecordChecks.h"
#include "xueliu/ResultSummary.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Take(const uint8_t*& data, size_t& size)
{
    if (size == 0)
        return {};
    const size_t length = std::min<size_t>(data[0], size - 1);
    std::vector<uint8_t> out(data + 1, data + 1 + length);
    data += 1 + length;
    size -= 1 + length;
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3 || size > 16384)
        return 0;
    const bool silver = data[0] & 1;
    const int wins = data[1] % 8, changes = data[2] % 8;
    data += 3;
    size -= 3;
    xueliu::HandRecords hand;
    for (int i = 0; i < wins; ++i)
        hand.wins.push_back(Take(data, size));
    for (int i = 0; i < changes; ++i)
        hand.changes.push_back(Take(data, size));
    // The result in a buffer of its own size, so that a read past it is caught.
    std::vector<uint8_t> result(data, data + size);
    const auto rows = xueliu::BuildResultRows(result.data(), result.size(), hand, silver,
                                              [](int chair) { return std::to_string(chair); });
    for (const xueliu::ResultRow& row : rows)
        if (row.chair < 0 || row.chair > 3)
            std::abort();
    if (!xueliu::ResultFault(result) && rows.size() != 4)
        std::abort();
    for (const auto& record : hand.wins)
        (void)xueliu::WinFault(record);
    (void)xueliu::DealStartFault(result);
    return 0;
}
