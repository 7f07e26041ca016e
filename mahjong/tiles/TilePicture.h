#pragma once
// Which picture a tile shows: a pure choice from the tile's fields and the surface, so that
// every naming rule can be checked without an engine. The tile view applies the choice.
//
// Picture names are the size class, an underscore and the set: "1366_largecard" (own hand and
// thrown tile, faces by picture index, frame 47 the back), "800_side0" (other seats' hands),
// "1600_middle2" (faces turned for a seat), "1366_back13", "wa2_deal02" (backs and walls).
#include "engine/geometry/ObjectGeometry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Lumora {

// Face frames 0-41 exist in every face set; the large sets add these.
inline constexpr int kFaceFrames = 42;
inline constexpr int kLargeSpecialFrame = 42;
inline constexpr int kLargeBackFrame = 47;
// Only tiles 0-143 have a face picture.
inline constexpr int kLastFaceTile = 143;
// Opacities of a face in the own hand; the last that applies wins.
inline constexpr double kDimmed9Alpha = 0.9;
inline constexpr double kDimmed6Alpha = 0.6;
inline constexpr double kJokerAlpha = 0.7;
// Key colour of a joker's face in the own hand (a Windows colour value).
inline constexpr uint32_t kJokerKeyColour = 0x120AF5;
// Scales of small surfaces while the splitter reports its flag.
inline constexpr double kScaleSmall = 0.75;
inline constexpr double kScaleMedium = 0.83;

struct TilePictureInput {
    int state = 0;
    int seat = -1;
    int tile = 200;
    int imageIndex = 0;   // GetImageIndex of the tile
    bool faceUp = false;
    bool inHand = false;
    int facing = 0;
    int layoutMode = 1;
    bool dimmed9 = false;
    bool dimmed6 = false;
    bool jokerMark = false;
    int surfaceWidth = 0, surfaceHeight = 0;
    Rect table;
    bool splitterFlag = false;
    double discardScale = 1.0; // a crowded table's discards are drawn smaller
    bool operator==(const TilePictureInput&) const = default;
};

struct TilePicture {
    std::string name;         // empty: nothing to show
    int frame = 0;
    double alpha = 1.0;
    bool jokerKey = false;    // key colour kJokerKeyColour instead of the usual key
    double scale = 1.0;
    // Area-layout wall faces take the size of this wall picture: by width for seats 0 and 2,
    // by height for seats 1 and 3.
    std::string ratioPicture;
    bool ratioByWidth = false;
    bool operator==(const TilePicture&) const = default;
};

// True when the tile may show the face of picture index `imageIndex`.
bool HasFace(int tile, int imageIndex);
TilePicture ChooseTilePicture(const TilePictureInput& in);
// Every picture ChooseTilePicture names, of every size class: a table that decodes them when it is
// made lays out any size without decoding a picture then.
std::vector<std::string> AllTilePictureNames();
// The scale of tiles on the surface: 0.75 up to 800, 0.83 below 1024, only with the flag.
double TileScale(int surfaceWidth, bool splitterFlag);

} // namespace Lumora
