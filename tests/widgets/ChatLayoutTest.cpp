// Rows, trimming, scrolling, hit testing, selection and editing of laid-out chat content.
#include "ChatMarkupTestHost.h"
#include "widgets/ChatFaceTable.h"
#include "widgets/ChatLayout.h"

#include <gtest/gtest.h>

using namespace Lumora;

namespace {

// Markup in, elements laid out: what a chat box does with each appended text.
struct Box : chat_test::MarkupHost {
    ChatLayout layout;
    std::vector<uint32_t> freed;

    Box(int width, int height)
    {
        layout.viewWidth = width;
        layout.viewHeight = height;
        layout.SetFreeHook([this](const ChatElement& e) { freed.push_back(e.code); });
    }
    void CommitPiece() override { layout.Commit(piece.elements); }
    std::string All() const { return layout.TextOf(layout.First(), nullptr, [](uint32_t) { return "[obj]"; }); }
    ChatElement* At(int i) const { return layout.ElementAt(i); }
};

TEST(ChatLayout, TrimmingKeepsTheLastRowsAndScrollsToTheEnd)
{
    Box b(200, 40);
    b.layout.maxRows = 3;
    for (int i = 1; i <= 5; ++i)
        b.Parse("line" + std::to_string(i) + "\n");
    EXPECT_EQ(b.All(), "line3\nline4\nline5\n");
    EXPECT_EQ(b.layout.RowCount(), 3);
    // Rows are 14 high with a 2-pixel gap: bottoms 14, 30, 46, 62, 78.
    EXPECT_EQ(b.layout.TopOffset(), 30);
    EXPECT_EQ(b.layout.ContentHeight(), 78 - 30);
    EXPECT_GE(b.layout.ScrollY(), b.layout.TopOffset());
    b.layout.ScrollToEnd();
    EXPECT_EQ(b.layout.ScrollY() + b.layout.viewHeight, b.layout.Last()->Bottom());
    EXPECT_EQ(b.freed.size(), 12u);
}

TEST(ChatLayout, RowsWrapGrowAndBreak)
{
    Box b(50, 100);
    b.Parse("abcdefghij");  // 7 wide each: seven fit in 50
    EXPECT_EQ(b.At(6)->rowTop, 0);
    EXPECT_EQ(b.At(7)->rowTop, 16);
    EXPECT_EQ(b.At(7)->x, 0);

    // A run of digits or letters goes to the next row whole, unless it fills rows by itself.
    Box w(35, 100);
    w.Parse("ab+200 abcdefgh");
    EXPECT_EQ(w.At(2)->x, 0); // '+', with its digits
    EXPECT_EQ(w.At(2)->rowTop, 16);
    EXPECT_EQ(w.At(5)->x, 21);
    EXPECT_EQ(w.At(7)->rowTop, 32); // the long run starts its own row, then breaks
    EXPECT_EQ(w.At(11)->rowTop, 32);
    EXPECT_EQ(w.At(12)->x, 0);

    // A taller element continuing an open row puts the whole row on the new bottom.
    Box g(200, 100);
    g.pictures = {"pic"};
    g.Parse("ab");
    EXPECT_EQ(g.At(0)->y, 0);
    g.Parse("<z=pic>");
    EXPECT_EQ(g.At(2)->height, 24);
    EXPECT_EQ(g.At(0)->y, 10);
    EXPECT_EQ(g.At(1)->y, 10);
    EXPECT_EQ(g.layout.TakeRegrownTop(), 0);
    EXPECT_EQ(g.layout.TakeRegrownTop(), INT32_MAX);

    // A line break ends its row even when the row is empty.
    Box n(200, 100);
    n.Parse("a\n\nb");
    EXPECT_EQ(n.At(2)->rowTop, 16);
    EXPECT_EQ(n.At(2)->height, 14);
    EXPECT_EQ(n.At(3)->rowTop, 32);
    EXPECT_EQ(n.layout.RowCount(), 2);
}

// With a hanging indent the rows a line wraps onto start under its leading spaces (unless they
// take half the view), in later pieces and laid out again too; the line after a break starts
// at the edge.
TEST(ChatLayout, AWrappedLineContinuesUnderItsLeadingSpaces)
{
    struct Place {
        int element, rowTop, x;
    };
    struct Case {
        int width;
        std::vector<std::string> pieces; // 7 wide each
        std::vector<Place> places;
        int rows = -1; // closed rows, when checked
    } const cases[] = {
        {50,
         {"  ...........", "...\n ........"},
         {{6, 0, 42}, {7, 16, 14}, {12, 32, 14}, {15, 32, 35}, {17, 48, 0}, {24, 64, 7}}},
        {50, {"  ....abcd.."}, {{5, 0, 35}, {6, 16, 14}, {10, 16, 42}, {11, 32, 14}}},
        {50,
         {"  .....<z=wide,0,40,14><z=wide,0,40,14>abcdefgh"},
         {{7, 16, 14}, {8, 32, 14}, {9, 48, 14}, {14, 64, 14}},
         4},
        {56, {"    ....."}, {{8, 16, 0}}},
    };
    for (const Case& c : cases) {
        Box b(c.width, 200);
        b.pictures = {"wide"};
        b.layout.hangingIndent = true;
        for (const std::string& piece : c.pieces)
            b.Parse(piece);
        EXPECT_TRUE(c.rows < 0 || b.layout.RowCount() == c.rows) << b.layout.RowCount();
        for (int pass = 0; pass < 2; ++pass, b.layout.RelayoutElements())
            for (const Place& p : c.places) {
                EXPECT_EQ(b.At(p.element)->rowTop, p.rowTop) << c.pieces[0] << " " << p.element << " " << pass;
                EXPECT_EQ(b.At(p.element)->x, p.x) << c.pieces[0] << " " << p.element << " " << pass;
            }
    }
}

// A wrap keeps a sign or "×" with its digits and a name whole (a run of its own, behind letters or
// another name too), unless the run alone is wider than the line; CJK text breaks anywhere else (CJK
// 14 wide, ASCII 7). A space at a full row's end hangs past the edge: no empty row, no wider content.
TEST(ChatLayout, AWrapKeepsNamesAndSignedNumbersWhole)
{
    const Markup pay =
        UnbrokenMarkup("玩家一") + " 刮风：" + UnbrokenMarkup("玩家二") + " +300 " + UnbrokenMarkup("玩家三") + " -800";
    struct Case {
        int width;
        Markup markup;
        std::string rows; // each row's text, rows joined by '|'
    } const cases[] = {
        {120, pay, "玩家一 刮风：|玩家二 +300 |玩家三 -800"},
        {100, pay, "玩家一 刮风：|玩家二 +300 |玩家三 -800"},
        {150, pay, "玩家一 刮风：玩家二 |+300 玩家三 -800"},
        {238, pay, "玩家一 刮风：玩家二 +300 玩家三 |-800"},
        {35, "ab +300", "ab |+300"},
        {28, "x-800", "x|-800"},
        {28, "ab -cd", "ab -|cd"}, // a dash before letters is no sign
        {35, "+12345678", "+1234|5678"},
        {30, UnbrokenMarkup("玩家一二三") + "四", "玩家|一二|三四"},
        {60, "玩家一 刮风：玩家二", "玩家一 |刮风：玩|家二"},
        {140, "【第2局】庄：<c=255>" + UnbrokenMarkup("<url=http://x.cn/>链") + " <>\n", "【第2局】庄：|<url=http://x.cn/>链 \n"},
        {42, "ab" + UnbrokenMarkup("cdefg") + UnbrokenMarkup("甲乙丙") + "看牌 \n", "ab|cdefg|甲乙丙|看牌 \n"},
        {70, "屁胡0番 ×2", "屁胡0番 |×2"},
    };
    for (const Case& c : cases) {
        Box b(c.width, 200);
        b.Parse(c.markup);
        for (int pass = 0; pass < 2; ++pass, b.layout.RelayoutElements()) {
            std::string rows;
            for (const ChatElement* e = b.layout.First(); e; e = e->next)
                rows += (e != b.layout.First() && e->rowTop != b.layout.Predecessor(e)->rowTop ? "|" : "") + e->Text();
            EXPECT_EQ(rows, c.rows) << c.width << " " << c.markup.Text() << " " << pass;
            EXPECT_LE(b.layout.ContentWidth(), c.width) << c.markup.Text();
        }
    }
}

TEST(ChatLayout, AnElementWiderThanTheViewStandsAloneOnItsRow)
{
    Box b(20, 100);
    b.pictures = {"wide"};
    b.Parse("a<z=wide,0,50,10>bc");
    EXPECT_EQ(b.At(0)->rowTop, 0);
    EXPECT_EQ(b.At(1)->x, 0);
    EXPECT_EQ(b.At(1)->rowTop, 16);
    EXPECT_EQ(b.At(2)->x, 0);
    EXPECT_GT(b.At(2)->rowTop, b.At(1)->rowTop);
    EXPECT_EQ(b.At(3)->x, 7);

    // A view of no width (before the box is sized) still ends.
    Box zero(0, 0);
    zero.Parse("abc\ndef");
    EXPECT_EQ(zero.layout.ElementCount(), 7);
}

TEST(ChatLayout, SingleLineNeverWrapsAndScrollsByViews)
{
    Box b(30, 20);
    b.layout.singleLine = true;
    b.Parse("abcdefghij\nkl");
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(b.At(i)->rowTop, 0);
    EXPECT_EQ(b.At(12)->y, 20 - 1 - 14 + 0);
    EXPECT_EQ(b.layout.ContentWidth(), 12 * 7);
    b.layout.WheelDown(16);
    EXPECT_EQ(b.layout.ScrollX(), 30);
    b.layout.WheelDown(16);
    b.layout.WheelDown(16);
    EXPECT_EQ(b.layout.ScrollX(), 84 - 30);
    b.layout.WheelUp(16);
    EXPECT_EQ(b.layout.ScrollX(), 24);
}

TEST(ChatLayout, WheelAndScrollStayInsideTheContent)
{
    Box b(200, 40);
    for (int i = 0; i < 10; ++i)
        b.Parse("row\n");
    b.layout.ScrollToHome();
    EXPECT_EQ(b.layout.ScrollY(), 0);
    b.layout.WheelDown(16);
    EXPECT_EQ(b.layout.ScrollY(), 3 * 16);
    for (int i = 0; i < 10; ++i)
        b.layout.WheelDown(16);
    EXPECT_EQ(b.layout.ScrollY(), b.layout.ContentHeight() - 40);
    b.layout.ScrollTo(-100);
    EXPECT_EQ(b.layout.ScrollY(), 0);
    b.layout.ScrollTo(100000);
    EXPECT_EQ(b.layout.ScrollY(), b.layout.ContentHeight() - 40);
    b.layout.WheelUp(16);
    EXPECT_EQ(b.layout.ScrollY(), b.layout.ContentHeight() - 40 - 48);
}

TEST(ChatLayout, HitTestsAndCaretPlaces)
{
    Box b(200, 100);
    b.Parse("ab\ncd");
    EXPECT_EQ(b.layout.ElementAtPoint(8, 3), b.At(1));
    EXPECT_EQ(b.layout.CaretElementAt(8, 3), b.At(1));   // left half of 'b'
    EXPECT_EQ(b.layout.CaretElementAt(12, 3), b.At(2));  // right half: before the line break
    EXPECT_EQ(b.layout.CaretElementAt(150, 3), b.At(2));  // behind the row: its line break
    EXPECT_EQ(b.layout.CaretElementAt(150, 20), nullptr);  // behind the last row: the end
    EXPECT_EQ(b.layout.CaretElementAt(3, 20), b.At(3));
    EXPECT_EQ(b.layout.ElementAtPoint(150, 3), nullptr);
}

TEST(ChatLayout, SelectionCopiesTheSameTextInEitherDirection)
{
    Box b(200, 100);
    b.pictures = {"pic"};
    b.Parse("ab<z=pic>中\ncd");
    b.layout.Select(b.At(1), b.At(5));
    const auto text = [](uint32_t) { return std::string("[图片]"); };
    EXPECT_EQ(b.layout.SelectedText(text), "b[图片]中\n");
    b.layout.Select(b.At(5), b.At(1));
    EXPECT_EQ(b.layout.SelectedText(text), "b[图片]中\n");
    b.layout.Select(b.At(6), nullptr);
    EXPECT_EQ(b.layout.SelectedText(text), "d");
    b.layout.ClearSelection();
    EXPECT_EQ(b.layout.SelectedText(text), "");
}

TEST(ChatLayout, EditingAtTheCaret)
{
    Box b(200, 30);
    b.layout.editable = true;
    b.Parse("ace");
    b.layout.SetCaret(b.At(1));
    b.Parse("b");
    EXPECT_EQ(b.All(), "abce");
    EXPECT_EQ(b.layout.Caret(), b.At(2));
    EXPECT_EQ(b.At(2)->x, 14);
    b.layout.SetCaret(b.At(3));
    b.Parse("中d");
    EXPECT_EQ(b.All(), "abc中de");
    EXPECT_TRUE(b.layout.Backspace());  // 'd' before the caret
    EXPECT_EQ(b.All(), "abc中e");
    EXPECT_TRUE(b.layout.DeleteForward());  // 'e' at the caret
    EXPECT_EQ(b.All(), "abc中");
    EXPECT_EQ(b.layout.Caret(), nullptr);
    EXPECT_FALSE(b.layout.DeleteForward());
    b.layout.Select(b.At(3), b.At(1));
    EXPECT_TRUE(b.layout.Backspace());
    EXPECT_EQ(b.All(), "a中");
    EXPECT_FALSE(b.layout.HasSelection());
    EXPECT_EQ(b.layout.Caret(), b.At(1));
    EXPECT_EQ(b.At(1)->x, 7);
    b.layout.SetCaret(b.At(0));
    EXPECT_FALSE(b.layout.Backspace());
    b.layout.Clear();
    EXPECT_EQ(b.layout.ElementCount(), 0);
    EXPECT_EQ(b.layout.First(), nullptr);
    b.Parse("x");
    EXPECT_EQ(b.All(), "x");
}

TEST(ChatLayout, MemoryStaysFlatOnceTrimmingStarts)
{
    Box b(300, 200);
    b.layout.maxRows = 50;
    for (int i = 0; i < 200; ++i)
        b.Parse("<c=255>name<>: hello 你好 #r there\n");
    const size_t capacity = b.layout.PoolCapacity();
    for (int i = 0; i < 2000; ++i)
        b.Parse("<c=255>name<>: hello 你好 #r there\n");
    EXPECT_EQ(b.layout.PoolCapacity(), capacity);
    EXPECT_EQ(b.layout.RowCount(), 50);
    EXPECT_EQ(b.layout.ElementCount(), 50 * 22);
}

} // namespace

namespace {

TEST(ChatFaceTable, HoldsTwentyFacesAndMapsUnknownOnesToTheDefault)
{
    Lumora::ChatFaceTable faces;
    for (int i = 0; i < 25; ++i)
        faces.Add("face" + std::to_string(i));
    EXPECT_EQ(faces.Count(), 20);
    EXPECT_EQ(faces.Find("face19"), 19);
    EXPECT_EQ(faces.Find("face20"), 0);
    EXPECT_EQ(faces.Name(99), "face0");
    EXPECT_EQ(faces.Add(""), 20);
    faces.KeepFirst(2);
    EXPECT_EQ(faces.Count(), 2);
    EXPECT_EQ(faces.Add(std::string(40, 'x')), 3);
    EXPECT_EQ(faces.Name(2).size(), Lumora::kMaxFaceNameBytes);
}

} // namespace
