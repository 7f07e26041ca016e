// Layout, markup and blending of the text surface, made exact by a glyph source of solid cells.
#include "engine/text/TextSurface.h"
#include "platform/Charset.h"
#include "platform/FontGlyphSource.h"
#include "platform/GbkCodePoints.h"
#include "platform/Paths.h"
#include "tests/support/PatternGlyphSource.h"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Lumora::TextStyle;
using Lumora::TextSurface;
using testsupport::PatternGlyphSource;

struct Picture {
    int width, height;
    std::vector<uint8_t> px;
    Picture(int w, int h) : width(w), height(h), px(size_t(w) * h * 4, 0) {}
    const uint8_t* At(int x, int y) const { return &px[(size_t(y) * width + x) * 4]; }
    bool Inked(int x, int y) const { return At(x, y)[3] != 0; }
    // Rows [top, bottom) that hold any ink in column x.
    std::pair<int, int> InkRows(int x) const
    {
        int top = -1, bottom = -1;
        for (int y = 0; y < height; ++y)
            if (Inked(x, y)) {
                if (top < 0)
                    top = y;
                bottom = y + 1;
            }
        return {top, bottom};
    }
};

class TextSurfaceTest : public ::testing::Test {
protected:
    TextSurfaceTest() : glyphs(std::make_shared<PatternGlyphSource>()), surface(glyphs) {}

    TextStyle Style(int size, int wrap = 1)
    {
        TextStyle s;
        s.SetFace("宋体");
        s.colour = 0x00302010; // red 0x10, green 0x20, blue 0x30
        s.size = size;
        s.weight = 400;
        s.wrap = wrap;
        s.opacity = 255;
        return s;
    }
    void Draw(Picture& p, const TextStyle& style, int x, int y, const Lumora::Markup& text)
    {
        TextSurface::StyledCall call(surface, style);
        surface.RenderText(p.px.data(), p.width, p.height, x, y, text);
    }
    int Measure(const TextStyle& style, int width, const Lumora::Markup& text)
    {
        TextSurface::StyledCall call(surface, style);
        return surface.MeasureText(width, text);
    }

    std::shared_ptr<PatternGlyphSource> glyphs;
    TextSurface surface;
};

TEST_F(TextSurfaceTest, MeasuresWithItsOwnArithmetic)
{
    EXPECT_EQ(Measure(Style(15), 200, ""), 1);
    EXPECT_EQ(Measure(Style(15), 200, "abc中"), 15);
    EXPECT_EQ(surface.Widest(), 3 * 8 + 15);
    // Ten 5-pixel characters fill 50 pixels; the eleventh opens a second line.
    EXPECT_EQ(Measure(Style(10), 50, "aaaaaaaaaa"), 10);
    EXPECT_EQ(Measure(Style(10), 50, "aaaaaaaaaaa"), 10 + 1 + 10 - 1);
    TextStyle spaced = Style(10);
    spaced.rowSpace = 4;
    spaced.pitch = 1;
    // With a pitch of 1 only eight fit (the first without its pitch, the fit test counts it).
    EXPECT_EQ(Measure(spaced, 50, "aaaaaaaaa"), 10 + 4 + 10);
    EXPECT_TRUE(glyphs->requests.empty()) << "measuring draws nothing";
}

TEST_F(TextSurfaceTest, WrapsAtTheRightMarginOrStopsThere)
{
    Picture wrapped(50, 40);
    Draw(wrapped, Style(10), 0, 0, "aaaaaaaaaaaa");
    EXPECT_TRUE(wrapped.Inked(49, 5));
    EXPECT_TRUE(wrapped.Inked(0, 15));
    EXPECT_TRUE(wrapped.Inked(9, 15));
    EXPECT_FALSE(wrapped.Inked(10, 15));

    // Without wrap the line is cut: what fitted is drawn, nothing goes below.
    Picture cut(50, 40);
    Draw(cut, Style(10, 0), 0, 0, "aaaaaaaaaaaa");
    EXPECT_TRUE(cut.Inked(0, 5));
    EXPECT_TRUE(cut.Inked(49, 5));
    EXPECT_FALSE(cut.Inked(0, 15));
    EXPECT_EQ(glyphs->requests.size(), 12u + 10u);

    // Margins: lines start at the left margin and end before width less the right margin.
    Picture margins(50, 40);
    TextStyle m = Style(10);
    m.leftMargin = 5;
    m.rightMargin = 5;
    Draw(margins, m, 0, 0, "aaaaaaaaa");
    EXPECT_FALSE(margins.Inked(4, 5));
    EXPECT_TRUE(margins.Inked(5, 5));
    EXPECT_FALSE(margins.Inked(45, 5));
    EXPECT_TRUE(margins.Inked(5, 15));
}

TEST_F(TextSurfaceTest, MixedSizesStandOnOneBottomLine)
{
    Picture p(100, 40);
    Draw(p, Style(12), 0, 0, "ab<size=24>cd");
    EXPECT_EQ(p.InkRows(0), std::make_pair(12, 24));  // a at 12, bottom-aligned
    EXPECT_EQ(p.InkRows(13), std::make_pair(0, 24));  // c at 24 from x = 12
    // The next line starts below the largest size of this one.
    Picture two(30, 60);
    Draw(two, Style(12), 0, 0, "ab<size=24>c\nd");
    EXPECT_EQ(two.InkRows(0).first, 12);
    EXPECT_EQ(two.InkRows(0).second, 24 + 24);
}

TEST_F(TextSurfaceTest, DoubleByteCharactersNeverSplit)
{
    Picture p(24, 30);
    Draw(p, Style(10), 0, 0, "aaa中");
    ASSERT_EQ(glyphs->CodePoints().back(), U'中');
    EXPECT_EQ(glyphs->requests.back().cellWidth, 10);
    EXPECT_FALSE(p.Inked(16, 5));
    EXPECT_TRUE(p.Inked(0, 15));
    EXPECT_TRUE(p.Inked(9, 15));
    EXPECT_FALSE(p.Inked(10, 15));
}

TEST_F(TextSurfaceTest, ColourTagsAndTheirClosingTags)
{
    Picture p(40, 12);
    Draw(p, Style(10), 0, 0, "<color=255>a</color>b<rgb=0,0,255>c");
    // Coverage 200 on empty pixels: the colour with alpha 200.
    EXPECT_EQ(p.At(0, 5)[2], 255);
    EXPECT_EQ(p.At(0, 5)[1], 0);
    EXPECT_EQ(p.At(0, 5)[3], 200);
    EXPECT_EQ(p.At(5, 5)[0], 0x30);
    EXPECT_EQ(p.At(5, 5)[2], 0x10);
    EXPECT_EQ(p.At(10, 5)[0], 255);
    EXPECT_EQ(p.At(10, 5)[2], 0);
}

TEST_F(TextSurfaceTest, RefusedTagsAndEmptyBracketsAreText)
{
    Picture p(400, 12);
    Draw(p, Style(10), 0, 0, "<rgb=1,2>x<>");
    auto codes = glyphs->CodePoints();
    std::u32string drawn(codes.begin(), codes.end());
    EXPECT_EQ(drawn, U"<rgb=1,2>x<>");
    glyphs->requests.clear();
    Draw(p, Style(10), 0, 0, "<nosuchtag>y<size=12;bogus=1>z");
    codes = glyphs->CodePoints();
    drawn.assign(codes.begin(), codes.end());
    // The second tag applied its first pair, so it is taken as markup.
    EXPECT_EQ(drawn, U"<nosuchtag>yz");
    EXPECT_EQ(glyphs->requests.back().size, 12);
}

TEST_F(TextSurfaceTest, CommentsAndScripts)
{
    Picture p(200, 12);
    Draw(p, Style(10), 0, 0, "<//: a note>x<SCRIPT:Abc>");
    EXPECT_EQ(glyphs->CodePoints(), std::vector<char32_t>{U'x'});
    ASSERT_EQ(surface.Scripts().size(), 1u);
    EXPECT_EQ(surface.Scripts()[0], "script:abc");
    EXPECT_EQ(surface.ScriptIndex(), 0);
    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "<script:" + std::to_string(i) + ">";
    Draw(p, Style(10), 0, 0, Lumora::Markup::FromSkin(many));
    EXPECT_EQ(surface.Scripts().size(), TextSurface::kMaxScripts);
    EXPECT_EQ(surface.Scripts().back(), "script:299");
    surface.ClearLines();
    EXPECT_TRUE(surface.Scripts().empty());
    EXPECT_EQ(surface.ScriptIndex(), -1);
}

TEST_F(TextSurfaceTest, ClosingTagsReturnToTheCallersStyle)
{
    Picture p(200, 40);
    TextStyle s = Style(15);
    s.pitch = 2;
    s.weight = 400;
    Draw(p, s, 0, 0, "<size=20;bold;pitch=7>a</size;/bold;/pitch>b");
    ASSERT_EQ(glyphs->requests.size(), 2u);
    EXPECT_EQ(glyphs->requests[0].size, 20);
    EXPECT_EQ(glyphs->requests[0].weight, 700);
    EXPECT_EQ(glyphs->requests[1].size, 15);
    EXPECT_EQ(glyphs->requests[1].weight, 400);
    // After the call the surface has its own style back.
    EXPECT_EQ(surface.CurrentStyle().size, 12);
}

TEST_F(TextSurfaceTest, UnderlineSpansSpacesAndOpacityScalesCoverage)
{
    Picture p(40, 12);
    TextStyle s = Style(10);
    Draw(p, s, 0, 0, "a b");
    EXPECT_FALSE(p.Inked(7, 9)); // a space is not drawn
    Draw(p, s, 0, 0, "<underline>a b");
    EXPECT_TRUE(p.Inked(7, 9));  // ... unless underlined, on the bar's row only
    EXPECT_FALSE(p.Inked(7, 8));
    Picture faint(10, 12);
    s.opacity = 128;
    Draw(faint, s, 0, 0, "a");
    EXPECT_EQ(faint.At(0, 5)[3], (200 * 128) >> 8);
}

TEST_F(TextSurfaceTest, BlendsOverExistingPixels)
{
    Picture p(10, 10);
    for (size_t i = 0; i < p.px.size(); i += 4) {
        p.px[i] = 100;
        p.px[i + 1] = 150;
        p.px[i + 2] = 250;
        p.px[i + 3] = 220;
    }
    Draw(p, Style(10), 0, 0, "a");
    const uint8_t* px = p.At(2, 2);
    EXPECT_EQ(px[0], (0x30 * 200 + 100 * 55) >> 8);
    EXPECT_EQ(px[1], (0x20 * 200 + 150 * 55) >> 8);
    EXPECT_EQ(px[2], (0x10 * 200 + 250 * 55) >> 8);
    EXPECT_EQ(px[3], 220);
}

TEST_F(TextSurfaceTest, StopsAtTheBottomOfThePicture)
{
    Picture p(20, 25);
    Draw(p, Style(10), 0, 0, "aaaaaaaaaaaaaaaaaaaa");
    EXPECT_TRUE(p.Inked(0, 15));
    EXPECT_EQ(glyphs->requests.size(), 8u); // two lines of four; a third would pass the bottom
}

// Regressions of faults of the classic design.
TEST_F(TextSurfaceTest, FreshLineThatCannotHoldTheCharacterEndsMeasuring)
{
    TextStyle s = Style(15);
    s.leftMargin = 10;
    s.rightMargin = 10;
    // Width 22 leaves 2 pixels between the margins: nothing ever fits.
    EXPECT_LE(Measure(s, 22, "abc"), 15);
    Picture p(22, 40);
    Draw(p, s, 0, 0, "abc");
    EXPECT_TRUE(glyphs->requests.empty());
}

TEST_F(TextSurfaceTest, LinesThatNeitherTakeTextNorMoveDownEndDrawing)
{
    // The margin tag pushes the line's redraw past the right margin, so every line gives its
    // character to the next; with lines that do not move down this used to go on for ever.
    Picture p(64, 64);
    TextStyle empty = Style(0);
    empty.leftMargin = 6;
    Draw(p, empty, 0, 0, Lumora::Markup::FromSkin(std::string("a<leftmargin=99>", 16)));
    TextStyle flat = Style(10);
    flat.rowSpace = -10;
    Draw(p, flat, 0, 0, "a<leftmargin=99>");
    EXPECT_TRUE(glyphs->requests.empty());
    // A first line that cannot take its character still hands it to the next one.
    Draw(p, Style(10), 60, 0, "ab");
    EXPECT_EQ(glyphs->requests.size(), 2u);
    EXPECT_GE(p.InkRows(0).first, 0); // drawn at the left of the second line
}

TEST_F(TextSurfaceTest, LeadByteAtTheEndIsOneCharacter)
{
    Picture p(40, 12);
    Draw(p, Style(10), 0, 0, Lumora::Markup::FromSkin(std::string("a\xD6")));
    ASSERT_EQ(glyphs->requests.size(), 2u);
    EXPECT_EQ(glyphs->requests[1].cellWidth, 5);
    EXPECT_EQ(surface.Widest(), 10);
    EXPECT_EQ(Measure(Style(10), 100, Lumora::Markup::FromSkin(std::string("\xD6"))), 10);
}

TEST_F(TextSurfaceTest, NestedCallsOnOneThreadDoNotDeadlock)
{
    Picture p(40, 24);
    TextSurface::StyledCall outer(surface, Style(10));
    surface.RenderText(p.px.data(), p.width, p.height, 0, 0, "a");
    {
        TextSurface::StyledCall inner(surface, Style(20));
        surface.RenderText(p.px.data(), p.width, p.height, 0, 0, "b");
    }
    surface.RenderText(p.px.data(), p.width, p.height, 0, 0, "c");
    ASSERT_EQ(glyphs->requests.size(), 3u);
    EXPECT_EQ(glyphs->requests[1].size, 20);
    EXPECT_EQ(glyphs->requests[2].size, 10);
}

TEST_F(TextSurfaceTest, HugeNumbersInMarkupStayHarmless)
{
    Picture p(40, 12);
    Draw(p, Style(10), 0, 0, "<pitch=99999999999999999999;rowspace=-99999999999>ab<size=400>c<size=-5>d");
    EXPECT_LE(surface.Widest(), 100000);
    glyphs->requests.clear();
    Draw(p, Style(10), 0, 0, "<size=300>abc"); // 300 and above draw nothing
    EXPECT_TRUE(glyphs->requests.empty());
}

} // namespace

namespace {

TEST(TextSurfaceWithFonts, DrawsChineseAndLatinWithAnUnderlineAcrossTheAdvance)
{
    auto fonts = std::make_shared<platform::FontGlyphSource>(
        platform::FontGlyphOptions{std::string(XL_SOURCE_DIR) + "/assets/fonts/cjk-aliases.conf", true, 1024});
    Lumora::TextSurface surface(fonts);
    Lumora::TextStyle s;
    s.SetFace("宋体");
    s.size = 16;
    s.weight = 400;
    s.wrap = 1;
    s.opacity = 255;
    s.colour = 0xFFFFFF;
    std::vector<uint8_t> px(40 * 20 * 4, 0);
    {
        Lumora::TextSurface::StyledCall call(surface, s);
        surface.RenderText(px.data(), 40, 20, 0, 0, "<underline>中 A");
    }
    auto inkIn = [&](int x0, int x1) {
        int n = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = x0; x < x1; ++x)
                n += px[(size_t(y) * 40 + x) * 4 + 3] != 0;
        return n;
    };
    EXPECT_GT(inkIn(0, 16), 20);
    EXPECT_GT(inkIn(24, 32), 8);
    // The space between carries only the underline: one band of rows, full width.
    int spaceInk = inkIn(16, 24);
    EXPECT_GT(spaceInk, 0);
    EXPECT_EQ(spaceInk % 8, 0);
    EXPECT_EQ(inkIn(32, 40), 0);
    // Each row of that band runs under the three advances whole, 32 pixels, and no further.
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40 && px[(size_t(y) * 40 + 20) * 4 + 3] != 0; ++x)
            EXPECT_EQ(px[(size_t(y) * 40 + x) * 4 + 3] != 0, x < 32) << x << ", " << y;
}

// Coverage rows cut to the ink: what a glyph looks like wherever it stands.
struct Ink {
    int width = 0, height = 0, left = 0; // left: the first inked column, not part of the picture
    std::vector<uint8_t> coverage;
    bool operator==(const Ink& o) const
    {
        return std::tie(width, height, coverage) == std::tie(o.width, o.height, o.coverage);
    }
};

template <typename At>
Ink CutToInk(int width, int height, At at)
{
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (at(x, y))
                left = std::min(left, x), right = std::max(right, x), top = std::min(top, y),
                bottom = std::max(bottom, y);
    Ink ink;
    if (right < 0)
        return ink;
    ink.width = right - left + 1, ink.height = bottom - top + 1, ink.left = left;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            ink.coverage.push_back(at(x, y));
    return ink;
}

// Printable ASCII and a few CJK characters, drawn in the client's faces (found from a run folder
// without assets, as the hall prepares it) at each size it uses, equal FreeType's own bitmaps.
TEST(TextSurfaceWithFonts, EveryGlyphIsDrawnWholeAtTheSizesTheClientUses)
{
    platform::SetProgramFolder((std::filesystem::temp_directory_path() / "xl-run-without-assets").string());
    const char* source = std::getenv("XL_SOURCE_DIR");
    const std::string savedSource = source ? source : "";
    unsetenv("XL_SOURCE_DIR");
    auto fonts = std::make_shared<platform::FontGlyphSource>();
    platform::SetProgramFolder({});
    if (source)
        setenv("XL_SOURCE_DIR", savedSource.c_str(), 1);
    EXPECT_TRUE(fonts->AliasesLoaded());

    std::vector<std::string> characters;
    for (char c = '!'; c <= '~'; ++c)
        characters.push_back(std::string(1, c));
    for (const char* cjk : {"玩", "家", "中", "龙", "胡", "：", "，"})
        characters.push_back(cjk);
    FT_Library ft = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&ft), 0);
    Lumora::TextSurface surface(fonts);
    constexpr int kSide = 64;
    // The client's face, and a chat face whose Latin letters are wider than their cells.
    for (const char* faceName : {"宋体", "黑体"}) {
        for (const int size : {12, 13, 14, 15, 16, 20}) {
            for (const std::string& gbk : characters) {
                Lumora::TextStyle s;
                s.SetFace(faceName);
                s.size = size, s.weight = 400, s.wrap = 1, s.opacity = 255, s.colour = 0xFFFFFF;
                std::vector<uint8_t> px(kSide * kSide * 4, 0);
                {
                    Lumora::TextSurface::StyledCall call(surface, s);
                    surface.RenderText(px.data(), kSide, kSide, 20, 20, gbk);
                }
                const Ink drawn =
                    CutToInk(kSide, kSide, [&](int x, int y) { return px[(size_t(y) * kSide + x) * 4 + 3]; });

                const char32_t cp =
                    gbk.size() == 1 ? char32_t(gbk[0]) : platform::GbkPairToCodePoint(uint8_t(gbk[0]), uint8_t(gbk[1]));
                const platform::FontFace face = fonts->FaceOf(faceName, 400, false, cp);
                FT_Face ftFace = nullptr;
                ASSERT_EQ(FT_New_Face(ft, face.file.c_str(), face.index, &ftFace), 0) << face.file;
                FT_Set_Pixel_Sizes(ftFace, 0, FT_UInt(size));
                ASSERT_EQ(FT_Load_Char(ftFace, cp, FT_LOAD_TARGET_LIGHT | FT_LOAD_RENDER), 0);
                const FT_Bitmap& bm = ftFace->glyph->bitmap;
                const Ink own = CutToInk(int(bm.width), int(bm.rows), [&](int x, int y) -> uint8_t {
                    const uint8_t* row = bm.buffer + ptrdiff_t(y) * bm.pitch;
                    if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                        return (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
                    return row[x];
                });
                // FreeType's box stands in the advance, the advance centred in the cell.
                const int cell = gbk.size() == 2 ? size : (size + 1) / 2,
                          advance = int(ftFace->glyph->advance.x + 32) >> 6;
                const int origin = drawn.left - own.left - ftFace->glyph->bitmap_left - 20;
                FT_Done_Face(ftFace);
                EXPECT_LE(std::abs(2 * origin - (cell - advance)), 1)
                    << face.family << " " << size << " '" << platform::GbkToUtf8(gbk) << "' off its cell";
                EXPECT_TRUE(drawn == own)
                    << face.family << " " << size << " '" << platform::GbkToUtf8(gbk) << "' drawn " << drawn.width
                    << "x" << drawn.height << ", FreeType's " << own.width << "x" << own.height;
            }
        }
    }
    FT_Done_FreeType(ft);
}

} // namespace
