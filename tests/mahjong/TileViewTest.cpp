// The tile view in a headless engine with our own packs: its life cycle (hidden until placed,
// reset, the hover event), the mouse hooks of watchers and players, the thrown tile's
// background and scale, and the missing-resource sweep over every state in the four classes.
#include "mahjong/MahjongEvents.h"
#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "rules/MJCalclator.h"
#include "tests/mahjong/TileRig.h"
#include "tests/support/ResourceSweep.h"
#include "tests/widgets/FakeAppServices.h"
#include "mahjong/tiles/CMJCard2.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <unistd.h>

using namespace Lumora;
using mahjongtest::kSurfaces;

namespace {

class TileViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        engine_ = std::make_unique<mahjongtest::TileEngine>(std::to_string(::getpid()) + "_" + info->name());
        scene_ = engine_->MakeProbe();
        scene_->SetName(kMainGameName);
        host_.sceneId = scene_->GetId();
        E().UseSurface(kSurfaces[0], host_);
    }
    void TearDown() override { engine_.reset(); }

    mahjongtest::TileEngine& E() { return *engine_; }
    CMJCard2* MakeTile()
    {
        auto* tile = new CMJCard2(calculator_, &host_);
        E().Owner().RegisterChild(tile);
        return tile;
    }
    // The picture the tile's body shows is frame `frame` of `name`.
    bool Shows(CMJCard2& tile, const char* name, int frame)
    {
        PictureInfo shown;
        tile.GetBodyPicture()->GetPictureInfo(shown);
        return shown.image && shown.image == E().Picture(name, frame).image &&
               tile.GetBodyPicture()->GetFrame() == frame;
    }

    std::shared_ptr<CMJCalclator> calculator_ = std::make_shared<CMJCalclator>();
    mahjongtest::FakeTileHost host_;
    std::unique_ptr<mahjongtest::TileEngine> engine_;
    testsupport::ProbeObject* scene_ = nullptr;
};

} // namespace

TEST_F(TileViewTest, ANewTileStaysHiddenUntilPlacedAndResetKeepsTheLayoutMode)
{
    CMJCard2* tile = MakeTile();
    EXPECT_EQ(tile->seat, -1);
    EXPECT_EQ(tile->state, kTileFree);
    EXPECT_EQ(tile->z, kDefaultTileZ);
    tile->Update();
    EXPECT_FALSE(tile->IsActive());

    tile->seat = 3;
    tile->state = kTileHand;
    tile->inHand = tile->faceUp = 1;
    tile->tile = 4;
    tile->count = 13;
    tile->index = 2;
    tile->Update();
    EXPECT_FALSE(tile->IsActive()) << "a hand tile is hidden until placed";
    tile->placed = 1;
    tile->Update();
    EXPECT_TRUE(tile->IsActive());
    EXPECT_TRUE(Shows(*tile, "800_largecard", 4));
    // A skin reload: the next update shows the new record, not the one found before (whose block
    // the reload may reuse).
    E().Paint().RemoveImage("800_largecard");
    tile->index = 3;
    tile->Update();
    PictureInfo shown;
    tile->GetBodyPicture()->GetPictureInfo(shown);
    EXPECT_EQ(shown.imageId, E().Picture("800_largecard").imageId);
    tile->index = 2;
    tile->Update();
    EXPECT_EQ(tile->z, 2798.0);
    EXPECT_EQ(tile->GetBodyPicture()->GetZ(), 2798.0);
    EXPECT_EQ(tile->mSide, 15);

    tile->layoutMode = kAreaLayout;
    tile->Reset();
    EXPECT_EQ(tile->layoutMode, kAreaLayout);
    EXPECT_EQ(tile->z, 0.0);
    EXPECT_EQ(tile->tile, kNoTile);
    EXPECT_EQ(tile->seat, -1);
    EXPECT_EQ(tile->placed, 0);
    tile->Update();
    EXPECT_FALSE(tile->IsActive());
}

TEST_F(TileViewTest, AWatchersTilesRaiseOnlyEnterAndLeave)
{
    widgettest::FakeAppServices app;
    app.lookOn = 1;
    CMJCard2* watched = MakeTile();
    PObject* body = watched->GetBodyPicture();
    ASSERT_NE(body->FindEventHook(EV_MOUSE_ENTER), nullptr);
    EXPECT_EQ(body->FindEventHook(EV_MOUSE_ENTER)->code, EV_TILE_WATCH_ENTER);
    EXPECT_EQ(body->FindEventHook(EV_MOUSE_LEAVE)->code, EV_TILE_WATCH_LEAVE);
    for (uint32_t code : {EV_RBUTTON_DOWN, EV_RBUTTON_UP, EV_RBUTTON_DRAG, EV_LBUTTON_CLICK})
        EXPECT_EQ(body->FindEventHook(code), nullptr) << code;

    app.lookOn = 0;
    CMJCard2* played = MakeTile();
    body = played->GetBodyPicture();
    const std::pair<uint32_t, uint32_t> hooks[] = {{EV_MOUSE_ENTER, EV_TILE_ENTER},
                                                   {EV_MOUSE_LEAVE, EV_TILE_LEAVE},
                                                   {EV_RBUTTON_DOWN, EV_TILE_DRAG_START},
                                                   {EV_RBUTTON_DRAG, EV_TILE_DRAG_MOVE},
                                                   {EV_RBUTTON_UP, EV_TILE_DRAG_END}};
    for (const auto& [input, code] : hooks) {
        const EventRecord* hook = body->FindEventHook(input);
        ASSERT_NE(hook, nullptr) << input;
        EXPECT_EQ(hook->code, code);
        EXPECT_EQ(hook->target, scene_->GetId());
        EXPECT_EQ(hook->param1, reinterpret_cast<uintptr_t>(played));
    }
    EXPECT_EQ(body->FindEventHook(EV_LBUTTON_CLICK), nullptr) << "left clicks only through SetClickTarget";
    played->SetClickTarget(80001127);
    played->SetClickTarget(80001128);
    size_t cursor = 0;
    EXPECT_EQ(body->NextEventHook(EV_LBUTTON_CLICK, cursor)->code, 80001128u);
    EXPECT_EQ(body->NextEventHook(EV_LBUTTON_CLICK, cursor), nullptr) << "the earlier target is gone";
}

TEST_F(TileViewTest, ThePointerOverAPlayersTileReachesTheSceneWithTheTile)
{
    CMJCard2* tile = MakeTile();
    tile->seat = 3;
    tile->state = kTileHand;
    tile->inHand = tile->faceUp = tile->placed = 1;
    tile->tile = 40;
    tile->count = 1;
    tile->index = 0;
    tile->Update();
    E().Settle();
    E().MoveMouse(int(tile->GetX()), int(tile->GetY()));
    ASSERT_EQ(scene_->Count(EV_TILE_ENTER), 1u);
    EXPECT_EQ(scene_->records.back().param1, reinterpret_cast<uintptr_t>(tile));
    E().MoveMouse(2, 2);
    EXPECT_EQ(scene_->Count(EV_TILE_LEAVE), 1u);
}

TEST_F(TileViewTest, TheHoverEventClearsTheMarkAndUpdates)
{
    CMJCard2* tile = MakeTile();
    tile->hoverMark = 1;
    tile->seat = 1;
    tile->state = kTileDiscard;
    tile->tile = 10;
    EXPECT_EQ(tile->OnEvent(EventRecord{tile->GetId(), EV_TILE_CLEAR_HOVER, 0, 0}), 1);
    EXPECT_EQ(tile->hoverMark, 0);
    EXPECT_TRUE(tile->IsActive());
    EXPECT_TRUE(Shows(*tile, "800_middle1", 1));
}

TEST_F(TileViewTest, TheThrownTileStandsOnItsBackgroundAndScalesWithTheSplitter)
{
    CMJCard2* tile = MakeTile();
    tile->seat = 0;
    tile->state = kTileThrown;
    tile->tile = 20;
    tile->Update();
    EXPECT_FALSE(tile->IsActive());
    EXPECT_FALSE(tile->GetThrowBack()->IsActive());
    tile->placed = 1;
    host_.splitter = true;
    tile->Update();
    EXPECT_EQ(tile->scale, kScaleSmall);
    EXPECT_EQ(host_.lastScale, kScaleSmall);
    EXPECT_EQ(tile->GetMetrics()[0], 37);  // 50 × 0.75
    PObject* body = tile->GetBodyPicture();
    EXPECT_EQ(body->GetWidth(), 37.0) << "whole pixels, as its metric";
    EXPECT_EQ(body->GetHeight(), 54.0);
    EXPECT_EQ(body->GetZ(), kThrownZ);
    PlaneObject* back = tile->GetThrowBack();
    EXPECT_TRUE(back->IsActive());
    EXPECT_EQ(back->GetZ(), kThrownBackZ);
    EXPECT_EQ(back->GetWidth(), body->GetWidth() + 28);
    EXPECT_EQ(back->GetHeight(), body->GetHeight() + 28);
    EXPECT_EQ(back->GetX(), body->GetX());
    EXPECT_EQ(back->GetY(), body->GetY());
    // The shadow is four wider than the tile (both scaled) and shows below it.
    PlaneObject* shadow = tile->GetShadow();
    EXPECT_NEAR(shadow->GetWidth(), (50 + 4) * 37 / 50.0, 1e-9);
    EXPECT_GT(shadow->GetBottom(), body->GetBottom());
    EXPECT_LE(shadow->GetBottom(), body->GetBottom() + 3);
    EXPECT_EQ(shadow->GetZ(), body->GetZ() - 1.0);

    tile->state = kTileDiscard;
    host_.splitter = false;
    tile->Update();
    EXPECT_FALSE(back->IsActive());
    EXPECT_EQ(tile->scale, 1.0);
}

TEST_F(TileViewTest, TheThrownTilesBackgroundRepaintsOnlyWhenItMovesOrShows)
{
    CMJCard2* tile = MakeTile();
    tile->seat = 0;
    tile->state = kTileThrown;
    tile->tile = 20;
    tile->placed = 1;
    tile->Update();
    E().Settle();
    const PlaneObject* back = tile->GetThrowBack();
    const auto backRepainted = [&] {
        const Rect r = ObjectModule::ScreenRect(back->Geometry());
        for (const Rect& d : E().Objects().DirtyRects())
            if (d.left <= r.left && d.top <= r.top && d.right >= r.right && d.bottom >= r.bottom)
                return true;
        return false;
    };
    // Another face repaints the tile, not the background around it.
    tile->tile = 21;
    tile->Update();
    EXPECT_FALSE(E().Objects().DirtyRects().empty());
    EXPECT_FALSE(backRepainted());
    E().Settle();
    host_.splitter = true;
    tile->Update();
    EXPECT_TRUE(backRepainted());
}

// A tile's shadow is the shadow picture scaled to its size, whether drawn for it or kept from a
// tile of the same size before.
TEST_F(TileViewTest, EveryShadowOfASizeShowsTheShadowPictureScaledToIt)
{
    for (int round = 0; round < 2; ++round)
        for (int state : {kTileThrown, kTileDiscard, kTileWall}) {
            CMJCard2* tile = MakeTile();
            tile->seat = 0;
            tile->state = state;
            tile->tile = 20;
            tile->placed = 1;
            tile->Update();
            PlaneObject* shadow = tile->GetShadow();
            const int w = shadow->GetSurfaceWidth(), h = shadow->GetSurfaceHeight();
            PlaneObject* drawn = E().Objects().NewPlaneObject(w, h, shadow->GetBackgroundColour(), nullptr);
            drawn->DrawPicture(E().Picture("shadow"), 0, 0, w, h, 0, 1.0);
            ASSERT_TRUE(std::equal(drawn->GetPixels(), drawn->GetPixels() + size_t(w) * h * 4, shadow->GetPixels()))
                << "round " << round << ", " << w << "x" << h;
        }
}

TEST_F(TileViewTest, AnOwnJokerTakesItsKeyColourAndTheNextUpdateGivesItBack)
{
    CMJCard2* tile = MakeTile();
    tile->seat = 3;
    tile->state = kTileHand;
    tile->inHand = tile->faceUp = tile->placed = tile->jokerMark = 1;
    tile->tile = 5;
    tile->count = 1;
    tile->Update();
    EXPECT_EQ(tile->GetBodyPicture()->GetPictureKey(), kJokerKeyColour);
    EXPECT_EQ(tile->GetBodyPicture()->GetAlpha(), kJokerAlpha);
    tile->jokerMark = 0;
    tile->Update();
    EXPECT_EQ(tile->GetBodyPicture()->GetPictureKey(), kColourKey);
    EXPECT_EQ(tile->GetBodyPicture()->GetAlpha(), 1.0);
}

TEST_F(TileViewTest, EveryStateInEveryClassFindsItsPictures)
{
    testsupport::ResourceSweep sweep;
    std::vector<CMJCard2*> tiles;
    for (int k = 0; k < 8; ++k)
        tiles.push_back(MakeTile());
    const int ids[] = {0, 40, 80, 110, 137, 143, 144, 151, 200, -3};
    const int states[] = {kTileFree, kTileWall, kTileHand, 3, kTileDiscard, kTileThrown, kTileResultRow};
    size_t shown = 0;
    for (const auto& surface : kSurfaces) {
        E().UseSurface(surface, host_);
        for (bool splitter : {false, true}) {
            host_.splitter = splitter;
            for (int mode : {kAreaLayout, kMetricLayout})
                for (int state : states)
                    for (int seat = -1; seat < 5; ++seat)
                        for (int id : ids)
                            for (int variant = 0; variant < 8; ++variant) {
                                CMJCard2* tile = tiles[size_t(variant)];
                                tile->Reset();
                                tile->layoutMode = mode;
                                tile->state = state;
                                tile->seat = seat;
                                tile->tile = id;
                                tile->faceUp = variant & 1;
                                tile->inHand = (variant >> 1) & 1;
                                tile->facing = variant & 3;
                                tile->meldKind = tile->inHand ? 0 : 1 + variant % 3;
                                tile->placed = 1;
                                tile->index = variant * 5;
                                tile->count = tile->inHand ? 14 : variant % 4;
                                tile->jokerMark = variant == 7;
                                tile->Update();
                                shown += tile->IsActive() ? 1 : 0;
                                // A tile without a face picture never shows a face.
                                if ((id < 0 || id > 143) && tile->IsActive()) {
                                    EXPECT_TRUE(tile->GetBodyPicture()->GetFrame() == kLargeBackFrame ||
                                                tile->GetBodyPicture()->GetFrameCount() == 1)
                                        << state << " " << seat << " " << id;
                                }
                            }
        }
        tiles[0]->LoadLargeCard();
    }
    EXPECT_GT(shown, 1000u);
    EXPECT_THAT(sweep.Findings(), ::testing::IsEmpty());
}

TEST_F(TileViewTest, AGameInProgressFindsItsPicturesInEveryClass)
{
    testsupport::ResourceSweep sweep;
    std::vector<CMJCard2*> pool;
    for (int k = 0; k < 168; ++k)
        pool.push_back(MakeTile());
    for (const auto& surface : kSurfaces) {
        E().UseSurface(surface, host_);
        for (int mode : {kAreaLayout, kMetricLayout}) {
            mahjongtest::LayOutGameInProgress(pool, mode);
            E().Run(60);
        }
        // The last (metric) table of each class, for a person to look at.
        EXPECT_TRUE(mahjongtest::SaveScreenshot(E(), surface.width, surface.height,
                                                "tiles-" + std::to_string(int(surface.cls))));
    }
    EXPECT_THAT(sweep.Findings(), ::testing::IsEmpty());
}

TEST_F(TileViewTest, AnUpdateThatChangesNothingRepaintsNothingAndTheScreenStaysTrue)
{
    std::vector<CMJCard2*> pool;
    for (int k = 0; k < 168; ++k)
        pool.push_back(MakeTile());
    mahjongtest::LayOutGameInProgress(pool, kMetricLayout);
    E().Settle();
    for (CMJCard2* t : pool)
        t->Update();
    EXPECT_TRUE(E().Objects().DirtyRects().empty());

    // A changed tile, one faded by someone else, and one that someone else put where its next
    // update places it, without a repaint: each is repainted as it is now.
    ASSERT_EQ(pool[120]->seat, 3);
    pool[120]->lifted = 1;
    pool[122]->GetBodyPicture()->SetAlpha(0.5);
    pool[122]->Redraw();
    pool[123]->GetBodyPicture()->SetAlpha(0.5); // and a word of the scene's changed, which the look does not read
    pool[123]->Redraw();
    pool[123]->sceneWord = 7;
    CMJCard2& moved = *pool[121];
    moved.lifted = 1;
    moved.Update();
    const double liftedY = moved.GetBodyPicture()->GetY();
    moved.lifted = 0;
    moved.Update();
    E().Settle();
    moved.GetBodyPicture()->MoveTo(moved.GetBodyPicture()->GetX(), liftedY);
    moved.lifted = 1;
    for (CMJCard2* t : pool)
        t->Update();
    EXPECT_FALSE(E().Objects().DirtyRects().empty());
    E().Settle();
    const std::vector<uint32_t> shown = E().Paint().PresentBuffer();
    E().Objects().FullRedraw();
    EXPECT_TRUE(shown == E().Paint().PresentBuffer());
}

// A tile whose fields and surroundings are as its last update left them skips the update; any
// change around it (splitter, areas, table, surface) still gives the look a new tile gets.
TEST_F(TileViewTest, AnUnchangedTileSkipsItsUpdateYetFollowsEveryChangeAroundIt)
{
    std::vector<CMJCard2*> kept, fresh;
    for (int k = 0; k < 2 * 168; ++k)
        (k % 2 ? fresh : kept).push_back(MakeTile());
    mahjongtest::LayOutGameInProgress(kept, kAreaLayout);
    const int asked = host_.metricsAsked;
    for (CMJCard2* t : kept)
        t->Update();
    EXPECT_EQ(host_.metricsAsked, asked);
    // Splitter, wall areas, discard areas, table, surface; every other one in a pass, as a layout.
    for (int change = 0; change < 5; ++change) {
        host_.splitter = true;
        for (Rect& r : host_.wallAreas)
            r.left -= change == 1 ? 12 : 0;
        for (Rect& r : host_.discardAreas)
            r.top += change == 2 ? 9 : 0;
        host_.table.right -= change == 3 ? 40 : 0;
        if (change == 4)
            E().UseSurface(kSurfaces[2], host_);
        std::optional<TilePass> pass;
        if (change % 2)
            pass.emplace(host_, kSurfaces[0].width, kSurfaces[0].height);
        for (CMJCard2* t : kept)
            t->Update();
        pass.reset();
        mahjongtest::LayOutGameInProgress(fresh, kAreaLayout);
        for (size_t k = 0; k < kept.size(); ++k) {
            PictureInfo a, b;
            kept[k]->GetBodyPicture()->GetPictureInfo(a);
            fresh[k]->GetBodyPicture()->GetPictureInfo(b);
            EXPECT_TRUE(kept[k]->IsActive() == fresh[k]->IsActive() &&
                        (!kept[k]->IsActive() ||
                         (a == b && kept[k]->GetBodyPicture()->Geometry() == fresh[k]->GetBodyPicture()->Geometry() &&
                          kept[k]->GetShadow()->Geometry() == fresh[k]->GetShadow()->Geometry())))
                << "change " << change << ", tile " << k;
        }
    }
    // A picture put on a shown tile's body from outside gives way to the tile's own at its next update.
    CMJCard2& shown = **std::find_if(kept.begin(), kept.end(), [](const CMJCard2* t) { return t->IsActive(); });
    PictureInfo own, other, now;
    shown.GetBodyPicture()->GetPictureInfo(own);
    shown.GetRes(other, "shadow", 0);
    shown.GetBodyPicture()->LoadPicture(other, 0);
    shown.Update();
    shown.GetBodyPicture()->GetPictureInfo(now);
    EXPECT_TRUE(now == own && !(other == own));
    // So does its shadow moved from outside: back under the body.
    const ObjectGeometry under = shown.GetShadow()->Geometry();
    shown.GetShadow()->MoveBy(5, 0);
    shown.Update();
    EXPECT_TRUE(shown.GetShadow()->Geometry() == under);
    // A hand tile raised rises, and a scale set from outside is the picture's again.
    CMJCard2& hand = **std::find_if(kept.begin(), kept.end(), [](const CMJCard2* t) { return t->inHand && t->seat == 3; });
    const double low = hand.GetBodyPicture()->GetY(), scale = hand.scale;
    hand.raised = 1, hand.Update();
    const double raised = hand.GetBodyPicture()->GetY();
    hand.scale = 2, hand.Update();
    EXPECT_TRUE(raised < low && hand.scale == scale);
    // Its shadow faded from outside, then taken off the table: every update starts the tile opaque,
    // shadow and all.
    shown.GetShadow()->SetAlpha(0.5);
    shown.seat = -1;
    shown.Update();
    EXPECT_TRUE(shown.GetBodyPicture()->GetAlpha() == 1.0 && shown.GetShadow()->GetAlpha() == 1.0);
}

// A layout updates every tile in a pass, which chooses each look's picture and reads each seat's
// areas once for all its tiles: each comes out as it does updated alone, whatever its face and marks.
TEST_F(TileViewTest, TilesUpdatedInAPassComeOutAsTilesUpdatedAlone)
{
    std::vector<CMJCard2*> alone, inPass;
    for (int k = 0; k < 2 * 168; ++k)
        (k % 2 ? inPass : alone).push_back(MakeTile());
    for (const int mode : {kAreaLayout, kMetricLayout}) {
        host_.splitter = false;
        for (auto* pool : {&alone, &inPass}) {
            mahjongtest::LayOutGameInProgress(*pool, mode);
            for (size_t k = 0; k < pool->size(); ++k) {
                CMJCard2& t = *(*pool)[k];
                t.dimmed6 = k % 5 == 1;
                t.dimmed9 = k % 5 == 2;
                t.jokerMark = k % 5 == 3;
                t.faceUp |= t.state == kTileWall && k % 2; // an area wall's face takes a wall picture's size
                t.tile = k % 7 == 0 ? 150 : t.tile;
            }
        }
        host_.splitter = true; // every tile's surroundings change, as in a layout
        for (CMJCard2* t : alone)
            t->Update();
        {
            TilePass pass(host_, kSurfaces[0].width, kSurfaces[0].height);
            for (CMJCard2* t : inPass)
                t->Update();
        }
        for (size_t k = 0; k < alone.size(); ++k) {
            PictureInfo a, b;
            alone[k]->GetBodyPicture()->GetPictureInfo(a);
            inPass[k]->GetBodyPicture()->GetPictureInfo(b);
            // The metrics too, kept by the tile after its pass has gone.
            EXPECT_TRUE(alone[k]->IsActive() == inPass[k]->IsActive() &&
                        alone[k]->GetMetrics() == inPass[k]->GetMetrics() &&
                        (!alone[k]->IsActive() || // one never shown keeps the depth it was made at
                         (a == b && alone[k]->GetBodyPicture()->Geometry() == inPass[k]->GetBodyPicture()->Geometry() &&
                          alone[k]->GetShadow()->Geometry() == inPass[k]->GetShadow()->Geometry() &&
                          alone[k]->GetThrowBack()->Geometry() == inPass[k]->GetThrowBack()->Geometry())))
                << "mode " << mode << ", tile " << k;
        }
    }
}

// A face in an area layout's wall takes the wall picture's size: by width beside the left and right
// walls' axis (seats 0 and 2), by height for seats 1 and 3; a tile moved from one to the other follows.
TEST_F(TileViewTest, AnAreaWallsFaceTakesTheWallPicturesSizeAlongItsAxis)
{
    CMJCard2* tile = MakeTile();
    tile->layoutMode = kAreaLayout;
    tile->state = kTileWall;
    tile->tile = 40;
    tile->faceUp = 1;
    tile->placed = 1;
    for (const int seat : {0, 1, 2, 3, 0}) {
        tile->seat = seat;
        tile->Update();
        const PictureInfo wall = E().Picture(seat % 2 ? "wa1_deal13" : "wa1_deal02", 0);
        const PObject& body = *tile->GetBodyPicture();
        EXPECT_EQ(seat % 2 ? body.GetHeight() : body.GetWidth(), seat % 2 ? wall.height : wall.width) << seat;
    }
}

// A tile keeps its surroundings by number: one number is one value, however often the room for
// numbers turns over, and a value asked again at once keeps its number.
TEST(TileSurroundingsIdsTest, OneNumberIsOneValue)
{
    TileSurroundingsIds ids;
    std::vector<std::pair<TileSurroundings, uint64_t>> given;
    for (int k = 0; k < 40; ++k) {
        TileSurroundings around;
        around.seat = k % 5 - 1;
        around.surface.width = 800 + k % 7; // values come back at several distances
        const uint64_t id = ids.Of(around);
        EXPECT_EQ(ids.Of(around), id);
        for (const auto& [was, wasId] : given)
            EXPECT_TRUE(wasId != id || was == around) << k;
        given.emplace_back(around, id);
    }
}

// A tile given another host is placed by that host's surroundings at its next update, though it
// kept its inputs by the first host's numbers.
TEST_F(TileViewTest, ATileGivenAnotherHostIsPlacedByIt)
{
    mahjongtest::FakeTileHost other = host_;
    other.table = {host_.table.left + 50, host_.table.top + 40, host_.table.right, host_.table.bottom};
    CMJCard2* moved = MakeTile();
    auto* fresh = new CMJCard2(calculator_, &other);
    E().Owner().RegisterChild(fresh);
    for (CMJCard2* t : {moved, fresh})
        t->seat = 0, t->state = kTileHand, t->tile = 3, t->placed = 1, t->index = 2;
    moved->Update();
    moved->SetHost(&other);
    moved->Update();
    fresh->Update();
    EXPECT_EQ(moved->GetBodyPicture()->Geometry(), fresh->GetBodyPicture()->Geometry());
}
