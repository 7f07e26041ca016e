#pragma once
// Test programs that may open the sound device use SDL's dummy driver however they are started
// (by ctest or by hand): no test plays through the machine's speakers, waits on its sound
// server, or fails because the machine has none.
#include <cstdlib>

namespace xltest {

inline const bool kDummyAudioDriver = (setenv("SDL_AUDIODRIVER", "dummy", 1), true);

} // namespace xltest
