// The block list and its rows (stripes, hover, selection that unfolds a detail, removal,
// scrolling the selection into view, press records that outlive their row) and the check
// group (single and multi-select, switching modes, released members).
#include "tests/widgets/WidgetFixture.h"

#include "engine/object/PlaneObject.h"
#include "widgets/CXyBlockList.h"
#include "widgets/CXyCheckButton.h"
#include "widgets/CXyCheckGroup.h"
#include "widgets/CXyListBlock.h"
#include "widgets/CXyRadioButton.h"

using namespace Lumora;
using namespace widgettest;

namespace {

constexpr int kDetailHeight = 40;

// A row whose detail is a plain plane, as the result board's rows make theirs.
class DetailRow : public CXyListBlock {
public:
    PObject* CreateDetail() override
    {
        ++made;
        return NewPlaneObject(160, kDetailHeight, 0x202020);
    }
    void LayoutDetail() override { ++laidOut; }
    int made = 0;
    int laidOut = 0;
};

class BlockListTest : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        E().AddSkin("Row", SolidFrames(180, 24, {0x0000C0, 0x00C000, 0xC00000, 0x303030, 0x404040}));
        E().LoadSkins();
        list_ = E().Make<CXyBlockList>();
        list_->Create(200, 100, chat_style::kDefault, 0);
        list_->MoveTo(400, 300);
        E().Show(*list_);
    }
    DetailRow* Add(bool withData = true, int width = 180)
    {
        const char data[] = "row";
        auto* row = static_cast<DetailRow*>(
            list_->AddBlock(new DetailRow, withData ? data : nullptr, withData ? 4 : 0, E().Picture("Row"), width, 24));
        E().Settle();
        return row;
    }
    void Press(CXyListBlock* row)
    {
        E().Owner().PostEvent(EventRecord{list_->GetId(), CXyListBlock::EV_ROW_PRESS, row->GetId(), 0});
        E().Settle();
    }
    const ChatElement* ElementOf(const CXyListBlock* row) const
    {
        for (const ChatElement* e = list_->Content().First(); e; e = e->next)
            if (e->code == row->GetId())
                return e;
        return nullptr;
    }

    CXyBlockList* list_ = nullptr;
};

TEST_F(BlockListTest, RowsStripeHoverAndAreCutToTheView)
{
    DetailRow* a = Add();
    DetailRow* b = Add(true, 500);
    EXPECT_EQ(list_->GetBlockCount(), 2);
    EXPECT_EQ(a->GetFaceFrame(), 0);
    EXPECT_EQ(b->GetFaceFrame(), 1);
    EXPECT_LE(b->GetFace()->GetWidth(), list_->GetViewWidth());
    E().Owner().SendEvent(EventRecord{a->GetId(), EV_MOUSE_ENTER, 0, 0});
    EXPECT_EQ(a->GetFaceFrame(), 3);
    E().Owner().SendEvent(EventRecord{a->GetId(), EV_MOUSE_LEAVE, 0, 0});
    EXPECT_EQ(a->GetFaceFrame(), 0);
    // A real press on the face reaches the list through the queue.
    E().Click(int(a->GetFace()->GetX()), int(a->GetFace()->GetY()));
    E().Settle();
    EXPECT_EQ(list_->GetSelected(), a);
    // A negative index still shows one of the two stripes.
    b->SetIndex(-1);
    EXPECT_EQ(b->GetFaceFrame(), 1);
    b->DrawCaption("第一名", 0xFFFFFF, 0);
    EXPECT_EQ(b->GetCaptionPlane()->GetPenColour(), 0xFFFFFFu);
}

TEST_F(BlockListTest, PressSelectsAndUnfoldsThenFoldsAgain)
{
    DetailRow* a = Add();
    DetailRow* b = Add();
    DetailRow* bare = Add(false);
    Press(b);
    EXPECT_EQ(list_->GetSelected(), b);
    EXPECT_EQ(b->GetFaceFrame(), 4);
    ASSERT_NE(b->GetDetail(), nullptr);
    EXPECT_TRUE(b->GetDetail()->IsActive());
    EXPECT_EQ(ElementOf(b)->height, 24 + kDetailHeight);
    EXPECT_GE(ElementOf(bare)->y, ElementOf(b)->y + 24 + kDetailHeight);
    // Face above, detail below, together centred on the element.
    EXPECT_LT(b->GetFace()->GetY(), b->GetDetail()->GetY());
    EXPECT_EQ(b->laidOut, 1);

    Press(a);
    EXPECT_EQ(list_->GetSelected(), a);
    EXPECT_FALSE(b->GetDetail()->IsActive());
    EXPECT_EQ(b->GetFaceFrame(), 1);
    EXPECT_EQ(ElementOf(b)->height, 24);
    Press(a);
    EXPECT_EQ(list_->GetSelected(), nullptr);
    EXPECT_EQ(a->GetFaceFrame(), 0);
    EXPECT_EQ(a->made, 1);

    // A row without data is selected but never unfolds.
    Press(bare);
    EXPECT_EQ(bare->GetFaceFrame(), 4);
    EXPECT_EQ(bare->GetDetail(), nullptr);
    EXPECT_EQ(ElementOf(bare)->height, 24);
}

TEST_F(BlockListTest, RemovingRenumbersAndForgetsTheSelection)
{
    DetailRow* rows[4];
    for (auto*& r : rows)
        r = Add();
    Press(rows[1]);
    list_->RemoveBlock(7);
    EXPECT_EQ(list_->GetBlockCount(), 4);
    list_->RemoveBlock(1);
    EXPECT_EQ(list_->GetSelected(), nullptr);
    EXPECT_EQ(list_->GetBlockCount(), 3);
    EXPECT_EQ(list_->GetBlock(1), rows[2]);
    EXPECT_EQ(rows[2]->GetIndex(), 1);
    EXPECT_EQ(rows[2]->GetFaceFrame(), 1);
    EXPECT_EQ(rows[3]->GetFaceFrame(), 0);
}

TEST_F(BlockListTest, PressRecordOfARemovedRowFindsNothing)
{
    DetailRow* a = Add();
    DetailRow* b = Add();
    // Records queued before the rows go, delivered after.
    E().Owner().PostEvent(EventRecord{list_->GetId(), CXyListBlock::EV_ROW_PRESS, b->GetId(), 0});
    list_->RemoveBlock(1);
    E().Settle();
    EXPECT_EQ(list_->GetSelected(), nullptr);
    E().Owner().PostEvent(EventRecord{list_->GetId(), CXyListBlock::EV_ROW_PRESS, a->GetId(), 0});
    list_->Clear();
    E().Settle();
    EXPECT_EQ(list_->GetSelected(), nullptr);
    EXPECT_EQ(list_->GetBlockCount(), 0);
}

TEST_F(BlockListTest, SelectingTheLastRowScrollsItsDetailIntoView)
{
    DetailRow* last = nullptr;
    for (int i = 0; i < 8; ++i)
        last = Add();
    Press(last);
    const ChatElement* e = ElementOf(last);
    EXPECT_EQ(e->height, 24 + kDetailHeight);
    EXPECT_EQ(list_->Content().ScrollY() + list_->GetViewHeight(), e->y + e->height);
    // The first row again: scrolled back up to its top.
    DetailRow* first = static_cast<DetailRow*>(list_->GetBlock(0));
    Press(first);
    EXPECT_EQ(list_->Content().ScrollY(), ElementOf(first)->y);
}

class CheckGroupTest : public WidgetFixture {
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        E().AddSkin("chk_Group", SolidFrames(20, 20, {0x101010, 0xF0F0F0}));
        E().LoadSkins();
        group_ = E().Make<CXyCheckGroup>();
        for (int i = 0; i < 3; ++i) {
            CXyCheckButton* b = i == 2 ? E().Make<CXyCheckButton>() : E().Make<CXyRadioButton>();
            const PictureInfo skin = E().Picture("chk_Group");
            b->Create(&skin, 0);
            b->MoveTo(100 + 40 * i, 100);
            E().Show(*b);
            EXPECT_EQ(group_->AddMember(b), i + 1);
            buttons_[i] = b;
        }
        EXPECT_EQ(group_->AddMember(nullptr), 3);
    }
    std::vector<int> States() const
    {
        return {buttons_[0]->GetCheck(), buttons_[1]->GetCheck(), buttons_[2]->GetCheck()};
    }

    CXyCheckGroup* group_ = nullptr;
    CXyCheckButton* buttons_[3] = {};
};

TEST_F(CheckGroupTest, SingleSelectionUnchecksTheOthersOnceDelivered)
{
    E().Click(100, 100);
    E().Click(140, 100);
    EXPECT_EQ(States(), (std::vector<int>{0, 1, 0}));
    group_->CheckAll();
    EXPECT_EQ(States(), (std::vector<int>{1, 1, 1}));
    E().Settle();
    EXPECT_EQ(States(), (std::vector<int>{0, 0, 1}));
}

TEST_F(CheckGroupTest, MultiSelectKeepsMembersAndSwitchingUnchecksAll)
{
    group_->SetMultiple(1);
    E().Click(100, 100);
    E().Click(180, 100);
    EXPECT_EQ(States(), (std::vector<int>{1, 0, 1}));
    group_->SetMultiple(1);
    EXPECT_EQ(States(), (std::vector<int>{1, 0, 1}));
    group_->SetMultiple(0);
    EXPECT_EQ(States(), (std::vector<int>{0, 0, 0}));
    group_->CheckAll();
    group_->SetMultiple(1);
    E().Settle();
    EXPECT_EQ(States(), (std::vector<int>{0, 0, 0}));
}

TEST_F(CheckGroupTest, AReleasedMemberIsSkipped)
{
    E().Click(100, 100);
    const uint32_t gone = buttons_[1]->GetId();
    E().Owner().ReleaseObject(buttons_[1], false);
    buttons_[1] = buttons_[2];
    E().Settle();
    group_->CheckAll();
    E().Settle();
    group_->UncheckAll();
    E().Owner().SendEvent(EventRecord{group_->GetId(), CXyCheckGroup::EV_MEMBER_CHECKED, gone, 0});
    EXPECT_EQ(buttons_[0]->GetCheck(), 0);
    EXPECT_EQ(group_->Members().size(), 3u);
}

} // namespace
