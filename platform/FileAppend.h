#pragma once
// Appends bytes to a file in one write, so that lines from several writers (threads or
// loggers sharing one daily file) never interleave.
#include <string>
#include <string_view>

namespace platform {

// Creates the file when missing. True when every byte was written.
bool AppendToFile(const std::string& path, std::string_view bytes);

} // namespace platform
