// The metric tables by size class and surface height, the margins and the scale helpers.
#include "mahjong/tiles/TileMetrics.h"

namespace Lumora {

namespace {

// TM0-TM27, one row per class: 800, 1024, 1366, 1600.
constexpr int kByClass[4][28] = {
    {50, 72, 36, 20, 26, 28, 10, 20, 36, 10, 26, 28, 10, 20, 36, 10, 26, 28, 10, 14, 27, 15, 26, 29, 9, 14, 27, 15},
    {54, 78, 36, 20, 26, 28, 10, 25, 44, 11, 32, 35, 11, 25, 44, 11, 32, 35, 11, 18, 34, 18, 32, 36, 10, 18, 34, 18},
    {58, 86, 36, 20, 26, 28, 10, 25, 44, 11, 32, 35, 11, 25, 44, 11, 32, 35, 11, 20, 39, 21, 36, 43, 11, 20, 39, 21},
    {64, 94, 44, 24, 32, 34, 12, 29, 50, 13, 36, 41, 13, 29, 50, 13, 36, 41, 13, 24, 46, 24, 42, 49, 13, 24, 46, 24},
};

// TM33-TM49, one row per surface height: up to 600, 601 to 900, over 900.
constexpr int kByHeight[3][17] = {
    {11, 20, 14, 17, 5, 20, 36, 10, 26, 28, 10, 20, 36, 10, 26, 28, 10},
    {13, 23, 16, 18, 6, 20, 36, 10, 26, 28, 10, 20, 36, 10, 26, 28, 10},
    {14, 26, 20, 22, 7, 25, 44, 11, 32, 35, 11, 25, 44, 11, 32, 35, 11},
};

int ClassRow(TileSizeClass c)
{
    switch (c) {
    case kClass800:
        return 0;
    case kClass1024:
        return 1;
    case kClass1366:
        return 2;
    default:
        return 3;
    }
}

} // namespace

TileSizeClass MetricSizeClass(int surfaceWidth, const Rect& table)
{
    const int w = table.right - table.left, h = table.bottom - table.top;
    if (surfaceWidth < 1024 || w < 800 || h <= 600)
        return kClass800;
    if (surfaceWidth >= 1600)
        return kClass1600;
    return surfaceWidth < 1366 ? kClass1024 : kClass1366;
}

TileSizeClass MiddleSizeClass(int surfaceWidth, const Rect& table)
{
    const TileSizeClass c = MetricSizeClass(surfaceWidth, table);
    return c == kClass1024 ? kClass1366 : c;
}

TileMetrics ComputeTileMetrics(int surfaceWidth, int surfaceHeight, const Rect& table, double scale)
{
    TileMetrics m;
    const int* byClass = kByClass[ClassRow(MetricSizeClass(surfaceWidth, table))];
    for (int i = 0; i < 28; ++i)
        m.tm[std::size_t(i)] = int(byClass[i] * scale);
    const int* byHeight = kByHeight[surfaceHeight <= 600 ? 0 : surfaceHeight <= 900 ? 1 : 2];
    for (int i = 0; i < 17; ++i)
        m.tm[std::size_t(33 + i)] = int(byHeight[i] * scale);
    return m;
}

TileMargins ComputeTileMargins(int sw, int sh)
{
    TileMargins m;
    m.side = sw <= 800 ? 15 : 30;
    m.vert = sh <= 600 ? 0 : sh < 768 ? 5 : sh < 900 ? 7 : 9;
    m.discSide = sw >= 1600 ? 120 : sw >= 1280 ? 60 : 3;
    m.discTop = 3;
    m.discBottom = sh <= 600 ? 50 : 65;
    return m;
}

int ScaleX25(double scale) { return int(scale * 25); }
int ScaleX37(double scale) { return int(scale * 37); }
int ScaleX110(double scale) { return int(scale * 110); }

double ScaleTile(double scale, int totalTiles) { return scale * (totalTiles == 108 ? 160 : 210); }

Rect ScaleLayout(const Rect& table, int surfaceWidth, bool frameModeOn, int totalTiles)
{
    const double scale = surfaceWidth <= 800 && frameModeOn ? 0.75 : 1.0;
    const int w = int(ScaleTile(scale, totalTiles)), h = ScaleX110(scale);
    const int cx = table.left + (table.right - table.left) / 2 + ScaleX25(scale);
    const int cy = table.top + (table.bottom - table.top) / 2 - ScaleX37(scale);
    return Rect{cx - w / 2, cy - h / 2, cx - w / 2 + w, cy - h / 2 + h};
}

} // namespace Lumora
