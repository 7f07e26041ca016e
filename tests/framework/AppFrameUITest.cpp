// The application's reach into the frame UI: its scene and side panel, the boxes it opens there,
// the default silver and allowance texts, and the events to the side panel's named widgets.
#include "tests/framework/AppOnFrameFixture.h"

#include "framework/app/CGameWinApp.h"
#include "framework/notify/NotifyEvents.h"

using namespace frametest;

namespace {

// The application over the fixture's frame, noting the texts it hands on.
struct FrameApp : CGameWinApp {
    FrameApp() : CGameWinApp("qirn", 26283, 9, 3) {}
    CXyGameFrame* GetFrameUI() const override { return frame; }
    void ShowAskBox(const char* text, int seconds, uint32_t flags, const char* icon) override
    {
        texts.push_back(std::string("ask ") + (icon ? icon : "") + "|" + text);
        CGameWinApp::ShowAskBox(text, seconds, flags, icon);
    }
    void ShowSystemNotice(const char* markup) override
    {
        texts.push_back(std::string("line ") + markup);
        CGameWinApp::ShowSystemNotice(markup);
    }
    CXyGameFrame* frame = nullptr;
    std::vector<std::string> texts;
};

using AppFrameUITest = AppOnFrameFixture<FrameApp>;

TEST_F(AppFrameUITest, SceneAndPanelAreTheFramesChildrenAndNoneWithoutAFrame)
{
    EXPECT_EQ(app_->GetMainGame(), frame_->Scene());
    EXPECT_EQ(app_->GetSubSystem(), frame_->Panel());
    app_->frame = nullptr;
    EXPECT_EQ(app_->GetMainGame(), nullptr);
    app_->AskTakeSilver(1000, 300);  // nothing to show it on: no harm
}

TEST_F(AppFrameUITest, SilverAndAllowanceTextsReachTheFramesBoxesAndThePanel)
{
    app_->AskTakeSilver(1000, 300);
    app_->AskStoreSilver(5000, 7500);
    EXPECT_EQ(OpenDialogs().size(), 2u);
    app_->OnGetSubsidyConfigFailed();
    app_->OnAllowanceResult(true, 2000, "保险箱");
    app_->OnAllowanceResult(false, 0, "");
    EXPECT_EQ(app_->texts,
              (std::vector<std::string>{
                  "ask xyf财神|本房间最少需携带银子1000两\r\n您只携带了300两\r\n仍少了700两,是否从保险箱划银？",
                  "ask |本房间最多可携带银子5000两\r\n您携带了7500两\r\n仍超了2500两,是否将银子存入保险箱？",
                  "line  <z=zu系统通知> <c=255>客官，您的银子也太多了，快去存起来吧！\r\n",
                  "line  <z=zu系统通知> <c=255>获取低保活动配置失败!\r\n",
                  "line  <z=zu系统通知> <c=255>已赠送银子2000两到保险箱中!\r\n",
                  "line  <z=zu系统通知> <c=255>领取银子失败!\r\n",
              }));
    EXPECT_EQ(std::count(frame_->Panel()->codes.begin(), frame_->Panel()->codes.end(), framework::EV_SYSTEM_LINE), 4);
}

TEST_F(AppFrameUITest, ListEventsGoToThePanelsNamedWidgets)
{
    auto* advert = frame_->Panel()->NewChild<Part>();
    advert->SetName("AdvertBar");
    auto* users = frame_->Panel()->NewChild<Part>();
    users->SetName("UserListBar");
    app_->NotifyAdvertBar();
    app_->NotifyUserListBar55();
    app_->NotifyUserListBar56();
    EXPECT_EQ(advert->codes, (std::vector<uint32_t>{80000054}));
    EXPECT_EQ(users->codes, (std::vector<uint32_t>{80000055, 80000056}));
}

} // namespace
