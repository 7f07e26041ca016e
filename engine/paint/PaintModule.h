// Engine module 1003: the cache of decoded pictures shared by every picture handle, picture
// decoding (our pps format and the platform's decoders) and the frame-rate count. The drawing
// back end derives from it.
#pragma once
#include <unordered_map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/BaseModule.h"
#include "engine/geometry/ObjectGeometry.h"
#include "engine/paint/ImageRecord.h"
#include "engine/paint/PglPic.h"
#include "engine/paint/Surface.h"

namespace Lumora {

class ResourceModule;

// Error code sent to the error sink when the screen depth has no converter.
constexpr uint32_t kPaintErrorDepth = 1006;

class PaintModule : public BaseModule {
public:
    PaintModule();
    ~PaintModule() override;

    int Init() override;
    void Shutdown() override;
    void Work() override;
    // Frames arrive by message; the rate counter needs no tick of its own.
    std::optional<uint32_t> NextWorkDue() const override
    {
        return Ring().Empty() ? std::nullopt : BaseModule::NextWorkDue();
    }
    uint32_t GetId() const override { return LUMORA_MODULE_PAINT; }
    const char* GetName() const override { return "PaintModule"; }
    int ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t lparam) override;
    uint32_t GetQueueLimit() const override { return 999999; }

    double GetFrameRate() const;
    virtual void CreateBackBuffer(int width, int height) = 0;
    virtual void DrawRecord(const ObjectGeometry& geometry, CPglPic* picture) = 0;
    // Picture block of a named image ("btn_Ok" finds "btn_Ok.imge"); all zero when unknown.
    PictureInfo GetImageFrame(std::string_view name, int64_t frame);
    // Cached record of a normalised name, loaded on a miss; null when it cannot be had.
    ImageRecord* FindImage(const std::string& name);
    ImageRecord* FindImage(const ResourceKey& key);
    virtual bool LoadImage(const ResourceKey& key) = 0;
    bool LoadImageByName(const std::string& name);
    // Deep copy of the picture's image under name + ".imge"; false when the name is taken.
    bool RegisterImageCopy(const CPglPic& picture, const std::string& name);
    virtual void DrawImageAt(const PictureInfo& info, int x, int y, int width, int height, double angle) = 0;
    virtual int ClearBackground(uint32_t colour) = 0;
    virtual void GetBackgroundSurface(Surface& out) = 0;
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    // Decodes a resource's bytes by its extension hash; the record is empty on failure.
    bool DecodeImage(const uint8_t* data, size_t size, uint32_t extensionHash, ImageRecord& out);
    bool DecodePps(const uint8_t* data, size_t size, ImageRecord& out);
    virtual void CopyImage(ImageRecord& destination, const ImageRecord& source) = 0;
    uint32_t GetLastImageId() const { return lastImageId_; }
    // Enters a record under a key; an entry already there stays and false is returned.
    bool AddImage(const ResourceKey& key, ImageRecord record);
    void RemoveImage(std::string_view name);
    bool RefreshPicture(CPglPic& picture);
    virtual void FreeImageData(ImageRecord* record) = 0;

    size_t CachedImageCount() const { return images_.size(); }
    uint32_t GetBitsPerPixel() const { return bitsPerPixel_; }
    void SetBitsPerPixel(uint32_t bits) { bitsPerPixel_ = bits; }
    ResourceModule* GetResourceModule() const { return resources_; }

protected:
    uint32_t bitsPerPixel_ = 32;
    int width_ = 0, height_ = 0;
    ResourceModule* resources_ = nullptr;
    uint32_t lastFrameTime_ = 0;
    double rateSum_ = 0;
    uint32_t frameCount_ = 0;
    int32_t viewX_ = 0, viewY_ = 0;
    uint32_t lastImageId_ = 1;
    // Records live in their own blocks so that picture handles may point at them. A removed
    // record's block is emptied (id 0, so handles see they are stale) and kept for reuse
    // until Shutdown, never freed under a handle. Hashed rather than ordered: every picture a
    // layout names is found here, and a tree of a table's pictures is a dozen nodes deep.
    struct KeyHash {
        size_t operator()(const ResourceKey& key) const { return size_t(key.Low64() ^ (uint64_t(key.h3) << 17)); }
    };
    std::unordered_map<ResourceKey, std::unique_ptr<ImageRecord>, KeyHash> images_;
    std::vector<std::unique_ptr<ImageRecord>> spare_;
};

} // namespace Lumora
