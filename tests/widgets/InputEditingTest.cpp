// Input box editing over laid-out content: GBK lengths, limits that cut the incoming text,
// digits only, caret moves with scrolling, and the recall history.
#include "ChatMarkupTestHost.h"
#include "widgets/InputEditing.h"
#include "widgets/InputHistory.h"

#include <gtest/gtest.h>

using namespace Lumora;

namespace {

struct Edit : chat_test::MarkupHost {
    ChatLayout layout;
    int maxLength = -1;

    explicit Edit(int width = 200, int height = 40, bool singleLine = false)
    {
        layout.viewWidth = width;
        layout.viewHeight = height;
        layout.singleLine = singleLine;
        layout.editable = true;
    }
    void CommitPiece() override { layout.Commit(piece.elements); }
    // The input box's limited append.
    bool Append(std::string_view text)
    {
        const auto allowed = AppendAllowance(text, EditLength(layout), maxLength);
        if (!allowed)
            return false;
        Parse(*allowed);
        return true;
    }
    std::string Text() const { return EditText(layout); }
};

TEST(InputEditing, LengthsAndTextCountGbkBytesAndObjects)
{
    Edit e;
    e.pictures = {"pic"};
    e.Parse("a中<z=pic>");
    EXPECT_EQ(EditLength(e.layout), 1 + 2 + 6);
    EXPECT_EQ(e.Text(), "a中[控件]");
}

TEST(InputEditing, LimitsCutTheIncomingTextNeverTheExistingOne)
{
    Edit e;
    e.maxLength = 5;
    e.Append("abc");
    e.Append("de");
    EXPECT_EQ(e.Text(), "abcde");
    EXPECT_FALSE(e.Append("f"));

    Edit f;
    f.maxLength = 5;
    f.Append("abc");
    f.Append("defg");
    EXPECT_EQ(f.Text(), "abcde");

    // Typing in the middle keeps the tail that was there.
    Edit mid;
    mid.maxLength = 5;
    mid.Append("abcd");
    mid.layout.SetCaret(mid.layout.ElementAt(1));
    mid.Append("XYZ");
    EXPECT_EQ(mid.Text(), "aXbcd");

    // A pair is never split: one byte of room takes nothing of "中".
    Edit pair;
    pair.maxLength = 4;
    pair.Append("abc");
    pair.Append("中");
    EXPECT_EQ(pair.Text(), "abc");
    EXPECT_EQ(EditLength(pair.layout), 3);

    EXPECT_EQ(CutToRoom("ab中", 3), "ab");
    EXPECT_EQ(CutToRoom("ab中", 4), "ab中");
    EXPECT_EQ(CutToRoom(std::string_view("ab\xD6", 3), 10), "ab");
    EXPECT_EQ(CutToRoom("abc", 0), "");
    EXPECT_EQ(AppendAllowance("abc", 100, 0), std::optional<std::string_view>("abc"));
}

TEST(InputEditing, DigitsOnlyDropsEverythingElse)
{
    EXPECT_EQ(DigitsOnly("1a2中3<c=9>"), "1239");
    EXPECT_EQ(DigitsOnly(""), "");
}

TEST(InputEditing, CaretMovesAndCollapsesSelections)
{
    Edit e;
    e.Parse("ab\ncd");
    EXPECT_EQ(e.layout.Caret(), nullptr);
    EXPECT_TRUE(MoveCaret(e.layout, CaretMove::Left, 14));
    EXPECT_EQ(e.layout.Caret(), e.layout.ElementAt(4));
    EXPECT_TRUE(MoveCaret(e.layout, CaretMove::Up, 14));
    EXPECT_EQ(e.layout.Caret(), e.layout.ElementAt(1));
    EXPECT_FALSE(MoveCaret(e.layout, CaretMove::Up, 14));
    EXPECT_TRUE(MoveCaret(e.layout, CaretMove::Down, 14));
    EXPECT_EQ(e.layout.Caret(), e.layout.ElementAt(4));
    EXPECT_TRUE(MoveCaret(e.layout, CaretMove::Right, 14));
    EXPECT_EQ(e.layout.Caret(), nullptr);
    EXPECT_FALSE(MoveCaret(e.layout, CaretMove::Right, 14));
    e.layout.Select(e.layout.ElementAt(4), e.layout.ElementAt(1));
    EXPECT_TRUE(MoveCaret(e.layout, CaretMove::Right, 14));
    EXPECT_EQ(e.layout.Caret(), e.layout.ElementAt(1));
    EXPECT_FALSE(e.layout.HasSelection());

    const CaretPlace end = PlaceOfCaret(e.layout, nullptr, 14);
    EXPECT_EQ(end.x, 14);
    EXPECT_EQ(end.rowTop, 16);
    Edit nl;
    nl.Parse("a\n");
    EXPECT_EQ(PlaceOfCaret(nl.layout, nullptr, 14).x, 0);
    EXPECT_EQ(PlaceOfCaret(nl.layout, nullptr, 14).rowTop, 16);
    Edit empty;
    EXPECT_EQ(PlaceOfCaret(empty.layout, nullptr, 12).height, 12);
}

TEST(InputEditing, CaretMovesScrollTheView)
{
    Edit line(21, 16, true);
    line.Parse("abcdefghij");
    line.layout.ScrollAfterAppend();
    EXPECT_EQ(line.layout.ScrollX(), 70 - 21 + 2);
    for (int i = 0; i < 10; ++i)
        MoveCaret(line.layout, CaretMove::Left, 14);
    EXPECT_EQ(line.layout.Caret(), line.layout.ElementAt(0));
    EXPECT_EQ(line.layout.ScrollX(), 0);

    Edit many(200, 32);
    for (int i = 0; i < 8; ++i)
        many.Parse("row\n");
    many.layout.ScrollToEnd();
    const int bottom = many.layout.ScrollY();
    for (int i = 0; i < 40; ++i)
        MoveCaret(many.layout, CaretMove::Up, 14);
    EXPECT_EQ(many.layout.Caret(), many.layout.ElementAt(0));
    EXPECT_EQ(many.layout.ScrollY(), 0);
    for (int i = 0; i < 40; ++i)
        MoveCaret(many.layout, CaretMove::Down, 14);
    EXPECT_EQ(many.layout.ScrollY(), bottom);
}

TEST(InputHistory, RecallWrapsAtBothEnds)
{
    InputHistory one;
    one.Add("x");
    EXPECT_EQ(one.Previous(), "x");
    EXPECT_EQ(one.Next(), "x");

    InputHistory h;
    EXPECT_EQ(h.Previous(), "");
    h.Add("a");
    h.Add("b");
    EXPECT_EQ(h.Previous(), "a");
    EXPECT_EQ(h.Previous(), "b");
    EXPECT_EQ(h.Next(), "a");
    h.Add("c");
    EXPECT_EQ(h.Previous(), "b");
}

} // namespace
