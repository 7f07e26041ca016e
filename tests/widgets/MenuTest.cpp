#include "tests/widgets/WidgetFixture.h"

#include "engine/object/PlaneObject.h"
#include "widgets/CCyPopButton.h"
#include "widgets/CCyPopMenu.h"
#include "widgets/CXyPopButton.h"
#include "widgets/CXyPopMenu.h"

using namespace Lumora;
using namespace widgettest;

namespace {

constexpr uint32_t kCall = 80000701;
constexpr uint32_t kCopy = 80000702;

class MenuTest : public WidgetFixture {
protected:
    CXyPopMenu* MakeMenu()
    {
        probe_ = E().MakeProbe();
        auto* menu = E().Make<CXyPopMenu>();
        menu->Create(80, 20, 12, 0xFFFFFF);
        menu->MoveTo(300, 200);
        return menu;
    }
    EventRecord Notify(uint32_t code) const { return EventRecord{probe_->GetId(), code, 0, 0}; }
    ProbeObject* probe_ = nullptr;
};

TEST_F(MenuTest, ThreeItemsOfTwentyWithMarginTwoMakeSixtyFourPixels)
{
    CXyPopMenu* menu = MakeMenu();
    const EventRecord a = Notify(kCall), b = Notify(kCopy);
    menu->AddItem("one", &a, 0);
    menu->AddItem("two", &b, 0);
    menu->AddItem("three", &b, 0);
    PlaneObject* plane = menu->GetPlane();
    EXPECT_EQ(plane->GetHeight(), 64);
    EXPECT_EQ(plane->GetWidth(), 84);
    EXPECT_EQ(plane->GetSurfaceHeight(), 64);
    EXPECT_DOUBLE_EQ(menu->GetItem(0)->GetY() - plane->GetTop(), 12);
    EXPECT_DOUBLE_EQ(menu->GetItem(2)->GetY() - menu->GetItem(1)->GetY(), 20);
    EXPECT_DOUBLE_EQ(menu->GetItem(0)->GetX() - plane->GetLeft(), 42);
    EXPECT_EQ(PixelOf(*plane, 0, 0), 0u);
    EXPECT_EQ(menu->GetItem(3), nullptr);
    EXPECT_EQ(menu->GetItem(-1), nullptr);
}

TEST_F(MenuTest, FindItemGivesTheFirstOfEqualTexts)
{
    CXyPopMenu* menu = MakeMenu();
    const EventRecord a = Notify(kCall), b = Notify(kCopy);
    CXyPopButton* first = menu->AddItem("same", &a, 0);
    menu->AddItem("same", &b, 0);
    EXPECT_EQ(menu->FindItem("same"), first);
    EXPECT_EQ(menu->FindItem("Same"), nullptr);
    EXPECT_EQ(menu->FindItem(nullptr), nullptr);
}

TEST_F(MenuTest, EmptyMenuDeactivatesOnLayout)
{
    CXyPopMenu* menu = MakeMenu();
    E().Show(*menu);
    menu->Layout();
    EXPECT_FALSE(menu->IsActive());
}

TEST_F(MenuTest, EnableItemsMatchesTheOwnersRecord)
{
    CXyPopMenu* menu = MakeMenu();
    const EventRecord a = Notify(kCall), b = Notify(kCopy);
    CXyPopButton* call = menu->AddItem("call", &a, 0);
    CXyPopButton* copy = menu->AddItem("copy", &b, 0);
    E().Show(*menu);
    menu->EnableItems(probe_->GetId(), kCall, false);
    EXPECT_FALSE(call->IsEnabled());
    EXPECT_TRUE(copy->IsEnabled());
    E().Click(300, int(call->GetY()));
    EXPECT_EQ(probe_->Count(kCall), 0u);
    menu->EnableItems(probe_->GetId(), kCall, true);
    E().Click(300, int(call->GetY()));
    EXPECT_EQ(probe_->Count(kCall), 1u);
}

TEST_F(MenuTest, ClickOnAnItemDeliversItsRecordAndLosingFocusHidesTheMenu)
{
    CXyPopMenu* menu = MakeMenu();
    const EventRecord a = Notify(kCall), b = Notify(kCopy);
    menu->AddItem("call", &a, 0);
    CXyPopButton* copy = menu->AddItem("copy", &b, 0);
    E().Show(*menu);
    E().Click(300, int(copy->GetY()));
    EXPECT_EQ(probe_->Codes(), (std::vector<uint32_t>{kCopy}));
    EXPECT_TRUE(menu->IsActive());  // a click does not close it
    // The owner gives the menu the focus when it pops it up; a press elsewhere takes it away.
    E().Input().SetFocus(menu->GetPlane()->GetId());
    E().Settle();
    EXPECT_TRUE(menu->IsActive());
    E().Click(700, 500);
    EXPECT_FALSE(menu->IsActive());
}

class CyMenuTest : public MenuTest {
protected:
    CCyPopMenu* MakeCyMenu()
    {
        probe_ = E().MakeProbe();
        auto* menu = E().Make<CCyPopMenu>();
        menu->Create(100, 24, 12);
        menu->MoveTo(300, 200);
        return menu;
    }
};

TEST_F(CyMenuTest, SeparatorsGoBelowTheLastItem)
{
    CCyPopMenu* menu = MakeCyMenu();
    EXPECT_FALSE(menu->AddSeparator());
    const EventRecord a = Notify(kCall);
    CCyPopButton* first = menu->AddItem("a", &a, 0x112233, 0, 0);
    EXPECT_TRUE(menu->AddSeparator());
    CCyPopButton* second = menu->AddItem("b", &a, 0x112233, 0, 1);
    EXPECT_EQ(first->HasSeparator(), 1);
    EXPECT_EQ(second->HasSeparator(), 0);
    PlaneObject* plane = first->GetPlane();
    EXPECT_EQ(PixelOf(*plane, 50, 22), 0xA0A0A0u);
    EXPECT_EQ(PixelOf(*plane, 50, 23), 0xFFFFFFu);
    EXPECT_EQ(PixelOf(*plane, 2, 22), 0xF0F0F0u);  // inside the inset: background
    EXPECT_EQ(menu->GetPlane()->GetHeight(), 2 * 24 + 4);
}

TEST_F(CyMenuTest, PressedColourZeroInvertsTheItemWithoutANewLabel)
{
    CCyPopMenu* menu = MakeCyMenu();
    const EventRecord a = Notify(kCall);
    CCyPopButton* item = menu->AddItem("x", &a, 0, 0, 0);
    item->Draw(1);
    const uint32_t hover = PixelOf(*item->GetPlane(), 90, 12);
    EXPECT_EQ(hover, 0xCBDADCu);
    item->Draw(2);
    EXPECT_EQ(PixelOf(*item->GetPlane(), 90, 12), ~hover & 0xFFFFFF);
    menu->SetItemBackColors(0xF0F0F0, 0xCBDADC, 0x0000FF);
    item->Draw(2);
    EXPECT_EQ(PixelOf(*item->GetPlane(), 90, 12), 0x0000FFu);
}

TEST_F(CyMenuTest, IconsAreDrawnAtMostTwentyFourSquare)
{
    E().AddSkin("icon30", SolidFrames(30, 30, {0x00FF00}));
    E().AddSkin("icon16", SolidFrames(16, 16, {0x00FF00}));
    E().LoadSkins();
    CCyPopMenu* menu = MakeCyMenu();
    const EventRecord a = Notify(kCall);
    CCyPopButton* item = menu->AddItem("", &a, 0, 0, 0);
    item->SetIcon(E().Picture("icon30"));
    EXPECT_EQ(item->GetIconSize(), 24);
    item->Draw(0);
    // Text left 40: the icon spans x 8..31 and y 0..23 of the 24-pixel row (green, at full
    // opacity within the blitter's rounding).
    EXPECT_TRUE(NearColour(PixelOf(*item->GetPlane(), 8, 0), 0x00FF00));
    EXPECT_TRUE(NearColour(PixelOf(*item->GetPlane(), 31, 23), 0x00FF00));
    EXPECT_EQ(PixelOf(*item->GetPlane(), 7, 12), 0xF0F0F0u);
    EXPECT_EQ(PixelOf(*item->GetPlane(), 32, 12), 0xF0F0F0u);
    item->SetIcon(E().Picture("icon16"));
    EXPECT_EQ(item->GetIconSize(), 16);
    EXPECT_EQ(item->SetTextLeft(0), 40);
    menu->CenterItemTexts();
    EXPECT_EQ(item->SetTextLeft(-1), 50);  // (100 - 0) / 2 for an empty text
}

} // namespace
