#pragma once
// The shared table file of the stand-ins, written into a test's folder with the game server's
// port put in place of the one it ships with.
#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace xltest {

// Writes "<dir>/table.json" and returns its path; throws when the file has no port to replace.
inline std::string TableFileFor(uint16_t port, const std::string& dir)
{
    std::ifstream in(std::string(XL_SOURCE_DIR) + "/tools/tables/default.json");
    std::stringstream all;
    all << in.rdbuf();
    std::string text = all.str();
    const std::string key = "\"port\": 26283";
    const size_t at = text.find(key);
    if (at == std::string::npos)
        throw std::runtime_error("tools/tables/default.json has no " + key);
    text.replace(at, key.size(), "\"port\": " + std::to_string(port));
    const std::string path = dir + "/table.json";
    std::ofstream(path) << text;
    return path;
}

} // namespace xltest
