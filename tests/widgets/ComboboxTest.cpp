// The combo box with recent entries: six entries at most, oldest out first in the list and
// the menu alike; a pick replaces the typed text; the frame's three slices; digits only.
#include "tests/widgets/WidgetFixture.h"

#include "engine/object/PlaneObject.h"
#include "widgets/CComboboxMenu.h"
#include "widgets/CGameCombobox.h"
#include "widgets/CSafeBoxInput.h"
#include "widgets/CXyPopButton.h"
#include "widgets/CXyStandButton.h"

using namespace Lumora;
using namespace widgettest;

namespace {

constexpr uint32_t kLeftColour = 0x0000C0;
constexpr uint32_t kStripColour = 0x00C000;
constexpr uint32_t kRightColour = 0xC00000;

class ComboboxTest : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        // 60 x 24: columns 0-29 left colour, 30-31 the strip, 32-59 right colour.
        E().AddSkin("InputBoxBkg", SyntheticPicture(60, 24, 1, [](int, int x, int) {
                        return x < 30 ? kLeftColour : x < 32 ? kStripColour : kRightColour;
                    }));
        E().AddSkin("btnQuickChat", SolidFrames(16, 16, {0x10, 0x20, 0x30, 0x40}));
        E().LoadSkins();
        combo_ = E().Make<CGameCombobox>();
        combo_->CreateFromSkin();
        combo_->MoveTo(300, 200);
        E().Show(*combo_);
    }
    std::vector<std::string> MenuTexts() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < combo_->GetMenu()->GetItemCount(); ++i)
            texts.push_back(combo_->GetMenu()->GetItem(i)->GetText());
        return texts;
    }
    std::vector<std::string> EntryTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& e : combo_->GetEntries().Entries())
            texts.push_back(e.text);
        return texts;
    }
    uint32_t FramePixel(int x) { return PixelOf(*combo_->GetFrame(), x, 12); }

    CGameCombobox* combo_ = nullptr;
};

TEST_F(ComboboxTest, SeventhEntryPushesTheOldestOutOfListAndMenu)
{
    EXPECT_EQ(combo_->GetMenu(), nullptr);
    for (int i = 1; i <= 7; ++i)
        combo_->AddItem(std::to_string(i).c_str());
    const std::vector<std::string> expected{"2", "3", "4", "5", "6", "7"};
    EXPECT_EQ(MenuTexts(), expected);
    EXPECT_EQ(EntryTexts(), expected);
    // After the eviction every item still picks its own text.
    for (int i = 0; i < 6; ++i) {
        E().Owner().SendEvent(combo_->GetMenu()->GetItem(i)->GetNotifyEvent());
        EXPECT_EQ(combo_->GetText(), expected[size_t(i)]) << i;
    }
}

TEST_F(ComboboxTest, DuplicatesAreListedTwiceAndTheFirstLeavesFirst)
{
    combo_->AddItem("500");
    combo_->AddItem("500");
    for (int i = 0; i < 5; ++i)
        combo_->AddItem(std::to_string(i).c_str());
    EXPECT_EQ(MenuTexts(), (std::vector<std::string>{"500", "0", "1", "2", "3", "4"}));
    // The item left for "500" carries the second entry's key.
    EXPECT_EQ(combo_->GetMenu()->GetItem(0)->GetNotifyEvent().param1, combo_->GetEntries().Entries().front().key);
}

TEST_F(ComboboxTest, PickReplacesTheTypedTextAndHidesTheMenu)
{
    combo_->AddItem("1000");
    combo_->AddItem("2000");
    combo_->SetText("99");
    EXPECT_EQ(combo_->GetText(), "99");
    CXyStandButton* button = combo_->GetButton();
    E().Click(int(button->GetX()), int(button->GetY()));
    ASSERT_TRUE(combo_->GetMenu()->IsActive());
    CXyPopButton* item = combo_->GetMenu()->GetItem(1);
    E().Click(int(item->GetX()), int(item->GetY()));
    EXPECT_EQ(combo_->GetText(), "2000");
    EXPECT_FALSE(combo_->GetMenu()->IsActive());

    // A pick of an entry that was pushed out meanwhile changes nothing.
    const uint32_t oldKey = combo_->GetEntries().Entries().front().key;
    for (int i = 0; i < 6; ++i)
        combo_->AddItem("7");
    E().Owner().SendEvent(EventRecord{combo_->GetId(), CGameCombobox::EV_ENTRY_PICKED, oldKey, 0});
    EXPECT_EQ(combo_->GetText(), "2000");
}

TEST_F(ComboboxTest, FrameTakesThePictureWidthAndIsSlicedInThreeOrTwo)
{
    EXPECT_EQ(combo_->GetWidth(), 60);
    EXPECT_EQ(FramePixel(5), kLeftColour);
    EXPECT_EQ(FramePixel(55), kRightColour);

    combo_->SetWidth(100);  // wider than the picture: left half, stretched strip, right half
    EXPECT_EQ(combo_->GetWidth(), 100);
    EXPECT_EQ(FramePixel(10), kLeftColour);
    EXPECT_EQ(FramePixel(29), kLeftColour);
    EXPECT_EQ(FramePixel(50), kStripColour);
    EXPECT_EQ(FramePixel(69), kStripColour);
    EXPECT_EQ(FramePixel(72), kRightColour);  // the right half starts at column 30 of the picture
    EXPECT_EQ(FramePixel(99), kRightColour);
    // The button stays at the right end, the inner box left of it.
    EXPECT_LE(combo_->GetButton()->GetRight(), combo_->GetRight());
    EXPECT_LT(combo_->GetInner()->GetLeft(), combo_->GetButton()->GetLeft());

    combo_->SetWidth(41);  // narrower: the picture's two ends meet in the middle
    EXPECT_EQ(FramePixel(0), kLeftColour);
    EXPECT_EQ(FramePixel(20), kLeftColour);
    EXPECT_EQ(FramePixel(21), kRightColour);
    EXPECT_EQ(FramePixel(40), kRightColour);
}

TEST_F(ComboboxTest, LettersAreIgnoredAndDigitsTyped)
{
    combo_->FocusInner();
    for (char c : std::string("a1b2"))
        E().Character(uint32_t(c));
    EXPECT_EQ(combo_->GetText(), "12");
    combo_->ClearInner();
    EXPECT_EQ(combo_->GetText(), "");
}

} // namespace
