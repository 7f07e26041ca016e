// The painting back end: background and present buffers of 32-bit pixels in memory, frames
// composed in place over the changed area with the software blitters, and the conversion of the
// composed frame to the screen's format. Showing it in a window is the host window's part.
#pragma once
#include <functional>
#include <vector>

#include "engine/paint/PaintModule.h"

namespace Lumora {

// One object of a frame: its geometry relative to the viewport's top-left and its picture.
struct FrameItem {
    const ObjectGeometry* geometry = nullptr;
    CPglPic* picture = nullptr;
};

class PaintModuleGDI : public PaintModule {
public:
    PaintModuleGDI() = default;
    ~PaintModuleGDI() override;

    int Init() override;
    void Shutdown() override;
    int ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t lparam) override;
    void CreateBackBuffer(int width, int height) override;
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
    const std::vector<uint32_t>& PresentBuffer() const { return present_; }
    // The frame in the screen's format (the present buffer itself at 32 bits).
    const uint8_t* ScreenPixels() const;
    size_t ScreenStride() const { return screenStride_; }
    // Rectangles invalidated since the last Present (the whole buffer once there are too many).
    const std::vector<Rect>& InvalidRects() const { return invalid_; }
    // A frame's area can take a few dozen disjoint pieces; past some frames' worth, the whole.
    static constexpr size_t kMaxInvalidRects = 256;

private:
    void CopyRects(const std::vector<uint32_t>& from, std::vector<uint32_t>& to, const std::vector<Rect>& rects) const;

    std::vector<uint32_t> background_, present_;
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
