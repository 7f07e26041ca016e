// The frame's boxes: stacking by the engine's counter, ask boxes raising the exit events, a box
// that opens a link, the slide-in of a dialog, the detail board beside the user list, the
// settings event handed to the scene, and nothing left behind when boxes end.
#include "tests/framework/FrameFixture.h"

#include "engine/object/ObjectModule.h"
#include "engine/senior/CClassSenior.h"

using namespace Lumora;
using namespace framework;
using namespace frametest;

namespace {

class FrameBoxesTest : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        Start(1024, 768);
    }
};

TEST_F(FrameBoxesTest, EachBoxLiesTwoAboveTheLastAndEndsWithoutATrace)
{
    const size_t before = Objects().GetObjectCount();
    std::vector<CXyTimerDlg*> boxes;
    for (int i = 0; i < 3; ++i)
        boxes.push_back(frame_->ShowMsgBox("提示", nullptr, nullptr, 2, 0, nullptr));
    EXPECT_EQ(frame_->GetSetting(kBoxCounterSetting), 3);
    EXPECT_DOUBLE_EQ(boxes[0]->GetZ(), kBoxBaseZ + 2);
    EXPECT_DOUBLE_EQ(boxes[1]->GetZ() - boxes[0]->GetZ(), 2);
    EXPECT_DOUBLE_EQ(boxes[2]->GetZ() - boxes[1]->GetZ(), 2);
    EXPECT_EQ(boxes[2]->GetX(), 512);
    EXPECT_EQ(boxes[2]->GetY(), 384);
    EXPECT_TRUE(boxes[2]->IsActive());
    Run(4000);  // each accepts when its time runs out
    EXPECT_TRUE(OpenDialogs().empty());
    EXPECT_EQ(Objects().GetObjectCount(), before);
}

TEST_F(FrameBoxesTest, AskBoxesRaiseTheConfirmedExitOrTheClose)
{
    Answer(*frame_->ShowAskBox("确定退出吗？", 0, DLG_TWO_BUTTONS, nullptr), false);
    EXPECT_EQ(app_.closePosts, 1);
    EXPECT_EQ(app_.requests.leaves, 0);
    CXyTimerDlg* box = frame_->ShowAskBoxEx("去充值？", 0, DLG_TWO_BUTTONS, nullptr, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(box->GetOkRecord().code, EV_FRAME_EXIT_CONFIRMED);
    EXPECT_EQ(box->GetOkRecord().target, frame_->GetId());
    Answer(*box, true);
    EXPECT_EQ(app_.requests.leaves, 1);
    EXPECT_EQ(app_.exitReports, 1);
}

TEST_F(FrameBoxesTest, SlideInComesFromBelowTheLowerRightCornerAndANullOneChangesNothing)
{
    frame_->SlideInDialog(nullptr);
    EXPECT_LT(frame_->GetSetting(kBoxCounterSetting), 1);
    auto* dlg = frame_->NewChild<CXyTimerDlg>();
    dlg->Show("请求退出", nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr);
    const double w = dlg->GetWidth(), h = dlg->GetHeight();
    frame_->SlideInDialog(dlg);
    EXPECT_EQ(frame_->GetSetting(kBoxCounterSetting), 1);
    EXPECT_DOUBLE_EQ(dlg->GetZ(), 90010.0);
    EXPECT_DOUBLE_EQ(dlg->GetX(), 1024 - w / 2 - 4);
    EXPECT_DOUBLE_EQ(dlg->GetY(), 768 + h / 2);
    EXPECT_EQ(window_->Flashes(), 1);
    Run(3000);
    EXPECT_NEAR(dlg->GetX(), 1024 - w / 2 - 4, 1);
    EXPECT_NEAR(dlg->GetY(), 768 - h / 2 - 4, 1);
}

TEST_F(FrameBoxesTest, DetailBoardStandsBesideTheUserListOrAThirdDownTheScene)
{
    frame_->CreateUserListBar(9, 1);  // no board yet: nothing
    EXPECT_EQ(frame_->GetPinnedFlag(), 0);
    PlaneObject* board = frame_->NewPlaneObject(200, 150, 0);
    PlaneObject* report = frame_->NewPlaneObject(40, 20, 0);
    frame_->SetDetailBoard(board, report);
    const Rect s = frame_->SceneRect();

    frame_->CreateUserListBar(app_.userId, 1);
    EXPECT_EQ(frame_->GetPinnedFlag(), 1);
    EXPECT_DOUBLE_EQ(board->GetRight(), s.right);
    EXPECT_DOUBLE_EQ(board->GetY(), s.top + (s.bottom - s.top) / 3);
    EXPECT_DOUBLE_EQ(board->GetZ(), 70000);
    EXPECT_FALSE(report->IsActive()) << "no report button for the player himself";

    PlaneObject* list = frame_->NewPlaneObject(100, 300, 0);
    list->SetName("UserListBar");
    list->MoveTo(900, 300);
    frame_->CreateUserListBar(12345, 0);
    EXPECT_DOUBLE_EQ(board->GetTop(), list->GetTop());
    EXPECT_TRUE(report->IsActive());
    list->MoveTo(900, 800);  // low on the screen: the board stops at the scene's bottom
    frame_->CreateUserListBar(12345, 0);
    EXPECT_DOUBLE_EQ(board->GetBottom(), s.bottom);
}

TEST_F(FrameBoxesTest, SettingsButtonReachesTheSceneAtOnce)
{
    frame_->Scene()->codes.clear();
    Frame(EV_FRAME_SETTINGS);
    EXPECT_EQ(frame_->Scene()->codes, std::vector<uint32_t>{EV_SCENE_SETTINGS});
}

} // namespace
