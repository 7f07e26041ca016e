// The screen check of the whole-client tests, on a host window over a headless window of an odd
// size (the viewport's left and top then lie at -1, as at some window sizes): a frame
// painted as the engine paints passes; a stale pixel, an object moved without a repaint, a
// visible object of a closed board and an object out of its board each fail, with the pictures
// kept; a change that the next frame paints is not a fault yet; and the reader's rules: a text
// drawn scaled, a text over another's that nothing between hides, a board drawn under one
// opened before it, and a picture at rest over part of a text each fail.
#include "tests/support/EngineFixtures.h"
#include "tests/support/SceneSupport.h"
#include "tests/support/ScreenCheck.h"

#include "engine/gui/CGameBase.h"
#include "engine/gui/CLumoraGui.h"
#include "engine/host/LumoraWnd.h"
#include "engine/object/PlaneObject.h"
#include "platform/HeadlessWindow.h"
#include "platform/ManualLoop.h"
#include "widgets/ChatFormat.h"
#include "widgets/CPglChatObject.h"
#include "widgets/CXyChatBox.h"
#include "widgets/CXyStandDlg.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

using namespace Lumora;

namespace {

class ScreenIsTrue : public testsupport::EngineFixture {
protected:
    static constexpr int kWidth = 201;
    uint32_t& Pixel(int x, int y) { return window_->LendPixels().pixels[y * kWidth + x]; }

    void SetUp() override
    {
        EngineFixture::SetUp();
        loop_ = std::make_unique<platform::ManualLoop>(clock_);
        auto window = std::make_unique<platform::HeadlessWindow>(platform::Rect{0, 0, kWidth, 151});
        window_ = window.get();
        wnd_ = std::make_unique<CLumoraWnd>();
        ASSERT_TRUE(wnd_->Create(std::move(window)));
        wnd_->StartEngine(new CGameBase);
        objects_ = static_cast<ObjectModule*>(wnd_->GetCore().GetModule(LUMORA_MODULE_OBJECT));
        check_.Install();
        loop_->Advance(20);
    }
    void TearDown() override
    {
        wnd_.reset();
        loop_.reset();
        EngineFixture::TearDown();
    }
    PlaneObject* Square(double x, double y, int size, uint32_t colour, PObject* parent = nullptr)
    {
        PlaneObject* p = objects_->NewPlaneObject(size, size, colour, parent);
        if (parent)
            parent->AddChild(p, 0); // held, not following its holder
        p->Clear();
        p->MoveTo(x, y);
        p->Activate();
        p->Redraw();
        return p;
    }

    std::string artifacts_ = std::string(XL_BINARY_DIR) + "/artifacts";
    testsupport::ScreenCheck check_{testsupport::TestTag(), artifacts_};
    std::unique_ptr<platform::ManualLoop> loop_;
    std::unique_ptr<CLumoraWnd> wnd_;
    platform::HeadlessWindow* window_ = nullptr;
    ObjectModule* objects_ = nullptr;
};

TEST_F(ScreenIsTrue, FramesPaintedAsTheEnginePaintsThemPass)
{
    PlaneObject* a = Square(40, 40, 30, 0x0000FF);
    PlaneObject* b = Square(60, 50, 30, 0x00FF00);
    PlaneObject* c = Square(150, 100, 20, 0xFF0000);
    // A widget that only holds (no body, never activated) closes nothing.
    auto* holder = new CLumoraGui;
    ASSERT_NE(objects_->RegisterObject(holder, nullptr), 0u);
    holder->AddChild(c, 0);
    loop_->Advance(20);
    for (int step = 0; step < 10; ++step) {
        a->MoveBy(7, 3);
        a->Redraw();
        b->MoveBy(7, 3);
        b->SetZ(a->GetZ() + (step % 2 ? -1 : 1)); // over and under the other in turn
        b->Redraw();
        c->SetVisible(step % 3 != 0);
        c->Redraw();
        loop_->Advance(20);
    }
    b->Deactivate();
    b->Redraw();
    loop_->Advance(20);
    EXPECT_GE(check_.FramesChecked(), 12);
    EXPECT_THAT(check_.Faults(), ::testing::IsEmpty());
}

TEST_F(ScreenIsTrue, AStalePixelFailsWithBothPicturesAndTheirDifferenceKept)
{
    Square(40, 40, 30, 0x0000FF);
    loop_->Advance(20);
    ASSERT_THAT(check_.Faults(), ::testing::IsEmpty());
    Pixel(120, 100) ^= 0x00FFFFFF; // left over where nothing changes
    PlaneObject* other = Square(20, 120, 10, 0x00FF00);
    loop_->Advance(20);
    ASSERT_EQ(check_.Faults().size(), 1u);
    EXPECT_THAT(check_.Faults()[0],
                ::testing::HasSubstr("1 pixels differ from a fresh composition, the first at 120,100"));
    ASSERT_EQ(check_.Pictures().size(), 3u);
    for (const char* part : {"shown", "fresh", "diff"})
        EXPECT_THAT(check_.Pictures(), ::testing::Contains(::testing::EndsWith(std::string("-") + part + ".png")));
    for (const std::string& picture : check_.Pictures())
        EXPECT_TRUE(std::filesystem::exists(picture)) << picture;
    other->MoveBy(1, 0);
    other->Redraw();
    loop_->Advance(20);
    EXPECT_EQ(check_.FramesDiffering(), 2) << "each frame that shows it counts";
    EXPECT_EQ(check_.Faults().size(), 1u) << "once as a fault";
}

TEST_F(ScreenIsTrue, AnObjectMovedWithoutARepaintFails)
{
    PlaneObject* moved = Square(40, 40, 20, 0x0000FF);
    PlaneObject* other = Square(150, 120, 10, 0x00FF00);
    loop_->Advance(20);
    moved->MoveTo(100, 40); // no Redraw: its old place keeps it, its new place lacks it
    other->MoveBy(1, 0);
    other->Redraw();
    loop_->Advance(20);
    ASSERT_FALSE(check_.Faults().empty());
    EXPECT_THAT(check_.Faults()[0], ::testing::HasSubstr("800 pixels differ"));
}

TEST_F(ScreenIsTrue, AChangeTheNextFrameWillPaintIsNotYetAFault)
{
    PlaneObject* moved = Square(40, 40, 20, 0x0000FF);
    loop_->Advance(20);
    moved->MoveTo(100, 40);
    moved->Redraw();
    check_.Check(*wnd_); // shown before the next frame is composed
    EXPECT_THAT(check_.Faults(), ::testing::IsEmpty());
    // Only the changes wait: a stale pixel right beside them does not.
    Pixel(111, 40) ^= 0x00FFFFFF;
    check_.Check(*wnd_);
    ASSERT_EQ(check_.Faults().size(), 1u);
    EXPECT_THAT(check_.Faults()[0],
                ::testing::HasSubstr("1 pixels differ from a fresh composition, the first at 111,40"));
}

TEST_F(ScreenIsTrue, AVisibleObjectOfAClosedBoardFails)
{
    PlaneObject* board = Square(100, 75, 80, 0x203A2A);
    PlaneObject* text = Square(100, 75, 20, 0xFFFFFF, board);
    loop_->Advance(20);
    ASSERT_THAT(check_.Faults(), ::testing::IsEmpty());
    board->Deactivate();
    board->Redraw();
    loop_->Advance(20);
    ASSERT_EQ(check_.Faults().size(), 1u);
    EXPECT_THAT(check_.Faults()[0], ::testing::HasSubstr("#" + std::to_string(text->GetId())));
    EXPECT_THAT(check_.Faults()[0], ::testing::HasSubstr("shows under the closed"));
    // One that moves with its bar but shows on its own (a folded bar's show button) may stay.
    PlaneObject* bar = Square(40, 30, 30, 0x203A2A);
    PlaneObject* show = Square(40, 30, 10, 0xFFFFFF);
    bar->AddChild(show, LINK_MOVE | LINK_REDRAW);
    bar->Deactivate();
    bar->Redraw();
    loop_->Advance(20);
    EXPECT_EQ(check_.Faults().size(), 1u);
}

TEST_F(ScreenIsTrue, AnObjectOutOfItsBoardFails)
{
    auto* board = new CXyStandDlg;
    ASSERT_NE(objects_->RegisterObject(board, nullptr), 0u);
    board->CreateWithFill(nullptr, 0x203A2A, 80, 60);
    board->MoveTo(100, 75);
    board->Activate();
    board->Redraw();
    PlaneObject* line = Square(100, 75, 20, 0xFFFFFF, board);
    loop_->Advance(20);
    ASSERT_THAT(check_.Faults(), ::testing::IsEmpty());
    line->MoveTo(100, 110); // its lower half below the board
    line->Redraw();
    loop_->Advance(20);
    ASSERT_EQ(check_.Faults().size(), 1u);
    EXPECT_THAT(check_.Faults()[0], ::testing::HasSubstr("runs out of Lumora::CXyStandDlg"));
}

TEST_F(ScreenIsTrue, WhatALineOfAListHoldsOutOfTheListFails)
{
    auto* list = new CXyChatBox;
    ASSERT_NE(objects_->RegisterObject(list, nullptr), 0u);
    list->Create(120, 60, chat_style::kDefault, 0);
    list->MoveTo(100, 75);
    list->SetBackgroundColor(0x404040);
    list->Activate();
    list->Redraw();
    auto* row = new CPglChatObject;
    ASSERT_NE(objects_->RegisterObject(row, nullptr), 0u);
    const auto face = testsupport::MakeImage(40, 16, 10, 120, 40);
    row->CreatePicture(testsupport::InfoOf(*face), 40, 16);
    list->AppendObject(row);
    loop_->Advance(20);
    PlaneObject* detail = Square(row->GetX(), row->GetY(), 10, 0xFFFFFF, row->GetBody()); // unfolded under it
    loop_->Advance(20);
    ASSERT_THAT(check_.Faults(), ::testing::IsEmpty());
    detail->MoveTo(100, 110); // below the list
    detail->Redraw();
    loop_->Advance(20);
    ASSERT_EQ(check_.Faults().size(), 1u);
    EXPECT_THAT(check_.Faults()[0], ::testing::HasSubstr("#" + std::to_string(detail->GetId())));
    EXPECT_THAT(check_.Faults()[0], ::testing::HasSubstr("runs out of Lumora::CXyChatBox"));
}

TEST_F(ScreenIsTrue, TextsScaledOrOverAnothersAndABoardUnderAnEarlierOneFail)
{
    const auto text = [&](double x, const char* words) {
        PlaneObject* p = Square(x, 40, 40, 0x0000FF);
        p->SetFont(12, 400, "宋体");
        p->DrawTextLine(2, 2, words);
        p->Redraw();
        return p;
    };
    const auto faults = [&](const char* what) {
        size_t n = 0;
        for (const testsupport::RuleFault& f : testsupport::ObjectRuleFaults(*objects_))
            n += f.text.find(what) != std::string::npos;
        return n;
    };
    PlaneObject* lower = text(40, "under");
    PlaneObject* between = Square(42, 28, 12, 0x00FF00); // opaque over where the texts meet
    PlaneObject* upper = text(50, "over");
    EXPECT_EQ(faults("stands over"), 0u);
    between->Deactivate();
    EXPECT_EQ(faults("stands over the text \"under\""), 1u);
    upper->AddFlags(OBJ_BOARD); // a board stands above the table's texts
    EXPECT_EQ(faults("stands over"), 0u);
    upper->AddChild(lower, 0); // but not above its own
    EXPECT_EQ(faults("stands over the text \"under\""), 1u);
    lower->SetSize(32, 32);
    EXPECT_EQ(faults("drawn at 0.80 x 0.80"), 1u);
    for (PlaneObject* p : {lower, between, upper}) {
        p->Deactivate();
        p->Redraw();
    }
    // A board opened later and drawn under the earlier one where they meet.
    PlaneObject* earlier = Square(150, 100, 30, 0x808080);
    earlier->AddFlags(OBJ_BOARD);
    loop_->Advance(20);
    PlaneObject* later = Square(160, 110, 30, 0x404040);
    later->AddFlags(OBJ_BOARD);
    later->SetZ(earlier->GetZ() - 1);
    later->Redraw();
    loop_->Advance(20);
    ASSERT_EQ(check_.Faults().size(), 1u);
    EXPECT_THAT(check_.Faults()[0], ::testing::HasSubstr("#" + std::to_string(later->GetId())));
    EXPECT_THAT(check_.Faults()[0], ::testing::HasSubstr("of a board opened before it"));
    // A picture from elsewhere over part of a text (a row of tiles run into a seat panel), not drawn
    // into the text's plane: a fault once it has stood there a while.
    PlaneObject* panel = text(100, "silver:9400");
    PlaneObject* tile = Square(120, 28, 12, 0x00FF00);
    loop_->Advance(20);
    EXPECT_EQ(check_.Faults().size(), 1u);
    for (PlaneObject* p : {panel, tile, panel}) {
        loop_->Advance(300);
        p->Redraw();
    }
    loop_->Advance(20);
    ASSERT_EQ(check_.Faults().size(), 2u);
    EXPECT_THAT(check_.Faults()[1], ::testing::HasSubstr("stands over the text \"silver:9400\""));
    // Nor is a word centred on the panel over part of its text any furniture of the panel.
    PlaneObject* word = Square(90, 26, 12, 0xFF0000);
    for (PlaneObject* p : {word, panel, word})
        loop_->Advance(300), p->Redraw();
    loop_->Advance(20);
    ASSERT_EQ(check_.Faults().size(), 3u);
    EXPECT_THAT(check_.Faults()[2], ::testing::HasSubstr("#" + std::to_string(word->GetId())));
}

} // namespace
