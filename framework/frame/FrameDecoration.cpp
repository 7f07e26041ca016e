// The frame's own window chrome: the four border planes, the title plane and its six buttons, the
// splitter, the table background under the scene, the published widget settings, and the
// window placement the title bar drives (maximise and restore, minimise, drag).
#include "framework/frame/CXyGameFrame.h"

#include "engine/host/LumoraWnd.h"
#include "engine/input/InputData.h"
#include "engine/object/PlaneObject.h"
#include "framework/frame/FrameApp.h"
#include "framework/frame/FrameEvents.h"
#include "framework/frame/FrameLayout.h"
#include "framework/frame/FrameSupport.h"
#include "platform/DisplayWindow.h"
#include "widgets/CCySplitterBar.h"
#include "widgets/CXyStandButton.h"

#include <algorithm>

using namespace Lumora;
using namespace framework;

namespace {

constexpr uint32_t kBorderKey = 0xFF00FF;
constexpr uint32_t kMissingBorderFill = 0x4CB122;
constexpr double kTopZ = 100100.0;
constexpr double kSideZ = 100000.0;
constexpr double kBottomZ = 100001.0;
constexpr uint32_t kTitleLinks = 0x1980A3;
constexpr int kTitleWidth = 200;
constexpr int kButtonMargin = 4;

platform::DisplayWindow* MainWindow()
{
    IFrameApp* app = GetFrameApp();
    CLumoraWnd* wnd = app ? app->GetMainWnd() : nullptr;
    return wnd ? wnd->GetWindow() : nullptr;
}

int OrDefault(int value, int fallback) { return value > 0 ? value : fallback; }

} // namespace

void CXyGameFrame::PublishSettings(int setting50007, bool colours)
{
    PictureInfo scroll;
    const char* name = GetSettingString(27);
    GetRes(scroll, name && *name ? name : "ScrollBar_HorzBack", 0);
    SetSetting(50007, setting50007);
    SetSetting(50009, 26);
    SetSetting(50010, 70);
    SetSetting(50008, 22);
    if (colours) {
        SetSetting(50013, 0x147800);
        SetSetting(50014, 0xE6641E);
    }
    SetSetting(50011, scroll.height);
    SetSetting(kBoxCounterSetting, 1);
}

void CXyGameFrame::LoadColours() { PublishSettings(28, true); }

PlaneObject* CXyGameFrame::MakeBorderPlane(const PictureInfo& picture, int width, int height)
{
    const bool present = picture.width > 0 && picture.height > 0;
    PlaneObject* plane = NewPlane(width, height, present ? kBorderKey : kMissingBorderFill);
    return plane;
}

void CXyGameFrame::FoldPanelIfNarrow(int width)
{
    if (width <= FoldWidthLimit() && splitter_ && splitter_->IsExpanded()) {
        splitter_->SetCollapsed(1);
        visiblePanelWidth_ = 0;
    }
}

void CXyGameFrame::CreateFrameButtons()
{
    PictureInfo top, bottom, left, right;
    GetRes(top, "Frame_Top", 0);
    GetRes(bottom, "Frame_Bottom", 0);
    GetRes(left, "Frame_Left", 0);
    GetRes(right, "Frame_Right", 0);
    const int v = GetViewWidth(), h = GetViewHeight();
    if (!topPlane_) {
        topPlane_ = MakeBorderPlane(top, std::max(1, v), OrDefault(top.height, defaultTopHeight_));
        if (topPlane_) {
            topPlane_->AddEventHook(EV_LBUTTON_DOUBLE, GetId(), EV_FRAME_FIT, 0, 0);
            topPlane_->AddEventHook(EV_LBUTTON_DRAG, GetId(), EV_FRAME_DRAG, 0, 0);
            topPlane_->AddEventHook(EV_LBUTTON_DOWN, GetId(), EV_FRAME_DRAG_BEGIN, 0, 0);
            topPlane_->AddEventHook(EV_LBUTTON_UP, GetId(), EV_FRAME_DRAG_END, 0, 0);
            topPlane_->AddEventHook(EV_FOCUS_LEFT, GetId(), EV_FRAME_DRAG_END, 0, 0);
        }
    }
    if (!leftPlane_)
        leftPlane_ = MakeBorderPlane(left, OrDefault(left.width, defaultSideWidth_), std::max(1, h));
    if (!rightPlane_)
        rightPlane_ = MakeBorderPlane(right, OrDefault(right.width, defaultSideWidth_), std::max(1, h));
    if (!bottomPlane_)
        bottomPlane_ = MakeBorderPlane(bottom, std::max(1, v), OrDefault(bottom.height, defaultBottomHeight_));

    struct Title {
        CXyStandButton** slot;
        const char* face;
        uint32_t code;
    } const titles[] = {
        {&closeButton_, "btnFrameClose", EV_FRAME_CLOSE}, {&fitButton_, "btnFrameFit", EV_FRAME_FIT},
        {&minimiseButton_, "btnFrameMin", EV_FRAME_MINIMISE}, {&settingsButton_, "btnSet2", EV_FRAME_SETTINGS},
        {&helpButton_, "btnHelp2", EV_FRAME_HELP},         {&shopButton_, "btnShop2", EV_FRAME_SHOP},
    };
    for (const Title& t : titles) {
        if (*t.slot)
            continue;
        *t.slot = NewFaceButton(*this, t.face, {GetId(), t.code, 0, 0}, 0, ButtonSounds::Game);
    }
    if (!splitter_)
        splitter_ = NewChild<CCySplitterBar>();
    if (const std::optional<platform::Rect> area = WorkArea())
        FoldPanelIfNarrow(area->Width());
}

void CXyGameFrame::DrawTableHalo(int inset)
{
    const int v = GetViewWidth(), h = GetViewHeight();
    // From nothing: the halo is translucent, and every layout (a fold, a resize) would lay it
    // over the last one, so the felt would depend on how the view came to its size.
    ClearBackground(0);
    PictureInfo pattern;
    GetRes(pattern, "TablePatten", 0);
    if (pattern.width > 0 && pattern.height > 0)
        for (int y = 0; y < h; y += pattern.height)
            for (int x = 0; x < v; x += pattern.width)
                DrawRes(pattern, x, y, pattern.width, pattern.height, 0);
    if (!GetMainGame())
        return;
    const Rect r = SceneRect();
    const int w = r.right - r.left, hh = r.bottom - r.top;
    PictureInfo halo;
    GetRes(halo, "TableHalo", 0);
    const int side = std::min(w, hh);
    if (halo.width > 0 && side > 0)
        DrawRes(halo, r.left + w / 2 - side / 2, r.top + hh / 2 - side / 2, side, side, 0);
    struct Corner {
        const char* name;
        bool right, bottom;
    } const corners[] = {{"TableCornerLT", false, false},
                         {"TableCornerRT", true, false},
                         {"TableCornerLB", false, true},
                         {"TableCornerRB", true, true}};
    for (const Corner& c : corners) {
        PictureInfo p;
        GetRes(p, c.name, 0);
        if (p.width <= 0 || p.height <= 0)
            continue;
        const int x = c.right ? r.right - p.width - inset : r.left + inset;
        const int y = c.bottom ? r.bottom - p.height - inset : r.top + inset;
        DrawRes(p, x, y, p.width, p.height, 0);
    }
}

void CXyGameFrame::CreateTableBackground()
{
    DrawTableHalo(0);
    CreateFrameTop();
    CreateFrameLeft();
    CreateFrameRight();
    CreateFrameBottom();
    CreateSplitter();
}

void CXyGameFrame::DrawFrameBorderTop()
{
    if (!topPlane_)
        return;
    const int v = GetViewWidth();
    PictureInfo top;
    GetRes(top, "Frame_Top", 0);
    const int hT = OrDefault(top.height, defaultTopHeight_);
    topPlane_->ResizeSurface(std::max(1, v), hT);
    topPlane_->SetSize(std::max(1, v), hT);
    topPlane_->Clear();
    if (top.width > 0)
        for (int x = 0; x < v; x += top.width)
            topPlane_->DrawPicture(top, x, 0, top.width, top.height);
    PictureInfo l, m, r;
    GetRes(l, "FramePatternLeft", 0);
    GetRes(r, "FramePatternRight", 0);
    GetRes(m, "FramePatternMiddle", 0);
    if (l.width > 0)
        topPlane_->DrawPicture(l, 0, 0, l.width, l.height);
    if (r.width > 0)
        topPlane_->DrawPicture(r, v - r.width, 0, r.width, r.height);
    if (m.width > 0)
        topPlane_->DrawPicture(m, v / 2 - m.width / 2, 0, m.width, m.height);
    const int yT = (hT + 1) / 2;
    topPlane_->SetZ(kTopZ);
    topPlane_->MoveTo(v / 2.0, yT);
    topPlane_->Activate();
    topPlane_->Redraw();
}

void CXyGameFrame::PlaceTitleButtons(int gapHelp, int gapSettings, int gapShop, int helpDrop)
{
    PictureInfo top;
    GetRes(top, "Frame_Top", 0);
    const int hT = OrDefault(top.height, defaultTopHeight_);
    const int yT = (hT + 1) / 2;
    const int v = GetViewWidth();
    auto width = [](CXyStandButton* b) { return b ? int(b->GetWidth()) : 0; };
    auto place = [&](CXyStandButton* b, int x, int y) {
        if (!b)
            return;
        b->MoveTo(x, y);
        b->Activate();
        b->Redraw();
    };
    const int wc = width(closeButton_), wf = width(fitButton_), wm = width(minimiseButton_);
    place(closeButton_, int(v - wc / 2.0 - kButtonMargin), yT);
    place(fitButton_, int(v - wc - wf / 2.0 - kButtonMargin), yT);
    place(minimiseButton_, int(v - wc - wf - wm / 2.0 - kButtonMargin), yT);
    int n = v - wc - wf - wm - kButtonMargin;
    struct Extra {
        CXyStandButton* button;
        int gap, drop;
    } const extras[] = {{helpButton_, gapHelp, helpDrop}, {settingsButton_, gapSettings, 0}, {shopButton_, gapShop, 0}};
    for (const Extra& e : extras) {
        if (!e.button)
            continue;
        const int w = width(e.button);
        place(e.button, int(n - e.gap - w / 2.0), yT + e.drop);
        // Only the width moves the edge on: each gap counts from the edge left by the button
        // before, not from that button's own gap.
        n -= w;
    }
    MakeTitlePlane(hT, yT);
}

void CXyGameFrame::MakeTitlePlane(int topHeight, int yT)
{
    if (!topPlane_)
        return;
    if (!titlePlane_) {
        titlePlane_ = NewPlane(kTitleWidth, topHeight, kBorderKey);
        if (!titlePlane_)
            return;
        titlePlane_->SetFont(12, 400, kDialogFace);
        IFrameApp* app = GetFrameApp();
        titlePlane_->SetPen(app ? app->GetTitleTextColour() : 0xFFFFFF, 1.0);
        PictureInfo icon;
        GetRes(icon, "GameIcon", 0);
        if (icon.width > 0)
            titlePlane_->DrawPicture(icon, 10, yT - icon.height / 2, icon.width, icon.height);
        if (app)
            titlePlane_->DrawTextLine(icon.width + 15, yT - 7, app->GetGameName());
        titlePlane_->MoveTo(topPlane_->GetLeft() + kTitleWidth / 2.0, topPlane_->GetY());
        titlePlane_->Activate();
        titlePlane_->SetZ(topPlane_->GetZ() + 0.0000001);
        topPlane_->AddChild(titlePlane_, kTitleLinks);
    } else {
        titlePlane_->MoveTo(topPlane_->GetLeft() + kTitleWidth / 2.0, topPlane_->GetY());
    }
    titlePlane_->Redraw();
}

void CXyGameFrame::CreateFrameTop()
{
    DrawFrameBorderTop();
    PlaceTitleButtons(0, 0, 0, 0);
}

namespace {

void StretchSide(CGameBase& frame, PlaneObject* plane, const char* name, int fallback, bool left, int centreX)
{
    if (!plane)
        return;
    PictureInfo p;
    frame.GetRes(p, name, 0);
    const int w = OrDefault(p.width, fallback), h = std::max(1, frame.GetViewHeight());
    plane->ResizeSurface(w, h);
    plane->SetSize(w, h);
    plane->Clear();
    if (p.width > 0 && p.height > 0)
        plane->DrawPicture(p, 0, 0, w, h);
    plane->SetZ(kSideZ);
    const int v = frame.GetViewWidth();
    plane->MoveTo(centreX >= 0 ? centreX : (left ? w / 2.0 : v - w / 2.0), h / 2.0);
    plane->Activate();
    plane->Redraw();
}

} // namespace

void CXyGameFrame::CreateFrameLeft() { StretchSide(*this, leftPlane_, "Frame_Left", defaultSideWidth_, true, -1); }

void CXyGameFrame::CreateFrameRight() { StretchSide(*this, rightPlane_, "Frame_Right", defaultSideWidth_, false, -1); }

void CXyGameFrame::CreateFrameBottom()
{
    if (!bottomPlane_)
        return;
    PictureInfo b, l, r;
    GetRes(b, "Frame_Bottom", 0);
    GetRes(l, "Frame_Left", 0);
    GetRes(r, "Frame_Right", 0);
    const int v = std::max(1, GetViewWidth()), h = GetViewHeight();
    const int hB = OrDefault(b.height, defaultBottomHeight_);
    bottomPlane_->ResizeSurface(v, hB);
    bottomPlane_->SetSize(v, hB);
    bottomPlane_->Clear();
    if (b.width > 0 && b.height > 0)
        bottomPlane_->DrawPicture(b, 0, 0, v, hB);
    if (l.height > 0)
        bottomPlane_->DrawPicture(l, 0, 0, l.width, b.height - 1);
    if (r.height > 0)
        bottomPlane_->DrawPicture(r, v - r.width, 0, r.width, b.height - 1);
    bottomPlane_->SetZ(kBottomZ);
    bottomPlane_->MoveTo(v / 2.0, h - hB / 2.0);
    bottomPlane_->Activate();
    bottomPlane_->Redraw();
}

void CXyGameFrame::CreateSplitter()
{
    if (!splitter_)
        return;
    PictureInfo bg;
    GetRes(bg, "左右分隔条_bg", 0);
    const int w = bg.width > 0 ? bg.width : int(splitter_->GetWidth());
    Rect r;
    if (GetMainGame())
        GetMainGame()->GetBounds(r);
    else
        GetBounds(r);
    const int height = r.bottom - r.top;
    if (w <= 0 || height <= 0)
        return;
    splitter_->SetSize(w, height);
    splitter_->MoveTo(r.right + w / 2.0, r.top + (height + 1) / 2);
    splitter_->Activate();
    splitter_->Redraw();
    splitter_->Layout();
}

void CXyGameFrame::SetFitFace(const char* picture)
{
    if (!fitButton_)
        return;
    PictureInfo face;
    GetRes(face, picture, 0);
    if (face.width > 0)
        fitButton_->SetFacePicture(face, false);
    fitButton_->Redraw();
}

void CXyGameFrame::OnBtnFrameMax()
{
    platform::DisplayWindow* window = MainWindow();
    const std::optional<platform::Rect> area = WorkArea();
    if (!window || !area)
        return;
    if (CheckWindowMaximized() == 1) {
        fillsWorkArea_ = 0;
        sidePanelWidth_ = visiblePanelWidth_ = kNarrowPanelWidth;
        const int w = GetRestoredWidth();
        if (w <= 800 && splitter_ && splitter_->IsExpanded()) {
            splitter_->SetCollapsed(1);
            visiblePanelWidth_ = 0;
        }
        if (splitter_ && !splitter_->IsExpanded())
            visiblePanelWidth_ = 0;
        // The move re-enters OnSize with the new size; nothing of the layout is touched after it.
        window->Move({restoredX_, restoredY_, restoredX_ + w, restoredY_ + GetRestoredHeight()});
        maximised_ = 0;
        SetFitFace("btnFrameMax");
    } else {
        fillsWorkArea_ = 1;
        sidePanelWidth_ = visiblePanelWidth_ = GetSidePanelWidth();
        FoldPanelIfNarrow(area->Width());
        if (splitter_ && !splitter_->IsExpanded())
            visiblePanelWidth_ = 0;
        window->Move(*area);
        maximised_ = 1;
        SetFitFace("btnFrameFit");
    }
}

void CXyGameFrame::MinimizeWindow()
{
    if (platform::DisplayWindow* window = MainWindow())
        window->Minimise();
}

bool CXyGameFrame::OnTitleButton(int x, int y) const
{
    for (const CXyStandButton* b :
         {closeButton_, fitButton_, minimiseButton_, settingsButton_, helpButton_, shopButton_})
        if (const PObject* face = b ? b->GetFace() : nullptr; face && face->IsActive() && x >= face->GetLeft() &&
            x < face->GetRight() && y >= face->GetTop() && y < face->GetBottom())
            return true;
    return false;
}

void CXyGameFrame::BeginWindowDrag(int x, int y)
{
    if (OnTitleButton(x, y))
        return;
    const std::optional<platform::Rect> r = MainWindowRect();
    if (!r)
        return;
    dragAnchorX_ = x + r->left;
    dragAnchorY_ = y + r->top;
}

void CXyGameFrame::EndWindowDrag() { dragAnchorX_ = dragAnchorY_ = -1; }

void CXyGameFrame::DragWindow()
{
    if (dragAnchorX_ == -1 || dragAnchorY_ == -1)
        return;
    platform::DisplayWindow* window = MainWindow();
    if (!window)
        return;
    const platform::Point cursor = window->ScreenCursorPos();
    const platform::Rect r = window->ScreenRect();
    const int ww = r.Width(), hw = r.Height();
    if (CheckWindowMaximized() == 1) {
        if (ww > 0 && hw > 0) {
            restoredX_ = (ww - GetRestoredWidth()) * cursor.x / ww;
            restoredY_ = (hw - GetViewHeight()) * cursor.y / hw;
        }
        OnBtnFrameMax();
        return;
    }
    restoredX_ += cursor.x - dragAnchorX_;
    restoredY_ += cursor.y - dragAnchorY_;
    // Kept on the work area: a window dragged past its edge could not be reached again.
    const platform::Rect area = window->WorkArea();
    restoredX_ = std::max(area.left, std::min(restoredX_, area.right - ww));
    restoredY_ = std::max(area.top, std::min(restoredY_, area.bottom - hw));
    window->Move({restoredX_, restoredY_, restoredX_ + ww, restoredY_ + hw});
    dragAnchorX_ = cursor.x;
    dragAnchorY_ = cursor.y;
}
