#include "platform/GbkWalk.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

namespace {

// Each of these characters has a trail byte that looks like a separator or a letter:
// 誠 運 錦 乗 淺 end in 0x5C ('\\'), 侶 in 0x48 ('H').
TEST(GbkWalk, TrailBytesAreNeverSeparatorsOrLetters)
{
    constexpr auto npos = std::string_view::npos;
    struct Row {
        std::string_view text;
        size_t lastSeparator, firstSeparator, lastDot;
    } rows[] = {
        {"誠", npos, npos, npos},
        {"運\\錦.txt", 2, 2, 5},
        {"a/乗.淺", 1, 1, 4},
        {"侶", npos, npos, npos},
        {"x\\", 1, 1, npos},
        {"\x81", npos, npos, npos}, // a lead byte at the end stands alone
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.text));
        EXPECT_EQ(platform::GbkFindLastOf(r.text, "\\/"), r.lastSeparator);
        EXPECT_EQ(platform::GbkFindFirstOf(r.text, "\\/"), r.firstSeparator);
        EXPECT_EQ(platform::GbkFindLastOf(r.text, "."), r.lastDot);
    }
    EXPECT_EQ(platform::GbkLowerAsciiCopy("A.侶X"), "a.侶x");
    EXPECT_TRUE(platform::GbkEqualNoCase("Ab誠", "aB誠"));
    EXPECT_FALSE(platform::GbkEqualNoCase("侶", "俬")); // trail bytes 'H' and 'h'
    EXPECT_EQ(platform::NativePath("skins\\誠\\淺.txt"), "skins/誠/淺.txt");
}

} // namespace
