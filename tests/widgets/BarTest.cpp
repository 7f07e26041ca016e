#include "tests/widgets/WidgetFixture.h"

#include "engine/object/PictureObject.h"
#include "widgets/CCyScrollBar.h"
#include "widgets/CCySliderBar.h"
#include "widgets/CProgressBar.h"
#include "widgets/CXyScrollBar.h"
#include "widgets/CXyStandButton.h"

#include <cmath>

using namespace Lumora;
using namespace widgettest;

namespace {

constexpr uint32_t kChanged = 80000500;
constexpr uint32_t kDone = 80000501;

// Scroll position events with the three doubles read while they are valid.
struct ScrollLog {
    explicit ScrollLog(ProbeObject& probe)
    {
        probe.inspect = [this](const EventRecord& r) {
            if (r.code == EV_SCROLL_POSITION) {
                const auto* v = reinterpret_cast<const double*>(r.param1);
                values.push_back({v[0], v[1], v[2]});
                p2.push_back(r.param2);
            }
        };
    }
    std::vector<std::array<double, 3>> values;
    std::vector<uintptr_t> p2;
};

class ScrollBarTest : public WidgetFixture {
protected:
    // A vertical bar 16 x 200 centred at (500, 300): track from y 200 to 400.
    template <typename Bar = CXyScrollBar>
    Bar* MakeBar(int orientation = 1)
    {
        probe_ = E().MakeProbe();
        auto* bar = E().Make<Bar>();
        if (orientation == 1)
            bar->Create(probe_->GetId(), 16, 200, 1, 0);
        else
            bar->Create(probe_->GetId(), 200, 16, 0, 0);
        bar->MoveTo(500, 300);
        E().Show(*bar);
        return bar;
    }
    ProbeObject* probe_ = nullptr;
};

TEST_F(ScrollBarTest, ThumbLengthAndPlacementFollowTheRange)
{
    CXyScrollBar* bar = MakeBar();
    bar->SetRange(0, 50, 100, 1);
    EXPECT_EQ(bar->GetThumbLength(), 100);
    EXPECT_DOUBLE_EQ(bar->GetThumb()->GetTop(), 201);  // the top clamp keeps one pixel
    bar->SetRange(50, 50, 100, 1);
    EXPECT_DOUBLE_EQ(bar->GetThumb()->GetBottom(), 400);
    bar->SetRange(25, 50, 100, 1);
    EXPECT_DOUBLE_EQ(bar->GetThumb()->GetY(), 200 + 100 * 0.5 + 50);

    bar->SetRange(0, 1, 1000, 1);  // 0.2 px: the minimum length
    EXPECT_EQ(bar->GetThumbLength(), 15);
    bar->SetMinThumbLength(30);
    bar->SetRange(0, 1, 1000, 1);
    EXPECT_EQ(bar->GetThumbLength(), 30);
}

TEST_F(ScrollBarTest, RangeZeroOnlyStoresAndAPageBeyondTheRangeIsSafe)
{
    CXyScrollBar* bar = MakeBar();
    bar->SetRange(0, 50, 100, 1);
    const int before = bar->GetThumbLength();
    bar->SetRange(7, 3, 0, 1);
    EXPECT_EQ(bar->GetThumbLength(), before);
    EXPECT_EQ(bar->GetPositionValue(), 7);

    // Everything visible: the thumb fills the track, drags go nowhere, presses clamp to 0.
    bar->SetRange(0, 300, 100, 1);
    EXPECT_EQ(bar->GetThumbLength(), 200);
    EXPECT_DOUBLE_EQ(bar->GetThumb()->GetBottom(), 400);
    EXPECT_EQ(bar->MaxPosition(), 0);
    ScrollLog log(*probe_);
    E().Press(500, 300);
    E().DragTo(500, 350);
    E().Release(500, 350);
    for (const auto& v : log.values)
        EXPECT_EQ(v[0], 0) << "position must stay 0 when nothing scrolls";
    EXPECT_TRUE(std::isfinite(bar->GetThumb()->GetY()));
}

TEST_F(ScrollBarTest, DragMovesByTheThumbAndIgnoresTheCursorOutsideTheTrack)
{
    CXyScrollBar* bar = MakeBar();
    bar->SetRange(0, 50, 100, 1);
    ScrollLog log(*probe_);
    E().Press(500, 230);  // on the thumb (201..301)
    E().DragTo(500, 280);  // 50 px of 100 px travel: half the scroll range
    ASSERT_FALSE(log.values.empty());
    // The thumb started one pixel down: (201 + 50 - 200) * 50 / 100.
    EXPECT_DOUBLE_EQ(log.values.back()[0], 25.5);
    E().DragTo(500, 399);  // past the end of the travel: clamped
    EXPECT_EQ(log.values.back()[0], 50);
    EXPECT_EQ(log.values.back()[2], 100);
    const size_t events = log.values.size();
    E().DragTo(500, 450);  // below the track: ignored
    E().Release(500, 450);
    EXPECT_EQ(log.values.size(), events);
}

TEST_F(ScrollBarTest, TrackPressJumpsAndClamps)
{
    CXyScrollBar* bar = MakeBar();
    bar->SetRange(0, 10, 100, 1);
    ScrollLog log(*probe_);
    E().Press(500, 350);  // 150 of 200 px: 75
    ASSERT_EQ(log.values.size(), 1u);
    EXPECT_EQ(log.values[0][0], 75);
    E().Release(500, 350);
    E().Run(600);
    E().Press(500, 399);  // 99.5 -> 99, clamped to 90
    EXPECT_EQ(log.values.back()[0], 90);
    EXPECT_EQ(log.p2.back(), 0u);
}

TEST_F(ScrollBarTest, ArrowsSitOutsideTheTrackAndSendTheirOwnCodes)
{
    E().AddSkin("arrow", SolidFrames(16, 12, {1, 2, 3, 4}));
    E().LoadSkins();
    CXyScrollBar* bar = MakeBar();
    bar->SetLeftArrow(E().Picture("arrow"));  // a vertical bar has no left arrow
    EXPECT_EQ(bar->GetFirstArrow(), nullptr);
    bar->SetUpArrow(E().Picture("arrow"));
    bar->SetDownArrow(E().Picture("arrow"));
    ASSERT_NE(bar->GetSecondArrow(), nullptr);
    bar->SetRange(0, 50, 100, 1);
    EXPECT_DOUBLE_EQ(bar->GetFirstArrow()->GetBottom(), 200);
    EXPECT_DOUBLE_EQ(bar->GetSecondArrow()->GetTop(), 400);
    EXPECT_EQ(bar->GetTotalLength(), 224);
    E().Show(*bar->GetSecondArrow());
    E().Click(500, 405);
    EXPECT_EQ(probe_->Count(EV_SCROLL_DOWN), 1u);

    bar->SetSize(16, 224);  // the track keeps the room the arrows leave
    EXPECT_EQ(bar->GetTrack()->GetHeight(), 200);
    bar->SetSize(16, 20);  // no room: unchanged
    EXPECT_EQ(bar->GetTrack()->GetHeight(), 200);
}

TEST_F(ScrollBarTest, CyScrollBarTellsItsOrientationAndWholePositions)
{
    auto* bar = MakeBar<CCyScrollBar>(0);
    bar->SetRange(12.7, 20, 100.5, 1);
    EXPECT_EQ(bar->GetPosition(), 12);
    EXPECT_EQ(bar->GetMaxPosition(), 80);
    ScrollLog log(*probe_);
    E().Press(420, 300);  // horizontal track from 400 to 600, thumb from about 425
    ASSERT_EQ(log.p2.size(), 1u);
    EXPECT_EQ(log.p2[0], 0u);
    EXPECT_EQ(log.values[0][0], 10);  // trunc(20 * 100.5 / 200)
    bar->SetRange(0, 150, 100, 1);  // all of it visible
    EXPECT_EQ(bar->GetMaxPosition(), 0);
}

class SliderTest : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        E().AddSkin("slider_track", SolidFrames(10, 100, {0x404040}));
        E().AddSkin("slider_thumb", SolidFrames(10, 8, {0x808080}));
        E().LoadSkins();
        probe_ = E().MakeProbe();
        probe_->inspect = [this](const EventRecord& r) {
            if (r.code == kChanged)
                values.push_back(*reinterpret_cast<const int*>(r.param1));
        };
        slider_ = E().Make<CCySliderBar>();
        const EventRecord notify{probe_->GetId(), kChanged, 0, 0};
        slider_->Create(E().Picture("slider_track"), E().Picture("slider_thumb"), 1, &notify, 50, 1);
        slider_->MoveTo(200, 200);  // track from y 150 to 250
        E().Show(*slider_);
        slider_->Layout();
    }
    ProbeObject* probe_ = nullptr;
    CCySliderBar* slider_ = nullptr;
    std::vector<int> values;
};

TEST_F(SliderTest, SetPositionIgnoresValuesOutsideTheRange)
{
    EXPECT_DOUBLE_EQ(slider_->GetThumb()->GetY(), 200);
    slider_->SetPosition(101);
    slider_->SetPosition(uint32_t(-1));
    EXPECT_EQ(slider_->GetPosition(), 50);
    slider_->SetPosition(100);
    EXPECT_DOUBLE_EQ(slider_->GetThumb()->GetY(), 250 - 100);
    EXPECT_DOUBLE_EQ(slider_->GetRatio(), 1.0);
    E().Settle();
    EXPECT_TRUE(values.empty());
}

TEST_F(SliderTest, TrackPressesAboveTheThumbStepByTwenty)
{
    for (int i = 0; i < 3; ++i) {
        E().Run(600);
        E().Press(200, 152);
        E().Release(200, 152);
    }
    EXPECT_EQ(values, (std::vector<int>{70, 90, 100}));
    E().Run(600);
    E().Press(200, 152);  // already 100: no change, no notice
    EXPECT_EQ(values.size(), 3u);
}

TEST_F(SliderTest, DragBeyondTheTrackClampsAndNotifiesOnlyOnChange)
{
    E().Press(200, 200);
    E().DragTo(200, 120);  // (250 - 120) * 100 / 100 = 130
    EXPECT_EQ(slider_->GetPosition(), 100);
    EXPECT_EQ(values, (std::vector<int>{100}));
    E().DragTo(201, 120);  // same value again: nothing sent
    E().Release(201, 120);
    EXPECT_EQ(values.size(), 1u);
}

TEST_F(SliderTest, HoverTintsTheThumbAndShowsTheTip)
{
    const uint32_t plain = PixelOf(*slider_->GetThumb(), 5, 4);
    E().MoveMouse(200, 200);
    EXPECT_EQ(slider_->IsHot(), 1);
    EXPECT_TRUE(slider_->GetTip()->IsActive());
    EXPECT_NE(PixelOf(*slider_->GetThumb(), 5, 4), plain);
    E().MoveMouse(400, 400);
    EXPECT_FALSE(slider_->GetTip()->IsActive());
    EXPECT_EQ(PixelOf(*slider_->GetThumb(), 5, 4), plain);
}

class ProgressTest : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        // The fill's columns differ, so that a wrong source column shows.
        E().AddSkin("pb_bg", SolidFrames(100, 10, {0x202020}));
        E().AddSkin("pb_fill", SyntheticPicture(100, 10, 1, [](int, int x, int) { return uint32_t(0x100 * x + 7); }));
        E().AddSkin("pb_knob", SolidFrames(6, 12, {0x0000FF, 0x0000EE}));
        E().LoadSkins();
        probe_ = E().MakeProbe();
        bar_ = E().Make<CProgressBar>();
        bar_->Create(E().Picture("pb_bg"), E().Picture("pb_fill"), 0.0);
        bar_->MoveTo(300, 300);  // fill from x 250 to 350
        E().Show(*bar_);
    }
    std::vector<double> Fractions(uint32_t code)
    {
        std::vector<double> out;
        for (const auto& f : seen)
            if (f.first == code)
                out.push_back(f.second);
        return out;
    }
    void Watch()
    {
        probe_->inspect = [this](const EventRecord& r) {
            if (r.code == EV_PROGRESS_SEEK)
                seen.push_back({r.code, *reinterpret_cast<const double*>(r.param1)});
            if (r.code == EV_SCROLL_POSITION)
                seen.push_back({r.code, reinterpret_cast<const double*>(r.param1)[0]});
        };
    }
    ProbeObject* probe_ = nullptr;
    CProgressBar* bar_ = nullptr;
    std::vector<std::pair<uint32_t, double>> seen;
};

TEST_F(ProgressTest, FillColumnsMatchTheFraction)
{
    for (double f : {0.0, 0.05, 0.333, 0.5, 0.999, 1.0, 1.5, -0.2}) {
        bar_->SetPos(f);
        const double shown = std::min(std::max(f, 0.0), 1.0);
        const int w = int(100 * shown);
        PlaneObject& fill = *bar_->GetFillPlane();
        for (int x = 0; x < 100; ++x) {
            if (x < w) {
                EXPECT_EQ(PixelOf(fill, x, 5), uint32_t(0x100 * x + 7)) << f << " column " << x;
                EXPECT_EQ(AlphaOf(fill, x, 5), 255) << f << " column " << x;
            } else {
                EXPECT_EQ(AlphaOf(fill, x, 5), 0) << f << " column " << x;
            }
        }
    }
}

TEST_F(ProgressTest, AnimationStepsToTheTargetAndCompletesOnce)
{
    const EventRecord done{probe_->GetId(), kDone, 0, 0};
    bar_->AnimateTo(1.0, 0.3, 100, &done);
    std::vector<double> shown;
    for (int i = 0; i < 10; ++i) {
        E().Run(100);
        if (std::fabs((shown.empty() ? 0.0 : shown.back()) - bar_->GetPos()) > 1e-9)
            shown.push_back(bar_->GetPos());
    }
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_NEAR(shown[0], 0.3, 1e-9);
    EXPECT_NEAR(shown[1], 0.6, 1e-9);
    EXPECT_NEAR(shown[2], 0.9, 1e-9);
    EXPECT_EQ(shown[3], 1.0);
    EXPECT_EQ(probe_->Count(kDone), 1u);
}

TEST_F(ProgressTest, ASecondAnimationSupersedesTheFirst)
{
    const EventRecord first{probe_->GetId(), kDone, 1, 0}, second{probe_->GetId(), kDone, 2, 0};
    bar_->AnimateTo(1.0, 0.1, 100, &first);
    E().Run(100);
    bar_->AnimateTo(0.0, 0.0, 50, &second);  // step 0 counts as 0.01
    EXPECT_DOUBLE_EQ(bar_->GetStep(), 0.01);
    E().Run(3000);
    EXPECT_EQ(bar_->GetPos(), 0.0);
    ASSERT_EQ(probe_->Count(kDone), 1u);
    EXPECT_EQ(probe_->records.back().param1, 2u);
}

TEST_F(ProgressTest, KnobDragAndPressesTellTheOwner)
{
    bar_->SetKnob(E().Picture("pb_knob"), probe_->GetId());
    bar_->EnableDrag(true);
    E().Show(*bar_);
    Watch();
    E().Press(250, 300);  // at the left edge (the knob sits there too)
    EXPECT_EQ(Fractions(EV_PROGRESS_SEEK), (std::vector<double>{0.0}));
    E().DragTo(275, 300);
    EXPECT_FALSE(Fractions(EV_SCROLL_POSITION).empty());
    EXPECT_TRUE(bar_->IsDragging());
    bar_->SetPos(0.9);  // ignored while dragging
    EXPECT_NEAR(bar_->GetPos(), 0.25, 0.011);
    E().Release(275, 300);
    EXPECT_FALSE(bar_->IsDragging());
    EXPECT_NEAR(Fractions(EV_PROGRESS_SEEK).back(), 0.25, 0.011);
    EXPECT_NEAR(bar_->GetKnob()->GetX(), 250 + int(100 * bar_->GetPos()), 1e-9);
}

TEST_F(ProgressTest, AnEmptyFillNeverDivides)
{
    auto* bar = E().Make<CProgressBar>();
    bar->Create(E().Picture("pb_bg"), PictureInfo{}, 0.5);
    bar->SetKnob(E().Picture("pb_knob"), probe_->GetId());
    bar->EnableDrag(true);
    bar->MoveTo(600, 100);
    E().Show(*bar);
    Watch();
    E().Press(600, 100);
    E().DragTo(620, 100);
    E().Release(620, 100);
    for (const auto& f : seen)
        EXPECT_TRUE(std::isfinite(f.second));
}

} // namespace
