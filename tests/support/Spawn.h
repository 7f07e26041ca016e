#pragma once
// Starts a helper process with no signal blocked, whatever the test's thread blocks, so it
// always ends on the TERM its owner sends.
#include <csignal>
#include <spawn.h>

namespace testsupport {

inline int SpawnUnblocked(pid_t* pid, const char* path, char* const argv[], char* const envp[])
{
    posix_spawnattr_t attr;
    if (posix_spawnattr_init(&attr) != 0)
        return -1;
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);
    const int rc = posix_spawn(pid, path, nullptr, &attr, argv, envp);
    posix_spawnattr_destroy(&attr);
    return rc;
}

} // namespace testsupport
