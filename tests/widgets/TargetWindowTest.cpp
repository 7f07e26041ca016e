// The target window: tiles and rows laid out as the box's elements, pictures fitted, hover and
// badges, and the drags: before, after the end, onto the dragged tile, onto its successor and
// with no place marked.
#include "tests/widgets/WidgetFixture.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "widgets/CLumoraWindow.h"

using namespace Lumora;
using namespace widgettest;

namespace {

class TargetWindowTest : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        E().AddSkin("small", SolidFrames(20, 10, {0x00FF00}));
        E().AddSkin("large", SolidFrames(100, 50, {0x0000FF}));
        E().LoadSkins();
    }
    // A 400 x 200 window whose view starts at (100, 100), with `n` tiles named A, B, C...
    CLumoraWindow* MakeWindow(int n)
    {
        auto* window = E().Make<CLumoraWindow>();
        window->Create(400, 200, false);
        window->MoveTo(300, 200);
        E().Show(*window);
        for (int i = 0; i < n; ++i)
            window->AddTarget(MakeTile(std::string(1, char('A' + i)).c_str()), i == n - 1);
        E().Settle();
        return window;
    }
    CLumoraTarget* MakeTile(const char* caption, const char* picture = "small")
    {
        auto* target = E().Make<CLumoraTarget>();
        PictureInfo info;
        target->GetPicture(info, picture, 0);
        target->CreateTile(info, caption, false, 1);
        return target;
    }
    static std::string Order(const CLumoraWindow& w)
    {
        std::string out;
        for (CLumoraTarget* t = w.GetFirstTarget(); t; t = w.GetNextTarget(t))
            out += t->GetLabel();
        return out;
    }
    // A screen point inside tile `index` at a fraction of its width.
    static std::pair<int, int> At(const CLumoraWindow& w, int index, double fraction)
    {
        const ChatElement* e = w.GetElementAt(index);
        const PlaneObject* text = w.GetTextPlane();
        return {int(text->GetLeft()) + e->x + int(e->width * fraction), int(text->GetTop()) + e->y + e->height / 2};
    }
    // Drags tile `from` to a point and drops it there.
    static void DragAndDrop(CLumoraWindow& w, int from, std::pair<int, int> to)
    {
        CLumoraTarget* t = w.GetFirstTarget();
        for (int i = 0; i < from; ++i)
            t = w.GetNextTarget(t);
        w.OnTargetEnter(t);
        w.OnTargetDrag(t, to.first, to.second);
        w.OnTargetRelease(to.first, to.second);
    }
};

TEST_F(TargetWindowTest, TilesAndRowsAreSizedFromTheIconAndFontSizes)
{
    CLumoraWindow* w = MakeWindow(3);
    const ChatElement* a = w->GetElementAt(0);
    const ChatElement* b = w->GetElementAt(1);
    EXPECT_EQ(a->width, 40 + 30);
    EXPECT_EQ(a->height, 40 + 12 + 10);
    EXPECT_EQ(b->y, a->y);
    EXPECT_GE(b->x, a->Right() + CLumoraWindow::kTargetGap);
    CLumoraTarget* row = E().Make<CLumoraTarget>();
    PictureInfo large;
    row->GetPicture(large, "large", 0);
    row->CreateRow(large, "row", 8, false);
    EXPECT_EQ(row->GetWidthPixels(), 40 + 10 + 12 * 8 / 2);
    EXPECT_EQ(row->GetPictureObject()->GetWidth(), 40);  // 100 x 50 fitted into 40 x 40
    EXPECT_EQ(row->GetPictureObject()->GetHeight(), 20);
    EXPECT_EQ(w->GetFirstTarget()->GetPictureObject()->GetWidth(), 20);  // a small one keeps its size
}

TEST_F(TargetWindowTest, HoverHighlightsAndLeavingEndsADragWithoutMoving)
{
    CLumoraWindow* w = MakeWindow(3);
    CLumoraTarget* a = w->GetFirstTarget();
    w->OnTargetEnter(a);
    EXPECT_EQ(w->GetCurrentTarget(), a);
    EXPECT_EQ(a->GetState(), CLumoraTarget::kHighlighted);
    const auto end = At(*w, 2, 0.9);
    w->OnTargetDrag(a, end.first, end.second);
    EXPECT_NE(w->GetDraggedElement(), nullptr);
    w->OnTargetLeave(a);
    EXPECT_EQ(w->GetDraggedElement(), nullptr);
    EXPECT_EQ(a->GetState(), 0u);
    w->OnTargetRelease(end.first, end.second);
    EXPECT_EQ(Order(*w), "ABC");
    a->SetBadge(0);
    EXPECT_EQ(a->GetBadge(), 0);
}

TEST_F(TargetWindowTest, DropsMoveOnlyWhereTheMarkerSaysSo)
{
    struct Case {
        const char* what;
        int from;
        int onto;        // tile index under the point, -1: past the end of the row, -2: left of all
        double fraction;
        const char* order;
    } cases[] = {
        {"the gap after the first: before the second", 2, 0, 1.1, "ACB"},
        {"past the end", 0, -1, 0, "BCA"},
        {"onto itself", 1, 1, 0.5, "ABC"},
        {"left half of its successor", 0, 1, 0.1, "ABC"},
        {"left half of another tile", 2, 0, 0.1, "ABC"},  // kept as the drop rule has it
        {"no place marked", 1, -2, 0, "ABC"},
    };
    for (const Case& c : cases) {
        CLumoraWindow* w = MakeWindow(3);
        std::pair<int, int> point;
        if (c.onto == -1) {
            point = At(*w, 2, 1.0);
            point.first += 60;
        } else if (c.onto == -2) {
            point = At(*w, 0, 0.0);
            point.first -= 1;
        } else {
            point = At(*w, c.onto, c.fraction);
        }
        DragAndDrop(*w, c.from, point);
        EXPECT_EQ(Order(*w), c.order) << c.what;
        EXPECT_EQ(w->GetDraggedElement(), nullptr) << c.what;
        EXPECT_FALSE(w->GetMarker()->IsActive()) << c.what;
        w->Clear();
    }
}

TEST_F(TargetWindowTest, TheMarkerIsDrawnInItsColourAtTheInsertionPlace)
{
    CLumoraWindow* w = MakeWindow(2);
    CLumoraTarget* b = w->GetNextTarget(w->GetFirstTarget());
    w->OnTargetEnter(b);
    const auto point = At(*w, 0, 0.2);
    w->OnTargetDrag(b, point.first, point.second);
    EXPECT_EQ(w->GetInsertionElement(), w->GetElementAt(0));
    PlaneObject* marker = w->GetMarker();
    EXPECT_TRUE(marker->IsActive());
    EXPECT_EQ(marker->GetPixelColour(0, 0), CLumoraWindow::kMarkerColour);
    EXPECT_TRUE(w->GetDragPlane()->IsActive());
    EXPECT_EQ(int(w->GetDragPlane()->GetX()), point.first);
}

} // namespace

namespace {

TEST_F(TargetWindowTest, TheMouseDrivesHoverAndDragThroughTheTargetsHooks)
{
    CLumoraWindow* w = MakeWindow(3);
    const auto a = At(*w, 0, 0.5);
    E().MoveMouse(a.first, a.second);
    EXPECT_EQ(w->GetCurrentTarget(), w->GetFirstTarget());
    const auto end = At(*w, 2, 1.0);
    E().Press(a.first, a.second);
    E().DragTo(end.first + 60, end.second);
    E().Release(end.first + 60, end.second);
    E().Settle();
    EXPECT_EQ(Order(*w), "BCA");
}

} // namespace
