// Caption fitting: sizes, spacing and offsets worked out by hand from the fitting rules, for the
// edges: nothing to fit, tiny texts under a forced size, a text that only fits on two lines and
// texts cut until their size is readable (never between the bytes of a character).
#include "engine/object/PlaneCaption.h"

#include <gtest/gtest.h>

using namespace Lumora;

namespace {

TEST(FitCaption, EdgeCasesWorkedOutByHand)
{
    struct Row {
        const char* what;
        std::string text;
        int width, height;
        std::optional<int> forced;
        std::string fitted;
        int size, pitch, rowSpace, left, top;
        bool twoLines;
    } rows[] = {
        {"two bytes cannot hold the forced size", "ab", 20, 20, 16, "", 0, 0, 0, 0, 0, false},
        {"three bytes keep their first", "abc", 20, 20, 16, "a", 16, 0, 0, 6, 2, false},
        {"four bytes keep their first character", "誠運", 24, 20, 16, "誠", 16, 0, 0, 4, 2, false},
        {"forced size cuts whole characters", "誠運錦淺", 40, 40, 16, "誠..", 16, 0, 0, 4, 12, false},
        {"only two lines reach the minimum", "誠運錦淺", 40, 40, {}, "誠運錦淺", 12, 2, 4, 6, 6, true},
        {"cut until readable", "abcdefghij", 40, 40, {}, "ab..", 12, 1, 0, 6, 14, false},
        {"a cut never splits a character", "ab誠運錦", 48, 48, {}, "ab誠..", 12, 0, 0, 6, 18, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::string text = r.text;
        TextStyle style;
        style.size = 99;
        CaptionRequest request;
        request.width = r.width;
        request.height = r.height;
        request.forcedSize = r.forced;
        const CaptionFit fit = FitCaption(text, request, style);
        EXPECT_EQ(text, r.fitted);
        EXPECT_EQ(fit.twoLines, r.twoLines);
        EXPECT_EQ(fit.left, r.left);
        EXPECT_EQ(fit.top, r.top);
        if (r.fitted.empty())
            continue;
        EXPECT_EQ(style.size, r.size);
        EXPECT_EQ(style.pitch, r.pitch);
        EXPECT_EQ(style.rowSpace, r.rowSpace);
        EXPECT_EQ(style.leftMargin, r.left);
    }

    std::string empty;
    TextStyle untouched;
    untouched.size = 7;
    const CaptionFit none = FitCaption(empty, CaptionRequest{40, 40, {}, {}, {}}, untouched);
    EXPECT_EQ(untouched.size, 7);
    EXPECT_EQ(none.left + none.top, 0);
}

TEST(FitCaption, GivenMarginsBoundTheSize)
{
    // Margins 5 and 10 in 60 x 40: min((60 - 10) * 2 / 4, 40 - 20) = 20; spread over 3 gaps.
    std::string text = "abcd";
    TextStyle style;
    const CaptionFit fit = FitCaption(text, CaptionRequest{60, 40, 5, 10, {}}, style);
    EXPECT_EQ(style.size, 20);
    EXPECT_EQ(style.pitch, (60 - 2 * 5 - 40) / 3);
    EXPECT_EQ(fit.left, (60 - 3 * 3 - 40) / 2);
    EXPECT_EQ(fit.top, 10);
}

} // namespace
