#include "widgets/CXyStandDlg.h"

#include "engine/object/PlaneObject.h"
#include "engine/paint/PglPic.h"
#include "widgets/WidgetSupport.h"

namespace Lumora {

namespace {

constexpr double kOverBackground = 0.01;

int Width(const Rect& r) { return r.right - r.left; }
int Height(const Rect& r) { return r.bottom - r.top; }

} // namespace

void CXyStandDlg::Create(const PictureInfo* frame, const PictureInfo* client, int clientWidth, int clientHeight)
{
    clientInfo_ = client ? *client : PictureInfo{};
    BuildFromTemplate(frame);
    SetClientSize(clientWidth, clientHeight);
    MakePlanes();
}

void CXyStandDlg::CreateWithFill(const PictureInfo* frame, uint32_t fillColour, int clientWidth, int clientHeight)
{
    fillColour_ = fillColour;
    BuildFromTemplate(frame);
    SetClientSize(clientWidth, clientHeight);
    MakePlanes();
}

void CXyStandDlg::MakePlanes()
{
    background_ = NewPlaneObject(100, 100, kColourKeyBackground);
    titlePlane_ = NewPlaneObject(0, 0, kColourKeyBackground);
    if (!background_ || !titlePlane_)
        return;
    // The body stands at the dialog's own z, so that a z given to the dialog is the body's.
    background_->SetZ(GetZ());
    background_->SetTopMost();
    titlePlane_->SetTopMost();
    DrawFrame();
    titlePlane_->SetZ(background_->GetZ() + kOverBackground);
    background_->AddChild(titlePlane_, kBodyLinks);
    SetBody(background_, kBodyLinks);
    AddFlags(OBJ_BOARD);
}

void CXyStandDlg::SetTitle(const char* text)
{
    title_ = text ? text : "";
    DrawTitle();
}

void CXyStandDlg::BuildFromTemplate(const PictureInfo* frame)
{
    frameInfo_ = frame ? *frame : PictureInfo{};
    CPglPic picture;
    picture.SetInfo(frameInfo_);
    cut_ = CutTemplate([&picture](int x, int y) { return picture.GetPixelAlpha(x, y); }, frameInfo_.srcX,
                       frameInfo_.srcY, frameInfo_.width, frameInfo_.height);
    if (background_) {
        const int w = int(background_->GetWidth()) - cut_.LeftBorder() - cut_.RightBorder();
        const int h = int(background_->GetHeight()) - cut_.TopBorder() - cut_.BottomBorder();
        SetClientSize(w, h);
    }
}

void CXyStandDlg::SetClientSize(int clientWidth, int clientHeight)
{
    pieces_ = PlacePieces(cut_, clientWidth, clientHeight, dialogRect_);
    DrawFrame();
}

void CXyStandDlg::SizeTo(PlaneObject& plane, const Rect& piece)
{
    plane.SetSize(Width(piece), Height(piece));
    plane.ResizeSurface(Width(piece), Height(piece));
}

void CXyStandDlg::CentreOn(PObject& object, const Rect& piece) const
{
    if (!background_)
        return;
    object.MoveTo(background_->GetLeft() + piece.left + Width(piece) / 2,
                  background_->GetTop() + piece.top + Height(piece) / 2);
}

void CXyStandDlg::DrawFrame()
{
    if (!background_ || !titlePlane_)
        return;
    // Cleared, not scaled: every piece is drawn anew below.
    background_->SetSize(Width(dialogRect_), Height(dialogRect_));
    background_->ResizeSurfaceCleared(Width(dialogRect_), Height(dialogRect_));
    SizeTo(*titlePlane_, pieces_[1]);
    const Rect& client = pieces_[kClientPiece];
    if (auto* plane = dynamic_cast<PlaneObject*>(clientPlane_)) {
        SizeTo(*plane, client);
        CentreOn(*plane, client);
    } else if (clientPlane_) {
        clientPlane_->SetSize(Width(client), Height(client));
        CentreOn(*clientPlane_, client);
    }
    DrawTitle();
    CentreOn(*titlePlane_, pieces_[1]);

    for (size_t i = 0; i < pieces_.size(); ++i) {
        const Rect& source = cut_.pieces[i];
        const Rect& target = pieces_[i];
        // A piece of no size draws nothing (a width of 0 would mean the whole surface).
        if (i == kClientPiece || Width(source) <= 0 || Height(source) <= 0 || Width(target) <= 0 ||
            Height(target) <= 0)
            continue;
        PictureInfo piece = frameInfo_;
        piece.srcX = source.left;
        piece.srcY = source.top;
        piece.width = Width(source);
        piece.height = Height(source);
        background_->DrawPicture(piece, target.left, target.top, Width(target), Height(target), 0.0, 1.0);
    }
    if (Width(client) > 0 && Height(client) > 0) {
        if (clientInfo_.image) {
            background_->DrawPicture(clientInfo_, client.left, client.top, Width(client), Height(client), 0.0, 1.0);
        } else {
            const TextStyle saved = background_->Style();
            background_->SetPen(fillColour_, 1.0);
            background_->DrawRect(client.left, client.top, client.right - 1, client.bottom - 1, true);
            background_->SetPen(saved.colour, saved.opacity / 255.0);
        }
    }
    background_->Redraw();
}

void CXyStandDlg::DrawTitle()
{
    if (!titlePlane_)
        return;
    titlePlane_->Clear();
    titlePlane_->SetFont(14, 400, "宋体");
    titlePlane_->DrawTextLine(7, 5, title_); // often the game's name: plain
    titlePlane_->Redraw();
}

PObject* CXyStandDlg::GetClientPlane()
{
    if (clientPlane_ || !background_)
        return clientPlane_;
    const Rect& client = pieces_[kClientPiece];
    PlaneObject* plane = NewPlaneObject(Width(client), Height(client), kColourKeyBackground);
    if (!plane)
        return nullptr;
    plane->SetTopMost();
    CentreOn(*plane, client);
    clientPlane_ = plane;
    LinkClientPlane();
    return clientPlane_;
}

void CXyStandDlg::SetClientPlane(PObject* object)
{
    // Handing in the plane in use again must not release it.
    if (object == clientPlane_)
        return;
    if (clientPlane_) {
        if (background_)
            background_->RemoveChild(clientPlane_->GetId());
        ReleaseObject(clientPlane_, true);
    }
    clientPlane_ = object;
    if (clientPlane_)
        LinkClientPlane();
}

void CXyStandDlg::LinkClientPlane()
{
    if (!background_)
        return;
    clientPlane_->SetZ(background_->GetZ() + kOverBackground);
    if (IsActive())
        clientPlane_->Activate();
    clientPlane_->Redraw();
    background_->AddChild(clientPlane_, kBodyLinks);
}

Rect& CXyStandDlg::GetClientRect(Rect& out) const
{
    out = pieces_[kClientPiece];
    return out;
}

} // namespace Lumora
