#pragma once
// A scrolling box of picture tiles (CLumoraTarget) that the user hovers and reorders by dragging
// with the left button. The tiles are embedded objects of the rich-text box's element chain, in
// reading order, so the box lays them out and scrolls them. While a drag runs, a copy of the tile
// follows the mouse and a dotted marker shows where it would go.
#include "engine/paint/ImageRecord.h"
#include "widgets/CPglChatBox.h"
#include "widgets/CPglChatObject.h"

#include <memory>
#include <string>

namespace Lumora {

class BITObject;
class PlaneObject;
struct ChatElement;

class CLumoraTarget : public CPglChatObject {
public:
    enum Layout { kTile = 0, kRow = 1 };
    static constexpr uint32_t kHighlighted = 1;

    ~CLumoraTarget() override;
    int OnEvent(const EventRecord& record) override;

    // Picture above the caption (`lines` rows of caption).
    virtual void CreateTile(const PictureInfo& picture, const char* caption, bool animate, int lines);
    // Picture at the left, caption at the right (`characters` half-width characters wide).
    virtual void CreateRow(const PictureInfo& picture, const char* caption, int characters, bool animate);
    virtual int GetIconSize() const;
    virtual void SetPicture(const PictureInfo& picture);
    virtual void SetCaption(const char* text);
    virtual void SetState(uint32_t flags);
    virtual void DrawBadge();
    virtual void MakeDragImage(PlaneObject& plane);
    virtual void DrawCaption(const char* text, uint32_t textColour, uint32_t backColour);

    int GetWidthPixels() const override;
    int GetHeightPixels() const override;
    void SetBadge(int32_t badge);
    int32_t GetBadge() const { return badge_; }
    uint32_t GetState() const { return state_; }
    int GetLayout() const { return layout_; }
    const std::string& GetLabel() const { return label_; }
    PlaneObject* GetBackground() const { return background_; }
    BITObject* GetPictureObject() const { return picture_; }
    // Subclasses keep their data here; the target deletes it.
    void SetData(std::unique_ptr<uint8_t[]> data) { data_ = std::move(data); }

private:
    void Build(const PictureInfo& picture, const char* caption, bool animate, int width, int height,
               int captionWidth, int captionHeight);
    void PlaceParts();
    int FontSize() const;

    std::unique_ptr<uint8_t[]> data_;
    uint32_t state_ = 0;
    int32_t badge_ = -1;
    BITObject* picture_ = nullptr;
    PlaneObject* caption_ = nullptr;
    PlaneObject* background_ = nullptr;
    std::string label_;
    int layout_ = kTile;
};

class CLumoraWindow : public CPglChatBox {
public:
    enum WindowEvent : uint32_t {
        EV_TARGET_ENTER = 1051,
        EV_TARGET_LEAVE = 1052,
        EV_TARGET_DRAG = 1053,
        EV_TARGET_RELEASE = 1054,
    };
    static constexpr uint32_t kMarkerColour = 0xE0D11F;
    static constexpr int kDragWidth = 60, kDragHeight = 90;
    static constexpr int kMarkerWidth = 4, kMarkerHeight = 15;
    static constexpr int kTargetGap = 10;

    int OnEvent(const EventRecord& record) override;
    void RemoveRange(ChatElement* from, ChatElement* to) override;
    void Clear() override;
    // The bar of the window's direction, skinned with the scroll-bar pictures by name.
    void CreateScrollBars() override;

    using CPglChatBox::Create;
    virtual void Create(int width, int height, bool horizontal);
    virtual void RemoveTarget(CLumoraTarget* target);
    virtual void AddTarget(CLumoraTarget* target, bool refresh);
    virtual void OnTargetEnter(CLumoraTarget* target);
    virtual void OnTargetLeave(CLumoraTarget* target);
    // The mouse point in engine pixels.
    virtual void OnTargetDrag(CLumoraTarget* target, int x, int y);
    virtual void OnTargetRelease(int x, int y);
    virtual ChatElement* FindElement(const CLumoraTarget* target) const;
    virtual void ClearHover();
    void Refresh() override;
    virtual CLumoraTarget* GetFirstTarget() const;
    virtual CLumoraTarget* GetNextTarget(const CLumoraTarget* target) const;

    CLumoraTarget* GetCurrentTarget() const { return current_; }
    ChatElement* GetDraggedElement() const { return dragged_; }
    // Null: no place marked; End(): the end of the chain.
    ChatElement* GetInsertionElement() const { return insertion_; }
    ChatElement* End() const { return reinterpret_cast<ChatElement*>(uintptr_t(1)); }
    PlaneObject* GetDragPlane() const { return dragPlane_; }
    PlaneObject* GetMarker() const { return marker_; }

private:
    CLumoraTarget* TargetOf(const ChatElement* e) const;
    void ShowMarker(int x, int y, int height);
    void HideDrag();

    ChatElement* dragged_ = nullptr;
    CLumoraTarget* current_ = nullptr;
    PlaneObject* dragPlane_ = nullptr;
    PlaneObject* marker_ = nullptr;
    ChatElement* insertion_ = nullptr;
};

} // namespace Lumora
