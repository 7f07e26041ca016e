// The hall's start data come from another program: any bytes, with any own identity, in an
// ordinary or a match room, must be applied within the tables or refused whole.
#include "framework/app/HallState.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    hall::HallState state;
    hall::OwnIdentity own{1001u + (data[0] & 3), static_cast<int32_t>(data[0] >> 2) - 8, data[1] & 1};
    std::span<const uint8_t> bytes(data + 2, size - 2);
    if (data[1] & 2) {
        hall::ApplyMatchStartData(state, bytes);
    } else {
        auto outcome = hall::ApplyOrdinaryStartData(state, bytes, own);
        // A second record over the first, as the hall may send.
        if (!hall::IsRefused(outcome))
            hall::ApplyOrdinaryStartData(state, bytes, own);
    }
    state.FindUser(own.userId);
    return 0;
}
