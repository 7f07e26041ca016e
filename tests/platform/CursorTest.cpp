#include "platform/Cursor.h"
#include "tests/support/TiedChild.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using platform::Cursor;

// The files are written by an independent script from the file layouts themselves.
class CursorFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = std::filesystem::temp_directory_path() / ("xl-cursors-" + std::to_string(::getpid()));
        ASSERT_EQ(0, xltest::RunProgram(xltest::Python("tests/platform/data/make_cursors.py", {dir_.string()})).status);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }
    static std::vector<uint8_t> Read(const char* name)
    {
        std::ifstream in(dir_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static uint32_t At(const platform::CursorFrame& f, int x, int y) { return f.bgra[y * f.width + x]; }
    static inline std::filesystem::path dir_;
};

TEST_F(CursorFiles, ThirtyTwoBitCursorKeepsAlphaAndHotSpot)
{
    auto f = platform::ParseCursorImage(Read("alpha.cur"));
    ASSERT_TRUE(f);
    EXPECT_EQ(16, f->width);
    EXPECT_EQ(16, f->height);
    EXPECT_EQ(3, f->hotX);
    EXPECT_EQ(5, f->hotY);
    EXPECT_EQ(0xFFFF0000u, At(*f, 0, 0));
    EXPECT_EQ(0x800000FFu, At(*f, 15, 15));
}

TEST_F(CursorFiles, MonochromeMaskGivesTransparencyAndBottomUpRows)
{
    auto f = platform::ParseCursorImage(Read("mono.cur"));
    ASSERT_TRUE(f);
    EXPECT_EQ(32, f->width);
    EXPECT_EQ(32, f->height);
    EXPECT_EQ(31, f->hotX);
    EXPECT_EQ(0, f->hotY);
    EXPECT_EQ(0xFFFFFFFFu, At(*f, 0, 0));    // top: opaque white
    EXPECT_EQ(0u, At(*f, 0, 31));            // mask over black: see-through
    EXPECT_EQ(0xFF000000u, At(*f, 31, 31));  // mask over white would invert: opaque black
}

TEST_F(CursorFiles, IconDirectoryPicksTheThirtyTwoPixelEntry)
{
    auto f = platform::ParseCursorImage(Read("two.ico"));
    ASSERT_TRUE(f);
    EXPECT_EQ(32, f->width);
    EXPECT_EQ(0xFF112233u, At(*f, 5, 5));
    EXPECT_EQ(0xFF445566u, At(*f, 6, 5));
}

TEST_F(CursorFiles, PngPictureInsideACursor)
{
    auto f = platform::ParseCursorImage(Read("png.cur"));
    ASSERT_TRUE(f);
    EXPECT_EQ(4, f->width);
    EXPECT_EQ(2, f->height);
    EXPECT_EQ(0xFFFF0000u, At(*f, 0, 0));
    EXPECT_EQ(0xFF0000FFu, At(*f, 2, 0));
    EXPECT_EQ(0xFF010203u, At(*f, 1, 1));
}

TEST_F(CursorFiles, AnimatedCursorFollowsSequenceAndRates)
{
    auto c = Cursor::FromFileBytes(Read("anim.ani"));
    ASSERT_TRUE(c);
    ASSERT_EQ(3u, c->Frames().size());
    EXPECT_EQ(0xFFFF0000u, c->Frames()[0].bgra[0]);  // sequence 1, 0, 1: red, green, red
    EXPECT_EQ(0xFF00FF00u, c->Frames()[1].bgra[0]);
    EXPECT_EQ(100u, c->Frames()[0].durationMs);       // 6 jiffies of 1/60 s
    EXPECT_EQ(200u, c->Frames()[1].durationMs);
}

TEST_F(CursorFiles, DamagedFilesAreRefused)
{
    EXPECT_FALSE(platform::ParseCursorImage(Read("cut.cur")));
    EXPECT_FALSE(platform::ParseCursorImage(Read("badoffset.cur")));
    auto ani = Read("anim.ani");
    ani.resize(ani.size() - 40);  // the last icon chunk runs past the end
    EXPECT_FALSE(Cursor::FromFileBytes(ani));
    EXPECT_FALSE(Cursor::FromFileBytes(std::vector<uint8_t>{}));
}

TEST_F(CursorFiles, CursorsCompareBySharedPicturesOrStockId)
{
    auto a = Cursor::FromFileBytes(Read("alpha.cur"));
    auto b = Cursor::FromFileBytes(Read("alpha.cur"));
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(*a == Cursor(*a));
    EXPECT_FALSE(*a == *b);  // same bytes, separate pictures
    EXPECT_TRUE(Cursor() == Cursor::System(32512));
    EXPECT_FALSE(Cursor::System(32649) == Cursor());
}

} // namespace
