// Hole search and piece placement of the stand dialog's frame template.
#include "widgets/StandDlgLayout.h"

namespace Lumora {

TemplateCut CutTemplate(const AlphaAt& alpha, int left, int top, int width, int height)
{
    TemplateCut cut;
    const int right = left + width, bottom = top + height;
    cut.frame = {left, top, right, bottom};
    const int cx = left + width / 2;
    int y = top, end = bottom;
    while (y < end && alpha(cx, y) == 0)
        ++y;
    while (y < end - 1 && alpha(cx, end - 1) == 0)
        --end;
    while (y < end && alpha(cx, y) != 0)
        ++y;
    const int row = y < end ? y : top + height / 2;

    Rect& h = cut.hole;
    h = {cx, row, cx, row};
    while (h.left - 1 >= left && alpha(h.left - 1, row) == 0)
        --h.left;
    while (h.right < right && alpha(h.right, row) == 0)
        ++h.right;
    while (h.top - 1 >= top && alpha(cx, h.top - 1) == 0)
        --h.top;
    while (h.bottom < bottom && alpha(cx, h.bottom) == 0)
        ++h.bottom;

    const int xs[4] = {left, h.left, h.right, right};
    const int ys[4] = {top, h.top, h.bottom, bottom};
    for (size_t i = 0; i < 9; ++i)
        cut.pieces[i] = {xs[i % 3], ys[i / 3], xs[i % 3 + 1], ys[i / 3 + 1]};
    return cut;
}

NinePieces PlacePieces(const TemplateCut& cut, int clientWidth, int clientHeight, Rect& size)
{
    const int lw = cut.LeftBorder(), rw = cut.RightBorder(), th = cut.TopBorder(), bh = cut.BottomBorder();
    const int w = lw + rw + clientWidth, h = th + bh + clientHeight;
    size = {0, 0, w, h};
    const int xs[4] = {0, lw, w - rw, w};
    const int ys[4] = {0, th, h - bh, h};
    NinePieces pieces{};
    for (size_t i = 0; i < 9; ++i)
        pieces[i] = {xs[i % 3], ys[i / 3], xs[i % 3 + 1], ys[i / 3 + 1]};
    return pieces;
}

} // namespace Lumora
