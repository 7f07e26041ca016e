#pragma once
// For benchmarks that run a helper script: its whole standard output, and a number read from
// the one-line JSON object it prints.
#include "tests/support/TiedChild.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace benchsupport {

// `argv` runs as it is, no shell between.
inline std::string CommandOutput(const std::vector<std::string>& argv) { return xltest::RunProgram(argv).out; }

// -1 when the key is absent.
inline double JsonNumber(const std::string& json, const std::string& key)
{
    auto at = json.find("\"" + key + "\": ");
    return at == std::string::npos ? -1 : std::atof(json.c_str() + at + key.size() + 4);
}

} // namespace benchsupport
