// The chat box's scroll bars and scrolling.
#include "widgets/CPglChatBox.h"

#include "engine/object/PlaneObject.h"
#include "widgets/CXyScrollBar.h"

#include <algorithm>

namespace Lumora {

using namespace chat_flag;
using namespace chat_style;

namespace {

// A scroll bar follows the background it sits on in place, size and activation, not in scale or alpha.
constexpr uint32_t kScrollBarLinks =
    LINK_OWNED | LINK_ROTATE | LINK_REDRAW | LINK_RESIZE | LINK_ACTIVATION | LINK_Z | LINK_MOVE;
static_assert(kScrollBarLinks == 0x190A3);

} // namespace

void CPglChatBox::CreateScrollBars()
{
    const bool vertical = !(style_ & kSingleLine);
    CXyScrollBar*& bar = vertical ? vbar_ : hbar_;
    if (bar || !background_)
        return;
    auto* made = NewChild<CXyScrollBar>();
    if (!made)
        return;
    const uint32_t first = vertical ? 22 : 27;
    PictureInfo skins[5];
    for (uint32_t i = 0; i < 5; ++i)
        if (const char* name = GetSettingString(first + i))
            GetPicture(skins[i], name, 0);
    const int thickness = skins[0].image ? (vertical ? skins[0].width : skins[0].height) : 14;
    const int length = vertical ? std::max(1, doc_.layout.viewHeight) : std::max(1, doc_.layout.viewWidth);
    made->Create(GetId(), vertical ? thickness : length, vertical ? length : thickness, vertical ? 1 : 0, 0);
    if (skins[0].image)
        made->SetTrackSkin(skins[0]);
    if (skins[1].image)
        made->SetThumbSkin(skins[1]);
    if (skins[2].image)
        made->SetThumbGrip(skins[2]);
    if (skins[3].image)
        vertical ? made->SetUpArrow(skins[3]) : made->SetLeftArrow(skins[3]);
    if (skins[4].image)
        vertical ? made->SetDownArrow(skins[4]) : made->SetRightArrow(skins[4]);
    made->Deactivate();
    background_->AddChild(made, kScrollBarLinks);
    bar = made;
}

void CPglChatBox::UpdateScrollBars()
{
    if (!(style_ & kScrollBars) || updatingBars_ || !background_)
        return;
    updatingBars_ = true;
    ChatLayout& layout = doc_.layout;
    if (vbar_) {
        const int barWidth = int(vbar_->GetWidth() + 0.5);
        const bool overflow = layout.ContentHeight() > layout.viewHeight;
        if (overflow && !vShown_) {
            vShown_ = true;
            vbar_->SetZ(background_->GetZ() + 0.2);
            vbar_->Activate();
            Layout(layout.viewWidth, layout.viewHeight);
        } else if (!overflow && vShown_) {
            vShown_ = false;
            vbar_->Deactivate();
            vbar_->Redraw();
            Layout(layout.viewWidth + barWidth, layout.viewHeight);
        }
        vbar_->SetRange(layout.ScrollY() - layout.TopOffset(), std::min(layout.viewHeight, layout.ContentHeight()),
                        layout.ContentHeight(), LineHeight());
    }
    if (hbar_) {
        const int barHeight = int(hbar_->GetHeight() + 0.5);
        const bool overflow = layout.ContentWidth() > layout.viewWidth;
        if (overflow && !hShown_) {
            hShown_ = true;
            hbar_->SetZ(background_->GetZ() + 0.2);
            hbar_->Activate();
            Layout(layout.viewWidth, layout.viewHeight);
        } else if (!overflow && hShown_) {
            hShown_ = false;
            hbar_->Deactivate();
            hbar_->Redraw();
            Layout(layout.viewWidth, layout.viewHeight + barHeight);
        }
        hbar_->SetRange(layout.ScrollX(), std::min(layout.viewWidth, layout.ContentWidth()), layout.ContentWidth(),
                        std::max(1, doc_.format.height / 2));
    }
    updatingBars_ = false;
}

void CPglChatBox::ScrollAfterAppend()
{
    ChatLayout& layout = doc_.layout;
    if (style_ & kGrowToFit) {
        const int available = CClassSenior::GetViewHeight() - int(GetHeight());
        const int content = layout.ContentHeight();
        if (content > 0 && content < available && content != layout.viewHeight) {
            const double top = GetTop();
            boxHeight_ = content;
            SetSize(boxWidth_, content);
            ResizeBackground(boxWidth_, content);
            MoveTo(GetX(), top + content / 2.0);
            Layout(layout.viewWidth, content);
        }
    }
    if (style_ & kAutoScroll)
        layout.ScrollAfterAppend();
}

void CPglChatBox::ScrollTo(int position)
{
    doc_.layout.ScrollTo(position);
    RequestRefresh();
    RedrawSelection();
}

void CPglChatBox::ScrollToHome()
{
    if (doc_.layout.ScrollY() == doc_.layout.TopOffset())
        return;
    doc_.layout.ScrollToHome();
    RequestRefresh();
}

void CPglChatBox::ScrollToEnd()
{
    doc_.layout.ScrollToEnd();
    RequestRefresh();
}

int CPglChatBox::LineHeight() const
{
    const int height = std::max(1, doc_.format.height);
    return height + doc_.layout.RowGapFor(height);
}

void CPglChatBox::OnWheelUp()
{
    doc_.layout.WheelUp(LineHeight());
    RequestRefresh();
    RedrawSelection();
}

void CPglChatBox::OnWheelDown()
{
    doc_.layout.WheelDown(LineHeight());
    RequestRefresh();
    RedrawSelection();
}

void CPglChatBox::TrimRows() { doc_.layout.TrimRows(); }

void CPglChatBox::RelayoutElements() { doc_.layout.RelayoutElements(); }

} // namespace Lumora
