// A network failure puts the scene back to waiting, relaunches on exit and asks the player to log
// in again through the frame's ask box; test mode does nothing.
#include "tests/framework/AppOnFrameFixture.h"

#include "framework/scene/CMainGame.h"
#include "mahjong/app/CMJGameWinApp2.h"

using namespace frametest;

namespace {

struct CountingScene : Lumora::CMainGame {
    std::vector<std::string> calls;
    void OnResetGame() override { calls.push_back("reset"); }
    void OnGameReady() override { calls.push_back("ready"); }
};

struct SceneFrame : TestFrame {
    void CreateGameParts() override { SetMainGame(std::make_unique<CountingScene>().release()); }
};

struct App : CMJGameWinApp2 {
    App() : CMJGameWinApp2("qirn", 26283, 9, 3) {}
    CXyGameFrame* GetFrameUI() const override { return frame; }
    void ShowAskBox(const Lumora::Markup& text, int seconds, uint32_t flags, const char* icon) override
    {
        asked.push_back(std::string(text.Text()) + std::to_string(seconds));
        CMJGameWinApp2::ShowAskBox(text, seconds, flags, icon);
    }
    CXyGameFrame* frame = nullptr;
    std::vector<std::string> asked;
};

using NetworkFailureTest = AppOnFrameFixture<App, SceneFrame>;

TEST_F(NetworkFailureTest, ResetsTheSceneAndAsksToLogInAgainOnTheFrame)
{
    app_->OnNetworkFailure();
    EXPECT_EQ(static_cast<CountingScene*>(app_->GetMainGame())->calls, (std::vector<std::string>{"reset", "ready"}));
    EXPECT_EQ(app_->asked, (std::vector<std::string>{"您的网络出现了异常，请重新登录大厅。10"}));
    EXPECT_EQ(OpenDialogs().size(), 1u);
}

} // namespace
