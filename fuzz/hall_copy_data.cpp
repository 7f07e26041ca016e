// Every record the hall hands to a window: the first byte picks the dwData, the rest is the
// enciphered record as it arrives. Each handler deciphers and reads within its buffer, whatever
// the length.
#include "framework/app/HallCipher.h"
#include "framework/app/HallState.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    std::span<const uint8_t> record(data + 1, size - 1);
    hall::HallState state;
    switch (data[0] % 5) {
    case 0: { // 1: start data
        auto plain = hall::DecryptHallData(record);
        if (plain)
            hall::ApplyOrdinaryStartData(state, *plain, {1001, 0, 0});
        break;
    }
    case 1: { // 4: a look-on user joins
        auto plain = hall::DecryptHallData(record);
        if (plain)
            for (int i = 0; i < 3; ++i)
                hall::AddLookOnUser(state, *plain);
        break;
    }
    case 2: { // 6: a player left
        auto plain = hall::DecryptHallData(record);
        hall::PlayerLeft left;
        if (plain && left.Assign(*plain))
            (void)(left.U32(hall::PlayerLeft::kTableNumber) + left.I32(hall::PlayerLeft::kChair));
        break;
    }
    case 3: { // 7 and 13: read as a user record, or dropped
        auto plain = hall::DecryptHallData(record);
        Lumora::GameUserRecord user;
        if (plain && user.Assign(plain->data(), plain->size()))
            (void)user.Name();
        break;
    }
    default: // 14: the web-sign answer
        hall::ReadWebSignAnswer(record);
        break;
    }
    return 0;
}
