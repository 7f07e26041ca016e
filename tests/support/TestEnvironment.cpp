// Linked into every test program: the environment the tests expect, however they are started
// (by ctest or by hand), the sanitizers' suppressions of system libraries, a temporary folder of
// its own, and the end of the program with its ctest, leaving nothing of its rigs (RigRegistry.h).
#include "tests/support/RigRegistry.h"

#include <cstdlib>

#ifndef XL_SOURCE_DIR
#error "test programs are built with XL_SOURCE_DIR"
#endif

#define XL_LSAN_DEFAULTS "suppressions=" XL_SOURCE_DIR "/tools/lsan-suppressions.txt:print_suppressions=0"
#define XL_TSAN_DEFAULTS "suppressions=" XL_SOURCE_DIR "/tools/tsan-suppressions.txt:second_deadlock_stack=1"

namespace {

const bool kEnvironmentSet = [] {
    setenv("SDL_AUDIODRIVER", "dummy", 1);  // never the machine's speakers or sound server
    // Nor its message bus: without an address the display library's start forks a launcher of
    // one, and a child forked beside a thread that holds the sanitizer's allocator waits for ever.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    setenv("XL_SOURCE_DIR", XL_SOURCE_DIR, 0);  // fonts and assets of the checkout
    // For the programs the tests start (the client between its stand-ins) in sanitized builds.
    setenv("LSAN_OPTIONS", XL_LSAN_DEFAULTS, 0);
    setenv("TSAN_OPTIONS", XL_TSAN_DEFAULTS, 0);
    xltest::RigRegistry::OwnTemporaryFolder();
    xltest::RigRegistry::InstallEndOnSignal();
    return true;
}();

} // namespace

// Defaults the sanitizers read before LSAN_OPTIONS and TSAN_OPTIONS, which still override them.
extern "C" const char* __lsan_default_options() { return XL_LSAN_DEFAULTS; }
extern "C" const char* __tsan_default_options() { return XL_TSAN_DEFAULTS; }
