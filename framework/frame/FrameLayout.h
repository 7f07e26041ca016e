#pragma once
// The in-game frame's layout numbers, without the engine: the side panel's width for a work
// area, the restored window size, the width mode the splitter restores, the rectangles of the
// scene and the side panel for a view size, and where the frame's dialogs rest. CXyGameFrame
// applies them.
#include "engine/geometry/ObjectGeometry.h"

namespace framework {

inline constexpr int kBorder = 4;
inline constexpr int kTitleHeight = 25;
inline constexpr int kNarrowPanelWidth = 250;
inline constexpr int kWidePanelWidth = 282;
inline constexpr int kWideWorkArea = 1280;
inline constexpr int kRestoredHeight = 600;
inline constexpr int kNarrowRestoredWidth = 800;
inline constexpr int kWideRestoredWidth = 1050;
// The smallest size the frame lays out well (its smallest restored size): the main window is
// never made smaller.
inline constexpr int kSmallestWidth = kNarrowRestoredWidth;
inline constexpr int kSmallestHeight = kRestoredHeight;

// 250 in the restored size; in a window that fills its work area 282 from 1280 pixels on,
// else two ninths of the work area but at least 250.
int SidePanelWidth(bool fillsWorkArea, int workAreaWidth);
// 1050 on a work area of 1280 pixels or more, else 800.
int RestoredWidth(int workAreaWidth);
// The width mode of the layout with the panel shown: 2 in a window filling a wide work area.
int LayoutWidthMode(bool fillsWorkArea, int workAreaWidth);

struct FrameRects {
    Lumora::Rect panel;
    Lumora::Rect scene;
};
// With the splitter folded the panel lies right of the view and the scene takes its place.
// The side margin is the gap at the view's left and right edges.
FrameRects LayoutRects(int viewWidth, int viewHeight, int panelWidth, int visiblePanelWidth, bool expanded,
                       double splitterWidth, int sideMargin = kBorder);

// Where a dialog of the frame rests: the view's or the scene's centre, or on the view's lower
// right corner (the asks of other users, slid in from below). Placed again by its rule on every
// resize, so that one shown at another size stands where a new one would.
enum class DialogPlace { ViewCentre, SceneCentre, BottomRight };
struct Spot {
    double x = 0, y = 0;
};
// The centre of a box of `width` x `height` nearest (x, y) that keeps it whole inside `area`; in an
// area too small for it the left and top edges win.
Spot KeepWhole(const Lumora::Rect& area, double x, double y, double width, double height);
// The centre of a dialog at rest by its rule, whole inside the view. On the corner it keeps
// kDialogGap from the view's right edge and `bottomGap` from its bottom.
inline constexpr double kDialogGap = 4;
Spot DialogRest(DialogPlace place, const Lumora::Rect& view, const Lumora::Rect& scene, double width, double height,
                double bottomGap);

} // namespace framework
