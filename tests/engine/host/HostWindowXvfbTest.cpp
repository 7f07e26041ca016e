#include "engine/GameCore.h"
#include "engine/gui/CGameBase.h"
#include "engine/host/LumoraWnd.h"
#include "engine/object/ObjectModule.h"
#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "engine/paint/PaintModuleGDI.h"
#include "platform/MessageLoop.h"
#include "platform/RealWindow.h"
#include "platform/ScreenshotPng.h"
#include "platform/Window.h"
#include "support/DummyAudio.h"
#include "support/XvfbSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <unistd.h>

using namespace Lumora;

namespace {

constexpr uint32_t kClicked = 80000001;

// The engine blends with a shift by 8, so an opaque channel may come out one below 255.
bool Near(uint32_t want, uint32_t got)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int((want >> shift) & 0xFF) - int((got >> shift) & 0xFF)) > 2)
            return false;
    return true;
}

// A small scene: a blue backdrop, a red button, a yellow picture read from a PNG file and a line
// of text; a click on the button turns it green.
struct Scene : CGameBase {
    PlaneObject* button = nullptr;
    int clicks = 0;

    void Build(ObjectModule& objects)
    {
        PlaneObject* backdrop = objects.NewPlaneObject(320, 240, 0xFF0000, nullptr);  // COLORREF blue
        backdrop->Clear();
        backdrop->MoveTo(160, 120);
        backdrop->Activate();
        backdrop->Redraw();
        button = objects.NewPlaneObject(80, 40, 0x0000FF, nullptr);  // red
        button->Clear();
        button->SetLayer(1);
        button->MoveTo(160, 120);
        button->Activate();
        button->AddEventHook(19840330, GetId(), kClicked, 0, 0);
        button->Redraw();
        // A picture file registered as a resource and drawn by name.
        const std::string file = std::filesystem::temp_directory_path().string() + "/xl-star-" +
                                 std::to_string(getpid()) + ".png";
        std::vector<uint32_t> yellow(30 * 30, 0xFFFFFF00);
        platform::WriteBgraPng(file, yellow.data(), 30, 30);
        AddResourceFile(file.c_str(), nullptr);
        PictureInfo picture;
        GetPicture(picture, ("xl-star-" + std::to_string(getpid())).c_str(), 0);
        std::filesystem::remove(file);
        if (BITObject* star = NewBitmapObject(picture)) {
            star->SetLayer(1);
            star->MoveTo(40, 200);
            star->Activate();
            star->Redraw();
        }
        PlaneObject* text = objects.NewPlaneObject(200, 24, 0xFF00FF, nullptr);  // see-through
        text->Clear();
        text->SetPen(0xFFFFFF, 1.0);
        text->SetFont(16, 400, "宋体");
        text->DrawTextLine(0, 0, "请点击 Click");
        text->SetLayer(1);
        text->MoveTo(160, 40);
        text->Activate();
        text->Redraw();
    }
    int OnEvent(const EventRecord& r) override
    {
        if (r.code != kClicked)
            return CGameBase::OnEvent(r);
        ++clicks;
        button->SetBackgroundColour(0x00FF00);
        button->Clear();
        button->Redraw();
        return 1;
    }
};

// The engine in a real window on a private X server: the scene reaches the screen, a click by
// xdotool reaches the button through the input module, and the repaint shows in a screenshot
// kept in the build folder; after a resize the scene shows whole again. On a 32-bit screen the
// frames are composed in the window's own pixels; on a 16-bit one they are converted.
void SceneShowsAndAClickChangesIt(const char* screen, bool composedInWindow)
{
    xltest::XvfbSession x(screen);
    if (!x.Ok())
        GTEST_SKIP() << "needs Xvfb, xdotool and import";
    ASSERT_TRUE(platform::OpenRealWindows());
    {
        CLumoraWnd wnd;
        ASSERT_TRUE(wnd.Create("xl-engine", platform::WindowStyle{}, {0, 0, 320, 240}));
        auto* scene = new Scene;
        wnd.StartEngine(scene);
        auto* objects = static_cast<ObjectModule*>(wnd.GetCore().GetModule(LUMORA_MODULE_OBJECT));
        auto* paint = static_cast<PaintModuleGDI*>(wnd.GetCore().GetModule(LUMORA_MODULE_PAINT));
        ASSERT_TRUE(objects && paint);
        EXPECT_EQ(composedInWindow, paint->FrameInStore());
        scene->Build(*objects);
        const auto run = [&](int ms, auto done) {
            const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
            platform::Message m;
            while (!done() && std::chrono::steady_clock::now() < end && platform::GetNextMessage(m))
                platform::Dispatch(m);
            return done();
        };
        // Screenshots until the expected picture shows (a loaded machine may take a few frames).
        const auto shoot = [&](const char* name, uint32_t button, int width = 320, int height = 240) {
            std::optional<xltest::Picture> shot;
            for (int i = 0; i < 30; ++i) {
                run(100, [] { return false; });
                shot = xltest::Screenshot(name, width, height);
                if (shot && Near(button, shot->Rgb(160, 120)))
                    break;
            }
            return shot;
        };
        const auto a = shoot("engine-window-before.png", 0xFF0000);

        ASSERT_EQ(0, std::system("(xdotool search --sync --onlyvisible --name '^xl-engine$' | head -1 | "
                                 "xargs -I{} xdotool mousemove --window {} 150 115 click 1) >/dev/null 2>&1 &"));
        ASSERT_TRUE(run(10000, [&] { return scene->clicks > 0; })) << "the click never reached the button";
        const auto b = shoot("engine-window-after.png", 0x00FF00);
        ASSERT_TRUE(a && b);
        EXPECT_TRUE(Near(0x0000FF, a->Rgb(10, 150))) << "backdrop " << std::hex << a->Rgb(10, 150);
        EXPECT_TRUE(Near(0xFF0000, a->Rgb(160, 120))) << "button " << std::hex << a->Rgb(160, 120);
        EXPECT_TRUE(Near(0x00FF00, b->Rgb(160, 120))) << "button after the click " << std::hex << b->Rgb(160, 120);
        EXPECT_TRUE(Near(0x0000FF, b->Rgb(10, 150)));
        EXPECT_TRUE(Near(0xFFFF00, a->Rgb(40, 200))) << "picture " << std::hex << a->Rgb(40, 200);
        int textPixels = 0;
        for (int y = 28; y < 52; ++y)
            for (int xx = 60; xx < 260; ++xx)
                textPixels += !Near(0x0000FF, b->Rgb(xx, y));
        EXPECT_GT(textPixels, 40) << "the text is drawn";

        // A new size: a new surface, drawn whole before it shows.
        wnd.GetWindow()->Move({0, 0, 400, 300});
        const auto c = shoot("engine-window-resized.png", 0x00FF00, 400, 300);
        ASSERT_TRUE(c);
        EXPECT_EQ(composedInWindow, paint->FrameInStore());
        EXPECT_TRUE(Near(0x00FF00, c->Rgb(160, 120)));
        EXPECT_TRUE(Near(0x0000FF, c->Rgb(10, 150)));
        EXPECT_TRUE(Near(0xFFFF00, c->Rgb(40, 200)));
    }
    platform::CloseRealWindows();
}

TEST(HostWindowXvfb, SceneShowsAndAClickChangesIt) { SceneShowsAndAClickChangesIt("1024x768x24", true); }

TEST(HostWindowXvfb, SceneShowsAndAClickChangesItOnA16BitScreen) { SceneShowsAndAClickChangesIt("1024x768x16", false); }

} // namespace
