#pragma once
// The notifications the client refused, told so that a failed test can be read: each report the
// server got (201162: the refused notification's id and length, and the one before it) and the
// reasons the client's run log keeps ("refused notification N: why").
#include "tests/support/GameServerStandIn.h"

#include <fstream>
#include <string>

namespace xltest {

// `programFolder` is the client's (where GameRun.log is), ending in '/'.
inline std::string Refusals(const standin::GameServer& server, const std::string& programFolder)
{
    const auto word = [](const std::vector<uint8_t>& r, size_t at) {
        return at + 4 <= r.size() ? std::to_string(uint32_t(r[at]) | uint32_t(r[at + 1]) << 8 |
                                                   uint32_t(r[at + 2]) << 16 | uint32_t(r[at + 3]) << 24)
                                  : std::string("?");
    };
    std::string out;
    for (const std::string& hex : server.Requests(201162)) {
        const std::vector<uint8_t> r = standin::GameServer::FromHex(hex);
        out += "refused " + word(r, 20) + " of " + word(r, 28) + " bytes, after " + word(r, 36) + "\n";
    }
    std::ifstream log(programFolder + "GameRun.log");
    for (std::string line; std::getline(log, line);)
        if (line.find("refused notification") != std::string::npos)
            out += line + "\n";
    return out;
}

} // namespace xltest
