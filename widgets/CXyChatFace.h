#pragma once
// The chat bar's pop-up grid of emoticons: a page of small face pictures in a ruled grid, a
// box that follows the mouse, a preview of the hovered face playing with its code text, two
// page buttons below the grid, and a pick that hands the face's code to the side panel and
// closes the picker. Every operation uses the whole grid of columns x rows cells per page; a
// right press picks as a left press does, as the reserved kind of pick.
#include "engine/gui/CLumoraGui.h"
#include "widgets/FacePaging.h"

#include <string>
#include <vector>

namespace Lumora {

class BITObject;
class CXyStandButton;
class PlaneObject;

class CXyChatFace : public CLumoraGui {
public:
    enum PageEvent : uint32_t {
        EV_PREVIOUS_PAGE = 19840384,
        EV_NEXT_PAGE = 19840385,
    };
    struct Face {
        std::string name;  // pictures "xyf" + name (preview) and "xyfs" + name (grid)
        std::string code;  // shown in the preview and sent on a pick
        uint32_t value = 0;
    };
    static constexpr int kPreviewBox = 64;
    static constexpr int kPreviewSize = 48;

    ~CXyChatFace() override;
    void Deactivate() override;
    int OnEvent(const EventRecord& record) override;

    // Nothing when columns or rows is 0.
    using PObject::Create;
    virtual void Create(int columns, int rows, int cellSize, int margin);
    virtual void AddFace(const char* name, const char* code, uint32_t value);
    virtual void DrawPage();
    virtual void SetGrid(int columns, int rows);
    // Coordinates relative to the widget's left and top edges.
    virtual void Hover(int x, int y);
    virtual void Pick(int x, int y);
    virtual void PickReserved(int x, int y);

    int GetPage() const { return page_; }
    int GetPageCount() const { return pageCount_; }
    int GetHoverIndex() const { return hoverIndex_; }
    const FaceGrid& GetGrid() const { return grid_; }
    const std::vector<Face>& GetFaces() const { return faces_; }
    PlaneObject* GetPanel() const { return panel_; }
    PlaneObject* GetHighlight() const { return highlight_; }
    BITObject* GetPreview() const { return preview_; }
    PlaneObject* GetPreviewBox() const { return previewBox_; }
    CXyStandButton* GetPreviousButton() const { return prevButton_; }
    CXyStandButton* GetNextButton() const { return nextButton_; }

private:
    CXyStandButton* MakePageButton(const char* skin, uint32_t code);
    void PlacePageButtons();
    void HideHover();
    void ShowPreview(const Face& face, int column, int row);
    void Emit(uint32_t code, int x, int y);
    void Close();
    void ShowPage(int page);

    PlaneObject* panel_ = nullptr;
    PlaneObject* highlight_ = nullptr;
    BITObject* preview_ = nullptr;
    PlaneObject* previewBox_ = nullptr;
    CXyStandButton* prevButton_ = nullptr;
    CXyStandButton* nextButton_ = nullptr;
    int page_ = 0;
    int pageCount_ = 0;
    FaceGrid grid_;
    int hoverIndex_ = -1;
    std::vector<Face> faces_;
};

} // namespace Lumora
