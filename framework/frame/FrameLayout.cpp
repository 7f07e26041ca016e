#include "framework/frame/FrameLayout.h"

#include <algorithm>

namespace framework {

int SidePanelWidth(bool fillsWorkArea, int workAreaWidth)
{
    if (!fillsWorkArea)
        return kNarrowPanelWidth;
    if (workAreaWidth >= kWideWorkArea)
        return kWidePanelWidth;
    return std::max(2 * workAreaWidth / 9, kNarrowPanelWidth);
}

int RestoredWidth(int workAreaWidth) { return workAreaWidth >= kWideWorkArea ? kWideRestoredWidth : kNarrowRestoredWidth; }

int LayoutWidthMode(bool fillsWorkArea, int workAreaWidth)
{
    return fillsWorkArea && workAreaWidth >= kWideWorkArea ? 2 : 1;
}

FrameRects LayoutRects(int viewWidth, int viewHeight, int panelWidth, int visiblePanelWidth, bool expanded,
                       double splitterWidth, int sideMargin)
{
    FrameRects r;
    r.panel.left = expanded ? viewWidth - visiblePanelWidth - sideMargin : viewWidth;
    r.panel.top = kTitleHeight;
    r.panel.right = r.panel.left + panelWidth;
    r.panel.bottom = viewHeight - kBorder;
    r.scene.left = sideMargin;
    r.scene.top = kTitleHeight;
    r.scene.right = int((expanded ? r.panel.left : viewWidth - sideMargin) - splitterWidth);
    r.scene.bottom = viewHeight - kBorder;
    return r;
}

} // namespace framework
