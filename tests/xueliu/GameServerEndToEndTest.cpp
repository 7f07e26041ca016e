// The real client, started by the hall stand-in, against the game-server stand-in on loopback:
// it connects through the greeting and the AES stage, passes the version check, reads the
// feature configuration and enters the game (200110 answered by 210200), and the stand-in
// finds every byte of every request as its layout says.
#include "support/GameServerStandIn.h"
#include "support/HallRun.h"

#include <gtest/gtest.h>

namespace {

TEST(GameServerEndToEnd, ClientStartedByTheHallChecksTheVersionAndEnters)
{
    standin::GameServer server({"--table", std::string(XL_SOURCE_DIR) + "/tools/tables/default.json"});
    xltest::HallRun run(server, {});
    ASSERT_EQ(server.AwaitRequests(200110, 1).size(), 1u) << run.Record();
    // The hall goes, which ends the client.
    run.HangUp();
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_EQ(server.Requests(201001).size(), 1u);
    ASSERT_EQ(server.Requests(201308).size(), 1u);
    ASSERT_EQ(server.Requests(200110).size(), 1u);
    EXPECT_EQ(server.Requests(200110)[0].substr(0, 8), "e9030000"); // user 1001
    EXPECT_EQ(server.Errors(), "[]");
}

} // namespace
