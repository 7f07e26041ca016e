#include "tests/support/EngineFixtures.h"

#include "engine/GameCore.h"
#include "engine/gui/CGameBase.h"
#include "engine/host/LumoraWnd.h"
#include "engine/object/EventRecord.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PObject.h"
#include "engine/object/PlaneObject.h"
#include "engine/paint/PaintModuleGDI.h"
#include "engine/resource/ResourceModule.h"
#include "platform/Clipboard.h"
#include "platform/HeadlessWindow.h"
#include "platform/KeyboardState.h"
#include "platform/ManualLoop.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace Lumora;
using platform::HeadlessWindow;

namespace {

// The game object: counts its layouts and keeps what the hall handed over.
struct Game : CGameBase {
    int sizes = 0;
    std::vector<uint8_t> copied;
    uint32_t copyCode = 0;
    bool repaintOnSize = false; // as the game frame, which draws its felt anew
    void OnSize() override
    {
        ++sizes;
        if (repaintOnSize)
            FullRedraw();
    }
    void OnCopyData(uint32_t code, std::span<const uint8_t> bytes) override
    {
        copyCode = code;
        copied.assign(bytes.begin(), bytes.end());
    }
};

constexpr uint32_t kRed = 0x0000FF;   // as COLORREF
constexpr uint32_t kRedPixel = 0xFF0000;

class HostWindowTest : public testsupport::EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        loop_ = std::make_unique<platform::ManualLoop>(clock_);
        auto window = std::make_unique<HeadlessWindow>(platform::Rect{0, 0, 200, 150});
        window_ = window.get();
        wnd_ = std::make_unique<CLumoraWnd>();
        ASSERT_TRUE(wnd_->Create(std::move(window)));
        game_ = new Game;
        timer_ = wnd_->StartEngine(game_);
        objects_ = static_cast<ObjectModule*>(wnd_->GetCore().GetModule(LUMORA_MODULE_OBJECT));
        paint_ = static_cast<PaintModuleGDI*>(wnd_->GetCore().GetModule(LUMORA_MODULE_PAINT));
        ASSERT_TRUE(objects_ && paint_);
    }
    void TearDown() override
    {
        wnd_.reset();
        loop_.reset();
        EngineFixture::TearDown();
    }
    PlaneObject* Square(int x, int y, int size, uint32_t colour)
    {
        PlaneObject* p = objects_->NewPlaneObject(size, size, colour, nullptr);
        p->Clear();
        p->MoveTo(x + size / 2.0, y + size / 2.0);
        p->Activate();
        p->Redraw();
        return p;
    }
    uint32_t Rgb(int x, int y) const { return window_->Pixel(x, y) & 0xFFFFFF; }
    // What the engine composed equals what the screen shows.
    ::testing::AssertionResult ScreenMatchesFrame() const
    {
        const auto& frame = paint_->PresentBuffer();
        const auto& screen = window_->Framebuffer();
        if (frame.size() != screen.size())
            return ::testing::AssertionFailure() << "sizes differ";
        for (size_t i = 0; i < frame.size(); ++i)
            if ((frame[i] & 0xFFFFFF) != (screen[i] & 0xFFFFFF))
                return ::testing::AssertionFailure() << "first difference at " << i % 200 << "," << i / 200;
        return ::testing::AssertionSuccess();
    }

    std::unique_ptr<platform::ManualLoop> loop_;
    std::unique_ptr<CLumoraWnd> wnd_;
    HeadlessWindow* window_ = nullptr;
    Game* game_ = nullptr;
    uint32_t timer_ = 0;
    ObjectModule* objects_ = nullptr;
    PaintModuleGDI* paint_ = nullptr;
};

TEST_F(HostWindowTest, StartLoadsTheModulesSizesTheViewAndLaysOutTheGame)
{
    GameCore& core = wnd_->GetCore();
    for (uint32_t id : {1001u, 1002u, 1003u, 1004u, 1005u})
        EXPECT_TRUE(core.GetModule(id)) << id;
    EXPECT_EQ(200, paint_->GetWidth());
    EXPECT_EQ(150, paint_->GetHeight());
    EXPECT_EQ(100, objects_->GetViewportCentreX());
    EXPECT_EQ(75, objects_->GetViewportCentreY());
    EXPECT_EQ(game_, wnd_->GetGameObject());
    EXPECT_NE(0u, game_->GetId()) << "registered";
    EXPECT_EQ(1, game_->sizes);

    // A second host window takes the next frame timer id.
    auto other = std::make_unique<CLumoraWnd>();
    ASSERT_TRUE(other->Create(std::make_unique<HeadlessWindow>(platform::Rect{0, 0, 50, 50})));
    EXPECT_EQ(timer_ + 1, other->StartEngine(nullptr));
}

TEST_F(HostWindowTest, ModulesThatFailToLoadAreLeftOutOfTheStart)
{
    // The core deletes a module whose Init fails: here the resources, and with them the painting
    // module, which needs them. The start must not touch either afterwards, and keeps no game
    // object without both the painting and the object module.
    struct FailingResources : ResourceModule {
        int Init() override { return 0; }
    };
    auto other = std::make_unique<CLumoraWnd>();
    ASSERT_TRUE(other->Create(std::make_unique<HeadlessWindow>(platform::Rect{0, 0, 60, 40})));
    auto game = std::make_unique<Game>();
    EXPECT_NE(0u, other->StartEngine(game.get(), new FailingResources));
    GameCore& core = other->GetCore();
    EXPECT_EQ(nullptr, core.GetModule(LUMORA_MODULE_RESOURCE));
    EXPECT_EQ(nullptr, core.GetModule(LUMORA_MODULE_PAINT));
    for (uint32_t id : {1002u, 1004u, 1005u})
        EXPECT_TRUE(core.GetModule(id)) << id;
    EXPECT_EQ(nullptr, other->GetGameObject());
    EXPECT_EQ(0u, game->GetId()) << "not registered";
    loop_->Advance(20);  // both engines tick
    other->OnSize(80, 50);
    other->OnPaint();
    EXPECT_NE(std::string::npos, DailyLogText().find("LUMORA_RETURN_MODULE_INITIAL_FAILD"));
}

TEST_F(HostWindowTest, FramesReachTheScreenOnlyWhereTheyChanged)
{
    PlaneObject* square = Square(20, 30, 20, kRed);
    loop_->Advance(20);
    EXPECT_EQ(kRedPixel, Rgb(25, 35));
    EXPECT_TRUE(ScreenMatchesFrame());

    const auto before = window_->Framebuffer();
    square->MoveTo(90, 50);  // from [20,40)x[30,50) to [80,100)x[40,60)
    square->Redraw();
    loop_->Advance(20);
    EXPECT_TRUE(ScreenMatchesFrame());
    EXPECT_EQ(kRedPixel, Rgb(85, 45));
    EXPECT_NE(kRedPixel, Rgb(25, 35)) << "no trail";
    const auto& after = window_->Framebuffer();
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool inside = (x >= 20 && x < 40 && y >= 30 && y < 50) || (x >= 80 && x < 100 && y >= 40 && y < 60);
            if (!inside) {
                ASSERT_EQ(before[y * 200 + x], after[y * 200 + x]) << x << "," << y;
            }
        }

    // The same scene drawn from scratch looks exactly the same: no trail, no missed rectangle.
    const auto incremental = window_->Framebuffer();
    const int presents = window_->Presents();
    objects_->FullRedraw();
    wnd_->OnEngineTimer();
    loop_->RunUntilIdle();
    EXPECT_GT(window_->Presents(), presents);
    EXPECT_TRUE(incremental == window_->Framebuffer());
}

TEST_F(HostWindowTest, AnIdleEngineDoesNotPresent)
{
    Square(20, 30, 20, kRed);
    loop_->Advance(50);
    const int presents = window_->Presents();
    loop_->Advance(1000);
    EXPECT_EQ(presents, window_->Presents());
}

TEST_F(HostWindowTest, APressReachesItsObjectWithoutWaitingForTheTimer)
{
    struct Presses : PObject {
        int count = 0;
        int OnEvent(const EventRecord&) override { return ++count; }
    };
    auto* presses = new Presses;
    objects_->RegisterObject(presses, nullptr);
    PlaneObject* square = Square(20, 30, 20, kRed);
    square->AddEventHook(EV_LBUTTON_DOWN, presses->GetId(), 80000001, 0, 0);
    loop_->Advance(50);
    window_->InjectMouseMove(25, 35);
    window_->InjectMouseDown(platform::MouseButton::Left, 25, 35, clock_.NowMs());
    loop_->RunUntilIdle(); // no time passes
    EXPECT_EQ(1, presses->count);
}

TEST_F(HostWindowTest, AnIdleEngineSleepsUntilItsNextDueWorkAndWakesForAChange)
{
    loop_->Advance(50);
    // Only the input module's round is due: the timer sleeps until it.
    EXPECT_GT(wnd_->GetTickPeriod(), CLumoraWnd::kFrameIntervalMs);
    Square(20, 30, 20, kRed);
    EXPECT_EQ(CLumoraWnd::kFrameIntervalMs, wnd_->GetTickPeriod());
    loop_->Advance(10);
    EXPECT_EQ(kRedPixel, Rgb(25, 35));
    EXPECT_TRUE(ScreenMatchesFrame());
}

TEST_F(HostWindowTest, SizeMessagesFollowTheClassicRules)
{
    loop_->Advance(20);
    window_->Minimise();
    EXPECT_EQ(200, wnd_->GetClientWidth()) << "a zero size changes nothing";
    window_->Restore();
    EXPECT_EQ(1, game_->sizes) << "the old size again changes nothing";
    window_->Resize(120, 81);
    EXPECT_EQ(120, paint_->GetWidth());
    EXPECT_EQ(81, paint_->GetHeight());
    EXPECT_EQ(60, objects_->GetViewportCentreX());
    EXPECT_EQ(40, objects_->GetViewportCentreY());
    EXPECT_EQ(2, game_->sizes);
    Square(10, 10, 10, kRed);
    loop_->Advance(20);
    EXPECT_TRUE(ScreenMatchesFrame() ) << "odd sizes present whole";
}

// A resize paints the whole view in one frame, though the game asks for a whole repaint too.
TEST_F(HostWindowTest, AResizeBuildsOneWholeFrame)
{
    Square(20, 30, 20, kRed);
    loop_->Advance(20);
    game_->repaintOnSize = true;
    int frames = 0;
    objects_->SetFrameBuiltHook([&] { ++frames; });
    window_->Resize(300, 200);
    loop_->Advance(20);
    objects_->SetFrameBuiltHook(nullptr);
    EXPECT_EQ(1, frames);
    EXPECT_EQ(kRedPixel, Rgb(25, 35));
}

// The frames are composed in the window's own pixels; a new size makes a new store, drawn
// whole; and a window destroyed inside a tick, while the modules stay to its end, gets no frame
// composed in its freed pixels.
TEST_F(HostWindowTest, FramesAreComposedInTheWindowsOwnPixels)
{
    PlaneObject* square = Square(20, 30, 20, kRed);
    loop_->Advance(20);
    EXPECT_EQ(window_->Framebuffer().data(), paint_->PresentBuffer().data());
    window_->Resize(300, 200);
    EXPECT_EQ(window_->Framebuffer().data(), paint_->PresentBuffer().data());
    loop_->Advance(20);
    EXPECT_EQ(kRedPixel, Rgb(25, 35));

    struct Closer : PObject {
        CLumoraWnd* wnd = nullptr;
        PaintModuleGDI* paint = nullptr;
        PlaneObject* square = nullptr;
        bool* inStore = nullptr;
        int OnEvent(const EventRecord&) override
        {
            wnd->DestroyWindow();
            *inStore = paint->FrameInStore();
            square->MoveTo(80, 80);
            square->Redraw();
            return 1;
        }
    };
    bool inStore = true;
    auto* closer = new Closer; // the object module deletes it on unloading
    closer->inStore = &inStore;
    closer->wnd = wnd_.get();
    closer->paint = paint_;
    closer->square = square;
    objects_->RegisterObject(closer, nullptr);
    square->AddEventHook(EV_LBUTTON_DOWN, closer->GetId(), 80000001, 0, 0);
    window_->InjectMouseMove(25, 35);
    window_->InjectMouseDown(platform::MouseButton::Left, 25, 35, clock_.NowMs());
    loop_->RunUntilIdle();
    EXPECT_FALSE(inStore);
    EXPECT_EQ(0u, wnd_->GetCore().ModuleCount());
}

// A store the window lends anew at its size gets the whole view at the next frame, not only what
// changed; one of another size (the window's surface ahead of its size message) is not composed
// in, and the frames reach the screen by copies until the size follows.
TEST_F(HostWindowTest, ANewlyLentStoreIsDrawnWholeAndOneOfAnotherSizeIsNotTaken)
{
    Square(20, 30, 20, kRed);
    loop_->Advance(20);
    window_->RemakeStore(200, 150);
    loop_->Advance(20);
    EXPECT_EQ(window_->Framebuffer().data(), paint_->PresentBuffer().data());
    EXPECT_TRUE(ScreenMatchesFrame());
    EXPECT_EQ(kRedPixel, Rgb(25, 35));

    window_->RemakeStore(120, 90);
    loop_->Advance(20);
    EXPECT_FALSE(paint_->FrameInStore());
    EXPECT_EQ(kRedPixel, Rgb(25, 35));
    window_->Resize(120, 90);
    loop_->Advance(20);
    EXPECT_TRUE(paint_->FrameInStore());
    EXPECT_EQ(kRedPixel, Rgb(25, 35));
}

TEST_F(HostWindowTest, AModuleFaultShowsItsBoxOverTheWindow)
{
    struct Faulty : BaseModule {
        int Init() override { return 1; }
        void Shutdown() override {}
        void Work() override { throw std::runtime_error("broken"); }
        uint32_t GetId() const override { return 1099; }
        const char* GetName() const override { return "Faulty"; }
        int ProcessMessage(uint32_t, uintptr_t, uintptr_t) override { return 1; }
    };
    wnd_->GetCore().LoadModule(new Faulty, 1, 1);
    loop_->Advance(40);
    ASSERT_EQ(1u, window_->MessageBoxes().size()) << "one box, and the ticks go on";
    EXPECT_EQ("模块:<Faulty>因故障关闭!", window_->MessageBoxes()[0].text);
    EXPECT_EQ("", window_->MessageBoxes()[0].caption);
}

TEST_F(HostWindowTest, PressesCaptureAndFocusAndReleasesFreeTheCapture)
{
    window_->InjectMouseMove(10, 10);
    window_->InjectMouseDown(platform::MouseButton::Left, 10, 10, 0);
    EXPECT_TRUE(window_->HasCapture());
    EXPECT_TRUE(window_->HasFocus());
    window_->InjectMouseUp(platform::MouseButton::Left, 10, 10, 10);
    EXPECT_FALSE(window_->HasCapture());
    window_->InjectMouseDown(platform::MouseButton::Right, 10, 10, 20);
    EXPECT_TRUE(window_->HasCapture());
    window_->InjectMouseUp(platform::MouseButton::Right, 10, 10, 30);
    EXPECT_FALSE(window_->HasCapture());
    EXPECT_FALSE(wnd_->OnSetCursor());
}

TEST_F(HostWindowTest, CopyDataReachesTheGameAndDestroyStopsEverything)
{
    const uint8_t bytes[] = {1, 2, 3};
    wnd_->OnCopyData(7, bytes);
    EXPECT_EQ(7u, game_->copyCode);
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), game_->copied);

    // While the window lives, the clipboard and the Ctrl state are this window's.
    ASSERT_TRUE(platform::CurrentClipboard().SetText("两"));
    EXPECT_EQ("两", window_->ClipboardText());
    window_->InjectKey(platform::vk::kControl, true);
    EXPECT_TRUE(platform::CurrentKeyboardState().IsCtrlDown());

    wnd_->DestroyWindow();
    EXPECT_FALSE(platform::CurrentKeyboardState().IsCtrlDown()) << "back to the stand-ins";
    EXPECT_EQ(nullptr, wnd_->GetGameObject());
    EXPECT_EQ(0u, wnd_->GetCore().ModuleCount());
    loop_->Advance(100);  // no timer, nothing to tick
    EXPECT_FALSE(wnd_->OnSetCursor()) << "handlers without modules do only their default";
}

} // namespace
