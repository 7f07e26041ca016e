// The chat box's drawing: the text plane, embedded objects and the selection.
#include "widgets/CPglChatBox.h"

#include "engine/object/PlaneObject.h"

#include <cstring>

namespace Lumora {

using namespace chat_flag;
using namespace chat_style;

namespace {

constexpr uint32_t kSelectionColour = 0x7CA781;

} // namespace

void CPglChatBox::RequestRefresh()
{
    if (refreshPending_)
        return;
    if (style_ & kImmediateRefresh) {
        RefreshContent(true);
        return;
    }
    refreshPending_ = true;
    const EventRecord refresh{GetId(), EV_CHAT_REFRESH, 0, 0};
    if (!ActWait(5, &refresh))
        refreshPending_ = false;  // no engine to wait with: the next request tries again
}

void CPglChatBox::RedrawSelection()
{
    const ChatLayout& layout = doc_.layout;
    // Most refreshes (a new line) have nothing selected: a plane without marks stays as it is.
    if (!selection_ || (!selectionMarked_ && !layout.HasSelection()))
        return;
    selection_->Clear();
    selectionMarked_ = layout.HasSelection();
    if (layout.HasSelection()) {
        const ChatElement* a = layout.SelectionFrom();
        const ChatElement* b = layout.SelectionTo();
        if (layout.IndexOf(a) > layout.IndexOf(b))
            std::swap(a, b);
        selection_->SetPen(kSelectionColour, 1.0);
        const int sx = layout.ScrollX(), sy = layout.ScrollY();
        for (const ChatElement* e = a; e && e != b; e = e->next)
            if (!e->Is(kHidden))
                selection_->FillRect(e->x - sx, e->rowTop - sy, e->x - sx + e->width + e->gap, e->Bottom() - sy);
    }
    selection_->Redraw();
}

void CPglChatBox::PlaceObjectElement(const ChatElement& e, double z)
{
    PObject* object = FindById(e.code);
    if (!object || !text_)
        return;
    const ChatLayout& layout = doc_.layout;
    object->SetClipRect(ViewClip());
    object->SetZ(z);
    object->MoveTo(text_->GetLeft() + e.x - layout.ScrollX() + (e.width + 1) / 2,
                   text_->GetTop() + e.y - layout.ScrollY() + (e.height + 1) / 2);
    if (IsActive())
        object->Activate();
    object->Redraw();
    placed_.push_back(e.code);
}

void CPglChatBox::RefreshContent(bool reuse)
{
    refreshPending_ = false;
    ++redraws_;
    rendered_ = 0;
    if (!text_)
        return;
    ChatLayout& layout = doc_.layout;
    if (caretShown_)
        PlaceCaret(layout.Caret());
    HideAllPlaced();
    const int sx = layout.ScrollX(), sy = layout.ScrollY();
    const int vw = layout.viewWidth, vh = layout.viewHeight;
    const int surfaceWidth = text_->GetSurfaceWidth(), surfaceHeight = text_->GetSurfaceHeight();
    const size_t bytes = size_t(surfaceWidth) * surfaceHeight * 4;
    // Characters already drawn at the same x stay valid while nothing was laid out anew and
    // the view moved by less than its height: their pixels are copied instead of drawn again.
    const int regrownTop = layout.TakeRegrownTop();
    const bool keep = reuse && !(style_ & kEditable) && lastDrawnScrollY_ != kNeverDrawn &&
                      layout.Generation() == lastDrawnGeneration_ && sx == lastDrawnScrollX_ &&
                      std::abs(sy - lastDrawnScrollY_) < vh && text_->GetPixels();
    if (keep) {
        // The last pixels change places with the spare buffer: the clear below fills the plane.
        backStore_.resize(bytes);
        text_->SwapPixels(backStore_);
    }
    text_->Clear();
    const bool password = style_ & kPassword;
    // Rows lie top to bottom along the chain, so no element before the first element of a row
    // at or above the view's top reaches into the view.
    const ChatElement* start = layout.First();
    if (walkStart_ && walkStartGeneration_ == layout.Generation() && walkStart_->rowTop <= sy)
        start = walkStart_;
    const ChatElement* nextStart = start;
    // Kept characters that touch in one row are copied together, before anything is drawn.
    struct Run {
        int y = 0, height = 0, left = 0, right = 0;
    } run;
    const auto copyRun = [&] {
        for (int row = 0; row < run.height; ++row) {
            const int from = run.y - lastDrawnScrollY_ + row, to = run.y - sy + row;
            if (from < 0 || from >= surfaceHeight || to < 0 || to >= surfaceHeight)
                continue;
            std::memcpy(text_->GetPixels() + (size_t(to) * surfaceWidth + run.left) * 4,
                        backStore_.data() + (size_t(from) * surfaceWidth + run.left) * 4,
                        size_t(run.right - run.left) * 4);
        }
        run.height = 0;
    };
    int rowTop = INT32_MIN;
    for (const ChatElement* e = start; e; e = e->next) {
        if (e->rowTop != rowTop) {
            rowTop = e->rowTop;
            if (rowTop <= sy)
                nextStart = e;
        }
        if (e->Is(kHidden | kNotDrawn) || e->Bottom() <= sy)
            continue;
        if (e->rowTop >= sy + vh)
            break;
        if (e->x >= sx + vw || e->x + e->width <= sx)
            continue;
        if (e->Is(kObject)) {
            PlaceObjectElement(*e, text_->GetZ() + 0.001);
            continue;
        }
        if (e->Is(kLineBreak) || e->fontHeight == 0)
            continue;
        const bool drawnBefore = e->rowTop < lastPointRowTop_ || (e->rowTop == lastPointRowTop_ && e->x <= lastPointX_);
        if (keep && drawnBefore && e->rowTop < regrownTop && e->y >= lastDrawnScrollY_ &&
            e->Bottom() <= lastDrawnScrollY_ + vh) {
            const int left = std::max(0, e->x - sx), right = std::min(surfaceWidth, e->x - sx + e->width + e->gap);
            if (right > left) {
                if (run.height && (run.y != e->y || run.height != e->height || run.right != left))
                    copyRun();
                if (run.height)
                    run.right = right;
                else
                    run = {e->y, e->height, left, right};
            }
            text_->NoteText({left, e->y - sy, right, e->y - sy + e->height}, password ? "*" : e->Text(), false);
            continue;
        }
        copyRun();
        text_->SetFont(e->fontHeight, e->Is(kBold) ? 700 : 400, doc_.faces.Name(e->face));
        text_->SetItalic(e->Is(kItalic));
        text_->SetUnderline(e->Is(kUnderline));
        text_->SetPen(e->colour, 1.0);
        const std::string shown = password ? std::string(e->Is(kTwoByte) ? "**" : "*") : e->Text();
        text_->DrawTextLine(e->x - sx, e->y - sy, shown);
        ++rendered_;
    }
    copyRun();
    text_->Redraw();
    walkStart_ = nextStart;
    walkStartGeneration_ = layout.Generation();
    lastDrawnScrollY_ = sy;
    lastDrawnScrollX_ = sx;
    lastDrawnGeneration_ = layout.Generation();
    lastPointRowTop_ = layout.Last() ? layout.Last()->rowTop : INT32_MIN;
    lastPointX_ = layout.Last() ? layout.Last()->x : INT32_MIN;
    RedrawSelection();
    UpdateScrollBars();
}

} // namespace Lumora
