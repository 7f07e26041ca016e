#pragma once
// The base of every skinned dialog: a framed box cut from a skin template whose transparent
// hole marks the client area. The opaque ring around the hole gives eight border pieces that
// are stretched around a client area of any size; a title strip lies over the top edge and a
// client plane (a picture, a fill colour or a plane the subclass hands in) over the client
// area. The base holds no buttons or closing logic: subclasses add content as children at the
// dialog's z + 0.02 and decide how the dialog ends.
//
// Use: construct, register under the owner, Create with the two frames of a template
// resource, optionally SetTitle, add content, then the owner moves, stacks and redraws it.
// The background, title and client planes are engine objects owned by the object module;
// the dialog links them as its body and body children, so they move, show and go with it.
#include "engine/gui/CLumoraGui.h"
#include "engine/paint/ImageRecord.h"
#include "widgets/StandDlgLayout.h"

#include <string>

namespace Lumora {

class PlaneObject;

class CXyStandDlg : public CLumoraGui {
public:
    using PObject::Create;
    using PObject::Resize;

    // Virtual operations, in slot order. The infos are copied.
    virtual void Create(const PictureInfo* frame, const PictureInfo* client, int clientWidth, int clientHeight);
    virtual void CreateWithFill(const PictureInfo* frame, uint32_t fillColour, int clientWidth, int clientHeight);
    virtual void SetTitle(const char* text);
    // Cuts a template; on a live dialog the outer size stays and the frame is redrawn.
    virtual void BuildFromTemplate(const PictureInfo* frame);
    virtual void SetClientSize(int clientWidth, int clientHeight);
    virtual void Resize(int clientWidth, int clientHeight) { SetClientSize(clientWidth, clientHeight); }
    virtual void DrawTitle();
    virtual void DrawFrame();

    // Made on first use: a transparent plane over the client area.
    PObject* GetClientPlane();
    // The caller's object becomes the client plane (not moved, not sized); the previous one is
    // released, unless it is the same object.
    void SetClientPlane(PObject* object);
    // The client piece in dialog coordinates.
    Rect& GetClientRect(Rect& out) const;

    PlaneObject* GetBackground() const { return background_; }
    PlaneObject* GetTitlePlane() const { return titlePlane_; }
    PObject* PeekClientPlane() const { return clientPlane_; }
    const std::string& GetTitleText() const { return title_; }
    const TemplateCut& GetCut() const { return cut_; }
    const Rect& GetDialogRect() const { return dialogRect_; }
    const NinePieces& GetPieces() const { return pieces_; }
    uint32_t GetFillColour() const { return fillColour_; }

protected:
    // Centres an object on a piece of the dialog.
    void CentreOn(PObject& object, const Rect& piece) const;
    // Gives a plane the object size and surface size of a piece.
    static void SizeTo(PlaneObject& plane, const Rect& piece);

private:
    void MakePlanes();
    void LinkClientPlane();

    std::string title_;
    PictureInfo frameInfo_{};
    PictureInfo clientInfo_{};
    uint32_t fillColour_ = 0xFF00FF;
    PlaneObject* titlePlane_ = nullptr;
    PlaneObject* background_ = nullptr;
    PObject* clientPlane_ = nullptr;
    TemplateCut cut_{};
    Rect dialogRect_{};
    NinePieces pieces_{};
};

} // namespace Lumora
