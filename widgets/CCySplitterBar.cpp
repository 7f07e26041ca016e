#include "widgets/CCySplitterBar.h"

#include "engine/object/PlaneObject.h"
#include "widgets/AppServices.h"
#include "widgets/WidgetSupport.h"

namespace Lumora {

namespace {

constexpr const char* kArrowRight = "箭头右";
constexpr const char* kArrowLeft = "箭头左";
constexpr const char* kBackground = "左右分隔条_bg";

} // namespace

void CCySplitterBar::Create()
{
    SetName(kName);
    PictureInfo arrow;
    GetPicture(arrow, kArrowRight, 0);
    const int w = arrow.width > 0 ? arrow.width : 6;
    const int h = arrow.height > 0 ? arrow.height : 85;
    plane_ = NewPlaneObject(w, 10, kColourKeyBackground);
    if (plane_) {
        SetBody(plane_, kBodyLinks);
        plane_->Activate();
        plane_->Redraw();
    }
    arrow_ = NewPlaneObject(w, h, kColourKeyBackground);
    if (arrow_) {
        arrow_->AddEventHook(EV_LBUTTON_DOWN, GetId(), EV_ARROW_PRESS, 0, 0);
        arrow_->AddEventHook(EV_MOUSE_ENTER, GetId(), EV_ARROW_ENTER, 0, 0);
        arrow_->AddEventHook(EV_MOUSE_LEAVE, GetId(), EV_ARROW_LEAVE, 0, 0);
        // The arrow stands apart from the body (Layout places it), but it takes input and
        // leaves with the splitter.
        arrow_->SetEnabled(true);
        PObject::AddChild(arrow_, LINK_OWNED);
        arrow_->Activate();
        arrow_->Redraw();
    }
}

const char* CCySplitterBar::ArrowName() const { return collapsed_ ? kArrowLeft : kArrowRight; }

void CCySplitterBar::ShowArrow(int frame)
{
    if (!arrow_)
        return;
    arrowFrame_ = frame;
    PictureInfo picture;
    GetPicture(picture, ArrowName(), frame);
    arrow_->Clear();
    arrow_->DrawPicture(picture, 0, 0, 0, 0);
    arrow_->Redraw();
}

void CCySplitterBar::Layout()
{
    const double w = Geometry().width, h = Geometry().height;
    const double x = Geometry().x, y = Geometry().y;
    if (plane_ && w >= 1 && h >= 1) {
        plane_->ResizeSurface(int(w), int(h));
        plane_->SetSize(w, h);
        plane_->MoveTo(x, y);
    }
    if (arrow_) {
        arrow_->SetZ(GetZ() + 0.001);
        arrow_->MoveTo(x, y);
    }
    Refresh();
}

void CCySplitterBar::Refresh()
{
    if (plane_) {
        PictureInfo background;
        GetPicture(background, kBackground, 0);
        plane_->Clear();
        plane_->DrawPicture(background, 0, 0, 0, 0);
        plane_->Redraw();
    }
    ShowArrow(arrowFrame_);
}

int CCySplitterBar::OnEvent(const EventRecord& record)
{
    switch (record.code) {
    case EV_ARROW_ENTER:
        ShowArrow(1);
        PlayWidgetSound(*this, "SndTouchButton");
        return 1;
    case EV_ARROW_LEAVE:
        ShowArrow(0);
        return 1;
    case EV_ARROW_PRESS: {
        PlayWidgetSound(*this, "SndHitButton");
        // Without an application the state still changes, but nothing is laid out.
        IAppServices* app = GetAppServices();
        IGameFrame* frame = app ? app->GetGameFrame() : nullptr;
        int mode = 0;
        if (collapsed_) {
            collapsed_ = 0;
            mode = frame ? frame->GetLayoutWidthMode() : 0;
        } else {
            collapsed_ = 1;
        }
        if (frame) {
            frame->SetWidthMode(mode);
            frame->OnSize();
        }
        ShowArrow(arrowFrame_);
        return 1;
    }
    default:
        return CLumoraGui::OnEvent(record);
    }
}

} // namespace Lumora
