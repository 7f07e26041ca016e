// The exit decision against the game-server stand-in over a real connection: the leave request
// goes out once however often the exit is confirmed, a refusal keeps the window and shows the
// server's reason, and the forced-quit reason reaches the server cut on a character boundary.
#include "support/FakeClientApp.h"
#include "support/GameServerStandIn.h"
#include "tests/framework/FrameFixture.h"

#include "framework/connection/CGameConnect.h"
#include "framework/connection/RequestIds.h"
#include "framework/frame/CXyAskDlgs.h"
#include "widgets/CXyInputBox.h"

using namespace Lumora;
using namespace framework;
using namespace frametest;

namespace {

// The leaving requests over the connection, as the application's link makes them.
struct ConnectRequests : IFrameRequests {
    explicit ConnectRequests(CGameConnect& c) : connect(c) {}
    bool QueryGamePlaying() override { return connect.QueryGamePlaying(); }
    bool LeaveGame(std::string& refusal) override { return connect.LeaveGame(refusal, 1001, 0); }
    void AskExit(const std::string& reason) override { connect.AskExit(reason); }
    void ReplyAskExit(uint32_t user, bool agree) override { connect.ReplyAskExit(user, agree ? 1 : 0); }
    void Request201161() override
    {
        std::string ignored;
        connect.Request201161(ignored);
    }
    CGameConnect& connect;
};

class FrameExitServerTest : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        connect_.SetApp(&client_);
        ASSERT_TRUE(connect_.SetupEncryption());
        int proxyFailed = 0;
        ASSERT_TRUE(connect_.OpenGameChannel("Game", "127.0.0.1", server_.Port(), &proxyFailed));
        app_.realRequests = &requests_;
        Start(1024, 768);
        // The table plays.
        server_.Command(R"({"op":"fault","id":201130,"code":210030})");
    }
    void TearDown() override
    {
        connect_.CloseAll();
        EXPECT_EQ(server_.Errors(), "[]");
        FrameFixture::TearDown();
    }

    standin::GameServer server_;
    FakeClientApp client_;
    CGameConnect connect_{nullptr, 0, 0, 0};
    ConnectRequests requests_{connect_};
};

TEST_F(FrameExitServerTest, ThePenaltyBoxAndRepeatedConfirmationsSendOneLeaveRequest)
{
    frame_->DecideWindowClose();
    frame_->DecideWindowClose();
    auto boxes = OpenDialogs();
    ASSERT_EQ(boxes.size(), 2u);
    Answer(*boxes[0], true);
    Answer(*boxes[1], true);
    Frame(EV_FRAME_EXIT_CONFIRMED);
    EXPECT_EQ(frame_->DecideWindowClose(), CloseDecision::CloseNow);
    EXPECT_EQ(server_.Requests(RequestId::LeaveGame).size(), 1u);
    EXPECT_EQ(server_.Requests(RequestId::QueryGamePlaying).size(), 2u);
    EXPECT_EQ(app_.exitReports, 1);
    EXPECT_EQ(app_.commStops, 1);
}

TEST_F(FrameExitServerTest, ARefusalKeepsTheWindowUntilTheServerLetsGo)
{
    server_.Command(R"({"op":"fault","id":201125,"code":210087})");
    Frame(EV_FRAME_EXIT_CONFIRMED);
    EXPECT_FALSE(frame_->IsExitConfirmed());
    EXPECT_EQ(OpenDialogs().size(), 1u) << "the server's reason in a box";
    EXPECT_EQ(app_.exitReports, 0);
    server_.Command(R"({"op":"clear_faults"})");
    Frame(EV_FRAME_EXIT_CONFIRMED);
    EXPECT_TRUE(frame_->IsExitConfirmed());
    EXPECT_EQ(server_.Requests(RequestId::LeaveGame).size(), 2u);
    EXPECT_EQ(app_.exitReports, 1);
}

TEST_F(FrameExitServerTest, TheForcedQuitReasonReachesTheServerWhole)
{
    app_.consentAllowed = true;
    frame_->DecideWindowClose();
    auto asks = OpenDialogs<CXyAskDlg>();
    ASSERT_EQ(asks.size(), 1u);
    std::string reason;
    for (int i = 0; i < 40; ++i)
        reason += "走";
    asks[0]->GetInputBox()->AppendTyped(reason);  // the box keeps 60 bytes, whole characters
    Answer(*asks[0], true);
    const auto sent = server_.AwaitRequests(RequestId::AskExit, 1);
    ASSERT_EQ(sent.size(), 1u);
    const auto bytes = standin::GameServer::FromHex(sent[0]);
    ASSERT_EQ(bytes.size(), 84u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()) + 20), reason.substr(0, 60));
    EXPECT_EQ(app_.exitRequests, 1);
    EXPECT_TRUE(server_.Requests(RequestId::LeaveGame).empty());
}

} // namespace
