#pragma once
// The arithmetic of the emoticon picker's pages: which cell a point falls in, which face a
// cell of a page shows, how many pages the faces fill and where page steps stop. A grid of
// columns x rows cells shows one page; a full last page is followed by no empty one.
#include <cstddef>

namespace Lumora {

struct FaceGrid {
    int columns = 0;
    int rows = 0;
    int cellSize = 32;
    int margin = 0;

    // A cell is the face plus its margin on both sides.
    int Cell() const { return cellSize + 2 * margin; }
    int Cells() const { return columns > 0 && rows > 0 ? columns * rows : 0; }
};

// 0 for a grid without cells; otherwise enough pages for every face, and at least one.
int FacePageCount(size_t faceCount, const FaceGrid& grid);
// The cell number (row * columns + column) under a point relative to the grid's top left,
// or -1 outside the grid.
int FaceCellAt(int x, int y, const FaceGrid& grid);
// The face shown by a cell of a page, or -1 when the cell is outside the grid or empty.
int FaceIndexAt(int page, int cell, size_t faceCount, const FaceGrid& grid);
// The page after a step of delta, kept within 0 ... pageCount - 1 (0 without pages).
int StepFacePage(int page, int delta, int pageCount);

} // namespace Lumora
