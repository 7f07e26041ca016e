#include "tests/widgets/WidgetFixture.h"

#include "engine/object/PlaneObject.h"
#include "widgets/CXyDialogBox.h"
#include "widgets/CXySimpleButton.h"
#include "widgets/CXyStandButton.h"
#include "widgets/CXyToolTip.h"

using namespace Lumora;
using namespace widgettest;

namespace {

constexpr uint32_t kOk = 80000601;
constexpr uint32_t kCancel = 80000602;

class DialogTest : public WidgetFixture {
protected:
    // The buttons are made where the box was, then moved apart for clicking.
    CXyDialogBox* MakeBox(int seconds, bool ok = true, bool cancel = true, bool placeButtons = true)
    {
        probe_ = E().MakeProbe();
        auto* box = E().Make<CXyDialogBox>();
        const EventRecord okRecord{probe_->GetId(), kOk, 0, 0}, cancelRecord{probe_->GetId(), kCancel, 0, 0};
        box->Create(300, 200, ok ? &okRecord : nullptr, cancel ? &cancelRecord : nullptr, seconds);
        box->MoveTo(400, 300);
        if (box->GetOkButton() && placeButtons)
            box->GetOkButton()->MoveTo(350, 350);
        if (box->GetCancelButton() && placeButtons)
            box->GetCancelButton()->MoveTo(450, 350);
        E().Show(*box);
        id_ = box->GetId();
        return box;
    }
    bool Alive() { return E().Objects().FindById(id_) != nullptr; }
    ProbeObject* probe_ = nullptr;
    uint32_t id_ = 0;
};

TEST_F(DialogTest, CountdownStartsAtMostAt99AndCancelsOneSecondAfterZero)
{
    CXyDialogBox* box = MakeBox(150);
    EXPECT_EQ(box->GetSeconds(), 99);
    EXPECT_EQ(box->GetLayer(), kTopMostLayer);
    // Every second one less, down to 0; the cancel comes a second after 0 shows.
    int shown = 99;
    uint32_t zeroAt = 0, elapsed = 0;
    while (probe_->Count(kCancel) == 0 && elapsed < 120000) {
        E().Tick();
        elapsed += HeadlessEngine::kTickMs;
        if (!zeroAt) {
            ASSERT_TRUE(box->GetSeconds() == shown || box->GetSeconds() == shown - 1) << elapsed;
            shown = box->GetSeconds();
            if (shown == 0)
                zeroAt = elapsed;
        }
    }
    ASSERT_NE(zeroAt, 0u);
    EXPECT_GE(elapsed - zeroAt, 1000u);
    EXPECT_LE(elapsed - zeroAt, 1100u);
    EXPECT_GE(zeroAt, 99000u);
    E().Run(2000);  // faded out and deleted
    EXPECT_FALSE(Alive());
    EXPECT_EQ(probe_->Count(kCancel), 1u);
    EXPECT_EQ(probe_->Count(kOk), 0u);
}

TEST_F(DialogTest, OkWhileZeroShowsPostsOnlyOk)
{
    MakeBox(1);
    E().Run(1000);  // 0 is showing; the last tick is on its way
    E().Click(350, 350);
    E().Run(3000);
    EXPECT_EQ(probe_->Codes(), (std::vector<uint32_t>{kOk}));
    EXPECT_FALSE(Alive());
}

TEST_F(DialogTest, QuickOkThenCancelPostsOnlyTheFirstChoice)
{
    CXyDialogBox* box = MakeBox(5);
    box->OnEvent(EventRecord{id_, EV_DIALOG_OK, 0, 0});
    box->OnEvent(EventRecord{id_, EV_DIALOG_CANCEL, 0, 0});
    E().Run(3000);
    EXPECT_EQ(probe_->Codes(), (std::vector<uint32_t>{kOk}));
    EXPECT_FALSE(Alive());
}

TEST_F(DialogTest, CountdownSitsRightOfOkAndShowsTheSeconds)
{
    CXyDialogBox* box = MakeBox(7, true, true, false);
    PlaneObject* countdown = box->GetCountdownPlane();
    ASSERT_NE(countdown, nullptr);
    EXPECT_DOUBLE_EQ(countdown->GetLeft(), box->GetOkButton()->GetRight() + 5);
    EXPECT_EQ(box->GetOkButton()->GetBackColour(), CXyDialogBox::kDefaultButtonColour);
    // Something white was drawn: the digits.
    bool drawn = false;
    for (int y = 0; y < 20 && !drawn; ++y)
        for (int x = 0; x < 40 && !drawn; ++x)
            drawn = AlphaOf(*countdown, x, y) != 0;
    EXPECT_TRUE(drawn);
}

TEST_F(DialogTest, ButtonColourComesFromTheSetting)
{
    E().Core().SetSetting(CXyDialogBox::kButtonColourSetting, 0x00AA00);
    CXyDialogBox* box = MakeBox(0, true, false);
    EXPECT_EQ(box->GetOkButton()->GetBackColour(), 0x00AA00u);
    EXPECT_EQ(box->GetCancelButton(), nullptr);
    EXPECT_EQ(box->GetCountdownPlane(), nullptr);
}

TEST_F(DialogTest, BoxWithoutButtonsOrSecondsStaysUntilReleased)
{
    MakeBox(0, false, false);
    E().Run(5000);
    EXPECT_TRUE(Alive());
    EXPECT_TRUE(probe_->records.empty());
}

TEST_F(DialogTest, DraggingThePlaneMovesTheBox)
{
    CXyDialogBox* box = MakeBox(0);
    E().Press(400, 250);
    E().DragTo(420, 260);
    E().Release(420, 260);
    EXPECT_DOUBLE_EQ(box->GetX(), 420);
    EXPECT_DOUBLE_EQ(box->GetY(), 310);
    EXPECT_DOUBLE_EQ(box->GetOkButton()->GetX(), 370);
}

TEST_F(DialogTest, EngineMessageBoxIsADialogBox)
{
    probe_ = E().MakeProbe();
    const EventRecord ok{probe_->GetId(), kOk, 0, 0};
    E().Owner().ShowMessage("hello", &ok, nullptr, 3);
    E().Run(200);
    E().Run(4000);
    EXPECT_EQ(probe_->Codes(), (std::vector<uint32_t>{}));  // the countdown cancels, and Cancel names nobody
}

class ToolTipTest : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        E().AddSkin("btn", SolidFrames(40, 20, {1, 2, 3, 4}));
        E().LoadSkins();
    }
    CXyStandButton* Anchor(int x, int y)
    {
        auto* button = E().Make<CXyStandButton>();
        const PictureInfo skin = E().Picture("btn");
        button->Create(&skin, nullptr, 0, 0);
        button->MoveTo(x, y);
        E().Show(*button);
        return button;
    }
};

TEST_F(ToolTipTest, ShortTextGivesANarrowTipAndLongTextWraps)
{
    auto* tip = E().Make<CXyToolTip>();
    tip->SetText("abc", 120);
    EXPECT_EQ(tip->GetPlane()->GetWidth(), 12 * 3 / 2 + 6);
    const double shortHeight = tip->GetPlane()->GetHeight();
    tip->SetText("a long text that has to wrap over more than one line", 120);
    EXPECT_EQ(tip->GetPlane()->GetWidth(), 126);
    EXPECT_GT(tip->GetPlane()->GetHeight(), shortHeight);
    EXPECT_EQ(PixelOf(*tip->GetPlane(), 0, 0), CXyToolTip::kFrameColour);
}

TEST_F(ToolTipTest, HoverFadesTheTipInAboveTheAnchorAndLeaveHidesIt)
{
    CXyStandButton* anchor = Anchor(300, 300);
    auto* tip = E().Make<CXyToolTip>();
    tip->Attach(anchor, "tip", 120);
    E().MoveMouse(300, 300);
    E().Run(200);
    EXPECT_TRUE(tip->IsActive());
    EXPECT_DOUBLE_EQ(tip->GetBottom(), anchor->GetTop());
    EXPECT_DOUBLE_EQ(tip->GetLeft(), anchor->GetX());
    EXPECT_EQ(anchor->GetState(), 1);  // the anchor still shows its hover
    E().Run(200);
    EXPECT_DOUBLE_EQ(tip->GetAlpha(), 1.0);
    E().MoveMouse(600, 500);
    EXPECT_FALSE(tip->IsActive());
}

TEST_F(ToolTipTest, AHoverQueuedForAnAnchorReleasedMeanwhileShowsNothing)
{
    CXyStandButton* anchor = Anchor(300, 300);
    auto* tip = E().Make<CXyToolTip>();
    tip->Attach(anchor, "tip", 120);
    E().Input().OnMouseMove(300, 300, 0);  // the enter record is queued
    E().Owner().ReleaseObject(anchor, false);
    E().Settle();
    EXPECT_FALSE(tip->IsActive());
}

TEST_F(ToolTipTest, TipStaysInsideTheScreen)
{
    CXyStandButton* anchor = Anchor(790, 10);
    auto* tip = E().Make<CXyToolTip>();
    tip->Attach(anchor, "a right-edge tip", 120);
    E().MoveMouse(790, 10);
    EXPECT_DOUBLE_EQ(tip->GetRight(), HeadlessEngine::kViewWidth);
    EXPECT_DOUBLE_EQ(tip->GetTop(), 0);
    tip->Attach(nullptr, "ignored", 120);  // nothing happens
}

} // namespace
