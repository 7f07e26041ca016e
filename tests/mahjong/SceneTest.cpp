// The table scene in a headless engine: creation, the dice and the notification gate with every
// way it opens, the event hook's ranges, claim buttons during auto-play, the two sound buttons,
// real clicks on the skill bar's buttons, drags and drops of the own hand, tile events without
// input data, the turn clock, the layout of walls and discard areas, the sparkles' lifetimes, and
// a scripted game in every size class that passes the missing-resource sweep and leaves no tile
// orphaned.
#include "engine/input/InputData.h"
#include "engine/object/PictureObject.h"
#include "mahjong/MahjongEvents.h"
#include "mahjong/controls/CMJPlayer2.h"
#include "mahjong/controls/CMJSliderBar.h"
#include "mahjong/controls/CMJXyDigit.h"
#include "mahjong/scene/CMyParticle.h"
#include "mahjong/tiles/TilePicture.h"
#include "tests/mahjong/SceneRig.h"
#include "tests/support/RelayRig.h"
#include "tests/support/ResourceSweep.h"
#include "framework/app/AppMessages.h"
#include "framework/app/CommThread.h"
#include "widgets/CXyStandButton.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>

using namespace Lumora;
using mahjongtest::kSurfaces;
using mahjongtest::SceneRig;
using mahjongtest::TestScene;
using Lumora::TableSoundSettings;

namespace {

std::string TestName()
{
    return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

bool Overlap(const Rect& a, const Rect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

Rect Bounds(const PObject& o)
{
    return Rect{int(o.GetLeft()), int(o.GetTop()), int(o.GetLeft() + o.GetWidth()), int(o.GetTop() + o.GetHeight())};
}

} // namespace

TEST(Scene, CreationMakesThePoolTheButtonsAndThePanels)
{
    SceneRig rig(TestName());
    TestScene& s = *rig.scene;
    EXPECT_EQ(s.FindByName(kMainGameName), &s);
    for (CMJCard2* t : s.pool)
        ASSERT_NE(t, nullptr);
    for (CXyStandButton* b : s.buttons)
        EXPECT_NE(b, nullptr);
    // Two buttons on the one sound picture: on and off.
    ASSERT_NE(s.buttons[CMJMainGame2::kBtnVolumeOn], s.buttons[CMJMainGame2::kBtnVolumeOn2]);
    for (int seat = 0; seat < 4; ++seat)
        ASSERT_NE(s.players[size_t(seat)], nullptr);
    EXPECT_EQ(s.players[3]->GetChair(), 0);
    // The table's wall is laid: 152 positions would exhaust a pool of 168 together with a deal, so
    // the positions beyond it stay empty; 108 fit.
    int wall = 0;
    for (CMJCard2* t : s.wall)
        wall += t != nullptr;
    EXPECT_EQ(wall, 152);
    EXPECT_EQ(rig.Misfiled(), 0);
    // Every size class's tile pictures are decoded already: asking for them loads none.
    const size_t cached = rig.engine.Paint().CachedImageCount();
    for (const std::string& name : AllTilePictureNames())
        EXPECT_NE(rig.engine.Paint().GetImageFrame(name, 0).image, nullptr) << name;
    EXPECT_EQ(rig.engine.Paint().CachedImageCount(), cached);
}

TEST(Scene, RollingTwiceClosesTheGateOnceAndPlayOpensIt)
{
    SceneRig rig(TestName());
    TestScene& s = *rig.scene;
    s.RollDice();
    s.RollDice();
    EXPECT_TRUE(rig.gate.IsClosed());
    EXPECT_TRUE(s.HoldsNotifyLock());
    rig.engine.Run(4000);
    // The dice sounded, dealt, each seat showed and play started, which opened the gate.
    EXPECT_THAT(s.keyCodes, ::testing::IsSupersetOf({uint32_t(EV_DICE_SOUND), uint32_t(EV_DICE_DONE),
                                                    uint32_t(EV_DEAL_SEAT_SHOWN), uint32_t(EV_PLAY_STARTS)}));
    EXPECT_FALSE(rig.gate.IsClosed());
    EXPECT_FALSE(s.HoldsNotifyLock());
    for (int seat = 0; seat < 4; ++seat)
        EXPECT_EQ(s.hands[size_t(seat)][13]->placed, 1) << seat;
    std::vector<int> own;
    for (int slot = 0; slot < 14; ++slot)
        own.push_back(s.hands[3][size_t(slot)]->tile);
    EXPECT_THAT(own, ::testing::UnorderedElementsAreArray(rig.data.own));
    EXPECT_EQ(rig.Misfiled(), 0);
}

TEST(Scene, EveryOpenerOfTheGateOpensIt)
{
    const std::function<void(SceneRig&)> openers[] = {
        [](SceneRig& r) { r.scene->SendEvent(EventRecord{r.scene->GetId(), EV_PLAY_STARTS, 0, 0}); },
        [](SceneRig& r) { r.scene->SendEvent(EventRecord{r.scene->GetId(), EV_DICE_ANIMATION_END, 0, 0}); },
        [](SceneRig& r) { r.scene->OnResetGame(); },
        [](SceneRig& r) {
            // Nothing answers the roll.
            r.scene->loseStartEvents = true;
            r.engine.Run(CMJMainGame2::kGateWatchdogMs + 500);
        },
        [](SceneRig& r) {
            r.scene->ReleaseObject(r.scene, false);
            r.scene = nullptr;
        },
    };
    int k = 0;
    for (const auto& open : openers) {
        SceneRig rig(TestName() + std::to_string(k++));
        rig.scene->RollDice();
        ASSERT_TRUE(rig.gate.IsClosed());
        // A watchdog of an earlier roll does not open the gate of a later one.
        open(rig);
        EXPECT_FALSE(rig.gate.IsClosed()) << "opener " << k;
    }
}

TEST(Scene, TheHookTestsItsFourRangesInOrder)
{
    SceneRig rig(TestName());
    TestScene& s = *rig.scene;
    const std::pair<uint32_t, const char*> codes[] = {
        {80001160, "mouse"},   {80001171, "mouse"}, {80001134, "command"}, {80001159, "command"},
        {80001110, "key"},     {80001120, "key"},   {80001121, "tile"},    {80001133, "tile"},
    };
    for (auto [code, kind] : codes) {
        s.calls.clear();
        s.keyCodes.clear();
        s.SendEvent(EventRecord{s.GetId(), code, 0, 0});
        const std::string expect = std::string(kind) + " " + std::to_string(code);
        if (std::string(kind) == "key")
            EXPECT_EQ(s.keyCodes, std::vector<uint32_t>{code});
        else
            EXPECT_EQ(s.calls, std::vector<std::string>{expect});
    }
}

TEST(Scene, AClaimButtonDuringAutoPlayEndsAutoPlayFirst)
{
    SceneRig rig(TestName());
    TestScene& s = *rig.scene;
    s.autoPlay = 1;
    s.SendEvent(EventRecord{s.GetId(), EV_BTN_PENG, 0, 0});
    EXPECT_EQ(s.autoPlay, 0);
    EXPECT_THAT(s.calls, ::testing::Contains("peng"));
    s.SendEvent(EventRecord{s.GetId(), EV_BTN_HU, 0, 0});
    EXPECT_THAT(s.calls, ::testing::Contains("hu"));
    EXPECT_EQ(s.autoPlay, 0);
}

TEST(Scene, TileEventsWithoutInputDataAreRefusedAndADropOutsideTheHandReorders)
{
    SceneRig rig(TestName());
    TestScene& s = *rig.scene;
    s.CreateDiceHook();
    rig.engine.Run(3000);
    CMJCard2* tile = s.hands[3][5];
    ASSERT_NE(tile, nullptr);
    const uintptr_t p1 = reinterpret_cast<uintptr_t>(tile);
    // A direct send without the engine's input state.
    EXPECT_EQ(s.OnLButtonDown(EventRecord{s.GetId(), EV_TILE_DRAG_MOVE, p1, 0}), 0);
    EXPECT_EQ(s.OnLButtonDown(EventRecord{s.GetId(), EV_TILE_LEAVE, p1, 0}), 0);
    // A tile that is not one of the scene's.
    EXPECT_EQ(s.OnLButtonDown(EventRecord{s.GetId(), EV_TILE_DRAG_END, 12345, 0}), 0);
    // A drop far outside the hand's rectangle reorders the hand as a click does.
    InputData far;
    far.x = 5;
    far.y = 5;
    const int before = s.moves;
    EXPECT_EQ(s.OnLButtonDown(EventRecord{s.GetId(), EV_TILE_DRAG_MOVE, p1, reinterpret_cast<uintptr_t>(&far)}), 1);
    EXPECT_EQ(s.moves, before + 1);
    EXPECT_EQ(rig.Misfiled(), 0);
}

// Drags with the right button, through the input module as the host window feeds it: the tile
// follows the pointer along the hand above its neighbours, and the drop puts it in the slot under
// its left edge (one short of it when it came from the right); a drop on its own place moves none.
TEST(Scene, ARightButtonDragCarriesTheTileAndDropsItWhereItIsReleased)
{
    for (const auto& [from, over, lands] : {std::array{10, 3, 3}, {3, 10, 9}, {6, 5, 5}, {5, 5, 5}, {1, 13, 12}}) {
        SceneRig rig(TestName() + std::to_string(from) + "_" + std::to_string(over));
        rig.scene->CreateDiceHook();
        rig.engine.Run(3000);
        auto& hand = rig.scene->hands[kOwnSeat];
        auto body = [&](int slot) { return hand[size_t(slot)]->GetBodyPicture(); };
        std::vector<int> order;
        for (int slot = 0; slot < 14; ++slot)
            order.push_back(hand[size_t(slot)]->tile);
        const int x0 = int(body(from)->GetX()), x1 = int(body(over)->GetX()), y = int(body(over)->GetY());
        // What the window shows where the tile stood: it goes with the tile.
        auto shownAtStart = [&] { return rig.engine.Paint().PresentBuffer()[size_t(y * kSurfaces[0].width + x0)]; };
        rig.engine.MoveMouse(x0, y);
        rig.engine.Input().OnRButtonDown(x0, y, 0);
        rig.engine.Settle();
        const uint32_t before = shownAtStart();
        for (int x : {(x0 + x1) / 2, x1}) {
            rig.engine.DragTo(x, y);
            EXPECT_EQ(int(body(from)->GetX()), x) << "the tile stays behind the pointer";
            EXPECT_GT(body(from)->GetZ(), body(over == from ? 1 : over)->GetZ());
        }
        EXPECT_TRUE(from == over || shownAtStart() != before) << "the tile is still drawn where it stood";
        rig.engine.Input().OnRButtonUp(x1, y, 0);
        rig.engine.Settle();
        const int moved = order[size_t(from)];
        order.erase(order.begin() + from);
        order.insert(order.begin() + lands, moved);
        for (int slot = 0; slot < 14; ++slot)
            EXPECT_EQ(hand[size_t(slot)]->tile, order[size_t(slot)]) << from << " over " << over << ", slot " << slot;
        EXPECT_NEAR(body(lands + 1)->GetX() + body(lands)->GetWidth(), body(lands)->GetX(), 1) << "not laid out again";
    }
}

TEST(Scene, TheClockCountsDownAndPostsItsEnd)
{
    SceneRig rig(TestName());
    TestScene& s = *rig.scene;
    s.SetClockValue(-4);
    EXPECT_EQ(s.GetClockValue(), 0);
    s.SetClockValue(3);
    EXPECT_EQ(s.GetClockValue(), 3);
    rig.engine.Run(3200);
    EXPECT_EQ(s.GetClockValue(), 0);
    EXPECT_THAT(s.keyCodes, ::testing::Contains(uint32_t(EV_CLOCK_EXPIRED)));
    s.StopClock();
}

// The scene sets the clock, the arrow and the panels again on every notification: what shows
// already repaints nothing, and each change still shows.
TEST(Scene, TheClockArrowAndPanelsRepaintOnlyWhatChanged)
{
    SceneRig rig(TestName());
    TestScene& s = *rig.scene;
    s.CreateDiceHook();
    rig.engine.Run(3000);
    s.PointTurnArrow(0, kOwnSeat * 2);
    s.SetClockValue(15);
    PanelUser user;
    user.name = "east";
    user.present = true;
    s.players[3]->Refresh(user);
    s.players[3]->SetBanker(1);
    ASSERT_TRUE(s.players[3]->GetPlane()->IsActive());
    rig.engine.Settle();
    // What the calls add to the rectangles the next frame repaints.
    const auto& dirty = rig.engine.Objects().DirtyRects();
    std::vector<Rect> before = dirty;
    s.SetClockValue(15);
    s.UpdateArrow();
    s.players[3]->SetBanker(1);
    s.players[3]->Refresh(user);
    EXPECT_EQ(dirty, before);

    const double angle = s.clockHand->GetAngle();
    s.PointTurnArrow(0, 1 * 2);
    EXPECT_NE(s.clockHand->GetAngle(), angle);
    EXPECT_NE(dirty, before);
    before = dirty;
    s.players[3]->SetBanker(0);
    EXPECT_NE(dirty, before);
    // A hidden clock set to the value it last showed shows again.
    s.StopClock();
    rig.engine.Settle();
    before = dirty;
    s.SetClockValue(15);
    EXPECT_TRUE(s.clockDigits->GetBody()->IsActive());
    EXPECT_NE(dirty, before);
}

TEST(Scene, WallsAndDiscardAreasNeverOverlap)
{
    const int heights[] = {600, 800, 1000};
    SceneRig rig(TestName());
    for (const auto& base : kSurfaces)
        for (int h : heights) {
            mahjongtest::Surface s = base;
            s.height = h;
            s.table.bottom = h - 4;
            rig.UseSurface(s);
            std::vector<Rect> areas;
            for (int seat = 0; seat < 4; ++seat) {
                areas.push_back(rig.scene->GetWallArea(seat));
                areas.push_back(rig.scene->GetDiscardArea(seat));
            }
            for (size_t i = 0; i < areas.size(); ++i)
                for (size_t j = i + 1; j < areas.size(); ++j)
                    EXPECT_FALSE(Overlap(areas[i], areas[j]))
                        << s.width << "x" << h << ": areas " << i << " and " << j;
        }
}

TEST(Scene, ParticlesLiveAtLeastOneMillisecondAndStayWithinOpacityBounds)
{
    ParticleRecord p;
    p.start = 100;
    p.lifetime = 0;
    for (uint32_t now : {100u, 101u, 5000u}) {
        const double a = ParticleAlpha(p, now, 1.0);
        EXPECT_TRUE(std::isfinite(a));
        EXPECT_GE(a, 0.0);
        EXPECT_LE(a, 1.0);
    }
    p.lifetime = 200;
    EXPECT_DOUBLE_EQ(ParticleAlpha(p, 150, 1.0), 0.75);
    EXPECT_DOUBLE_EQ(ParticleAlpha(p, 150, 0.5), 0.5);

    // An emitter whose random source always gives 0: every lifetime would be 0.
    SceneRig rig(TestName());
    TestScene& s = *rig.scene;
    s.OnBtnSortHand();
    ASSERT_NE(s.Emitter(), nullptr);
    s.Emitter()->random = [] { return 0; };
    size_t most = 0;
    for (int i = 0; i < 20; ++i) {
        rig.engine.Tick();
        for (const auto& [key, q] : s.Emitter()->Particles())
            EXPECT_GE(q.lifetime, 1u);
        most = std::max(most, s.Emitter()->LiveCount());
    }
    EXPECT_GT(most, 0u);
    rig.engine.Run(1500);
    EXPECT_EQ(s.Emitter()->LiveCount(), 0u);
    EXPECT_FALSE(s.Emitter()->IsRunning());
}

// Deal, draws, throws, a peng, the three kinds of gang, result rows and the win effect, in
// every size class: the pictures all exist and no tile is orphaned.
TEST(Scene, AScriptedGameShowsEveryTileInEverySizeClass)
{
    for (const auto& surface : kSurfaces) {
        SceneRig rig(TestName() + std::to_string(surface.width), surface);
        TestScene& s = *rig.scene;
        testsupport::ResourceSweep sweep;
        s.OnTableEntered();
        s.OnGameReady();
        s.OnGameStartData(nullptr, 0);
        rig.engine.Run(4000);
        ASSERT_EQ(rig.Misfiled(), 0);
        int pos = 53;
        auto draw = [&](int seat, int tile) { s.CatchWallCard(seat, pos++, tile); };
        auto throwFrom = [&](int seat, int slot) {
            CMJCard2* t = s.hands[size_t(seat)][size_t(slot)];
            ASSERT_NE(t, nullptr) << "seat " << seat << " slot " << slot;
            s.hands[size_t(seat)][size_t(slot)] = nullptr;
            t->state = kTileThrown;
            t->faceUp = 1;
            s.thrown[size_t(seat)] = t;
            s.TileChanged(*t);
            s.CloseHandGap(seat);
        };
        // The banker (own seat) throws; seat 2 pengs it, then gangs another seat's tile.
        throwFrom(3, 0);
        MeldRecord peng;
        peng.w[4] = 0;
        peng.w[5] = s.thrown[3]->tile;
        peng.w[6] = 40;
        peng.w[7] = 41;
        s.AddMeld(2, kMeldPeng, peng, 0);
        s.ParkThrownCard(2);
        // Seat 2 draws the fourth of its peng's card and adds it.
        const int fourth = peng.w[5] / 36 * 36 + (peng.w[5] % 36 + 9) % 36;
        throwFrom(2, 0);
        s.ParkThrownCard(2);
        draw(2, fourth);
        MeldRecord bu;
        bu.w[5] = fourth;
        s.AddBuGang(2, bu, 0);
        EXPECT_EQ(s.hands[2][14]->meldKind, kMeldGang);
        EXPECT_EQ(s.hands[2][17]->meldKind, kMeldGang);
        draw(2, 62); // the replacement after the gang
        throwFrom(2, 0);
        MeldRecord ming;
        ming.w[4] = 3; // seat 2's chair
        ming.w[5] = s.thrown[2]->tile;
        ming.w[6] = 50;
        ming.w[7] = 51;
        ming.w[8] = 52;
        s.AddMingGang(1, ming, 0);
        draw(1, 60);
        MeldRecord an;
        an.w[5] = 61;
        s.AddAnGang(1, an, 0);
        draw(0, 70);
        throwFrom(0, 0);
        s.ParkThrownCard(0);
        // The own seat draws the fourth of a card it holds three of and gangs it concealed.
        draw(3, 27);
        MeldRecord own;
        own.w[5] = 27;
        own.w[6] = 0;
        own.w[7] = 9;
        own.w[8] = 18;
        s.AddAnGang(3, own, 0);
        EXPECT_EQ(s.hands[3][17]->meldKind, kMeldGang);
        ASSERT_EQ(rig.Misfiled(), 0);
        // Result rows and the win.
        TileArray row;
        s.ClearTileArray(row);
        for (int i = 0; i < 10; ++i)
            row[size_t(i)] = 80 + i;
        s.ShowResultHand(0, row);
        s.ShowResultHandWithTile(2, 83, row);
        s.ShowWinTile(1, 99);
        s.ShowWinEffect(1);
        s.ShowArrow(2, peng.w[5]);
        s.ShowWaitAnimation();
        s.CreateGameInfoBoardBig(1);
        s.HideActionButtons(1);
        s.SetClockValue(9);
        s.PointTurnArrow(0, 2);
        rig.engine.Run(1500);
        EXPECT_TRUE(mahjongtest::SaveScreenshot(rig.engine, surface.width, surface.height,
                                                "scene-" + std::to_string(surface.width)));
        s.HideWaitAnimation();
        EXPECT_EQ(rig.Misfiled(), 0);
        EXPECT_THAT(sweep.Findings(), ::testing::IsEmpty()) << surface.width;
        for (CMJCard2* t : s.pool)
            if (t->state != kTileFree && t->placed) {
                EXPECT_TRUE(t->IsActive()) << "tile " << t->tile << " state " << t->state;
            }
        // Where a crowded table runs discards under a panel, the panel's name stays over them.
        for (CMJPlayer2* panel : s.players)
            for (CMJCard2* t : s.pool)
                EXPECT_TRUE(!panel || (t->state != kTileDiscard && t->state != kTileThrown) ||
                            panel->GetBody()->GetZ() > t->GetBody()->GetZ()) << "tile " << t->tile;
    }
}

TEST(Scene, AReplacementTileTravelsByValueAndTheStartButtonFollowsReadiness)
{
    SceneRig rig(TestName());
    TestScene& s = *rig.scene;
    s.CreateDiceHook();
    rig.engine.Run(2600);
    // The banker throws his drawn tile.
    s.ReturnToPool(s.hands[3][0]);
    ASSERT_EQ(s.hands[3][0], nullptr);
    s.SendEvent(EventRecord{s.GetId(), EV_REPLACEMENT_GANG, uintptr_t(77 | (60 << 16)), 8});
    ASSERT_NE(s.hands[3][0], nullptr);
    EXPECT_EQ(s.hands[3][0]->tile, 77);
    EXPECT_EQ(rig.Misfiled(), 0);

    CXyStandButton* start = s.buttons[CMJMainGame2::kBtnStart];
    s.OnGameReady();
    EXPECT_TRUE(start->IsActive());
    rig.app.lookOn = 1;
    s.OnGameReady();
    EXPECT_FALSE(start->IsActive());

    // Auto-play tells the player how it starts and ends.
    s.OnBtnAutoPlay();
    s.OnBtnAutoPlay();
    EXPECT_THAT(rig.app.notices, ::testing::IsSupersetOf({std::string("游戏托管已启动,单击鼠标解除!"),
                                                          std::string("游戏托管已解除!")}));
}

TEST(Scene, ReleasingTheSceneReleasesEverythingItMade)
{
    SceneRig rig(TestName());
    TestScene& s = *rig.scene;
    s.OnBtnSortHand();
    s.ShowWinEffect(0);
    s.ShowWaitAnimation();
    rig.engine.Run(100);
    const size_t before = rig.engine.Objects().GetObjectCount();
    std::vector<uint32_t> ids;
    for (CMJCard2* t : s.pool)
        ids.push_back(t->GetId());
    ids.push_back(s.buttons[0]->GetId());
    ids.push_back(s.players[3]->GetId());
    s.ReleaseObject(&s, false);
    rig.scene = nullptr;
    for (uint32_t id : ids)
        EXPECT_EQ(rig.engine.Objects().FindById(id), nullptr) << id;
    EXPECT_LT(rig.engine.Objects().GetObjectCount(), before - 168);
    rig.engine.Run(1500);
}

TEST(Scene, TheVolumeBoardSetsTheSettingsAndSwapsTheSoundButtons)
{
    SceneRig rig(TestName());
    TestScene& s = *rig.scene;
    TableSoundSettings settings;
    s.SetSoundSettings(&settings);
    CXyStandButton* on = s.buttons[CMJMainGame2::kBtnVolumeOn];
    CXyStandButton* off = s.buttons[CMJMainGame2::kBtnVolumeOn2];
    s.SendEvent(EventRecord{s.GetId(), EV_BTN_VOLUME, 0, 0});
    EXPECT_TRUE(s.volumeBoard->IsActive());
    EXPECT_FALSE(on->IsActive());
    EXPECT_TRUE(off->IsActive());
    s.SendEvent(EventRecord{s.GetId(), EV_BTN_SOUND_OFF, 0, 0});
    EXPECT_TRUE(settings.keepSilence);
    EXPECT_TRUE(on->IsActive());
    EXPECT_FALSE(off->IsActive());
    s.SendEvent(EventRecord{s.GetId(), EV_BTN_SOUND_ON, 0, 0});
    EXPECT_FALSE(settings.keepSilence);
    s.SendEvent(EventRecord{s.GetId(), EV_VOLUME_EFFECT, 20, 0});
    s.SendEvent(EventRecord{s.GetId(), EV_VOLUME_MUSIC, 99, 0});
    EXPECT_EQ(settings.effectVolume, 20);
    EXPECT_EQ(settings.musicVolume, 50);
    // Losing the focus closes the board.
    s.SetFocusObject(0);
    rig.engine.Settle();
    EXPECT_FALSE(s.volumeBoard->IsActive());
    s.SetSoundSettings(nullptr);
}

// The volume board closes as a pop-up does, on a press anywhere but on it (its sliders included)
// or on 音量 again; beside each slider it names what the slider sets.
TEST(Scene, TheVolumeBoardClosesOnAPressElsewhereAndNamesItsSliders)
{
    SceneRig rig(TestName());
    TestScene& s = *rig.scene;
    TableSoundSettings settings;
    s.SetSoundSettings(&settings);
    const auto press = [&](const PObject& o) {
        rig.engine.Click(int(o.GetX()), int(o.GetY()));
        rig.engine.Settle();
    };
    const PObject& volume = *s.buttons[CMJMainGame2::kBtnVolume]->GetBody();
    press(volume);
    ASSERT_TRUE(s.volumeBoard->IsActive());
    press(*s.volumeSliders[1]->GetThumb());
    EXPECT_TRUE(s.volumeBoard->IsActive()) << "its own slider closed it";
    rig.engine.Click(2, 2);
    rig.engine.Settle();
    EXPECT_FALSE(s.volumeBoard->IsActive());
    press(volume);
    ASSERT_TRUE(s.volumeBoard->IsActive());
    press(volume);
    EXPECT_FALSE(s.volumeBoard->IsActive());

    // Light text on the dark board, right of each slider's middle.
    for (CMJSliderBar* slider : s.volumeSliders) {
        const Rect track = Bounds(*slider->GetBody());
        const int x = track.right - int(s.volumeBoard->GetLeft()) + 2;
        const int y = (track.top + track.bottom) / 2 - int(s.volumeBoard->GetTop()) - 10;
        int ink = 0;
        for (int i = 0; i < 40 * 20; ++i)
            ink += (testsupport::PixelOf(*s.volumeBoard, x + i % 40, y + i / 40) & 0xFF) > 150;
        EXPECT_GT(ink, 20) << "no name beside the slider at " << track.left;
    }
    s.SetSoundSettings(nullptr);
}

// The communication thread holds the server's messages back from the dice roll to the start of
// play and then relays them in their order.
TEST(Scene, ServerMessagesWaitForTheDealAndKeepTheirOrder)
{
    SceneRig rig(TestName());
    auto thread = CGameCommThread::Start(rig.gate);
    ASSERT_TRUE(thread);
    testsupport::RelayedWindow main;
    platform::PostToThread(thread->Id(), app_msg::kCommSetTarget, main.id);
    rig.scene->RollDice();
    rig.scene->RollDice();
    for (uint32_t i = 0; i < 20; ++i)
        testsupport::PostServerMessage(thread->Id(), 500 + i);
    EXPECT_FALSE(main.PumpUntil(1, std::chrono::milliseconds(50))) << "nothing passes during the roll";
    rig.engine.Run(4000);
    ASSERT_TRUE(main.PumpUntil(20));
    for (uint32_t i = 0; i < 20; ++i)
        EXPECT_EQ(main.ids[i], 500 + i);
    thread->Stop();
}

// The skill bar's buttons are clicked as a player clicks them: through the input module's hit
// test at the centre of each face.
TEST(Scene, EachSkillBarButtonAnswersARealClick)
{
    SceneRig rig(TestName());
    TestScene& s = *rig.scene;
    TableSoundSettings settings;
    s.SetSoundSettings(&settings);
    // No face covers another's caption or picture.
    const CMJMainGame2::ButtonSlot bar[] = {CMJMainGame2::kBtnHideSkill, CMJMainGame2::kBtnAutoPlay,
                                            CMJMainGame2::kBtnVolume, CMJMainGame2::kBtnSort};
    for (size_t i = 0; i < std::size(bar); ++i)
        for (size_t k = i + 1; k < std::size(bar); ++k)
            EXPECT_FALSE(Overlap(Bounds(*s.buttons[bar[i]]->GetBody()), Bounds(*s.buttons[bar[k]]->GetBody())))
                << bar[i] << " and " << bar[k];
    auto click = [&](CMJMainGame2::ButtonSlot slot) {
        PObject* face = s.buttons[slot]->GetBody();
        ASSERT_NE(face, static_cast<PObject*>(s.buttons[slot])) << "the button lost its face";
        rig.engine.Click(int(face->GetX()), int(face->GetY()));
    };
    click(CMJMainGame2::kBtnAutoPlay);
    EXPECT_EQ(s.autoPlay, 1);
    EXPECT_THAT(rig.app.notices, ::testing::Contains("游戏托管已启动,单击鼠标解除!"));
    click(CMJMainGame2::kBtnVolume);
    EXPECT_TRUE(s.volumeBoard->IsActive());
    EXPECT_EQ(s.autoPlay, 0) << "a press on the skill bar ends auto-play, and its button still works";
    if (std::getenv("XL_SCREENSHOTS"))
        mahjongtest::SaveScreenshot(rig.engine, kSurfaces[0].width, kSurfaces[0].height, "scene_skillbar");
    // The volume board's own button answers too: silence.
    click(CMJMainGame2::kBtnVolumeOn2);
    EXPECT_TRUE(settings.keepSilence);
    const std::string sortNow = "mouse " + std::to_string(EV_SORT_NOW);
    const auto sorts = std::count(s.calls.begin(), s.calls.end(), sortNow);
    click(CMJMainGame2::kBtnSort);
    EXPECT_TRUE(s.sortPicture->IsActive());
    rig.engine.Run(2000);
    EXPECT_EQ(std::count(s.calls.begin(), s.calls.end(), sortNow), sorts + 1);
    // Past the cool-down, the auto-play button ends auto-play itself, once.
    rig.engine.Run(11000);
    click(CMJMainGame2::kBtnAutoPlay);
    ASSERT_EQ(s.autoPlay, 1);
    click(CMJMainGame2::kBtnAutoPlay);
    EXPECT_EQ(s.autoPlay, 0);
    EXPECT_EQ(rig.app.notices.back(), "游戏托管已解除!");
    s.SetSoundSettings(nullptr);
}

// The turn clock shows its seconds in the middle of the dial, counting down.
TEST(Scene, TheClockShowsItsSecondsInTheDial)
{
    SceneRig rig(TestName());
    TestScene& s = *rig.scene;
    s.CreateDiceHook();
    rig.engine.Run(3000);
    s.PointTurnArrow(0, kOwnSeat * 2);
    s.SetClockValue(15);
    rig.engine.Run(1100);
    const PObject& digits = *s.clockDigits->GetBody();
    EXPECT_TRUE(digits.IsActive());
    EXPECT_EQ(s.clockDigits->Format(s.GetClockValue()), "14");
    const Rect dial = Bounds(*s.clockHand);
    EXPECT_GE(digits.GetLeft(), dial.left);
    EXPECT_LE(digits.GetLeft() + digits.GetWidth(), dial.right);
    EXPECT_GE(digits.GetTop(), dial.top);
    EXPECT_LE(digits.GetTop() + digits.GetHeight(), dial.bottom);
    if (std::getenv("XL_SCREENSHOTS"))
        mahjongtest::SaveScreenshot(rig.engine, kSurfaces[0].width, kSurfaces[0].height, "scene_clock");
}
