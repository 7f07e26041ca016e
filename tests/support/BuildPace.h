#pragma once
// How long the tests that run the whole client in real time wait for what they expect. A build
// under a sanitizer runs the same client several times slower (ThreadSanitizer up to eight times
// on the table's look), so each limit is the plain build's times the build's slowness: a test is
// judged by what it sees, not by how fast this build draws it. Only waits that give up scale;
// rates of the product (a chat line a second) and pauses a person makes do not.
#include <chrono>

namespace xltest {

#if defined(__SANITIZE_THREAD__)
inline constexpr int kBuildSlowness = 8;
#elif defined(__SANITIZE_ADDRESS__)
inline constexpr int kBuildSlowness = 3;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
inline constexpr int kBuildSlowness = 8;
#elif __has_feature(address_sanitizer)
inline constexpr int kBuildSlowness = 3;
#else
inline constexpr int kBuildSlowness = 1;
#endif
#else
inline constexpr int kBuildSlowness = 1;
#endif

// A limit of the plain build, for this build.
template <class Rep, class Period>
constexpr std::chrono::duration<Rep, Period> Paced(std::chrono::duration<Rep, Period> plain)
{
    return plain * kBuildSlowness;
}
constexpr int PacedSeconds(int plain) { return plain * kBuildSlowness; }

} // namespace xltest
