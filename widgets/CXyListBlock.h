#pragma once
// A row of a block list: a picture (its frames are the row states: 0 even row, 1 odd row,
// 3 hovered, 4 selected or clicked) with a caption plane over it, the row's data bytes, and a
// detail part that a derived row makes and that unfolds under the picture while the row is
// selected. A press on the picture asks the list to select the row; the record names the row by
// its object id, so a record still queued when the row is removed finds nothing.
#include "engine/text/Markup.h"
#include "widgets/CPglChatObject.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Lumora {

class BITObject;
class PlaneObject;

class CXyListBlock : public CPglChatObject {
public:
    enum Frame : int { FRAME_EVEN = 0, FRAME_ODD = 1, FRAME_HOVER = 3, FRAME_SELECTED = 4 };
    static constexpr uint32_t EV_ROW_PRESS = 80000101;  // to the list, p1 = the row's object id

    int OnEvent(const EventRecord& record) override;
    void MoveTo(double x, double y) override;
    void OnResize(int width, int height) override;
    // Shows the detail again while the row is selected.
    void Activate() override;
    int GetHeightPixels() const override;

    // Virtual operations, in slot order.
    using PObject::Create;
    virtual void Create(uint32_t ownerId, const PictureInfo& picture, int width, int height);
    virtual void SetData(const void* bytes, size_t length);
    virtual void OnEnter();
    virtual void OnLeave();
    virtual void OnClick();
    virtual void SetIndex(int index);
    // Font size 0 takes the engine's setting 6 (12 without it); colour 0xFF00FF keeps the pen.
    // The caption is kept and drawn again whenever the row takes a new width; a caption that
    // holds a name is plain text.
    virtual void DrawCaption(const Markup& text, uint32_t colour, int fontSize);
    void DrawCaption(PlainText text, uint32_t colour, int fontSize);
    virtual void Reserved8() {}
    virtual void SetSelected(int selected);
    virtual PObject* GetDetail() const { return detail_; }
    virtual int GetIndex() const { return index_; }
    virtual PObject* CreateDetail() { return nullptr; }
    virtual void LayoutDetail() {}

    const std::vector<uint8_t>& GetData() const { return data_; }
    int IsSelected() const { return selected_; }
    uint32_t GetOwnerListId() const { return owner_; }
    BITObject* GetFace() const { return face_; }
    PlaneObject* GetCaptionPlane() const { return caption_; }
    const std::string& GetCaption() const { return captionText_; }
    int GetCaptionSize() const { return captionSize_; }
    bool IsCaptionPlain() const { return captionPlain_; }
    int GetFaceFrame() const;

private:
    int IndexFrame() const;
    void ShowFrame(int frame);
    bool DetailShown() const;
    void PaintCaption();
    void KeepCaption(std::string_view text, bool plain, uint32_t colour, int fontSize);

    std::vector<uint8_t> data_;
    BITObject* face_ = nullptr;
    PlaneObject* caption_ = nullptr;
    std::string captionText_;
    int captionSize_ = 0;
    bool captionPlain_ = false;
    PObject* detail_ = nullptr;
    int index_ = 0;
    int selected_ = 0;
    bool detailOpen_ = false;
    uint32_t owner_ = 0;
};

} // namespace Lumora
