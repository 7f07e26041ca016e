// What the player sees at the table in the area layout this game uses, at the window sizes
// players have: the tiles of every group a seat shows (hand and melds, wall, discards) and the
// info board keep clear of each other. The groups are measured from the pooled tile views
// themselves, so the art's picture sizes count as much as the layout's arithmetic.
#include "framework/frame/FrameLayout.h"
#include "tests/mahjong/SceneRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

using namespace Lumora;
using mahjongtest::SceneRig;

namespace {

struct Box {
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    bool Empty() const { return right < left; }
    void Add(const PObject& o)
    {
        left = std::min(left, o.GetLeft());
        top = std::min(top, o.GetTop());
        right = std::max(right, o.GetRight());
        bottom = std::max(bottom, o.GetBottom());
    }
};

// Overlap of more than a pixel (edges that touch are fine).
bool Overlap(const Box& a, const Box& b)
{
    return !a.Empty() && !b.Empty() && std::min(a.right, b.right) - std::max(a.left, b.left) > 1 &&
           std::min(a.bottom, b.bottom) - std::max(a.top, b.top) > 1;
}

std::string Show(const Box& b)
{
    std::ostringstream out;
    out << "(" << b.left << ", " << b.top << ", " << b.right << ", " << b.bottom << ")";
    return out.str();
}

// The table a maximised window of that size gives the scene: the mahjong frame's 1-pixel margins,
// the side panel open beside it and the splitter between them.
mahjongtest::Surface MaximisedTable(int width, int height, bool maximised = true)
{
    constexpr int kSplitterWidth = 8;
    const int panel = framework::SidePanelWidth(maximised, width);
    const framework::FrameRects r = framework::LayoutRects(width, height, panel, panel, true, kSplitterWidth, 1);
    return {width, height, Rect{r.scene.left, r.scene.top, r.scene.right, r.scene.bottom}, kClass800};
}

class TableLook {
public:
    explicit TableLook(SceneRig& rig) : rig_(rig), s_(*rig.scene) {}

    // Every place a tile of the group can take, measured on one pooled tile.
    Box HandAndMelds(int seat)
    {
        Box box;
        for (int i = 0; i < 14; ++i)
            Measure(box, [&](CMJCard2& t) {
                t.state = kTileHand;
                t.seat = seat;
                t.inHand = 1;
                t.index = i;
                t.count = 14;
            });
        for (int m = 0; m < 4; ++m)
            for (int c = 0; c < 3; ++c)
                for (int i = 0; i < 4; ++i)
                    Measure(box, [&](CMJCard2& t) {
                        t.state = kTileHand;
                        t.seat = seat;
                        t.faceUp = 1;
                        t.tile = 4;
                        t.meldKind = kMeldGang;
                        t.claimPos = c;
                        t.facing = (seat + 2) % 4;
                        t.index = i;
                        t.count = m;
                    });
        return box;
    }
    Box Wall(int seat)
    {
        Box box;
        for (int i = 0; i < 28; ++i)
            Measure(box, [&](CMJCard2& t) {
                t.state = kTileWall;
                t.seat = seat;
                t.index = i;
                t.count = 28;
            });
        return box;
    }
    // A whole deal's worth of discards: 27 tiles, three rows at the side seats.
    Box Discards(int seat)
    {
        Box box;
        for (int i = 0; i < 27; ++i)
            Measure(box, [&](CMJCard2& t) {
                t.state = kTileDiscard;
                t.seat = seat;
                t.faceUp = 1;
                t.tile = 9;
                t.index = i;
            });
        return box;
    }
    Box InfoBoard()
    {
        s_.CreateGameInfoBoardBig(1);
        Box box;
        if (s_.infoBoardBig)
            box.Add(*s_.infoBoardBig);
        return box;
    }

private:
    template <typename Fill>
    void Measure(Box& box, Fill fill)
    {
        CMJCard2& t = *s_.pool.back();
        t.Reset();
        t.layoutMode = kAreaLayout;
        t.placed = 1;
        fill(t);
        t.Update();
        if (t.IsActive())
            box.Add(*t.GetBodyPicture());
        t.Reset();
        t.Update();
    }

    SceneRig& rig_;
    mahjongtest::TestScene& s_;
};

} // namespace

TEST(TableLook, GroupsOfTilesAndTheInfoBoardKeepClearOfEachOtherInEveryWindowSize)
{
    // A restored window is 1050 x 600 on wide screens; the others fill the screen.
    const std::pair<int, int> windows[] = {{1050, 600}, {1024, 768}, {1280, 800}, {1366, 768}, {1600, 900},
                                           {1920, 1080}};
    SceneRig rig("table_look");
    rig.scene->ResetAnimations(kAreaLayout);
    for (const auto& [w, h] : windows) {
        rig.UseSurface(MaximisedTable(w, h, h > 600));
        TableLook look(rig);
        std::vector<std::pair<std::string, Box>> groups;
        for (int seat = 0; seat < 4; ++seat) {
            const std::string name = " of seat " + std::to_string(seat);
            groups.emplace_back("hand" + name, look.HandAndMelds(seat));
            groups.emplace_back("wall" + name, look.Wall(seat));
            groups.emplace_back("discards" + name, look.Discards(seat));
        }
        groups.emplace_back("info board", look.InfoBoard());
        for (size_t i = 0; i < groups.size(); ++i) {
            ASSERT_FALSE(groups[i].second.Empty()) << w << "x" << h << " " << groups[i].first;
            for (size_t j = i + 1; j < groups.size(); ++j)
                EXPECT_FALSE(Overlap(groups[i].second, groups[j].second))
                    << w << "x" << h << ": " << groups[i].first << " " << Show(groups[i].second) << " and "
                    << groups[j].first << " " << Show(groups[j].second);
        }
    }
}
