#include "engine/EngineClock.h"

#include "platform/Clock.h"

namespace Lumora {

CPglTimer::CPglTimer() : clock_(platform::CurrentClock()), startMs_(clock_.NowMs()) {}

uint32_t CPglTimer::GetElapsedMs()
{
    // The source is monotonic, so the difference never goes back; 32 bits wrap after 49 days
    // and the module interval rule is written in unsigned arithmetic to survive that.
    return static_cast<uint32_t>(clock_.NowMs() - startMs_);
}

} // namespace Lumora
