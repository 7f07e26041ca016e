#pragma once
// For benchmarks that run a helper script: its whole standard output, and a number read from
// the one-line JSON object it prints.
#include <cstdio>
#include <cstdlib>
#include <string>

namespace benchsupport {

inline std::string CommandOutput(const std::string& command)
{
    std::string out;
    FILE* run = ::popen(command.c_str(), "r");
    if (!run)
        return out;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, run))
        out.append(buffer, n);
    ::pclose(run);
    return out;
}

// -1 when the key is absent.
inline double JsonNumber(const std::string& json, const std::string& key)
{
    auto at = json.find("\"" + key + "\": ");
    return at == std::string::npos ? -1 : std::atof(json.c_str() + at + key.size() + 4);
}

} // namespace benchsupport
