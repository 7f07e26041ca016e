// This game's tile view behaves as the generic one: created with its body and hooks, updated,
// drawn and reset through the overrides.
#include "mahjong/MahjongEvents.h"
#include "engine/object/PictureObject.h"
#include "rules/MJCalclator.h"
#include "tests/mahjong/TileRig.h"
#include "xueliu/CMyCard.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace Lumora;

TEST(MyCardTest, DrawsPlacesAndResetsAsTheGenericTile)
{
    mahjongtest::TileEngine engine(std::to_string(::getpid()) + "_mycard");
    mahjongtest::FakeTileHost host;
    engine.UseSurface(mahjongtest::kSurfaces[2], host);
    auto* card = new CMyCard(std::make_shared<CMJCalclator>(), &host);
    engine.Owner().RegisterChild(card);
    ASSERT_NE(card->GetBodyPicture(), nullptr);
    EXPECT_NE(card->GetBodyPicture()->FindEventHook(EV_MOUSE_ENTER), nullptr);
    card->seat = 2;
    card->state = kTileDiscard;
    card->tile = 100;
    card->layoutMode = kAreaLayout;
    card->Update();
    EXPECT_TRUE(card->IsActive());
    EXPECT_EQ(card->GetBodyPicture()->GetFrame(), 18 + 100 % 9);
    card->Reset();
    EXPECT_EQ(card->layoutMode, kAreaLayout);
    card->Update();
    EXPECT_FALSE(card->IsActive());
}
