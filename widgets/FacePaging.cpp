#include "widgets/FacePaging.h"

#include <algorithm>

namespace Lumora {

int FacePageCount(size_t faceCount, const FaceGrid& grid)
{
    const size_t cells = size_t(grid.Cells());
    if (cells == 0)
        return 0;
    const size_t pages = (faceCount + cells - 1) / cells;
    return int(std::max<size_t>(1, pages));
}

int FaceCellAt(int x, int y, const FaceGrid& grid)
{
    const int cell = grid.Cell();
    if (grid.Cells() == 0 || cell < 1 || x < 0 || y < 0)
        return -1;
    const int c = x / cell;
    const int r = y / cell;
    if (c >= grid.columns || r >= grid.rows)
        return -1;
    return r * grid.columns + c;
}

int FaceIndexAt(int page, int cell, size_t faceCount, const FaceGrid& grid)
{
    const int cells = grid.Cells();
    if (page < 0 || cell < 0 || cell >= cells)
        return -1;
    const size_t index = size_t(page) * size_t(cells) + size_t(cell);
    return index < faceCount ? int(index) : -1;
}

int StepFacePage(int page, int delta, int pageCount)
{
    if (pageCount < 1)
        return 0;
    return std::clamp(page + delta, 0, pageCount - 1);
}

} // namespace Lumora
