// What the calculator asks of the application about the room: given to the calculator so that it
// can be used, and tested, without the application.
#pragma once

#include <cstdint>

class IRoomTypeQuery {
 public:
  virtual ~IRoomTypeQuery() = default;
  // 1 when bit 0x10 of the room type word is set, else 0. Heavenly and earthly hands score only
  // in such rooms.
  virtual std::int32_t IsRoomTypeBit4() const = 0;
};
