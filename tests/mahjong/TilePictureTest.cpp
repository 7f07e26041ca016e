// The tile's face frame by the calculator's shape and rank, and the picture a tile chooses for
// every rule of its drawing: state, seat, face, hand or meld, orientation, layout, size class,
// opacities, the joker's key colour and the splitter's scale.
#include "mahjong/tiles/CMJCard2.h"
#include "mahjong/tiles/TilePicture.h"
#include "rules/MJCalclator.h"
#include "tests/mahjong/TileSurfaces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace Lumora;
using mahjongtest::kSurfaces;

namespace {

// A calculator whose shape answer is out of the known range.
class OddShapeCalculator : public CMJCalclator {
public:
    i32 GetCardShape(TileId, i32) override { return 7; }
};

} // namespace

TEST(TileImageIndexTest, ShapesAndRanksMapToTheFaceFrames)
{
    CMJCard2 card(std::make_shared<CMJCalclator>());
    // Tile id → frame, written from the face table: characters 0-8, bamboo 9-17, circles 18-26,
    // honours 27-33, flowers rank + 33.
    const int table[][2] = {{0, 0},    {8, 8},    {9, 0},    {35, 8},   {36, 9},   {44, 17},  {71, 17},
                            {72, 18},  {80, 26},  {107, 26}, {108, 27}, {114, 33}, {115, 27}, {135, 33},
                            {136, 34}, {143, 41}, {144, 42}, {151, 49}};
    for (const auto& [tile, frame] : table)
        EXPECT_EQ(card.GetImageIndex(tile), frame) << tile;
    CMJCard2 odd(std::make_shared<OddShapeCalculator>());
    EXPECT_EQ(odd.GetImageIndex(40), 0);
}

namespace {

struct PictureCase {
    const char* what;
    int state, seat, tile;
    bool faceUp, inHand;
    int facing, mode;
    int surface;  // index into kSurfaces; -1: a 1366 surface with a table 700 wide
    const char* name;
    int frame;
};

TilePictureInput InputOf(const PictureCase& c)
{
    TilePictureInput in;
    in.state = c.state;
    in.seat = c.seat;
    in.tile = c.tile;
    in.imageIndex = c.tile <= 107 ? c.tile / 36 * 9 + c.tile % 9 : c.tile <= 135 ? 27 + (c.tile - 108) % 7 : c.tile - 102;
    in.faceUp = c.faceUp;
    in.inHand = c.inHand;
    in.facing = c.facing;
    in.layoutMode = c.mode;
    if (c.surface < 0) {
        in.surfaceWidth = 1366;
        in.surfaceHeight = 768;
        in.table = Rect{4, 25, 704, 764};
    } else {
        in.surfaceWidth = kSurfaces[size_t(c.surface)].width;
        in.surfaceHeight = kSurfaces[size_t(c.surface)].height;
        in.table = kSurfaces[size_t(c.surface)].table;
    }
    return in;
}

constexpr int kFive = 4;  // tile 4: five of characters, frame 4

} // namespace

TEST(TilePictureTest, EveryDrawingRuleNamesItsPicture)
{
    const PictureCase cases[] = {
        // Wall: faces from the 800 set below 1600, else 1366; backs by layout and surface.
        {"wall face", 1, 0, kFive, true, false, 0, 1, 2, "800_middle0", 4},
        {"wall face 1600", 1, 2, kFive, true, false, 0, 1, 3, "1366_middle2", 4},
        {"wall back metric", 1, 0, kFive, false, false, 0, 1, 2, "1366_deal02", 0},
        {"wall back metric 1600", 1, 0, kFive, false, false, 0, 1, 3, "1366_back02", 0},
        {"wall back bottom", 1, 3, kFive, false, false, 0, 1, 1, "1366_deal13", 0},
        {"wall area low", 1, 1, kFive, false, false, 0, 0, 0, "wa1_deal13", 0},
        {"wall area middle", 1, 0, kFive, false, false, 0, 0, 2, "wa2_deal02", 0},
        {"wall area high", 1, 2, kFive, false, false, 0, 0, 3, "wa3_deal02", 0},
        // Own hand: the large set of class A, the back at frame 47.
        {"own hand 1024", 2, 3, kFive, true, true, 0, 1, 1, "1024_largecard", 4},
        {"own hand back", 2, 3, kFive, false, true, 0, 1, 2, "1366_largecard", 47},
        {"own hand small table", 2, 3, kFive, true, true, 0, 1, -1, "800_largecard", 4},
        // Melds: the middle set by orientation in class B (1024 takes 1366), backs by class.
        {"meld facing 0", 2, 3, kFive, true, false, 0, 1, 1, "1366_middle2", 4},
        {"meld facing 1", 2, 0, kFive, true, false, 1, 1, 0, "800_middle3", 4},
        {"meld facing 2", 2, 1, kFive, true, false, 2, 1, 3, "1600_middle0", 4},
        {"meld facing 3", 2, 2, kFive, true, false, 3, 1, 2, "1366_middle1", 4},
        {"meld back bottom", 2, 3, kFive, false, false, 0, 1, 1, "1366_back13", 0},
        {"meld back bottom 1600", 2, 3, kFive, false, false, 0, 1, 3, "1600_back13", 0},
        {"meld back bottom 800", 2, 3, kFive, false, false, 0, 1, 0, "1366_deal13", 0},
        {"meld back top", 2, 1, kFive, false, false, 0, 1, 3, "1600_back13", 0},
        {"meld back left", 2, 0, kFive, false, false, 0, 1, 3, "1600_back02", 0},
        {"meld back right 800", 2, 2, kFive, false, false, 0, 1, 0, "1366_deal02", 0},
        // Other hands: their side set of class A, never a face.
        {"left hand", 2, 0, kFive, true, true, 0, 1, 2, "1366_side0", 0},
        {"top hand 1024", 2, 1, kFive, true, true, 0, 1, 1, "1024_side1", 0},
        // Discards: area by the 1366 boundary, metric by class B.
        {"discard area wide", 5, 1, kFive, false, false, 0, 0, 3, "1366_middle1", 4},
        {"discard area 1366", 5, 1, kFive, false, false, 0, 0, 2, "800_middle1", 4},
        {"discard metric 1024", 5, 2, kFive, false, false, 0, 1, 1, "1366_middle2", 4},
        {"discard no face", 5, 0, 200, false, false, 0, 1, 3, "1600_back02", 0},
        // Thrown and result rows show their face whatever faceUp says.
        {"thrown", 6, 0, 108, false, false, 0, 1, 3, "1600_largecard", 27},
        {"thrown no tile", 6, 0, 200, true, false, 0, 1, 3, "1600_largecard", 47},
        {"result row", 7, 3, 143, false, false, 0, 1, 1, "1366_middle3", 41},
        {"flower beyond the faces", 7, 3, 144, true, false, 0, 1, 2, "1366_back13", 0},
        // States and seats without a picture.
        {"free", 0, 3, kFive, true, true, 0, 1, 2, "", 0},
        {"unknown state", 4, 3, kFive, true, true, 0, 1, 2, "", 0},
        {"no seat", 5, -1, kFive, true, true, 0, 1, 2, "", 0},
    };
    for (const PictureCase& c : cases) {
        const TilePicture p = ChooseTilePicture(InputOf(c));
        EXPECT_EQ(p.name, c.name) << c.what;
        EXPECT_EQ(p.frame, c.frame) << c.what;
        EXPECT_EQ(p.alpha, 1.0) << c.what;
        EXPECT_FALSE(p.jokerKey) << c.what;
    }
    // Whatever a tile is, where, on any surface: its pictures are among those a table decodes first.
    const std::vector<std::string> all = AllTilePictureNames();
    const auto listed = [&](const std::string& name) { return std::find(all.begin(), all.end(), name) != all.end(); };
    for (int k = 0; k < 8 * 5 * 4 * 4 * 2 * 5 * 3; ++k) {
        const int tiles[] = {kFive, 200, 143};
        TilePictureInput in = InputOf({"", k % 8, k / 8 % 5 - 1, tiles[k / 6400 % 3], k / 40 % 2 == 0, k / 80 % 2 == 0,
                                       k / 160 % 4, k / 640 % 2, k / 1280 % 5 - 1, "", 0});
        for (const std::string& name : {ChooseTilePicture(in).name, ChooseTilePicture(in).ratioPicture})
            EXPECT_TRUE(name.empty() || listed(name)) << name << " for case " << k;
    }
    // A calculator's rank beyond the face frames never indexes past them: the back shows.
    TilePictureInput beyond = InputOf({"", 7, 3, kFive, true, false, 0, 1, 2, "", 0});
    beyond.imageIndex = 49;
    EXPECT_EQ(ChooseTilePicture(beyond).name, "1366_back13");
    beyond.state = kTileThrown;
    EXPECT_EQ(ChooseTilePicture(beyond).frame, kLargeBackFrame);
}

TEST(TilePictureTest, AreaWallFacesTakeTheSizeOfTheWallPicture)
{
    const TilePicture across = ChooseTilePicture(InputOf({"", 1, 3, kFive, true, false, 0, 0, 2, "", 0}));
    EXPECT_EQ(across.ratioPicture, "wa2_deal13");
    EXPECT_FALSE(across.ratioByWidth);
    const TilePicture side = ChooseTilePicture(InputOf({"", 1, 0, kFive, true, false, 0, 0, 0, "", 0}));
    EXPECT_EQ(side.ratioPicture, "wa1_deal02");
    EXPECT_TRUE(side.ratioByWidth);
    EXPECT_TRUE(ChooseTilePicture(InputOf({"", 1, 0, kFive, true, false, 0, 1, 0, "", 0})).ratioPicture.empty());
}

TEST(TilePictureTest, OwnHandOpacitiesLetTheLastRuleWinAndMarkTheJoker)
{
    TilePictureInput in = InputOf({"", 2, 3, kFive, true, true, 0, 1, 2, "", 0});
    const struct {
        bool d9, d6, joker;
        double alpha;
    } rows[] = {{true, false, false, 0.9}, {false, true, false, 0.6}, {true, true, false, 0.6},
                {true, true, true, 0.7},   {false, false, true, 0.7}, {false, false, false, 1.0}};
    for (const auto& r : rows) {
        in.dimmed9 = r.d9;
        in.dimmed6 = r.d6;
        in.jokerMark = r.joker;
        const TilePicture p = ChooseTilePicture(in);
        EXPECT_EQ(p.alpha, r.alpha);
        EXPECT_EQ(p.jokerKey, r.joker);
    }
    // Elsewhere the marks change nothing: the key colour belongs to the own hand only.
    for (TilePictureInput other : {InputOf({"", 2, 3, kFive, true, false, 0, 1, 2, "", 0}),
                                   InputOf({"", 5, 3, kFive, true, false, 0, 1, 2, "", 0}),
                                   InputOf({"", 2, 3, kFive, false, true, 0, 1, 2, "", 0})}) {
        other.jokerMark = other.dimmed6 = true;
        EXPECT_FALSE(ChooseTilePicture(other).jokerKey);
        EXPECT_EQ(ChooseTilePicture(other).alpha, 1.0);
    }
}

TEST(TilePictureTest, SmallSurfacesScaleOnlyWhileTheSplitterReportsItsFlag)
{
    const struct {
        int width;
        bool flag;
        double scale;
    } rows[] = {{800, true, 0.75}, {1000, true, 0.83}, {1023, true, 0.83}, {1024, true, 1.0},
                {800, false, 1.0}, {1000, false, 1.0}};
    for (const auto& r : rows) {
        TilePictureInput in = InputOf({"", 6, 3, kFive, true, false, 0, 1, 0, "", 0});
        in.surfaceWidth = r.width;
        in.splitterFlag = r.flag;
        EXPECT_EQ(ChooseTilePicture(in).scale, r.scale) << r.width << " " << r.flag;
    }
}
