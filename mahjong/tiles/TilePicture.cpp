// The naming rules of the tile pictures by state, seat, orientation and size class.
#include "mahjong/tiles/TilePicture.h"

#include "mahjong/tiles/TileLayout.h"
#include "mahjong/tiles/TileMetrics.h"

#include <algorithm>
#include <charconv>
#include <system_error>
#include <string_view>

namespace Lumora {

namespace {

// A picture name put together on the stack and made a string once: every tile names its picture
// on every update. Names are short; a longer one is cut at the buffer's end.
class Name {
public:
    Name& operator<<(std::string_view text)
    {
        const size_t n = std::min(text.size(), sizeof buffer_ - size_);
        std::copy_n(text.data(), n, buffer_ + size_);
        size_ += n;
        return *this;
    }
    Name& operator<<(int number)
    {
        const auto [end, failed] = std::to_chars(buffer_ + size_, buffer_ + sizeof buffer_, number);
        if (failed == std::errc())
            size_ = size_t(end - buffer_);
        return *this;
    }
    operator std::string() const { return std::string(buffer_, size_); }

private:
    char buffer_[40];
    size_t size_ = 0;
};

std::string Named(int sizeClass, std::string_view set) { return Name() << sizeClass << "_" << set; }
std::string Middle(int sizeClass, int k) { return Name() << sizeClass << "_middle" << k; }

// The middle set of a face-up meld tile by its orientation code.
int MiddleOfFacing(int facing)
{
    static constexpr int kSets[4] = {2, 3, 0, 1};
    return kSets[facing & 3];
}

bool Across(int seat) { return seat == 1 || seat == 3; }

// The back of a meld (and of a faceless discard or result tile) of a seat.
std::string MeldBack(int seat, int classA, int surfaceWidth)
{
    const char* axis = Across(seat) ? "13" : "02";
    if (classA == kClass800)
        return Name() << "1366_deal" << axis;
    return Name() << (surfaceWidth < 1600 ? "1366_back" : "1600_back") << axis;
}

std::string WallBack(int seat, const TilePictureInput& in)
{
    const char* axis = Across(seat) ? "13" : "02";
    if (in.layoutMode == kAreaLayout) {
        const char* wall = in.surfaceHeight <= 600 ? "wa1_deal" : in.surfaceHeight <= 900 ? "wa2_deal" : "wa3_deal";
        return Name() << wall << axis;
    }
    return Name() << (in.surfaceWidth < 1600 ? "1366_deal" : "1366_back") << axis;
}

} // namespace

bool HasFace(int tile, int imageIndex)
{
    return tile >= 0 && tile <= kLastFaceTile && imageIndex >= 0 && imageIndex < kFaceFrames;
}

double TileScale(int surfaceWidth, bool splitterFlag)
{
    if (!splitterFlag)
        return 1.0;
    if (surfaceWidth <= 800)
        return kScaleSmall;
    return surfaceWidth < 1024 ? kScaleMedium : 1.0;
}

TilePicture ChooseTilePicture(const TilePictureInput& in)
{
    TilePicture p;
    p.scale = TileScale(in.surfaceWidth, in.splitterFlag);
    if (in.seat < 0 || in.seat > 3)
        return p;
    const int classA = MetricSizeClass(in.surfaceWidth, in.table);
    const int classB = MiddleSizeClass(in.surfaceWidth, in.table);
    const bool face = HasFace(in.tile, in.imageIndex);
    const int seat = in.seat;
    switch (in.state) {
    case kTileWall:
        if (in.faceUp && face) {
            p.name = Middle(in.surfaceWidth < 1600 ? kClass800 : kClass1366, seat);
            p.frame = in.imageIndex;
            if (in.layoutMode == kAreaLayout) {
                p.ratioPicture = WallBack(seat, in);
                p.ratioByWidth = !Across(seat);
            }
        } else {
            p.name = WallBack(seat, in);
        }
        break;
    case kTileHand:
        if (in.inHand && seat == 3) {
            p.name = Named(classA, "largecard");
            if (in.faceUp && face) {
                p.frame = in.imageIndex;
                if (in.dimmed9)
                    p.alpha = kDimmed9Alpha;
                if (in.dimmed6)
                    p.alpha = kDimmed6Alpha;
                if (in.jokerMark) {
                    p.alpha = kJokerAlpha;
                    p.jokerKey = true;
                }
            } else {
                p.frame = kLargeBackFrame;
            }
        } else if (in.inHand) {
            p.name = Name() << classA << "_side" << seat;
        } else if (in.faceUp && face) {
            p.name = Middle(classB, MiddleOfFacing(in.facing));
            p.frame = in.imageIndex;
        } else {
            p.name = MeldBack(seat, classA, in.surfaceWidth);
        }
        break;
    case kTileDiscard:
        p.scale *= in.discardScale;
        [[fallthrough]];
    case kTileResultRow:
        // Always face up; a tile without a face shows the back of its place, never a face it
        // showed before.
        if (!face) {
            p.name = MeldBack(seat, classA, in.surfaceWidth);
        } else if (in.state == kTileDiscard && in.layoutMode == kAreaLayout) {
            p.name = Middle(in.surfaceWidth > 1366 ? kClass1366 : kClass800, seat);
            p.frame = in.imageIndex;
        } else {
            p.name = Middle(classB, seat);
            p.frame = in.imageIndex;
        }
        break;
    case kTileThrown:
        p.name = Named(classA, "largecard");
        p.frame = face ? in.imageIndex : kLargeBackFrame;
        break;
    default:
        break;
    }
    return p;
}

std::vector<std::string> AllTilePictureNames()
{
    std::vector<std::string> names;
    for (const int sizeClass : {kClass800, kClass1024, kClass1366, kClass1600}) {
        names.push_back(Named(sizeClass, "largecard"));
        for (int seat = 0; seat < 3; ++seat) // the own hand shows the large set
            names.push_back(Name() << sizeClass << "_side" << seat);
        if (sizeClass != kClass1024) // its faces are the 1366 ones
            for (int set = 0; set < 4; ++set)
                names.push_back(Middle(sizeClass, set));
    }
    for (const char* backs : {"1366_deal", "1366_back", "1600_back", "wa1_deal", "wa2_deal", "wa3_deal"})
        for (const char* axis : {"02", "13"})
            names.push_back(Name() << backs << axis);
    return names;
}

} // namespace Lumora
