// The emoticon picker driven through the input module: hover, pick to the side panel, paging
// with the page buttons, and the full page that is not followed by an empty one.
#include "tests/widgets/WidgetFixture.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "widgets/CXyChatFace.h"
#include "widgets/CXyStandButton.h"
#include "widgets/SidePanelObjects.h"

using namespace Lumora;
using namespace widgettest;

namespace {

// 10 x 8 cells of 32 + 2 x 2 pixels: a 360 x 288 grid centred on (400, 300).
constexpr int kLeft = 220;
constexpr int kTop = 156;
constexpr int kCell = 36;

struct Pick {
    uint32_t code;
    std::string text;
    int index;
};

class ChatFaceTest : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        E().AddSkin("xyf向前翻页", SolidFrames(20, 16, {0x10, 0x20, 0x30, 0x40}));
        E().AddSkin("xyf向后翻页", SolidFrames(20, 16, {0x11, 0x21, 0x31, 0x41}));
        for (int i = 0; i < 3; ++i) {
            E().AddSkin("xyfs" + std::to_string(i), SolidFrames(32, 32, {uint32_t(0x0000F0 + i)}));
            E().AddSkin("xyf" + std::to_string(i), SolidFrames(48, 48, {0x00F000, 0x00E000, 0x00D000}));
        }
        E().LoadSkins();
    }
    CXyChatFace* MakePicker(int faces)
    {
        auto* picker = E().Make<CXyChatFace>();
        picker->Create(10, 8, 32, 2);
        for (int i = 0; i < faces; ++i)
            picker->AddFace(std::to_string(i % 3).c_str(), ("/" + std::to_string(i)).c_str(), uint32_t(i));
        picker->MoveTo(400, 300);
        picker->SetGrid(10, 8);
        E().Show(*picker);
        return picker;
    }
    ProbeObject* MakeSidePanel()
    {
        ProbeObject* panel = E().MakeProbe();
        panel->SetName(kSubSystemName);
        panel->inspect = [this](const EventRecord& r) {
            if (r.code == EV_FACE_PICKED || r.code == EV_FACE_PICKED_RESERVED)
                picks_.push_back({r.code, reinterpret_cast<const char*>(r.param1),
                                  *reinterpret_cast<const int*>(r.param2)});
        };
        return panel;
    }
    static int CellX(int c) { return kLeft + c * kCell + kCell / 2; }
    static int CellY(int r) { return kTop + r * kCell + kCell / 2; }
    void ClickButton(CXyStandButton* button) { E().Click(int(button->GetX()), int(button->GetY())); }

    std::vector<Pick> picks_;
};

TEST_F(ChatFaceTest, GridPicksTheFaceUnderThePressAndCloses)
{
    MakeSidePanel();
    CXyChatFace* picker = MakePicker(25);
    EXPECT_EQ(picker->GetPageCount(), 1);
    EXPECT_EQ(picker->GetLeft(), kLeft);
    EXPECT_EQ(picker->GetTop(), kTop);
    // The grid picture of face 0 sits inside its cell's margin; grid lines between cells.
    EXPECT_NEAR(int(PixelOf(*picker->GetPanel(), 2 + 16, 2 + 16) & 0xFF), 0xF0, 1);
    EXPECT_EQ(PixelOf(*picker->GetPanel(), kCell, 100), 0xE1E1E1u);

    E().MoveMouse(CellX(3), CellY(1));
    EXPECT_EQ(picker->GetHoverIndex(), 13);
    EXPECT_TRUE(picker->GetHighlight()->IsActive());
    ASSERT_NE(picker->GetPreviewBox(), nullptr);
    EXPECT_TRUE(picker->GetPreviewBox()->IsActive());
    EXPECT_EQ(picker->GetPreview()->GetWidth(), CXyChatFace::kPreviewSize);

    // Cells 25 ... 79 are empty: hovering hides the box, pressing does nothing.
    E().MoveMouse(CellX(5), CellY(2));
    EXPECT_EQ(picker->GetHoverIndex(), -1);
    EXPECT_FALSE(picker->GetHighlight()->IsActive());
    E().Click(CellX(5), CellY(2));
    EXPECT_TRUE(picks_.empty());
    EXPECT_TRUE(picker->IsActive());

    E().Click(CellX(4), CellY(2));
    ASSERT_EQ(picks_.size(), 1u);
    EXPECT_EQ(picks_[0].code, EV_FACE_PICKED);
    EXPECT_EQ(picks_[0].text, "/24");
    EXPECT_EQ(picks_[0].index, 24);
    EXPECT_FALSE(picker->IsActive());
    EXPECT_FALSE(picker->GetHighlight()->IsActive());
    // A move queued before the press and delivered after it lights nothing of the closed picker.
    InputData moved;
    moved.x = CellX(3);
    moved.y = CellY(1);
    picker->OnEvent({picker->GetId(), EV_MOUSE_MOVE, 0, reinterpret_cast<uintptr_t>(&moved)});
    EXPECT_FALSE(picker->GetHighlight()->IsActive());
    EXPECT_FALSE(picker->GetPreviewBox()->IsActive());
}

TEST_F(ChatFaceTest, RightPressPicksAsReservedAndNoSidePanelStillCloses)
{
    CXyChatFace* picker = MakePicker(25);
    E().Click(CellX(0), CellY(0));
    EXPECT_FALSE(picker->IsActive());

    MakeSidePanel();
    E().Show(*picker);
    E().RightClick(CellX(2), CellY(0));
    ASSERT_EQ(picks_.size(), 1u);
    EXPECT_EQ(picks_[0].code, EV_FACE_PICKED_RESERVED);
    EXPECT_EQ(picks_[0].index, 2);
    EXPECT_FALSE(picker->IsActive());
}

TEST_F(ChatFaceTest, PagesStopAtBothEndsAndAFullPageHasNoEmptyFollower)
{
    MakeSidePanel();
    CXyChatFace* full = MakePicker(80);
    EXPECT_EQ(full->GetPageCount(), 1);
    // Gone, not closed: a closed picker at the same spot and depth still takes the presses.
    full->ReleaseObject(full, false);

    CXyChatFace* picker = MakePicker(90);
    ASSERT_EQ(picker->GetPageCount(), 2);
    EXPECT_FALSE(picker->GetPreviousButton()->IsEnabled());
    EXPECT_TRUE(picker->GetNextButton()->IsEnabled());
    ClickButton(picker->GetPreviousButton());
    EXPECT_EQ(picker->GetPage(), 0);
    ClickButton(picker->GetNextButton());
    EXPECT_EQ(picker->GetPage(), 1);
    EXPECT_FALSE(picker->GetNextButton()->IsEnabled());
    ClickButton(picker->GetNextButton());
    EXPECT_EQ(picker->GetPage(), 1);
    // Page 2 shows faces 80 ... 89 only.
    E().Click(CellX(0), CellY(1));
    EXPECT_TRUE(picks_.empty());
    E().Click(CellX(9), CellY(0));
    ASSERT_EQ(picks_.size(), 1u);
    EXPECT_EQ(picks_[0].index, 89);
    EXPECT_EQ(picks_[0].text, "/89");

    // Setting the grid again starts over at page 0.
    picker->SetGrid(10, 8);
    EXPECT_EQ(picker->GetPage(), 0);
}

TEST_F(ChatFaceTest, MovingWithinACellKeepsThePreviewAndDeactivatingStopsIt)
{
    CXyChatFace* picker = MakePicker(25);
    E().MoveMouse(CellX(1), CellY(0));
    BITObject* preview = picker->GetPreview();
    ASSERT_NE(preview, nullptr);
    E().Run(150);
    const int frame = preview->GetFrame();
    EXPECT_NE(frame, 0);  // the animation runs
    E().MoveMouse(CellX(1) + 3, CellY(0) + 3);
    const int moved = preview->GetFrame();
    EXPECT_GE(moved, frame);  // not restarted from frame 0
    picker->Deactivate();
    E().Run(400);
    EXPECT_EQ(preview->GetFrame(), moved);
}

TEST_F(ChatFaceTest, GridsWithoutCellsHaveNoPages)
{
    auto* none = E().Make<CXyChatFace>();
    none->Create(0, 8, 32, 2);
    EXPECT_EQ(none->GetPanel(), nullptr);
    auto* tiny = E().Make<CXyChatFace>();
    tiny->Create(2, 1, 32, 2);
    EXPECT_EQ(tiny->GetPageCount(), 0);
    EXPECT_FALSE(tiny->IsActive());
    CXyChatFace* picker = MakePicker(5);
    picker->SetGrid(0, 3);
    EXPECT_EQ(picker->GetPageCount(), 0);
    EXPECT_FALSE(picker->IsActive());
}

} // namespace
