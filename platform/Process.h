#pragma once
// Starting another program (the hall, a relaunched client) with an argument vector, never through
// a shell, in its own process group so that a signal meant for this program's group does not
// reach it and a harness can end it apart. Its exit is collected in the background.
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform {

// `program` is a path (a bare name is looked up on PATH). The arguments follow argv[0] =
// program. The process id, or nullopt when it could not be started.
std::optional<pid_t> StartProcess(const std::string& program, const std::vector<std::string>& arguments);

} // namespace platform
