#pragma once
// The geometry of a skinned stand dialog, without the engine: finding the transparent hole of a
// frame template (the client area) from its alpha channel, the nine source pieces around it,
// and the nine destination pieces for a client area of any size. CXyStandDlg draws with them.
#include "engine/geometry/ObjectGeometry.h"

#include <array>
#include <functional>

namespace Lumora {

// Pieces in the order top-left, top, top-right, left, client, right, bottom-left, bottom,
// bottom-right; the client piece of the template is the hole and is never drawn.
using NinePieces = std::array<Rect, 9>;
inline constexpr size_t kClientPiece = 4;

struct TemplateCut {
    Rect frame;          // the template within its picture
    Rect hole;           // [left, right) x [top, bottom)
    NinePieces pieces{};
    int LeftBorder() const { return hole.left - frame.left; }
    int RightBorder() const { return frame.right - hole.right; }
    int TopBorder() const { return hole.top - frame.top; }
    int BottomBorder() const { return frame.bottom - hole.bottom; }
};

// Alpha 0-255 of a picture pixel in picture coordinates; 0 is transparent.
using AlphaAt = std::function<unsigned(int x, int y)>;

// The hole is searched on the middle column: transparent margins above and below the frame
// are skipped, then the opaque upper border; without a hole there the search starts at the
// vertical middle. The hole grows sideways along its row and up and down along the column.
TemplateCut CutTemplate(const AlphaAt& alpha, int left, int top, int width, int height);

// The dialog's pieces for a client area of cw x ch with the template's borders; `size` gets
// {0, 0, W, H}.
NinePieces PlacePieces(const TemplateCut& cut, int clientWidth, int clientHeight, Rect& size);

} // namespace Lumora
