#pragma once
// Runs a short Python script (with the stand-ins' package folder tools/py on its path) or a
// command, feeding it bytes on stdin and returning what it prints, so the tests check the
// client's records against an independent implementation.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fwtest {

// nullopt when the command does not exit with 0.
// `argv` runs as it is, no shell between; `env` ("NAME=value") is added to the environment.
std::optional<std::string> RunCommand(const std::vector<std::string>& argv, const std::string& input = {},
                                      const std::vector<std::string>& env = {});
// `arguments` follow the script in sys.argv: paths go there, never into the script's text.
std::optional<std::string> RunPython(const std::string& script, const std::string& input = {},
                                     const std::vector<std::string>& arguments = {});

inline std::string AsString(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }
inline std::vector<uint8_t> AsBytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

} // namespace fwtest
