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

Spot KeepWhole(const Lumora::Rect& area, double x, double y, double width, double height)
{
    const double hw = width / 2, hh = height / 2;
    return {std::max(std::min(x, area.right - hw), area.left + hw),
            std::max(std::min(y, area.bottom - hh), area.top + hh)};
}

Spot DialogRest(DialogPlace place, const Lumora::Rect& view, const Lumora::Rect& scene, double width, double height,
                double bottomGap)
{
    // On whole pixels, as the centred boxes always stood.
    const auto centre = [](const Lumora::Rect& r) {
        return Spot{double(r.left + (r.right - r.left) / 2), double(r.top + (r.bottom - r.top) / 2)};
    };
    Spot at;
    switch (place) {
    case DialogPlace::ViewCentre: at = centre(view); break;
    case DialogPlace::SceneCentre: at = centre(scene); break;
    case DialogPlace::BottomRight:
        at = {view.right - width / 2 - kDialogGap, view.bottom - height / 2 - bottomGap};
        break;
    }
    return KeepWhole(view, at.x, at.y, width, height);
}

} // namespace framework
