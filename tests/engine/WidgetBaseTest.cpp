// Widget base with and without a body, the game-object base's bounds and the cursor object.
#include "tests/support/EngineFixtures.h"
#include "tests/support/SceneSupport.h"

#include "engine/gui/CGameBase.h"
#include "engine/gui/CLumoraGui.h"
#include "engine/gui/CLumoraMouse.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace Lumora;
using testsupport::Recorder;

namespace {

// A widget that records its own events and the redraw requests before them.
class Widget : public CLumoraGui {
public:
    int OnEvent(const EventRecord& r) override
    {
        log.push_back(std::to_string(r.code));
        return PObject::OnEvent(r);
    }
    std::vector<std::string> log;
};

class WidgetBase : public testsupport::SeniorFixture {
protected:
    void SetUp() override
    {
        SeniorFixture::SetUp();
        widget_ = Add<Widget>();
        body_ = Add();
        widget_->MoveTo(10, 20);
        body_->MoveTo(300, 400);
        body_->SetSize(50, 60);
    }
    Widget* widget_ = nullptr;
    Recorder* body_ = nullptr;
};

TEST_F(WidgetBase, GeometryComesFromTheBodyOnlyAsItsLinkSays)
{
    EXPECT_EQ(widget_->GetType(), 4);
    EXPECT_EQ(widget_->GetBody(), widget_);
    widget_->SetBody(body_, LINK_MOVE);
    EXPECT_EQ(widget_->GetBody(), body_);
    EXPECT_EQ(widget_->GetX(), 300);
    EXPECT_EQ(widget_->GetY(), 400);
    EXPECT_EQ(widget_->GetWidth(), 0); // no 0x80 in the link: its own size
    EXPECT_EQ(widget_->GetChildLinkFlags(body_->GetId()), LINK_MOVE | LINK_INPUT_HOOKS);
    EXPECT_TRUE(widget_->PObject::GetFlags() & OBJ_NO_HIT);

    Recorder* other = Add();
    other->MoveTo(1, 2);
    widget_->SetBody(other, LINK_RESIZE); // replaces the body
    EXPECT_FALSE(widget_->HasChild(body_->GetId()));
    EXPECT_EQ(widget_->GetX(), 10); // without 0x10000: its own position
    EXPECT_EQ(widget_->GetWidth(), 0);
    other->SetSize(7, 8);
    EXPECT_EQ(widget_->GetWidth(), 7);
    EXPECT_EQ(widget_->GetHeight(), 8);
}

TEST_F(WidgetBase, ChildrenFlagsAndLayerGoToTheBody)
{
    widget_->SetBody(body_, 0x1BC0EB);
    Recorder* child = Add();
    widget_->AddChild(child, 0x10000);
    EXPECT_TRUE(body_->HasChild(child->GetId()));
    EXPECT_EQ(widget_->GetChildLinkFlags(child->GetId()), 0x10000u); // found through the body
    widget_->SetChildLinkFlags(child->GetId(), 0x8);
    EXPECT_EQ(body_->GetChildLinkFlags(child->GetId()), 0x8u);
    widget_->RemoveChild(child->GetId());
    EXPECT_FALSE(body_->HasChild(child->GetId()));

    widget_->SetLayer(7);
    EXPECT_EQ(body_->GetLayer(), 7u);
    EXPECT_EQ(widget_->GetLayer(), 7u);
    widget_->AddFlags(0x4);
    EXPECT_TRUE(body_->GetFlags() & 0x4);
    widget_->SetEnabled(true);
    EXPECT_TRUE(body_->IsEnabled());
    EXPECT_TRUE(widget_->IsEnabled());
}

TEST_F(WidgetBase, LayersAreLimitedWithoutABody)
{
    widget_->SetLayer(2000000);
    EXPECT_EQ(widget_->GetLayer(), kLayerLimit);
    widget_->SetTopMost();
    EXPECT_EQ(widget_->GetLayer(), kTopMostLayer);
    EXPECT_TRUE(widget_->GetFlags() & OBJ_TOPMOST);
}

TEST_F(WidgetBase, EnableTellsTheWidgetOnceAfterTheRedraw)
{
    widget_->SetBody(body_, 0x1BC0EB);
    widget_->Enable(false);
    EXPECT_EQ(widget_->log, (std::vector<std::string>{"19840356"}));
    EXPECT_FALSE(body_->IsEnabled());
    widget_->Enable(true);
    EXPECT_EQ(widget_->log.back(), "19840355");
    EXPECT_TRUE(body_->IsEnabled());
}

TEST_F(WidgetBase, ADestroyedBodyIsForgotten)
{
    widget_->SetBody(body_, 0x1BC0EB);
    objects_->UnregisterObject(body_->GetId());
    // The widget answers for itself again instead of asking a deleted body.
    EXPECT_EQ(widget_->GetBody(), widget_);
    EXPECT_EQ(widget_->GetX(), 10);
    widget_->SetLayer(3);
    EXPECT_EQ(widget_->GetLayer(), 3u);
}

TEST_F(WidgetBase, ANullBodyStillMarksTheWidget)
{
    widget_->SetBody(body_, 0x1BC0EB);
    widget_->SetBody(nullptr, 0x1BC0EB);
    EXPECT_EQ(widget_->GetBody(), widget_);
    EXPECT_FALSE(widget_->HasChild(body_->GetId()));
    EXPECT_TRUE(widget_->GetFlags() & OBJ_NO_HIT);
}

class Scene : public CGameBase {
public:
    void OnSize() override { ++sizes; }
    int sizes = 0;
};

TEST_F(WidgetBase, SetBoundsAlwaysCallsOnSize)
{
    auto* scene = Add<Scene>();
    Rect out{1, 1, 1, 1};
    scene->GetBounds(out);
    EXPECT_EQ(out, Rect{});
    const Rect area{0, 0, 800, 600};
    scene->SetBounds(area);
    scene->SetBounds(area);
    EXPECT_EQ(scene->sizes, 2);
    scene->GetBounds(out);
    EXPECT_EQ(out, area);
}

class CursorObject : public WidgetBase {
protected:
    void SetUp() override
    {
        WidgetBase::SetUp();
        CLumoraMouse::SetCursorApplier([this](const platform::Cursor& c) { shown.push_back(c); });
        mouse_ = Add<CLumoraMouse>();
    }
    void TearDown() override
    {
        CLumoraMouse::SetCursorApplier(nullptr);
        WidgetBase::TearDown();
    }
    static std::string Shipped(int id)
    {
        return std::string(XL_SOURCE_DIR) + "/assets/cursors/" + std::to_string(id) + ".cur";
    }
    int Send(uint32_t code) { return mouse_->OnEvent(EventRecord{mouse_->GetId(), code, 0, 0}); }
    CLumoraMouse* mouse_ = nullptr;
    std::vector<platform::Cursor> shown;
};

TEST_F(CursorObject, IsFoundByNameAndFallsBackToSystemCursors)
{
    EXPECT_EQ(objects_->FindByName("object_cursor"), mouse_);
    EXPECT_EQ(Send(EV_CURSOR_HAND), 1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], platform::Cursor::System(kSystemHandCursor));
    EXPECT_EQ(Send(EV_CURSOR_ARROW), 1);
    EXPECT_EQ(shown.back(), platform::Cursor::System(kSystemArrowCursor));
    EXPECT_EQ(Send(EV_SET_CURSOR), 1);
    EXPECT_EQ(shown.size(), 3u);
    EXPECT_EQ(Send(19840330), 0); // not the cursor's
}

TEST_F(CursorObject, RegisteredCursorsTakeOverAndIdsAreNotReplaced)
{
    const platform::Cursor* hand = mouse_->AddCursorFromFile(Shipped(kHandCursorResource), 1);
    ASSERT_NE(hand, nullptr);
    EXPECT_FALSE(hand->IsSystem());
    EXPECT_EQ(mouse_->AddCursorFromFile(Shipped(kArrowCursorResource), 1), nullptr); // id taken
    EXPECT_EQ(mouse_->AddCursorFromFile("/no/such.cur", 2), nullptr);
    Send(EV_CURSOR_HAND);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], *hand);
    EXPECT_EQ(hand->Frames()[0].hotX, 5);

    mouse_->UseCursor(9); // unregistered: nothing changes
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_EQ(*mouse_->Current(), *hand);
    EXPECT_EQ(mouse_->SelectedId(), std::nullopt);
}

TEST_F(CursorObject, ShippedResourceCursorsLoadFromTheProgramFolder)
{
    platform::SetProgramFolder(std::string(XL_SOURCE_DIR) + "/");
    const platform::Cursor* arrow = mouse_->AddCursorFromResource(0x10000 | kArrowCursorResource, 0);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->Frames()[0].width, 32);
    EXPECT_EQ(mouse_->AddCursorFromResource(999, 5), nullptr);
    Send(EV_CURSOR_ARROW);
    EXPECT_EQ(shown.back(), *arrow);
    mouse_->UseResourceCursor(kHandCursorResource);
    EXPECT_FALSE(shown.back().IsSystem());
    EXPECT_NE(shown.back(), *arrow);
    EXPECT_NE(mouse_->AddSystemCursor(kSystemHandCursor, 1), nullptr);
    EXPECT_EQ(mouse_->AddSystemCursor(kSystemHandCursor, 1), nullptr);
    // No cursors in the hall's run folder, nor a checkout: the ones beside the program are found.
    platform::SetProgramFolder(testing::TempDir());
    unsetenv("XL_SOURCE_DIR");
    const platform::Cursor* hand = mouse_->AddCursorFromResource(kHandCursorResource, 2);
    platform::SetProgramFolder("");
    setenv("XL_SOURCE_DIR", XL_SOURCE_DIR, 1);
    EXPECT_TRUE(hand && !hand->IsSystem());
}

} // namespace

namespace {

TEST_F(WidgetBase, TheHitTestFindsTheBodyNotTheWidget)
{
    // Widgets size and place themselves; their bodies follow.
    widget_->SetBody(body_, 0x1BC0EB);
    body_->MoveTo(10, 20);
    widget_->SetSize(50, 60);
    body_->SetSize(50, 60);
    widget_->Activate();
    widget_->SetEnabled(true);
    widget_->Redraw();
    Tick();
    EXPECT_TRUE(body_->IsActive());
    EXPECT_EQ(objects_->ObjectAt(400 + 10, 300 + 20), body_);
}

} // namespace
