// The painting back end: background and present buffers of 32-bit pixels in memory, frames
// composed in place over the changed area with the software blitters, and the conversion of the
// composed frame to the screen's format. Showing it in a window is the host window's part; a
// window that lends its own pixels gets the frames composed in them instead of the present buffer.
#pragma once
#include <algorithm>
#include <functional>
#include <span>
#include <vector>

#include "engine/paint/PaintModule.h"

namespace Lumora {

// One object of a frame: its geometry relative to the viewport's top-left and its picture.
struct FrameItem {
    const ObjectGeometry* geometry = nullptr;
    CPglPic* picture = nullptr;
};

// The composed frame's pixels, wherever they live; reads like the buffer it views, and copies
// into one.
class FrameView : public std::span<const uint32_t> {
public:
    using std::span<const uint32_t>::span;
    operator std::vector<uint32_t>() const { return {begin(), end()}; }
    friend bool operator==(FrameView a, const std::vector<uint32_t>& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }
};

class PaintModuleGDI : public PaintModule {
public:
    PaintModuleGDI() = default;
    ~PaintModuleGDI() override;

    int Init() override;
    void Shutdown() override;
    int ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t lparam) override;
    // A new size drops a lent store: the frames go to the present buffer until one is lent again.
    void CreateBackBuffer(int width, int height) override;
    // Frames are composed in `store` from now on (the window's own pixels: width x height 32-bit
    // pixels, a stride of width*4, owned by the lender), or in the present buffer again when it
    // is null or does not fit (another size, a screen of another depth): false then. Whatever
    // the frame is composed in now holds no frame yet: the caller has the whole view redrawn.
    bool UseFrameStore(uint32_t* store, int width, int height);
    bool FrameInStore() const { return store_ != nullptr; }
    // Restores the area the rectangles cover from the background, draws the items over it in
    // order, clipped to it, uploads the frame and marks the area for presenting.
    void RenderFrame(int32_t centreX, int32_t centreY, const std::vector<Rect>& rects,
                     const std::vector<FrameItem>& items);
    void DrawRecord(const ObjectGeometry& geometry, CPglPic* picture) override;
    bool LoadImage(const ResourceKey& key) override;
    void DrawImageAt(const PictureInfo& info, int x, int y, int width, int height, double angle) override;
    int ClearBackground(uint32_t colour) override;
    void GetBackgroundSurface(Surface& out) override;
    void CopyImage(ImageRecord& destination, const ImageRecord& source) override;
    void FreeImageData(ImageRecord* record) override;

    void DrawPicture(const ObjectGeometry& geometry, CPglPic& picture);
    // Hands the uploaded frame and the rectangles to show to the presenter, if one is set.
    void Present();
    void UploadFrame();

    // The host window's presenter: the screen-format frame, its stride and the rectangles.
    using Presenter = std::function<void(const uint8_t* pixels, int width, int height, size_t stride,
                                         const std::vector<Rect>& rects)>;
    void SetPresenter(Presenter presenter) { presenter_ = std::move(presenter); }
    const std::vector<uint32_t>& BackgroundBuffer() const { return background_; }
    // The composed frame: the present buffer, or the lent store.
    FrameView PresentBuffer() const { return {Frame(), store_ ? size_t(width_) * size_t(height_) : present_.size()}; }
    // The frame in the screen's format (the composed frame itself at 32 bits).
    const uint8_t* ScreenPixels() const;
    size_t ScreenStride() const { return screenStride_; }
    // Rectangles invalidated since the last Present (the whole buffer once there are too many).
    const std::vector<Rect>& InvalidRects() const { return invalid_; }
    // A frame's area can take a few dozen disjoint pieces; past some frames' worth, the whole.
    static constexpr size_t kMaxInvalidRects = 256;

private:
    void CopyRects(const std::vector<uint32_t>& from, uint32_t* to, const std::vector<Rect>& rects) const;
    uint32_t* Frame() { return store_ ? store_ : present_.data(); }
    const uint32_t* Frame() const { return store_ ? store_ : present_.data(); }

    std::vector<uint32_t> background_, present_;
    uint32_t* store_ = nullptr;
    std::vector<uint8_t> screen_;
    size_t screenStride_ = 0;
    std::vector<Rect> invalid_;
    Presenter presenter_;
    int32_t viewLeft_ = 0, viewTop_ = 0;
    // The frame's changed area as disjoint pieces; while composing, nothing is drawn outside them.
    std::vector<Rect> pieces_;
    bool composing_ = false;
};

} // namespace Lumora
