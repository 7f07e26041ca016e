// The real client, started by the hall stand-in, against the game-server stand-in on loopback:
// it connects through the greeting and the AES stage, passes the version check, reads the
// feature configuration and enters the game (200110 answered by 210200), and the stand-in
// finds every byte of every request as its layout says.
#include "support/GameServerStandIn.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// The shared table file with the game server's port replaced.
std::string TableFileFor(uint16_t port, const std::string& dir)
{
    std::ifstream in(std::string(XL_SOURCE_DIR) + "/tools/tables/default.json");
    std::stringstream all;
    all << in.rdbuf();
    std::string text = all.str();
    const std::string key = "\"port\": 26283";
    const size_t at = text.find(key);
    if (at != std::string::npos)
        text.replace(at, key.size(), "\"port\": " + std::to_string(port));
    const std::string path = dir + "/table.json";
    std::ofstream(path) << text;
    return path;
}

TEST(GameServerEndToEnd, ClientStartedByTheHallChecksTheVersionAndEnters)
{
    char tmpl[] = "/tmp/xl-e2e-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    standin::GameServer server({"--table", std::string(XL_SOURCE_DIR) + "/tools/tables/default.json"});
    const std::string table = TableFileFor(server.Port(), dir);
    // The hall goes after a few seconds, which ends the client.
    const std::string command = std::string("SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy /usr/bin/python3 ") +
        XL_SOURCE_DIR + "/tools/hall/hall.py " + XL_BINARY_DIR + "/xueliu --table " + table + " --run-dir " + dir +
        "/run --hang-up-after 3 > " + dir + "/hall.log 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(server.Requests(201001).size(), 1u);
    ASSERT_EQ(server.Requests(201308).size(), 1u);
    ASSERT_EQ(server.Requests(200110).size(), 1u);
    EXPECT_EQ(server.Requests(200110)[0].substr(0, 8), "e9030000"); // user 1001
    EXPECT_EQ(server.Errors(), "[]");
    std::system(("rm -rf " + dir).c_str());
}

} // namespace
