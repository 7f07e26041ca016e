#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/geometry/ByteBuffer.h"
#include "engine/geometry/Geometry.h"
#include "engine/resource/ResourceKey.h"

using namespace Lumora;

TEST(ByteBuffer, GrowsByDoublingAndKeepsOneSpareByte) {
    ByteBuffer b;
    std::vector<uint8_t> bytes(200, 7);
    EXPECT_EQ(b.Append(bytes.data(), 31), 31u);
    EXPECT_EQ(b.GetCapacity(), 32u);
    b.Append(bytes.data(), 1);
    EXPECT_EQ(b.GetCapacity(), 64u);
    ByteBuffer c;
    c.Append(bytes.data(), 100);
    EXPECT_EQ(c.GetCapacity(), 128u);
    EXPECT_EQ(c.GetAt(100), c.GetData() + 100);
    EXPECT_EQ(c.GetAt(101), nullptr);
    EXPECT_EQ(c.GetData()[99], 7);
    EXPECT_EQ(c.GetData()[100], 0);  // the grown part is zeroed
}

TEST(ByteBuffer, SkipAndSeekStayInsideTheData) {
    ByteBuffer b;
    const char text[] = "0123456789";
    b.Append(text, 10);
    b.Seek(2);
    EXPECT_EQ(b.GetCursorOffset(), 2u);
    b.Skip(5);
    EXPECT_EQ(b.GetCursorOffset(), 7u);
    b.Skip(0xFFFFFFF0u);  // a hostile count from a replay file
    EXPECT_EQ(b.GetCursorOffset(), 10u);
    b.Seek(1000);
    EXPECT_EQ(b.GetCursorOffset(), 10u);
    b.Reset();
    EXPECT_EQ(b.GetSize(), 0u);
    EXPECT_EQ(b.GetCursorOffset(), 0u);
    EXPECT_EQ(b.GetData()[3], 0);
}

TEST(ByteBuffer, AppendPastFourGigabytesIsRefused) {
    ByteBuffer b;
    uint8_t x = 1;
    EXPECT_EQ(b.Append(&x, 0xFFFFFFFFu), 0u);  // would wrap the size; nothing written
    EXPECT_EQ(b.GetSize(), 0u);
    EXPECT_EQ(b.Append(&x, 1), 1u);
}

TEST(Geometry, FormatPlayTime) {
    EXPECT_EQ(FormatPlayTime(3600000), "60:00");
    EXPECT_EQ(FormatPlayTime(3600001), "01:00:00");
    EXPECT_EQ(FormatPlayTime(61000), "01:01");
    EXPECT_EQ(FormatPlayTime(7384000), "02:03:04");
}

TEST(Geometry, RotatePointTurnsClockwiseOnScreen) {
    PointD p = RotatePoint(10, 0, 0, 0, 90, false);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 10);
    p = RotatePoint(10, 0, 0, 0, 90, true);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, -10);
    p = RotatePoint(3, 4, 0, 0, 0, false);
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.y, 4);
}

TEST(Geometry, BoundingRectCentredOrRadiusSquare) {
    ObjectGeometry g;
    g.x = 100;
    g.y = 50;
    g.width = 10;
    g.height = 6;
    EXPECT_EQ(BoundingRect(g), (Rect{95, 47, 105, 53}));
    g.angle = 30;
    EXPECT_EQ(BoundingRect(g), (Rect{94, 44, 105, 55}));
}

TEST(Geometry, SegmentsIntersect) {
    PointD pt;
    EXPECT_EQ(SegmentsIntersect({0, 0}, {10, 0}, {5, -5}, {5, 5}, &pt), 1);
    EXPECT_DOUBLE_EQ(pt.x, 5);
    EXPECT_DOUBLE_EQ(pt.y, 0);
    EXPECT_EQ(SegmentsIntersect({0, 0}, {10, 0}, {10, 0}, {10, 5}, nullptr), 2);
    EXPECT_EQ(SegmentsIntersect({0, 0}, {10, 0}, {0, 1}, {10, 1}, nullptr), 0);
}

TEST(Geometry, RectMeetsRotatedObject) {
    ObjectGeometry g;
    g.x = 100;
    g.y = 100;
    g.width = 40;
    g.height = 4;
    g.angle = 45;
    EXPECT_TRUE(RectMeetsObject({110, 80, 125, 95}, g));    // on the diagonal the object lies along
    EXPECT_FALSE(RectMeetsObject({60, 60, 70, 70}, g));     // outside the turned radius square
    EXPECT_TRUE(RectMeetsObject({99, 99, 101, 101}, g));    // inside, no edge crossing
    EXPECT_TRUE(RectMeetsObject({0, 0, 300, 300}, g));      // object inside the rectangle
    g.angle = 0;
    EXPECT_TRUE(RectMeetsObject({119, 101, 130, 110}, g));
    EXPECT_FALSE(RectMeetsObject({120, 101, 130, 110}, g));
}

// Expected values from an independent script over the same bytes.
TEST(ResourceKeys, ThreeHashesKnownAnswers) {
    ResourceKey k = MakeResourceKey("btn_Ok.imge");
    EXPECT_EQ(k.h1, 0x425a1e91u);
    EXPECT_EQ(k.h2, 0x1a39cce1u);
    EXPECT_EQ(k.h3, 0xff2776d1u);
    k = MakeResourceKey("\xb0\xb4\xc5\xa5.imge");  // GBK bytes: signed and unsigned readings differ
    EXPECT_EQ(k.h1, 0x431bde90u);
    EXPECT_EQ(k.h2, 0x5ae31a6eu);
    EXPECT_EQ(k.h3, 0xcad4af2cu);
    EXPECT_EQ(HashStringRS(""), 0u);
    EXPECT_EQ(HashStringRS(".png"), 0x702f88e7u);
    EXPECT_LT(MakeResourceKey("a"), MakeResourceKey("b"));
}

TEST(ResourceKeys, NameNormalisation) {
    EXPECT_EQ(NormaliseResourceName("skins\\btn_Ok.PNG"), "btn_Ok.imge");
    EXPECT_EQ(NormaliseResourceName("skins/sub/btn_Ok.bmp"), "btn_Ok.imge");
    EXPECT_EQ(NormaliseResourceName("a.b.Jpeg"), "a.b.imge");
    EXPECT_EQ(NormaliseResourceName("Throw.WAV"), "Throw.sound");
    EXPECT_EQ(NormaliseResourceName("notes.txt"), "notes.text");
    EXPECT_EQ(NormaliseResourceName("x.rmvb"), "x.vedio");
    EXPECT_EQ(NormaliseResourceName("a.xyz"), "a.xyz");
    EXPECT_EQ(NormaliseResourceName("tune.midi"), "tune.midi");
    EXPECT_EQ(NormaliseResourceName("noext"), "noext");
}

TEST(ResourceKeys, CategoryTable) {
    EXPECT_EQ(CategoryOfType(HashStringRS(".png")), HashStringRS(".imge"));
    EXPECT_EQ(CategoryOfType(HashStringRS(".mid")), HashStringRS(".sound"));
    EXPECT_EQ(CategoryOfType(HashStringRS(".cgi")), HashStringRS(".http"));
    EXPECT_EQ(CategoryOfType(HashStringRS(".xyz")), HashStringRS(".xyz"));
    EXPECT_EQ(CategoryOfType(HashStringRS(".txt")), HashStringRS(".txt"));  // not a category row
}

// Every pixel of the rectangles inside the bounds lies in exactly one piece, and no other pixel in any.
TEST(DisjointCover, CoversEachPixelOfTheRectanglesOnce) {
    const Rect bounds{0, 0, 64, 48};
    uint32_t seed = 7;
    auto next = [&seed](int n) { return int((seed = seed * 1103515245u + 12345u) >> 16) % n; };
    std::vector<Rect> pieces;
    for (int round = 0; round < 200; ++round) {
        std::vector<Rect> rects;
        for (int i = next(12); i >= 0; --i) {
            const int l = next(80) - 8, t = next(60) - 6;
            rects.push_back({l, t, l + next(30), t + next(30)});
        }
        DisjointCover(rects, bounds, pieces);
        for (int y = -8; y < 64; ++y)
            for (int x = -8; x < 80; ++x) {
                const bool inside = PointInRect(bounds, x, y) &&
                    std::any_of(rects.begin(), rects.end(), [&](const Rect& r) { return PointInRect(r, x, y); });
                const auto count = std::count_if(pieces.begin(), pieces.end(),
                                                 [&](const Rect& p) { return PointInRect(p, x, y); });
                ASSERT_EQ(count, inside ? 1 : 0) << "round " << round << " at " << x << "," << y;
            }
    }
    // The largest rectangle stays whole.
    DisjointCover(std::vector<Rect>{{10, 10, 14, 14}, {0, 0, 20, 20}}, bounds, pieces);
    EXPECT_EQ(pieces, (std::vector<Rect>{{0, 0, 20, 20}}));
}
