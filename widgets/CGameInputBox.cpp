#include "widgets/CGameInputBox.h"

#include "engine/object/PlaneObject.h"
#include "engine/paint/ImageRecord.h"
#include "widgets/CSafeBoxInput.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>

namespace Lumora {

namespace {
constexpr uint32_t kInnerBackground = 0xDCF0E6;
constexpr const char* kFramePicture = "InputBoxBkg";
} // namespace

void CGameInputBox::CreateFromSkin()
{
    PictureInfo picture;
    GetPicture(picture, kFramePicture, 0);
    if (!picture.image)
        return;
    PlaneObject* body = NewPlaneObject(picture.width, picture.height, kColourKeyBackground);
    frame_ = NewPlaneObject(picture.width, picture.height, kColourKeyBackground);
    if (!body || !frame_)
        return;
    body->MoveTo(GetX(), GetY());
    body->Activate();
    body->Redraw();
    SetBody(body, kBodyLinks);
    frame_->DrawPicture(picture, 0, 0, picture.width, picture.height, 0, 1.0);
    frame_->MoveTo(GetX(), GetY());
    frame_->SetZ(GetZ() + 0.1);
    frame_->Redraw();
    body->AddChild(frame_, kInnerPartLinks);
    inner_ = NewChild<CSafeBoxInput>();
    if (!inner_)
        return;
    inner_->SetInputFlags(7);
    inner_->Create(picture.width - 4, picture.height - 4, 0x42000);
    inner_->SetBackgroundColor(kInnerBackground);
    inner_->SetTextColor(0);
    inner_->MoveTo(GetX(), GetY());
    inner_->SetZ(GetZ() + 0.2);
    inner_->TakeFocus();
    inner_->Redraw();
    body->AddChild(inner_, kInnerPartLinks);
    FillFrame(2, 2, frame_->GetSurfaceWidth() - 2, frame_->GetSurfaceHeight() - 2, kInnerBackground);
}

void CGameInputBox::SetSize(int width, int height)
{
    if (width < 0 || height < 0)
        return;
    width_ = width;
    height_ = height;
    Layout();
}

void CGameInputBox::SetWidth(int width)
{
    if (width < 0)
        return;
    width_ = width;
    Layout();
}

void CGameInputBox::SetHeight(int height)
{
    if (height < 0)
        return;
    height_ = height;
    Layout();
}

void CGameInputBox::Layout()
{
    PictureInfo picture;
    GetPicture(picture, kFramePicture, 0);
    if (!picture.image || !frame_)
        return;
    if (width_ == 0)
        width_ = picture.width;
    if (height_ == 0)
        height_ = picture.height;
    const int w = std::max(1, width_), h = std::max(1, height_);
    if (PObject* body = GetBody(); body && body != this) {
        if (auto* plane = dynamic_cast<PlaneObject*>(body))
            plane->ResizeSurface(w, h);
        body->SetSize(w, h);
        body->Redraw();
    }
    frame_->ResizeSurface(w, h);
    frame_->SetSize(w, h);
    frame_->Clear();
    // Nine slices: corners unscaled, edges and centre stretched.
    const int cw = std::min(picture.width, w) / 3, ch = std::min(picture.height, h) / 3;
    const int xs[3] = {0, cw, picture.width - cw}, ys[3] = {0, picture.height / 3, picture.height - ch};
    const int sw[3] = {cw, picture.width - 2 * cw, cw}, sh[3] = {ch, picture.height - 2 * ch, ch};
    const int dx[3] = {0, cw, w - cw}, dy[3] = {0, ch, h - ch};
    const int dw[3] = {cw, w - 2 * cw, cw}, dh[3] = {ch, h - 2 * ch, ch};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            if (dw[col] <= 0 || dh[row] <= 0 || sw[col] <= 0 || sh[row] <= 0)
                continue;
            PictureInfo part = picture;
            part.srcX += xs[col];
            part.srcY += ys[row];
            part.width = sw[col];
            part.height = sh[row];
            frame_->DrawPicture(part, dx[col], dy[row], dw[col], dh[row], 0, 1.0);
        }
    frame_->MoveTo(GetLeft() + w / 2.0, GetTop() + h / 2.0);
    frame_->Activate();
    frame_->Redraw();
    if (inner_) {
        const bool fullHeight = inner_->GetBackgroundPlane() && (inner_->GetBackgroundPlane()->GetFlags() & 0x4);
        const int innerHeight = fullHeight ? h - 4 : 14;
        inner_->ResizeBackground(w - 4, innerHeight);
        inner_->Layout(w - 4, innerHeight);
        inner_->MoveTo(frame_->GetX(), frame_->GetY());
        inner_->Activate();
        inner_->Redraw();
    }
    FillFrame(2, 2, w - 2, h - 2, kInnerBackground);
}

void CGameInputBox::FocusInner()
{
    if (inner_)
        inner_->TakeFocus();
}

void CGameInputBox::ClearInner()
{
    if (inner_)
        inner_->Clear();
}

void CGameInputBox::SetText(std::string_view text)
{
    if (!inner_)
        return;
    inner_->AppendTyped(text);
    inner_->TakeFocus();
}

std::string CGameInputBox::GetText() const { return inner_ ? inner_->GetText() : std::string(); }

void CGameInputBox::FillFrame(int x0, int y0, int x1, int y1, uint32_t colour)
{
    if (!frame_ || colour == kColourKeyBackground)
        return;
    for (int y = std::max(0, y0); y < std::min(y1, frame_->GetSurfaceHeight()); ++y)
        for (int x = std::max(0, x0); x < std::min(x1, frame_->GetSurfaceWidth()); ++x)
            frame_->SetPixel(x, y, colour);
    frame_->Redraw();
}

uint32_t CGameInputBox::GetInputFlags() const { return inner_ ? inner_->GetInputFlags() : 0; }

void CGameInputBox::SetInputFlags(uint32_t flags)
{
    if (inner_)
        inner_->SetInputFlags(flags);
}

void CGameInputBox::SetMaxLength(int length)
{
    if (inner_)
        inner_->SetMaxLength(length);
}

} // namespace Lumora
