// The exit decision against a scripted application: who leaves at once, the reminder while an
// exit request is pending, the forced-quit dialog and its reason, the "keep playing" and
// penalty boxes and the match room's board, each path with one leave request and one report.
// Repeated confirmations and a refused leave run against the game-server stand-in.
#include "tests/framework/FrameFixture.h"

#include "engine/object/ObjectModule.h"
#include "framework/frame/CXyAskDlgs.h"
#include "framework/frame/FrameTexts.h"
#include "widgets/CXyInputBox.h"
#include "widgets/CXyStandButton.h"

using namespace Lumora;
using namespace framework;
using namespace frametest;

namespace {

class FrameExitTest : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        Start(1024, 768);
    }
    // One leave request and one report, the thread stopped and the window told to close.
    void ExpectLeftOnce(const char* why)
    {
        EXPECT_EQ(app_.requests.leaves, 1) << why;
        EXPECT_EQ(app_.exitReports, 1) << why;
        EXPECT_EQ(app_.commStops, 1) << why;
        EXPECT_TRUE(frame_->IsExitConfirmed()) << why;
        EXPECT_EQ(frame_->DecideWindowClose(), CloseDecision::CloseNow) << why << ": the next close lets the window go";
        EXPECT_EQ(app_.requests.leaves, 1) << why;
    }
};

TEST_F(FrameExitTest, LookingOnOrATableThatDoesNotPlayLeavesAtOnce)
{
    app_.lookOn = true;
    EXPECT_EQ(frame_->DecideWindowClose(), CloseDecision::Stay);
    EXPECT_EQ(app_.requests.playQueries, 0);
    EXPECT_EQ(app_.closePosts, 1);
    ExpectLeftOnce("look-on");
}

TEST_F(FrameExitTest, AFailedPlayQueryCountsAsNotPlaying)
{
    app_.requests.playing = false;
    frame_->DecideWindowClose();
    EXPECT_EQ(app_.requests.playQueries, 1);
    EXPECT_TRUE(OpenDialogs().empty());
    ExpectLeftOnce("not playing");
}

TEST_F(FrameExitTest, ForcedQuitAsksOnceSendsTheReasonAndRemindsForThirtySeconds)
{
    app_.consentAllowed = true;
    frame_->DecideWindowClose();
    auto asks = OpenDialogs<CXyAskDlg>();
    ASSERT_EQ(asks.size(), 1u);
    EXPECT_EQ(asks[0]->GetTitleText(), kForceQuitTitle);
    EXPECT_EQ(asks[0]->GetInputBox()->GetMaxLength(), 60);
    EXPECT_EQ(frame_->GetExitRequestFlag(), 1);
    frame_->DecideWindowClose();  // open already: no second dialog
    EXPECT_EQ(OpenDialogs<CXyAskDlg>().size(), 1u);

    asks[0]->GetInputBox()->AppendText("家里有急事");
    Answer(*asks[0], true);
    EXPECT_EQ(app_.requests.askedExits, std::vector<std::string>{"家里有急事"});
    EXPECT_EQ(app_.exitRequests, 1);
    EXPECT_EQ(frame_->GetExitRequestFlag(), 0);
    EXPECT_EQ(Objects().PendingPayloads(), 0u);

    Run(12500);
    frame_->DecideWindowClose();
    ASSERT_EQ(app_.notices.size(), 1u);
    char expected[200];
    std::snprintf(expected, sizeof expected, kReminderFormat, 2906200, 18);
    EXPECT_EQ(app_.notices[0], expected);
    EXPECT_TRUE(OpenDialogs<CXyAskDlg>().empty());

    Run(17500);  // 30 s after the request: asked again
    frame_->DecideWindowClose();
    EXPECT_EQ(OpenDialogs<CXyAskDlg>().size(), 1u);
    // Cancelled: no request, the flag and the dialog forgotten.
    Answer(*OpenDialogs<CXyAskDlg>()[0], false);
    EXPECT_EQ(app_.requests.askedExits.size(), 1u);
    EXPECT_EQ(frame_->GetForceQuitDialog(), nullptr);
    EXPECT_EQ(app_.requests.leaves, 0);
    EXPECT_EQ(app_.exitReports, 0);
}

TEST_F(FrameExitTest, TheReasonIsCutOnACharacterBoundary)
{
    // 31 two-byte characters then one more: 63 bytes would split the 32nd.
    std::string reason;
    for (int i = 0; i < 32; ++i)
        reason += "字";
    const uintptr_t token = Objects().NewTextPayload(reason);
    Frame(EV_APP_TEXT_PAYLOAD, token);
    ASSERT_EQ(app_.requests.askedExits.size(), 1u);
    EXPECT_EQ(app_.requests.askedExits[0].size(), 62u);
}

TEST_F(FrameExitTest, KeepPlayingRoomsRefuseAndOthersAskAboutThePenalty)
{
    app_.roomBit14 = true;
    frame_->DecideWindowClose();
    auto boxes = OpenDialogs();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->GetStyleFlags(), kKeepPlayingBoxFlags);
    Answer(*boxes[0], true);  // its buttons answer nobody
    EXPECT_EQ(app_.requests.leaves, 0);

    app_.roomBit14 = false;
    frame_->DecideWindowClose();
    boxes = OpenDialogs();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->GetStyleFlags(), kPenaltyBoxFlags);
    Run(7000);  // the time runs out: refused, nothing sent
    EXPECT_TRUE(OpenDialogs().empty());
    EXPECT_EQ(app_.requests.leaves, 0);

    frame_->DecideWindowClose();
    Answer(*OpenDialogs()[0], true);
    ExpectLeftOnce("penalty accepted");
}

TEST_F(FrameExitTest, ARunningMatchShowsTheSureQuitBoardWhoseOkLeaves)
{
    app_.match = true;
    app_.matchState = 550;
    EXPECT_EQ(frame_->DecideWindowClose(), CloseDecision::Stay);
    PlaneObject* board = frame_->GetSureQuitBoard();
    ASSERT_NE(board, nullptr);
    EXPECT_TRUE(board->IsActive());
    EXPECT_EQ(board->GetWidth(), 300);
    EXPECT_EQ(app_.requests.playQueries, 0);
    frame_->DecideWindowClose();
    EXPECT_EQ(frame_->GetSureQuitBoard(), board);  // built once

    // The board's two buttons: OK the confirmed exit, cancel hides the board.
    std::vector<CXyStandButton*> buttons;
    for (const PObject::ChildLink& link : board->Children())
        if (auto* b = dynamic_cast<CXyStandButton*>(link.child))
            buttons.push_back(b);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_DOUBLE_EQ(buttons[0]->GetX() - board->GetLeft(), 145);
    EXPECT_DOUBLE_EQ(buttons[1]->GetY() - board->GetTop(), 163);
    buttons[1]->Fire();
    Run(100);
    EXPECT_FALSE(board->IsActive());
    buttons[0]->Fire();
    ExpectLeftOnce("sure-quit board");
}

// Before the match starts and in its later phases a match room leaves without the play query,
// even while the table plays.
class MatchRoomOutsideTheRunningMatch : public FrameExitTest, public ::testing::WithParamInterface<int> {};

TEST_P(MatchRoomOutsideTheRunningMatch, LeavesAtOnceWithoutThePlayQuery)
{
    app_.match = true;
    app_.matchState = GetParam();
    app_.consentAllowed = true;
    EXPECT_EQ(frame_->DecideWindowClose(), CloseDecision::Stay);
    EXPECT_EQ(app_.requests.playQueries, 0);
    EXPECT_TRUE(OpenDialogs().empty());
    EXPECT_EQ(frame_->GetSureQuitBoard(), nullptr);
    ExpectLeftOnce("match room");
    // The test's program folder is one folder (its name holds a '/'), removed whole with the test.
    EXPECT_EQ(folder_->Path().parent_path(), std::filesystem::temp_directory_path());
}

INSTANTIATE_TEST_SUITE_P(States, MatchRoomOutsideTheRunningMatch, ::testing::Values(0, 499, 600));

TEST_F(FrameExitTest, AnswersToOtherPlayersAndRequest201161GoThroughTheConnection)
{
    Frame(EV_FRAME_REPLY_ASK_EXIT, 42, 1);
    Frame(EV_FRAME_REPLY_ASK_EXIT, 43, 0);
    EXPECT_EQ(app_.requests.replies, (std::vector<FakeRequests::Reply>{{42, true}, {43, false}}));
    Frame(EV_FRAME_REQUEST_201161);
    EXPECT_EQ(app_.requests.requests201161, 0);
    app_.tableFlag = true;
    Frame(EV_FRAME_REQUEST_201161);
    EXPECT_EQ(app_.requests.requests201161, 1);
    Frame(EV_FRAME_CLOSE);
    Frame(EV_FRAME_EXIT_REFUSED);
    EXPECT_EQ(app_.closePosts, 2);
    EXPECT_EQ(app_.requests.leaves, 0);
}

} // namespace
