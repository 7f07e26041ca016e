// The text back end: GBK code points against Python's codec, face choices through the shipped
// alias file, and FreeType masks checked with tolerance (real fonts differ from release to release).
#include "platform/FontGlyphSource.h"
#include "platform/GbkCodePoints.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

using platform::FontGlyphSource;
using platform::GbkPairToCodePoint;
using platform::GlyphRequest;

std::string AliasFile() { return std::string(XL_SOURCE_DIR) + "/assets/fonts/cjk-aliases.conf"; }

FontGlyphSource& Fonts()
{
    static auto* fonts = new FontGlyphSource(platform::FontGlyphOptions{AliasFile(), true, 16384});
    return *fonts;
}

int Covered(const platform::GlyphMask& m)
{
    int n = 0;
    for (uint8_t a : m.coverage)
        n += a > 64;
    return n;
}

TEST(GbkCodePoints, WholeTableMatchesPythonCodec)
{
    const char* script =
        "import sys\n"
        "for lead in range(0x81, 0xFF):\n"
        "  for trail in range(0x40, 0xFF):\n"
        "    if trail == 0x7F: continue\n"
        "    try:\n"
        "      c = bytes([lead, trail]).decode('gbk')\n"
        "      cp = ord(c) if len(c) == 1 else 0\n"
        "    except UnicodeDecodeError: cp = 0\n"
        "    sys.stdout.write('%d\\n' % cp)\n";
    std::string command = "/usr/bin/python3 -c \"" + std::string(script) + "\"";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    int compared = 0, differing = 0, known = 0;
    char line[32];
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            ASSERT_NE(fgets(line, sizeof line, pipe), nullptr);
            char32_t expected = static_cast<char32_t>(std::stoul(line));
            char32_t got = GbkPairToCodePoint(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            ++compared;
            known += expected != 0;
            if (got != expected)
                ++differing;
        }
    }
    pclose(pipe);
    EXPECT_EQ(compared, 23940);
    EXPECT_GT(known, 21000);
    // The two codecs disagree only on a handful of punctuation marks, never on Han characters.
    EXPECT_LE(differing, 4);
    EXPECT_EQ(GbkPairToCodePoint(0xD6, 0xD0), U'中');
    EXPECT_EQ(GbkPairToCodePoint(0xD2, 0xBB), U'一');
    EXPECT_EQ(GbkPairToCodePoint(0x81, 0x7F), 0u);
    EXPECT_EQ(GbkPairToCodePoint(0x41, 0x41), 0u);
}

TEST(FontResolver, ChineseFaceNamesReachTheCjkFonts)
{
    ASSERT_TRUE(Fonts().AliasesLoaded());
    EXPECT_EQ(Fonts().FaceOf("宋体", 400, false, U'中').family, "AR PL UMing CN");
    EXPECT_EQ(Fonts().FaceOf("黑体", 400, false, U'中').family, "WenQuanYi Zen Hei");
    EXPECT_EQ(Fonts().FaceOf("幼圆", 400, false, U'中').family, "WenQuanYi Micro Hei");
    // Latin names, in any case, and names nobody has.
    EXPECT_EQ(Fonts().FaceOf("SIMHEI", 400, false, U'中').family, "WenQuanYi Zen Hei");
    EXPECT_EQ(Fonts().FaceOf("no such face", 400, false, U'中').family, "AR PL UMing CN");
    EXPECT_FALSE(Fonts().FaceOf("宋体", 400, false, U'A').file.empty());
}

TEST(FontGlyphSource, PlacesEachGlyphInACellOfTheRequestedSize)
{
    for (char32_t cp : {U'一', U'中', U'A'}) {
        GlyphRequest r{"宋体", 16, 400, false, cp, cp == U'A' ? 8 : 16};
        const auto& m = Fonts().Glyph(r);
        EXPECT_EQ(m.coverage.size(), size_t(m.width) * size_t(m.height));
        EXPECT_TRUE(m.left >= 0 && m.left + m.width <= r.cellWidth && m.top >= 0 && m.top + m.height <= 16)
            << static_cast<uint32_t>(cp);
        EXPECT_GT(Covered(m), 3) << static_cast<uint32_t>(cp);
        EXPECT_GE(m.underlineTop, 0);
        EXPECT_LT(m.underlineTop, 16);
    }
    // A character no font has, and sizes that leave no cell, give empty masks of the right size.
    const auto& none = Fonts().Glyph(GlyphRequest{"宋体", 16, 400, false, 0x10FFFD, 16});
    EXPECT_EQ(none.coverage.size(), 256u);
    EXPECT_EQ(Covered(none), 0);
    EXPECT_TRUE(Fonts().Glyph(GlyphRequest{"宋体", 0, 400, false, U'A', 0}).coverage.empty());
}

TEST(FontGlyphSource, BoldAndItalicChangeTheMask)
{
    GlyphRequest regular{"黑体", 24, 400, false, U'中', 24};
    int plain = Covered(Fonts().Glyph(regular));
    GlyphRequest bold = regular;
    bold.weight = 700;
    EXPECT_GT(Covered(Fonts().Glyph(bold)), plain);
    GlyphRequest italic = regular;
    italic.italic = true;
    auto plainMask = Fonts().Glyph(regular).coverage;
    EXPECT_NE(Fonts().Glyph(italic).coverage, plainMask);
}

TEST(FontGlyphSource, CachesEachGlyphOnce)
{
    FontGlyphSource fonts(platform::FontGlyphOptions{AliasFile(), true, 4});
    GlyphRequest r{"宋体", 14, 400, false, U'中', 14};
    const auto* first = &fonts.Glyph(r);
    EXPECT_EQ(&fonts.Glyph(r), first);
    EXPECT_EQ(fonts.CachedGlyphs(), 1u);
    // The face name is matched without regard to case.
    GlyphRequest upper{"SimSun", 14, 400, false, U'A', 7}, lower{"simsun", 14, 400, false, U'A', 7};
    fonts.Glyph(upper);
    fonts.Glyph(lower);
    EXPECT_EQ(fonts.CachedGlyphs(), 2u);
    // Past its limit the cache starts over instead of growing without end.
    for (char32_t cp = U'a'; cp < U'a' + 10; ++cp)
        fonts.Glyph(GlyphRequest{"宋体", 14, 400, false, cp, 7});
    EXPECT_LE(fonts.CachedGlyphs(), 4u);
}

} // namespace
