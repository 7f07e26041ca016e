#include "tests/widgets/FakeAppServices.h"
#include "tests/widgets/WidgetFixture.h"

#include "engine/object/PlaneObject.h"
#include "widgets/CCySplitterBar.h"
#include "widgets/CXyBlackboard.h"
#include "widgets/CXyDigit.h"

using namespace Lumora;
using namespace widgettest;

namespace {

constexpr uint32_t kRolled = 80000801;

uint32_t DigitColour(int d) { return 0x0000FF | uint32_t(d * 20) << 8; }

class BoardTest : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        std::vector<uint32_t> digits;
        for (int d = 0; d < 10; ++d)
            digits.push_back(DigitColour(d));
        E().AddSkin("digit_T", SolidFrames(8, 12, digits));
        E().AddSkin("glyph_wide", SolidFrames(16, 12, {0xFF0000}));
        E().AddSkin("glyph_ab", SyntheticPicture(5, 12, 2, [](int f, int, int) { return f ? 0x00FF00u : 0xFF00FFu - 1; }));
        E().LoadSkins();
        probe_ = E().MakeProbe();
    }
    CXyDigit* MakeDigit(uint32_t style = 0)
    {
        auto* digit = E().Make<CXyDigit>();
        digit->Create("digit_T", style);
        digit->MoveTo(400, 300);
        E().Show(*digit);
        return digit;
    }
    // Which digit colour each 8-pixel column block shows; -1 for a blank block.
    static std::vector<int> Blocks(PlaneObject& plane)
    {
        std::vector<int> out;
        for (int x = 0; x + 8 <= plane.GetSurfaceWidth(); x += 8) {
            int found = -1;
            if (AlphaOf(plane, x + 4, 6))
                for (int d = 0; d < 10; ++d)
                    if (NearColour(PixelOf(plane, x + 4, 6), DigitColour(d)))
                        found = d;
            out.push_back(found);
        }
        return out;
    }
    ProbeObject* probe_ = nullptr;
};

TEST_F(BoardTest, DigitDrawsEachFigureFromItsFrame)
{
    CXyDigit* digit = MakeDigit();
    EXPECT_EQ(digit->GetCellWidth(), 16);
    EXPECT_EQ(digit->GetCellHeight(), 12);
    digit->SetValue(907);
    EXPECT_EQ(digit->GetPlane()->GetSurfaceWidth(), 24);
    EXPECT_EQ(Blocks(*digit->GetPlane()), (std::vector<int>{9, 0, 7}));
    EXPECT_DOUBLE_EQ(digit->GetPlane()->GetX(), 400);  // centred on the widget
}

TEST_F(BoardTest, MissingGlyphsLeaveBlanksAndMinusNeedsAGlyph)
{
    CXyDigit* digit = MakeDigit();
    digit->SetValue(-5);
    EXPECT_EQ(Blocks(*digit->GetPlane()), (std::vector<int>{-1, 5}));
    const PictureInfo minus = E().Picture("digit_T", 3);
    digit->SetGlyph("-", &minus);
    digit->Refresh();
    EXPECT_EQ(Blocks(*digit->GetPlane()), (std::vector<int>{3, 5}));
    digit->DrawText("1x2");
    EXPECT_EQ(Blocks(*digit->GetPlane()), (std::vector<int>{1, -1, 2}));
    digit->DrawText("1\xB5\xDA" "2");  // a two-byte character without a glyph: a whole cell
    EXPECT_EQ(digit->GetPlane()->GetSurfaceWidth(), 8 + 16 + 8);
}

TEST_F(BoardTest, SuffixShowsOnlyFromTheNextValue)
{
    CXyDigit* digit = MakeDigit();
    digit->SetValue(4);
    const PictureInfo wide = E().Picture("glyph_wide");
    digit->SetGlyph("名", &wide);
    digit->SetSuffix("名");
    EXPECT_EQ(digit->GetPlane()->GetSurfaceWidth(), 8);
    digit->SetValue(4);
    EXPECT_EQ(digit->GetPlane()->GetSurfaceWidth(), 24);
    EXPECT_TRUE(NearColour(PixelOf(*digit->GetPlane(), 16, 6), 0xFF0000));
    digit->ClearSuffix();
    EXPECT_EQ(digit->GetPlane()->GetSurfaceWidth(), 8);
}

TEST_F(BoardTest, TheTextItShowsIsNotDrawnAgainUntilItsPlaneIsDrawnOnOrMoved)
{
    CXyDigit* digit = MakeDigit();
    digit->SetValue(7);
    E().Settle();
    digit->SetValue(7);
    EXPECT_TRUE(E().Objects().DirtyRects().empty());
    // Someone else's glyphs on the plane, then the same value: drawn again in full.
    digit->DrawGlyphs(digit->GetPlane(), 0, 0, "1", CXyBlackboard::GLYPHS_FROM_X);
    digit->SetValue(7);
    EXPECT_EQ(Blocks(*digit->GetPlane()), (std::vector<int>{7}));
    E().Settle();
    digit->GetPlane()->MoveTo(100, 100);
    digit->SetValue(7);
    EXPECT_DOUBLE_EQ(digit->GetPlane()->GetX(), 400);
    EXPECT_FALSE(E().Objects().DirtyRects().empty());
}

TEST_F(BoardTest, RollCountsToTheTargetAndSendsItsRecordOnce)
{
    CXyDigit* digit = MakeDigit();
    const EventRecord done{probe_->GetId(), kRolled, 0, 0};
    std::vector<int> seen;
    digit->RollTo(10, -3, 40, &done);
    for (int i = 0; i < 30 && probe_->Count(kRolled) == 0; ++i) {
        E().Tick();
        if (seen.empty() || seen.back() != digit->GetValue())
            seen.push_back(digit->GetValue());
    }
    E().Run(200);
    EXPECT_EQ(seen, (std::vector<int>{3, 6, 9, 10}));  // the first step runs at once
    EXPECT_EQ(probe_->Count(kRolled), 1u);

    digit->RollTo(5, 0, 0, nullptr);  // step 0 counts by one, down
    E().Run(2000);
    EXPECT_EQ(digit->GetValue(), 5);
    digit->RollTo(1000, 5000, 30, nullptr);  // lands in one period
    E().Run(100);
    EXPECT_EQ(digit->GetValue(), 1000);
    digit->RollTo(0, 1, 30, nullptr);
    E().Run(100);
    digit->StopRoll();
    E().Settle();
    const int stopped = digit->GetValue();
    E().Run(500);
    EXPECT_EQ(digit->GetValue(), stopped);
    EXPECT_GT(stopped, 900);
}

TEST_F(BoardTest, AlignmentPlacesThePlaneAgainstThePosition)
{
    CXyDigit* left = MakeDigit(CXyBlackboard::STYLE_LEFT);
    left->SetValue(12);
    EXPECT_DOUBLE_EQ(left->GetPlane()->GetLeft(), 400);
    CXyDigit* right = MakeDigit(CXyBlackboard::STYLE_RIGHT);
    right->SetValue(12);
    EXPECT_DOUBLE_EQ(right->GetPlane()->GetRight(), 400);
    right->MoveBy(10, 5);
    EXPECT_DOUBLE_EQ(right->GetPlane()->GetRight(), 410);
    EXPECT_DOUBLE_EQ(right->GetPlane()->GetY(), 305);
}

TEST_F(BoardTest, BlackboardGlyphsFromAStripInFixedAndProportionalModes)
{
    auto* fixed = E().Make<CXyBlackboard>();
    fixed->Create(20, 12, 0);
    fixed->SetGap(2);
    fixed->SetGlyphs("ab", "glyph_ab");
    fixed->SetGlyphs("cd", "no_such_strip");  // nothing happens
    EXPECT_EQ(fixed->FindGlyph('c'), nullptr);
    ASSERT_NE(fixed->FindGlyph('b'), nullptr);
    EXPECT_EQ(fixed->FindGlyph('b')->picture.frame, 1);
    fixed->DrawText("ab");
    EXPECT_EQ(fixed->GetPlane()->GetSurfaceWidth(), 10 + 1 + 10);  // half cells and half the gap

    auto* proportional = E().Make<CXyBlackboard>();
    proportional->Create(20, 12, CXyBlackboard::STYLE_PROPORTIONAL);
    proportional->SetGap(2);
    proportional->SetGlyphs("ab", "glyph_ab");
    proportional->DrawText("ab");
    EXPECT_EQ(proportional->GetPlane()->GetSurfaceWidth(), 5 + 2 + 5);
    EXPECT_TRUE(NearColour(PixelOf(*proportional->GetPlane(), 8, 6), 0x00FF00));
    EXPECT_EQ(AlphaOf(*proportional->GetPlane(), 6, 6), 0);  // the gap
    // A two-byte character takes a whole cell in either mode, and the plane holds all of it.
    const PictureInfo wide = E().Picture("glyph_ab", 0);
    proportional->SetGlyph("第", &wide);
    proportional->DrawText("第b");
    EXPECT_EQ(proportional->GetPlane()->GetSurfaceWidth(), 20 + 2 + 5);
    EXPECT_TRUE(NearColour(PixelOf(*proportional->GetPlane(), 24, 6), 0x00FF00));
}

TEST_F(BoardTest, DrawGlyphsCentresOnTheGivenPoint)
{
    auto* board = E().Make<CXyBlackboard>();
    board->Create(16, 12, 0);
    const PictureInfo one = E().Picture("digit_T", 1);
    board->SetGlyph("1", &one);
    PlaneObject* target = E().Owner().NewPlaneObject(64, 12, kColourKey);
    board->DrawGlyphs(target, 32, 0, "11", 0);  // starts at 32 - 16 * 2 / 2 = 16
    EXPECT_EQ(AlphaOf(*target, 15, 6), 0);
    EXPECT_TRUE(NearColour(PixelOf(*target, 16, 6), DigitColour(1)));
    EXPECT_TRUE(NearColour(PixelOf(*target, 31, 6), DigitColour(1)));
    EXPECT_EQ(AlphaOf(*target, 32, 6), 0);
    // Flag 2 centres by a quarter of the length: from 32 - 16 * 2 / 4 = 24.
    PlaneObject* quarter = E().Owner().NewPlaneObject(64, 12, kColourKey);
    board->DrawGlyphs(quarter, 32, 0, "11", CXyBlackboard::GLYPHS_QUARTER);
    EXPECT_EQ(AlphaOf(*quarter, 23, 6), 0);
    EXPECT_TRUE(NearColour(PixelOf(*quarter, 24, 6), DigitColour(1)));
}

TEST_F(BoardTest, SplitterFoldsAndRestoresThePanelThroughTheFrame)
{
    E().AddSkin("箭头右", SolidFrames(6, 40, {0x0000AA, 0x0000BB}));
    E().AddSkin("箭头左", SolidFrames(6, 40, {0x00AA00, 0x00BB00}));
    E().AddSkin("左右分隔条_bg", SolidFrames(6, 10, {0x333333}));
    E().LoadSkins();
    FakeAppServices app;
    app.frame.layoutMode = 3;
    auto* splitter = E().Make<CCySplitterBar>();
    EXPECT_EQ(splitter->GetName(), "SplitterBar");
    EXPECT_EQ(splitter->GetArrow()->GetHeight(), 40);
    splitter->SetSize(6, 400);
    splitter->MoveTo(700, 300);
    splitter->Layout();
    E().Show(*splitter);
    EXPECT_TRUE(splitter->IsExpanded());
    EXPECT_TRUE(NearColour(PixelOf(*splitter->GetArrow(), 3, 20), 0x0000AA));
    E().MoveMouse(700, 300);
    EXPECT_TRUE(NearColour(PixelOf(*splitter->GetArrow(), 3, 20), 0x0000BB));
    E().Click(700, 300);
    EXPECT_EQ(splitter->IsCollapsed(), 1);
    EXPECT_FALSE(splitter->IsExpanded());
    EXPECT_TRUE(NearColour(PixelOf(*splitter->GetArrow(), 3, 20), 0x00BB00));
    E().Click(700, 300);
    EXPECT_EQ(app.frame.modes, (std::vector<int>{0, 3}));
    EXPECT_EQ(app.frame.sized, 2);
}

TEST_F(BoardTest, SplitterWithoutSkinsUsesTheDefaultArrowSize)
{
    auto* splitter = E().Make<CCySplitterBar>();
    EXPECT_EQ(splitter->GetArrow()->GetWidth(), 6);
    EXPECT_EQ(splitter->GetArrow()->GetHeight(), 85);
    EXPECT_EQ(splitter->GetPlane()->GetHeight(), 10);
}

} // namespace
