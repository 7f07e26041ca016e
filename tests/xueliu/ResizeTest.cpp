// A window resized (the display's resolution changed) shows, box for box and pixel for pixel, what
// a client started at the new size and folded alike by the splitter's arrow shows, through the next
// deal too; from each size players have to each other, panel open and folded.
#include "tests/xueliu/ClientEnvironment.h"
#include "tests/support/ScreenCheck.h"

#include "engine/host/LumoraWnd.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PlaneObject.h"
#include "framework/app/CGameWinApp.h"
#include "framework/window/CGameFrameWnd.h"
#include "platform/Clock.h"
#include "platform/HeadlessWindow.h"
#include "platform/ManualLoop.h"
#include "platform/Window.h"
#include "services/panel/CSubSystem.h"
#include "widgets/CCyPlayerListBar.h"
#include "widgets/CCySplitterBar.h"
#include "widgets/CXyChatBox.h"
#include "widgets/SidePanelObjects.h"
#include "framework/connection/Record.h"
#include "framework/scene/GameWinApp.h"
#include "mahjong/data/CMJGameData2.h"
#include "xueliu/CMyGame.h"
#include "xueliu/GameApplication.h"
#include "xueliu/GameRecords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <ostream>
#include <unistd.h>

namespace {

struct Size {
    int width, height;
    std::string Name() const { return std::to_string(width) + "x" + std::to_string(height); }
};
constexpr Size kSizes[] = {{800, 600}, {1024, 768}, {1280, 800}, {1600, 900}, {1920, 1080}};
// The widest view at which this game's frame starts with the side panel folded.
constexpr int kFoldedUpTo = 1023;

enum class Panel { Open, Folded };

struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool active = false;
    int alpha = 0; // in hundredths
    // A hidden object may keep the box it had when last shown: only its being hidden counts.
    bool operator==(const Box& b) const
    {
        return active == b.active && (!active || (left == b.left && top == b.top && right == b.right &&
                                                  bottom == b.bottom && alpha == b.alpha));
    }
    friend std::ostream& operator<<(std::ostream& out, const Box& b)
    {
        return out << "(" << b.left << ", " << b.top << ", " << b.right << ", " << b.bottom
                   << (b.active ? "" : ", off") << ", alpha " << b.alpha << ")";
    }
};

// Each object's box by its id (every client makes its objects in the same order), the pixels, and
// where the chat's text stands between its neighbours.
struct View {
    std::map<uint32_t, Box> boxes;
    std::map<uint32_t, std::string> kinds;
    std::vector<uint32_t> pixels;
    Size size{};
    double listBottom = 0, chatTop = 0, chatBottom = 0, inputTop = 0;
};

// The next deal, as the server's start record brings it: own chair the banker, 14 tiles.
void Deal()
{
    IGameWinApp* app = GetGameWinApp();
    auto* scene = dynamic_cast<CMyGame*>(app ? app->GetMainGame() : nullptr);
    ASSERT_NE(scene, nullptr);
    std::vector<uint8_t> start(GameRecord::kDealStartSize, 0);
    RecordWriter w({start.data(), start.size()});
    const std::pair<size_t, int32_t> words[] = {{2, 4},  {3, 0},  {4, 108}, {5, 13}, {6, 53}, {12, 3 | (5 << 8)},
                                                {14, 302}, {18, 15}, {21, 1}, {28, 6}, {36, -1}, {37, -1}};
    for (auto [word, value] : words)
        w.I32(word * 4, value);
    w.I32(GameRecord::kStartExtraOffset, 55);
    for (size_t chair = 0; chair < 4; ++chair) {
        for (size_t i = 0; i < GameRecord::kTileListLength; ++i)
            w.I32(GameRecord::kTileListsOffset + (chair * GameRecord::kTileListLength + i) * 4,
                  chair == 0 && i < 14 ? int32_t(i * 2) : -1);
        w.I32(GameRecord::kTileCountsOffset + chair * 4, chair == 0 ? 14 : 13);
    }
    scene->GetSceneGameInfo()->StoreGameStart(start.data(), start.size());
    scene->ResetDealState();
    scene->OnNotifyRoundStart();
    scene->OnGameStartData(start.data(), start.size());
}

Lumora::ObjectModule& Objects(Lumora::CLumoraWnd& wnd)
{
    return *static_cast<Lumora::ObjectModule*>(wnd.GetCore().GetModule(Lumora::LUMORA_MODULE_OBJECT));
}

class ResizeTest : public ::testing::TestWithParam<std::tuple<Size, Panel>> {
protected:
    ~ResizeTest() override { SetStartTableHook(nullptr); }

    void SetScreen(Size s)
    {
        env_.screen = {s.width, s.height, {0, 0, s.width, s.height}, 23};
        platform::SetScreenOverride(&env_.screen);
    }

    // The client started at `start`, a chat longer than its box, `steps` run: the views once
    // settled and after the next deal.
    std::vector<View> Run(Size start, const std::function<void(platform::HeadlessWindow&)>& steps)
    {
        SetScreen(start);
        ::symlink((std::string(XL_BINARY_DIR) + "/skins").c_str(), (env_.dir + "/game/skins").c_str());
        bool started = false;
        SetStartTableHook([&] { started = true; });
        std::vector<View> views;
        platform::ManualClock clock(1000000);
        env_.platform.runLoop = [&] {
            platform::ManualLoop loop(clock);
            loop_ = &loop;
            for (int i = 0; i < 400 && !started && !loop.QuitCode(); ++i)
                loop.Advance(5);
            EXPECT_TRUE(started);
            CGameFrameWnd* wnd = GetGameApp()->GetMainWnd();
            auto* window = dynamic_cast<platform::HeadlessWindow*>(wnd->GetWindow());
            if (Lumora::PObject* panel = Objects(*wnd).FindByName(Lumora::kSubSystemName))
                for (int line = 1; line <= 40; ++line) {
                    const Lumora::Markup text = Lumora::FormatMarkup("第%d行", line);
                    panel->SendEvent({panel->GetId(), Lumora::EV_PANEL_SYSTEM_LINE,
                                      reinterpret_cast<uintptr_t>(&text), 0});
                }
            loop.Advance(3000);
            steps(*window);
            window->InjectMouseMove(10, 40);
            loop.Advance(3000);
            views.push_back(Look(*wnd, *window, start.Name()));
            Deal();
            loop.Advance(6000);
            views.push_back(Look(*wnd, *window, start.Name()));
            platform::PostToWindow(GetGameApp()->GetMainWindowId(), platform::kMsgClose);
            for (int i = 0; i < 400 && !loop.QuitCode(); ++i)
                loop.Advance(5);
            loop_ = nullptr;
            return loop.QuitCode().value_or(-1);
        };
        InstallGameApplication(nullptr);
        // From the start-up on: the engine takes its clock as it starts.
        platform::ScopedClock installed(clock);
        EXPECT_EQ(RunClient({"xueliu", "--test-mode=1"}, env_.platform), 0);
        return views;
    }

    static View Look(CGameFrameWnd& wnd, platform::HeadlessWindow& window, const std::string& name)
    {
        // What the window shows is the view composed anew.
        testsupport::ScreenCheck check("resize-" + name, std::string(XL_BINARY_DIR) + "/artifacts");
        check.Check(wnd);
        EXPECT_EQ(check.Faults(), std::vector<std::string>{});
        View v;
        Lumora::ObjectModule& objects = Objects(wnd);
        objects.ForEachObject([&](Lumora::PObject& o) {
            const Lumora::Rect r = Lumora::ObjectModule::ScreenRect(o.Geometry());
            v.boxes[o.GetId()] = {
                r.left, r.top, r.right, r.bottom, o.IsActive() != 0, int(std::lround(o.GetAlpha() * 100))};
            v.kinds[o.GetId()] = typeid(o).name() + (" " + o.GetName());
        });
        v.pixels = window.Framebuffer();
        v.size = {window.ClientWidth(), window.ClientHeight()};
        if (auto* panel = dynamic_cast<Lumora::CSubSystem*>(objects.FindByName(Lumora::kSubSystemName))) {
            v.listBottom = panel->GetUserList()->GetBottom();
            v.chatTop = panel->GetChatBox()->GetTextPlane()->GetTop();
            v.chatBottom = panel->GetChatBox()->GetTextPlane()->GetBottom();
            v.inputTop = panel->GetInputBar()->GetTop();
        }
        return v;
    }

    // A player's click on the splitter's arrow when the panel is not as wanted.
    void FoldTo(platform::HeadlessWindow& window, Panel wanted)
    {
        auto* splitter = dynamic_cast<Lumora::CCySplitterBar*>(
            Objects(*GetGameApp()->GetMainWnd()).FindByName(Lumora::CCySplitterBar::kName));
        ASSERT_NE(splitter, nullptr);
        if (splitter->IsExpanded() != (wanted == Panel::Open))
            ClickAt(window, int(splitter->GetArrow()->GetX()), int(splitter->GetArrow()->GetY()));
        EXPECT_EQ(splitter->IsExpanded(), wanted == Panel::Open);
    }
    void ClickAt(platform::HeadlessWindow& window, int x, int y)
    {
        window.InjectMouseMove(x, y);
        loop_->Advance(50);
        window.InjectMouseDown(platform::MouseButton::Left, x, y, platform::CurrentClock().NowMs());
        loop_->Advance(50);
        window.InjectMouseUp(platform::MouseButton::Left, x, y, platform::CurrentClock().NowMs());
        loop_->Advance(50);
    }
    // The display takes another size and the window fills it again.
    void Resize(platform::HeadlessWindow& window, Size to)
    {
        SetScreen(to);
        window.SetWorkArea(env_.screen.workArea);
        window.Move(env_.screen.workArea);
    }

    ClientEnvironment env_{"xl-resize-XXXXXX"};
    platform::ManualLoop* loop_ = nullptr;
};

void ExpectSame(const View& fresh, const View& resized)
{
    ASSERT_EQ(fresh.boxes.size(), resized.boxes.size());
    int told = 0;
    for (const auto& [id, box] : fresh.boxes) {
        const auto it = resized.boxes.find(id);
        ASSERT_NE(it, resized.boxes.end()) << id;
        ASSERT_EQ(fresh.kinds.at(id), resized.kinds.at(id)) << id;
        if (it->second != box && told++ < 8)
            ADD_FAILURE() << "object " << id << " (" << fresh.kinds.at(id) << "): started " << box << ", resized "
                          << it->second;
    }
    ASSERT_EQ(fresh.pixels.size(), resized.pixels.size());
    size_t differ = 0, first = 0;
    const size_t width = size_t(fresh.size.width);
    for (size_t i = 0; i < fresh.pixels.size(); ++i)
        if (fresh.pixels[i] != resized.pixels[i] && differ++ == 0)
            first = i;
    EXPECT_EQ(differ, 0u) << "first at (" << first % width << ", " << first / width << ")";
}

TEST_P(ResizeTest, AResizedWindowLaysOutAsOneStartedAtItsNewSize)
{
    const auto [from, panel] = GetParam();
    for (const Size to : kSizes) {
        if (to.width == from.width)
            continue;
        SCOPED_TRACE(from.Name() + " to " + to.Name());
        const Panel after = panel == Panel::Folded || to.width <= kFoldedUpTo ? Panel::Folded : Panel::Open;
        const std::vector<View> fresh = Run(to, [&](platform::HeadlessWindow& w) { FoldTo(w, after); });
        const std::vector<View> resized = Run(from, [&](platform::HeadlessWindow& w) {
            FoldTo(w, panel);
            Resize(w, to);
        });
        ASSERT_EQ(fresh.size() + resized.size(), 4u);
        for (size_t i = 0; i < 2; ++i) {
            SCOPED_TRACE(i == 0 ? "resized" : "dealt");
            ASSERT_EQ(resized[i].size.width, to.width);
            ExpectSame(fresh[i], resized[i]);
            // The chat's text lies between the user list and the input line.
            EXPECT_GE(resized[i].chatTop, resized[i].listBottom);
            EXPECT_LE(resized[i].chatBottom, resized[i].inputTop);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ResizeTest,
                         ::testing::Combine(::testing::ValuesIn(kSizes), ::testing::Values(Panel::Open, Panel::Folded)),
                         [](const auto& info) {
                             return std::get<0>(info.param).Name() +
                                 (std::get<1>(info.param) == Panel::Open ? "_open" : "_folded");
                         });

} // namespace
