#include "widgets/CXyChatFace.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "widgets/CXyStandButton.h"
#include "widgets/SidePanelObjects.h"
#include "widgets/WidgetSupport.h"

namespace Lumora {

namespace {

constexpr uint32_t kHighlightLinks = 0x3C0AB;
constexpr uint32_t kPreviewBoxLinks = 0x13C0AB;
constexpr uint32_t kGridLineColour = 0xE1E1E1;
constexpr uint32_t kHighlightColour = 0xFF0000;

} // namespace

CXyChatFace::~CXyChatFace() = default;

void CXyChatFace::Deactivate()
{
    if (preview_)
        CancelObjectActions(preview_->GetId());
    CLumoraGui::Deactivate();
}

CXyStandButton* CXyChatFace::MakePageButton(const char* skin, uint32_t code)
{
    auto* button = NewChild<CXyStandButton>();
    if (!button)
        return nullptr;
    PictureInfo picture;
    GetPicture(picture, skin, 0);
    const EventRecord notify{GetId(), code, 0, 0};
    button->Create(&picture, &notify, 0, 0);
    button->SetZ(panel_->GetZ() + 0.2);
    panel_->AddChild(button, kPartLinks);
    return button;
}

void CXyChatFace::Create(int columns, int rows, int cellSize, int margin)
{
    if (columns == 0 || rows == 0)
        return;
    grid_ = FaceGrid{columns, rows, cellSize, margin};
    const int cell = grid_.Cell();
    panel_ = NewPlaneObject(cell * columns, cell * rows, 0xFFFFFF);
    highlight_ = NewPlaneObject(cell, cell, kColourKeyBackground);
    if (!panel_ || !highlight_)
        return;
    highlight_->DrawBorder(kHighlightColour, 1);
    highlight_->SetZ(panel_->GetZ() + 0.001);
    panel_->AddChild(highlight_, kHighlightLinks);
    prevButton_ = MakePageButton("xyf向前翻页", EV_PREVIOUS_PAGE);
    nextButton_ = MakePageButton("xyf向后翻页", EV_NEXT_PAGE);
    SetBody(panel_, kBodyLinks);
    SetTopMost();
    // A pop-up over the chat's last rows, read as a board standing over them while it shows.
    AddFlags(OBJ_BOARD);
    for (uint32_t code : {EV_MOUSE_MOVE, EV_MOUSE_ENTER, EV_MOUSE_LEAVE, EV_LBUTTON_DOWN, EV_RBUTTON_DOWN})
        AddSelfEventHook(code);
    PlacePageButtons();
    highlight_->Deactivate();
    if (grid_.Cells() <= 2) {
        pageCount_ = 0;
        Deactivate();
        Redraw();
    }
}

void CXyChatFace::AddFace(const char* name, const char* code, uint32_t value)
{
    faces_.push_back(Face{name ? name : "", code ? code : "", value});
}

void CXyChatFace::SetGrid(int columns, int rows)
{
    if (!panel_)
        return;
    grid_.columns = columns;
    grid_.rows = rows;
    const int cell = grid_.Cell();
    const int width = std::max(0, cell * columns), height = std::max(0, cell * rows);
    panel_->ResizeSurface(width, height);
    panel_->SetSize(width, height);
    Redraw();
    PlacePageButtons();
    if (grid_.Cells() < 1) {
        pageCount_ = 0;
        Deactivate();
        Redraw();
        return;
    }
    page_ = 0;
    DrawPage();
}

void CXyChatFace::PlacePageButtons()
{
    // Below the grid's right end, next page outermost.
    double right = panel_->GetRight();
    const double below = panel_->GetBottom() + 2;
    for (CXyStandButton* button : {nextButton_, prevButton_}) {
        if (!button)
            continue;
        const double w = button->GetWidth(), h = button->GetHeight();
        button->MoveTo(right - w / 2, below + h / 2);
        right -= w + 4;
    }
}

void CXyChatFace::DrawPage()
{
    if (!panel_)
        return;
    const int cell = grid_.Cell();
    const int width = panel_->GetSurfaceWidth(), height = panel_->GetSurfaceHeight();
    panel_->Clear();
    panel_->SetPen(kGridLineColour, 1.0);
    for (int c = 1; c < grid_.columns; ++c)
        panel_->DrawLine(c * cell, 0, c * cell, height);
    for (int r = 1; r < grid_.rows; ++r)
        panel_->DrawLine(0, r * cell, width, r * cell);
    pageCount_ = FacePageCount(faces_.size(), grid_);
    page_ = StepFacePage(page_, 0, pageCount_);
    for (int cellNo = 0; cellNo < grid_.Cells(); ++cellNo) {
        const int index = FaceIndexAt(page_, cellNo, faces_.size(), grid_);
        if (index < 0)
            break;
        PictureInfo picture;
        GetPicture(picture, ("xyfs" + faces_[size_t(index)].name).c_str(), 0);
        const int c = cellNo % grid_.columns, r = cellNo / grid_.columns;
        panel_->DrawPicture(picture, c * cell + grid_.margin, r * cell + grid_.margin, grid_.cellSize,
                            grid_.cellSize, 0, 1.0);
    }
    panel_->DrawBorder(0, 1);
    panel_->Redraw();
    if (prevButton_)
        prevButton_->Enable(page_ > 0);
    if (nextButton_)
        nextButton_->Enable(page_ < pageCount_ - 1);
}

void CXyChatFace::ShowPage(int page)
{
    page_ = page;
    hoverIndex_ = -1;
    HideHover();
    DrawPage();
}

void CXyChatFace::HideHover()
{
    if (highlight_) {
        highlight_->Deactivate();
        highlight_->Redraw();
    }
    if (preview_)
        CancelObjectActions(preview_->GetId());
    if (previewBox_) {
        previewBox_->Deactivate();
        previewBox_->Redraw();
    }
}

void CXyChatFace::Hover(int x, int y)
{
    // A move queued before a pick closed the picker arrives after it: nothing may light up then.
    if (!panel_ || !IsActive())
        return;
    const int cellNo = FaceCellAt(x, y, grid_);
    const int index = FaceIndexAt(page_, cellNo, faces_.size(), grid_);
    if (index == hoverIndex_)
        return;
    hoverIndex_ = index;
    if (index < 0) {
        HideHover();
        return;
    }
    const int cell = grid_.Cell();
    const int c = cellNo % grid_.columns, r = cellNo / grid_.columns;
    highlight_->MoveTo(panel_->GetLeft() + c * cell + cell / 2.0, panel_->GetTop() + r * cell + cell / 2.0);
    highlight_->SetZ(panel_->GetZ() + 0.1);
    highlight_->Activate();
    highlight_->Redraw();
    ShowPreview(faces_[size_t(index)], c, r);
}

void CXyChatFace::ShowPreview(const Face& face, int column, int row)
{
    PictureInfo picture;
    GetPicture(picture, ("xyf" + face.name).c_str(), 0);
    if (!previewBox_) {
        previewBox_ = NewPlaneObject(kPreviewBox, kPreviewBox, 0xFFFFFF);
        preview_ = NewBitmapObject(picture);
        if (!previewBox_ || !preview_)
            return;
        previewBox_->SetZ(panel_->GetZ() + 0.25);
        panel_->AddChild(previewBox_, kPreviewBoxLinks);
        preview_->SetZ(panel_->GetZ() + 0.3);
        previewBox_->AddChild(preview_, kPreviewBoxLinks);
    } else {
        preview_->LoadPicture(picture, 0);
    }
    preview_->SetSize(kPreviewSize, kPreviewSize);
    previewBox_->Clear();
    previewBox_->SetFont(12, 400, "宋体");
    previewBox_->SetPen(kHighlightColour, 1.0);
    previewBox_->DrawTextLine(2, 2, face.code);
    previewBox_->DrawBorder(kHighlightColour, 1);
    // The corner away from the hovered cell, so the preview never covers it.
    const bool leftHalf = column < (grid_.columns + 1) / 2;
    const bool topHalf = row < (grid_.rows + 1) / 2;
    const double half = kPreviewBox / 2.0;
    const double x = leftHalf ? panel_->GetRight() - half : panel_->GetLeft() + half;
    const double y = topHalf ? panel_->GetBottom() - half : panel_->GetTop() + half;
    previewBox_->MoveTo(x, y);
    preview_->MoveTo(x, y + 6);
    previewBox_->Activate();
    previewBox_->Redraw();
    preview_->Activate();
    preview_->Redraw();
    CancelObjectActions(preview_->GetId());
    ActPlayFrames(preview_, 0, -1, 0, 0, nullptr);
}

void CXyChatFace::Emit(uint32_t code, int x, int y)
{
    int index = FaceIndexAt(page_, FaceCellAt(x, y, grid_), faces_.size(), grid_);
    if (index < 0)
        return;
    if (PObject* panel = FindByName(kSubSystemName)) {
        // Both parameters point into this picker and are valid only during the call.
        const EventRecord pick{0, code, reinterpret_cast<uintptr_t>(faces_[size_t(index)].code.c_str()),
                               reinterpret_cast<uintptr_t>(&index)};
        panel->OnEvent(pick);
    }
    Close();
}

void CXyChatFace::Close()
{
    hoverIndex_ = -1;
    if (highlight_) {
        highlight_->Deactivate();
        highlight_->Redraw();
    }
    Deactivate();
    Redraw();
}

void CXyChatFace::Pick(int x, int y) { Emit(EV_FACE_PICKED, x, y); }

void CXyChatFace::PickReserved(int x, int y) { Emit(EV_FACE_PICKED_RESERVED, x, y); }

int CXyChatFace::OnEvent(const EventRecord& record)
{
    const auto local = [&](auto&& f) {
        const InputData in = InputDataOf(*this, record);
        f(int(in.x - GetLeft()), int(in.y - GetTop()));
    };
    switch (record.code) {
    case EV_MOUSE_LEAVE:
        hoverIndex_ = -1;
        HideHover();
        return 1;
    case EV_MOUSE_MOVE:
        local([&](int x, int y) { Hover(x, y); });
        return 1;
    case EV_LBUTTON_DOWN:
        local([&](int x, int y) { Pick(x, y); });
        return 1;
    case EV_RBUTTON_DOWN:
        local([&](int x, int y) { PickReserved(x, y); });
        return 1;
    case EV_PREVIOUS_PAGE:
        ShowPage(StepFacePage(page_, -1, pageCount_));
        return 1;
    case EV_NEXT_PAGE:
        ShowPage(StepFacePage(page_, 1, pageCount_));
        return 1;
    default:
        return CLumoraGui::OnEvent(record);
    }
}

} // namespace Lumora
