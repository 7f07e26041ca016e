#include "platform/HeadlessWindow.h"
#include "platform/TextInput.h"
#include "platform/DisplayWindowHandler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::HeadlessWindow;
using platform::MouseButton;
using platform::Rect;

// Writes every message as one line, so tests compare whole sequences.
struct Recorder : platform::DisplayWindowHandler {
    std::vector<std::string> log;
    std::function<void()> paint;
    void Add(std::string s) { log.push_back(std::move(s)); }
    static const char* Name(MouseButton b) { return b == MouseButton::Left ? "L" : b == MouseButton::Right ? "R" : "M"; }
    void OnSize(int w, int h) override { Add("size " + std::to_string(w) + "x" + std::to_string(h)); }
    void OnPaint() override
    {
        Add("paint");
        if (paint)
            paint();
    }
    void OnDestroy() override { Add("destroy"); }
    bool OnSetCursor() override
    {
        Add("setcursor");
        return false;
    }
    void OnMouseMove(int x, int y, uint32_t f) override { Add("move " + Pos(x, y, f)); }
    void OnMouseDown(MouseButton b, int x, int y, uint32_t f) override { Add(std::string(Name(b)) + "down " + Pos(x, y, f)); }
    void OnMouseUp(MouseButton b, int x, int y, uint32_t f) override { Add(std::string(Name(b)) + "up " + Pos(x, y, f)); }
    void OnMouseDoubleClick(MouseButton b, int x, int y, uint32_t f) override { Add(std::string(Name(b)) + "dbl " + Pos(x, y, f)); }
    void OnMouseWheel(int, int, int d, uint32_t) override { Add("wheel " + std::to_string(d)); }
    void OnKeyDown(uint32_t vk, uint32_t r, uint32_t f) override { Add("keydown " + Key(vk, r, f)); }
    void OnKeyUp(uint32_t vk, uint32_t r, uint32_t f) override { Add("keyup " + Key(vk, r, f)); }
    void OnChar(uint32_t c, uint32_t, uint32_t) override { Add("char " + std::to_string(c)); }
    void OnKillFocus() override { Add("killfocus"); }
    void OnSetFocus() override { Add("setfocus"); }
    static std::string Pos(int x, int y, uint32_t f) { return std::to_string(x) + "," + std::to_string(y) + " f" + std::to_string(f); }
    static std::string Key(uint32_t vk, uint32_t r, uint32_t f)
    {
        char buf[48];
        std::snprintf(buf, sizeof buf, "%u r%u f%04X", vk, r, f);
        return buf;
    }
};

struct Fixture : ::testing::Test {
    Recorder rec;
    void Attach(HeadlessWindow& w)
    {
        w.SetHandler(&rec);
        rec.log.clear();
    }
    // A full click: press and release at one point.
    static void Click(HeadlessWindow& w, MouseButton b, int x, int y, uint64_t t)
    {
        w.InjectMouseDown(b, x, y, t);
        w.InjectMouseUp(b, x, y, t + 10);
    }
};

TEST_F(Fixture, DoubleClicksOnlyForWindowsThatAskAndThirdPressIsAPress)
{
    HeadlessWindow plain({0, 0, 100, 100});
    Attach(plain);
    Click(plain, MouseButton::Left, 10, 10, 1000);
    Click(plain, MouseButton::Left, 10, 10, 1200);
    EXPECT_EQ((std::vector<std::string>{"Ldown 10,10 f1", "Lup 10,10 f0", "Ldown 10,10 f1", "Lup 10,10 f0"}), rec.log);

    HeadlessWindow asks({0, 0, 100, 100}, {.wantDoubleClicks = true});
    Attach(asks);
    Click(asks, MouseButton::Left, 10, 10, 1000);
    Click(asks, MouseButton::Left, 12, 8, 1500);   // 2 px away, 500 ms later: still a pair
    Click(asks, MouseButton::Left, 12, 8, 1600);   // the press after a pair starts afresh
    EXPECT_EQ((std::vector<std::string>{"Ldown 10,10 f1", "Lup 10,10 f0", "Ldbl 12,8 f1", "Lup 12,8 f0",
                                        "Ldown 12,8 f1", "Lup 12,8 f0"}),
              rec.log);
}

TEST_F(Fixture, DoubleClickNeedsSameButtonTimeAndPlace)
{
    HeadlessWindow w({0, 0, 100, 100}, {.wantDoubleClicks = true});
    Attach(w);
    Click(w, MouseButton::Left, 10, 10, 0);
    Click(w, MouseButton::Left, 10, 10, 501);  // too late
    Click(w, MouseButton::Left, 13, 10, 600);  // 3 px away
    Click(w, MouseButton::Right, 13, 10, 700); // other button
    Click(w, MouseButton::Right, 13, 10, 800); // right pair
    std::vector<std::string> presses;
    for (auto& l : rec.log)
        if (l.find("up") == std::string::npos)
            presses.push_back(l.substr(0, l.find(' ')));
    EXPECT_EQ((std::vector<std::string>{"Ldown", "Ldown", "Ldown", "Rdown", "Rdbl"}), presses);
}

TEST_F(Fixture, SetCursorComesBeforeMovesUnlessCaptured)
{
    HeadlessWindow w({0, 0, 100, 100});
    Attach(w);
    w.InjectMouseMove(5, 6);
    w.SetCapture();
    w.InjectMouseMove(7, 8);
    w.ReleaseCapture();
    w.InjectKey(platform::vk::kShift, true);
    w.InjectMouseMove(9, 9);
    EXPECT_EQ((std::vector<std::string>{"setcursor", "move 5,6 f0", "move 7,8 f0", "keydown 16 r1 f0000", "setcursor",
                                        "move 9,9 f4"}),
              rec.log);
    EXPECT_TRUE(w.PointerInside());
    w.InjectMouseMove(150, 9);
    EXPECT_FALSE(w.PointerInside());
}

TEST_F(Fixture, KeyFlagsAndCharactersMadeFromKeys)
{
    HeadlessWindow w({0, 0, 100, 100});
    Attach(w);
    w.InjectKey(platform::vk::kReturn, true, false, 0x1C);
    w.InjectKey(platform::vk::kReturn, true, true, 0x1C);  // auto-repeat
    w.InjectKey(platform::vk::kReturn, false, false, 0x1C);
    w.InjectKey(platform::vk::kLeft, true, false, 0x4B, true);
    w.InjectKey(platform::vk::kControl, true);
    w.InjectKey('C', true);
    EXPECT_TRUE(w.IsKeyDown(platform::vk::kControl));
    EXPECT_EQ((std::vector<std::string>{"keydown 13 r1 f001C", "char 13", "keydown 13 r1 f401C", "char 13",
                                        "keyup 13 r1 fC01C", "keydown 37 r1 f014B", "keydown 17 r1 f0000",
                                        "keydown 67 r1 f0000", "char 3"}),
              rec.log);
    rec.log.clear();
    w.InjectFocus(true);
    w.InjectFocus(false);  // keys held while the focus goes are forgotten
    EXPECT_FALSE(w.IsKeyDown(platform::vk::kControl));
    EXPECT_EQ((std::vector<std::string>{"setfocus", "killfocus"}), rec.log);
}

TEST_F(Fixture, TypedTextArrivesAsGbkBytesLeadFirst)
{
    HeadlessWindow w({0, 0, 100, 100});
    Attach(w);
    w.InjectUtf8Text(reinterpret_cast<const char*>(u8"a中😀"));  // the emoji has no GBK form
    EXPECT_EQ((std::vector<std::string>{"char 97", "char 214", "char 208"}), rec.log);
    EXPECT_EQ("", platform::TypedTextToGbk("\t\x7f"));
    EXPECT_EQ("?", platform::TypedTextToGbk("?"));
}

TEST_F(Fixture, WheelNotchesAreMultiplesOf120)
{
    HeadlessWindow w({0, 0, 100, 100});
    Attach(w);
    w.InjectWheel(1);
    w.InjectWheel(-2);
    w.InjectWheel(0);
    EXPECT_EQ((std::vector<std::string>{"wheel 120", "wheel -240"}), rec.log);
}

TEST_F(Fixture, ScreenChangesOnlyWhereDamageWasPending)
{
    HeadlessWindow w({0, 0, 8, 4});
    Attach(w);
    std::vector<uint32_t> buffer(8 * 4, 0x11223344);
    const Rect all{0, 0, 8, 4};
    int scheduled = 0;
    w.SetDamageListener([&] { ++scheduled; });
    rec.paint = [&] { w.Present(buffer.data(), 8, 4, w.PaintingDamage()); };
    w.Present(buffer.data(), 8, 4, std::span(&all, 1));  // nothing damaged: nothing shows
    EXPECT_EQ(0u, w.Pixel(0, 0));
    w.Invalidate({2, 1, 4, 3});
    w.Invalidate({2, 1, 3, 2});  // inside the first
    EXPECT_EQ(1u, w.PendingDamage().size());
    EXPECT_EQ(1, scheduled) << "one paint is scheduled however much damage comes";
    EXPECT_TRUE(w.DispatchPaint());
    EXPECT_FALSE(w.DispatchPaint());  // validated
    EXPECT_EQ(0x11223344u, w.Pixel(3, 2));
    EXPECT_EQ(0u, w.Pixel(4, 2));
    EXPECT_EQ(4u, w.PresentedPixels());
    w.Invalidate({0, 0, 4, 1});
    w.Invalidate({2, 0, 6, 1}); // overlaps the first: its pixels are still copied once per rectangle
    EXPECT_TRUE(w.DispatchPaint());
    EXPECT_EQ(4u + 8u, w.PresentedPixels());
    for (int i = 0; i < 40; ++i)
        w.Invalidate({i % 8, 0, i % 8 + 1, 1 + i % 3});
    EXPECT_LE(w.PendingDamage().size(), HeadlessWindow::kMaxDamageRects);

    // A frame's worth of scattered small damage shows as itself, not as the box around it.
    HeadlessWindow wide({0, 0, 128, 2});
    Attach(wide);
    std::vector<uint32_t> row(128 * 2, 0x11223344);
    rec.paint = [&] { wide.Present(row.data(), 128, 2, wide.PaintingDamage()); };
    const uint64_t first = wide.PresentedPixels();
    for (int i = 0; i < 60; ++i)
        wide.Invalidate({2 * i, 0, 2 * i + 1, 1});
    EXPECT_TRUE(wide.DispatchPaint());
    EXPECT_EQ(first + 60u, wide.PresentedPixels());
}

TEST_F(Fixture, MinimiseReportsZeroSizeAndRestoreRepaintsEverything)
{
    HeadlessWindow w({10, 20, 110, 70});
    Attach(w);
    w.Minimise();
    EXPECT_TRUE(w.IsMinimised());
    w.Invalidate({0, 0, 5, 5});
    EXPECT_FALSE(w.DispatchPaint());
    w.Restore();
    ASSERT_EQ(1u, w.PendingDamage().size());
    EXPECT_EQ((Rect{0, 0, 100, 50}), w.PendingDamage()[0]);
    w.Resize(40, 30);
    EXPECT_EQ((std::vector<std::string>{"size 0x0", "size 100x50", "size 40x30"}), rec.log);
    EXPECT_EQ((platform::Point{15, 22}), w.ClientToScreen({5, 2}));
    // A window with a smallest size is never made smaller.
    HeadlessWindow kept({0, 0, 50, 50}, {.minWidth = 60, .minHeight = 40});
    kept.Resize(40, 30);
    EXPECT_EQ((Rect{0, 0, 60, 40}), kept.ScreenRect());
    kept.Resize(40, 70); // too narrow only
    EXPECT_EQ((Rect{0, 0, 60, 70}), kept.ScreenRect());
}

TEST_F(Fixture, CursorCounterCursorsConfinementAndBoxesAreRecorded)
{
    HeadlessWindow w({0, 0, 100, 100});
    EXPECT_EQ(-1, w.ShowCursor(false));
    EXPECT_FALSE(w.CursorVisible());
    EXPECT_EQ(-2, w.ShowCursor(false));
    EXPECT_EQ(-1, w.ShowCursor(true));
    EXPECT_FALSE(w.CursorVisible());
    EXPECT_EQ(0, w.ShowCursor(true));
    EXPECT_TRUE(w.CursorVisible());

    w.SetCursor(platform::Cursor::System(platform::system_cursor::kHand));
    w.SetCursor(platform::Cursor::System(platform::system_cursor::kHand));
    EXPECT_EQ(1, w.CursorChanges());
    w.ConfineCursor({1, 2, 3, 4});
    EXPECT_EQ((Rect{1, 2, 3, 4}), *w.Confinement());
    w.ReleaseCursor();
    EXPECT_FALSE(w.Confinement());

    w.QueueMessageBoxAnswer(platform::MessageBoxAnswer::No);
    EXPECT_EQ(platform::MessageBoxAnswer::No, w.MessageBox("text", "cap", platform::MessageBoxButtons::YesNo));
    EXPECT_EQ(platform::MessageBoxAnswer::Ok, w.MessageBox("again", "", platform::MessageBoxButtons::Ok));
    ASSERT_EQ(2u, w.MessageBoxes().size());
    EXPECT_EQ("text", w.MessageBoxes()[0].text);

    Attach(w);
    w.Destroy();
    w.InjectMouseMove(1, 1);
    EXPECT_EQ((std::vector<std::string>{"destroy"}), rec.log);
}

} // namespace
