#include "tests/widgets/WidgetFixture.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "widgets/CXyCheckButton.h"
#include "widgets/CXyPopButton.h"
#include "widgets/CXyRadioButton.h"
#include "widgets/CXySimpleButton.h"
#include "widgets/CXyStandButton.h"

using namespace Lumora;
using namespace widgettest;

namespace {

constexpr uint32_t kClicked = 80001137;
constexpr uint32_t kOn = 80000101;
constexpr uint32_t kOff = 80000102;

class ButtonTest : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        E().AddSkin("btn_Test", SolidFrames(40, 20, {0x000010, 0x000020, 0x000030, 0x000040}));
        E().AddSkin("chk_Test", SolidFrames(16, 16, {0x100000, 0x200000}));
        E().LoadSkins();
        probe_ = E().MakeProbe();
    }

    // A stand button at (100, 100) as the game makes its push buttons.
    CXyStandButton* MakeStand(uint32_t style = 0)
    {
        auto* button = E().Make<CXyStandButton>();
        const PictureInfo skin = E().Picture("btn_Test");
        const EventRecord notify{probe_->GetId(), kClicked, 7, 9};
        button->Create(&skin, &notify, style, 4);
        button->SetSound(CXyStandButton::SOUND_ENTER, "SndTouchButton");
        button->SetSound(CXyStandButton::SOUND_PRESS, "SndHitButton");
        button->MoveTo(100, 100);
        E().Show(*button);
        return button;
    }

    ProbeObject* probe_ = nullptr;
};

TEST_F(ButtonTest, StandButtonFramesFollowEnterPressLeaveAndDraggingOffCancelsTheClick)
{
    CXyStandButton* button = MakeStand();
    EXPECT_EQ(button->GetType(), 8);
    EXPECT_EQ(button->GetState(), 0);
    E().MoveMouse(100, 100);
    EXPECT_EQ(button->GetState(), 1);
    E().Press(100, 100);
    EXPECT_EQ(button->GetState(), 2);
    E().DragTo(300, 300);  // the hover does not move while the button is held
    E().Release(300, 300);
    E().MoveMouse(301, 301);
    EXPECT_EQ(button->GetState(), 0);
    EXPECT_EQ(probe_->Count(kClicked), 0u);
}

TEST_F(ButtonTest, StandButtonSendsItsRecordUnchangedOncePerClick)
{
    CXyStandButton* button = MakeStand();
    E().Click(100, 100);
    ASSERT_EQ(probe_->Count(kClicked), 1u);
    EXPECT_EQ(probe_->records[0].param1, 7u);
    EXPECT_EQ(probe_->records[0].param2, 9u);
    EXPECT_EQ(button->GetState(), 1);

    // Notify on press: sent on the press, nothing more on the release inside.
    button->SetNotifyOnPress();
    probe_->records.clear();
    E().Run(600);
    E().Press(100, 100);
    EXPECT_EQ(probe_->Count(kClicked), 1u);
    E().Release(100, 100);
    EXPECT_EQ(probe_->Count(kClicked), 1u);
}

TEST_F(ButtonTest, DisabledStandButtonShowsFrameThreeAndIgnoresInput)
{
    CXyStandButton* button = MakeStand();
    button->Enable(false);
    EXPECT_EQ(button->GetState(), 3);
    E().Click(100, 100);
    EXPECT_EQ(button->GetState(), 3);
    EXPECT_EQ(probe_->Count(kClicked), 0u);
    // Enabled again while the cursor is away: frame 0.
    E().MoveMouse(400, 400);
    button->Enable(true);
    EXPECT_EQ(button->GetState(), 0);
}

TEST_F(ButtonTest, LatchedStandButtonHoldsFrameTwoThroughHoverAndClicksToTheHoverFrame)
{
    CXyStandButton* button = MakeStand();
    button->SetLatched(true);
    E().MoveMouse(100, 100);
    EXPECT_EQ(button->GetState(), 2);
    E().MoveMouse(400, 400);
    EXPECT_EQ(button->GetState(), 2);
    E().Click(100, 100);
    EXPECT_EQ(probe_->Count(kClicked), 1u);
    EXPECT_EQ(button->GetState(), 1);
    button->SetLatched(false);  // the cursor is over it: hover frame
    EXPECT_EQ(button->GetState(), 1);
}

TEST_F(ButtonTest, EnterKeyClicksOnlyWithItsStyleBit)
{
    CXyStandButton* button = MakeStand(CXyStandButton::STYLE_ENTER_CLICKS);
    E().Click(100, 100);  // takes the focus
    probe_->records.clear();
    E().Key(kVirtualKeyEnter);
    EXPECT_EQ(probe_->Count(kClicked), 1u);
    E().Key('A');
    E().Type("a\xC4\xE3");  // characters are not keys
    EXPECT_EQ(probe_->Count(kClicked), 1u);
    E().RightClick(100, 100);  // only the left button clicks
    E().Wheel(1);
    EXPECT_EQ(probe_->Count(kClicked), 1u);
    E().DoubleClick(100, 100);  // a double click is two clicks to a button
    EXPECT_EQ(probe_->Count(kClicked), 3u);
    button->Enable(false); // focused but disabled: Enter does nothing
    E().Key(kVirtualKeyEnter);
    EXPECT_EQ(probe_->Count(kClicked), 3u);
}

TEST_F(ButtonTest, HandCursorGoesThroughTheCursorObjectOrTheSystemCursor)
{
    CXyStandButton* button = MakeStand();
    button->SetHandCursor(1);
    E().MoveMouse(100, 100);
    EXPECT_EQ(E().Window().CurrentCursor().SystemId(), int(kHandCursorId));
    E().MoveMouse(400, 400);
    EXPECT_EQ(E().Window().CurrentCursor().SystemId(), int(kArrowCursorId));
    const int changes = E().Window().CursorChanges();

    FakeCursorObject* cursor = E().MakeCursorObject();
    cursor->SetName("cursor"); // known to the input module by its id: never looked up by name
    E().MoveMouse(100, 100);
    E().MoveMouse(400, 400);
    EXPECT_EQ(cursor->Shapes(), (std::vector<uint32_t>{FakeCursorObject::kHand, FakeCursorObject::kArrow}));
    EXPECT_EQ(E().Window().CursorChanges(), changes);  // the system cursor was left alone
    E().MoveMouse(100, 100);
    button->Enable(false); // the hand goes with the pointer from a button disabled under it
    E().MoveMouse(400, 400);
    EXPECT_EQ(cursor->Shapes().back(), FakeCursorObject::kArrow);
}

TEST_F(ButtonTest, SoundsPlayByNameAndEmptyNamesPlayNothing)
{
    CXyStandButton* button = MakeStand();
    button->SetSound(CXyStandButton::SOUND_UNUSED, "SndNever");
    E().MoveMouse(100, 100);
    E().Press(100, 100);
    E().Release(100, 100);
    E().MoveMouse(400, 400);  // no leave sound: its name is empty
    EXPECT_EQ(E().Sounds(), (std::vector<std::string>{"SndTouchButton", "SndHitButton"}));
    button->SetSound(CXyStandButton::SOUND_LEAVE, "SndLeave");
    E().MoveMouse(100, 100);
    E().MoveMouse(400, 400);
    EXPECT_EQ(E().Sounds().back(), "SndLeave");
    button->Enable(false);
    E().MoveMouse(100, 100);
    EXPECT_EQ(E().Sounds().size(), 4u);
}

TEST_F(ButtonTest, CaptionOverlayIsMadeOnceAndFollowsTheFace)
{
    CXyStandButton* button = MakeStand();
    PlaneObject* overlay = button->GetOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(button->GetOverlay(), overlay);
    EXPECT_EQ(overlay->GetSurfaceWidth(), 40);
    EXPECT_DOUBLE_EQ(overlay->GetZ(), button->GetFace()->GetZ() + 0.01);
    button->SetCaption("AB", 0x00FFFF, 12);
    EXPECT_EQ(overlay->Style().size, 12);
    int drawn = 0, keyed = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            (AlphaOf(*overlay, x, y) ? drawn : keyed)++;
    EXPECT_GT(drawn, 0);  // the text
    EXPECT_GT(keyed, drawn);  // the colour key everywhere else
    button->MoveTo(150, 120);
    EXPECT_DOUBLE_EQ(overlay->GetX(), 150);
    EXPECT_DOUBLE_EQ(overlay->GetY(), 120);
}

TEST_F(ButtonTest, CheckButtonPostsOnEveryChangeAndSetCheckNotifiesAgain)
{
    auto* check = E().Make<CXyCheckButton>();
    const PictureInfo skin = E().Picture("chk_Test");
    EXPECT_EQ(check->Create(&skin, 0), 0);
    const EventRecord on{probe_->GetId(), kOn, 0, 0}, off{probe_->GetId(), kOff, 0, 0};
    check->SetCheckedEvent(&on);
    check->SetUncheckedEvent(&off);
    check->MoveTo(200, 200);
    E().Show(*check);
    EXPECT_EQ(check->GetType(), 6);

    E().Click(200, 200);
    EXPECT_EQ(check->GetCheck(), 1);
    EXPECT_EQ(check->GetFace()->GetFrame(), 1);
    E().Click(200, 200);
    EXPECT_EQ(check->GetCheck(), 0);
    EXPECT_EQ(probe_->Codes(), (std::vector<uint32_t>{kOn, kOff}));

    probe_->records.clear();
    check->SetCheck(1);
    check->SetCheck(1);
    E().Settle();  // queued, not sent
    EXPECT_EQ(probe_->Count(kOn), 2u);
}

TEST_F(ButtonTest, RadioButtonIgnoresAPressWhenOn)
{
    auto* radio = E().Make<CXyRadioButton>();
    const PictureInfo skin = E().Picture("chk_Test");
    radio->Create(&skin, 0);
    const EventRecord on{probe_->GetId(), kOn, 0, 0}, off{probe_->GetId(), kOff, 0, 0};
    radio->SetCheckedEvent(&on);
    radio->SetUncheckedEvent(&off);
    radio->MoveTo(200, 200);
    E().Show(*radio);
    E().Click(200, 200);
    E().Click(200, 200);
    EXPECT_EQ(radio->GetCheck(), 1);
    EXPECT_EQ(probe_->Codes(), (std::vector<uint32_t>{kOn}));
}

TEST_F(ButtonTest, RecordsNamingNobodyAreNeverDelivered)
{
    auto* check = E().Make<CXyCheckButton>();
    const PictureInfo skin = E().Picture("chk_Test");
    check->Create(&skin, 0);
    const EventRecord noCode{probe_->GetId(), 0, 0, 0};
    check->SetCheckedEvent(&noCode);
    check->SetCheck(1);
    E().Settle();
    EXPECT_TRUE(probe_->records.empty());
}

// Simple buttons: the frame and the blends of each state, computed here from the definitions.
class SimpleButtonPixels : public ButtonTest {
protected:
    static uint32_t Blend(uint32_t colour, uint32_t towards, double amount)
    {
        const unsigned a = unsigned(amount * 255);
        uint32_t out = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const unsigned c = (colour >> shift) & 0xFF, t = (towards >> shift) & 0xFF;
            out |= ((c * (255 - a) + t * a) / 256) << shift;
        }
        return out;
    }
};

TEST_F(SimpleButtonPixels, EachStateDrawsItsFrameAndBlend)
{
    constexpr uint32_t back = 0x3060C0, frame = 0x102030;
    auto* button = E().Make<CXySimpleButton>();
    PlaneObject* plane = button->Create("", 60, 24, 12, back, frame, nullptr);
    ASSERT_NE(plane, nullptr);
    struct Case {
        int state;
        uint32_t corner, inside;
    };
    const uint32_t inverted = 0xEFDFCF;  // 255 minus each byte of the frame colour
    const Case cases[] = {
        {0, frame, back},
        {1, inverted, back},
        {2, inverted, Blend(back, 0, 0.5)},
        {3, Blend(frame, 0, 0.2), Blend(back, 0, 0.2)},
    };
    for (const Case& c : cases) {
        button->Draw(c.state);
        EXPECT_EQ(PixelOf(*plane, 0, 0), c.corner) << "state " << c.state;
        EXPECT_EQ(PixelOf(*plane, 59, 23), c.corner) << "state " << c.state;
        EXPECT_EQ(PixelOf(*plane, 30, 12), c.inside) << "state " << c.state;
    }
    EXPECT_EQ(Blend(back, 0, 0.5), 0x183060u);  // each byte halved by 128/256
}

TEST_F(SimpleButtonPixels, SimpleButtonClicksAndDrawsHoverThroughInput)
{
    auto* button = E().Make<CXySimpleButton>();
    const EventRecord notify{probe_->GetId(), kClicked, 0, 0};
    PlaneObject* plane = button->Create("OK", 60, 24, 12, 0x3060C0, 0x102030, &notify);
    button->MoveTo(300, 300);
    E().Show(*button);
    E().MoveMouse(300, 300);
    EXPECT_EQ(PixelOf(*plane, 59, 23), 0xEFDFCFu);
    E().Click(300, 300);
    EXPECT_EQ(probe_->Count(kClicked), 1u);
    button->Enable(false);
    E().Click(300, 300);
    EXPECT_EQ(probe_->Count(kClicked), 1u);
}

TEST_F(SimpleButtonPixels, PopButtonPressInvertsWhatHoverDrew)
{
    auto* item = E().Make<CXyPopButton>();
    PlaneObject* plane = item->Create("", 50, 20, 12, 0xFFFFFF, 0, nullptr);
    item->Draw(1);
    const uint32_t hoverInside = PixelOf(*plane, 25, 10);
    EXPECT_EQ(hoverInside, Blend(0xFFFFFF, 0xFF0000, 0.2));
    EXPECT_EQ(PixelOf(*plane, 0, 0), 0xBB5B6Cu);
    item->Draw(2);
    EXPECT_EQ(PixelOf(*plane, 25, 10), ~hoverInside & 0xFFFFFF);
    EXPECT_EQ(PixelOf(*plane, 0, 0), ~0xBB5B6Cu & 0xFFFFFF);
    EXPECT_EQ(CXyPopButton::PlainTextWidth("ab\xC4\xE3", 12, 1), 2 * (6 + 1) + 12 + 2);
}

} // namespace
