#include "engine/paint/PaintModule.h"

#include "engine/GameCore.h"
#include "engine/paint/Pps.h"
#include "engine/resource/ResourceModule.h"
#include "platform/ImageDecode.h"

#include <cstring>

namespace Lumora {
namespace {

// The key of a named image, name + ".imge", built on the stack for names of ordinary length:
// tiles look up their pictures on every update.
ResourceKey ImageKey(std::string_view name) {
    constexpr std::string_view kKind = ".imge";
    char buffer[128];
    if (name.size() > sizeof buffer - kKind.size()) return MakeResourceKey(std::string(name).append(kKind));
    std::memcpy(buffer, name.data(), name.size());
    std::memcpy(buffer + name.size(), kKind.data(), kKind.size());
    return MakeResourceKey(std::string_view(buffer, name.size() + kKind.size()));
}

} // namespace

PaintModule::PaintModule() { SetInterval(10); }

PaintModule::~PaintModule() = default;

int PaintModule::Init() {
    resources_ = dynamic_cast<ResourceModule*>(GetModule(LUMORA_MODULE_RESOURCE));
    return resources_ ? 1 : 0;
}

void PaintModule::Shutdown() {
    for (auto& [key, record] : images_) FreeImageData(record.get());
    images_.clear();
    spare_.clear();
}

void PaintModule::Work() {
    const uint32_t now = GetLastUpdate();
    const uint32_t elapsed = now - lastFrameTime_;
    frameCount_ += 1;
    const double rate = elapsed == 0 ? 999.99 : 1000.0 / elapsed;
    if (frameCount_ >= 100)
        rateSum_ = rateSum_ - rateSum_ / 100 + rate;
    else
        rateSum_ += rate;
    lastFrameTime_ = now;
}

int PaintModule::ProcessMessage(uint32_t, uintptr_t, uintptr_t) { return 0; }

double PaintModule::GetFrameRate() const {
    if (frameCount_ == 0) return 0;
    return frameCount_ < 100 ? rateSum_ / frameCount_ : rateSum_ / 100;
}

PictureInfo PaintModule::GetImageFrame(std::string_view name, int64_t frame) {
    const ResourceKey key = ImageKey(name);
    ImageRecord* img = FindImage(key);
    PictureInfo info{};
    if (!img) {
        info.key = 0;
        return info;
    }
    info.imageId = img->id;
    info.image = img;
    info.width = img->width;
    info.height = img->height;
    info.frame = int32_t(WrapFrame(frame, img->frames));  // a negative frame wraps too
    info.key = kColourKey;
    info.resKey = key;
    return info;
}

ImageRecord* PaintModule::FindImage(const ResourceKey& key) {
    auto it = images_.find(key);
    if (it != images_.end()) return it->second.get();
    if (!LoadImage(key)) return nullptr;
    it = images_.find(key);
    return it == images_.end() ? nullptr : it->second.get();
}

ImageRecord* PaintModule::FindImage(const std::string& name) { return FindImage(MakeResourceKey(name)); }

bool PaintModule::LoadImageByName(const std::string& name) { return LoadImage(MakeResourceKey(name)); }

bool PaintModule::RegisterImageCopy(const CPglPic& picture, const std::string& name) {
    const ImageRecord* source = picture.GetImage();
    if (!source) return false;
    ImageRecord copy;
    CopyImage(copy, *source);
    return AddImage(ImageKey(name), std::move(copy));
}

bool PaintModule::DecodePps(const uint8_t* data, size_t size, ImageRecord& out) {
    if (!Lumora::DecodePps(data, size, out)) return false;
    if (out.flags & kImageBlock32) {  // the 32-byte block is never drawn
        out = ImageRecord{};
        return false;
    }
    return true;
}

bool PaintModule::DecodeImage(const uint8_t* data, size_t size, uint32_t extensionHash, ImageRecord& out) {
    out = ImageRecord{};
    if (!data || size == 0) return false;
    if (extensionHash == HashStringRS(".pps")) return DecodePps(data, size, out);
    platform::PictureFormat format;
    if (extensionHash == HashStringRS(".bmp"))
        format = platform::PictureFormat::Bmp;
    else if (extensionHash == HashStringRS(".gif"))
        format = platform::PictureFormat::Gif;
    else if (extensionHash == HashStringRS(".jpg") || extensionHash == HashStringRS(".jpeg"))
        format = platform::PictureFormat::Jpeg;
    else if (extensionHash == HashStringRS(".png"))
        format = platform::PictureFormat::Png;
    else
        return false;  // .ico .tif .tga .pcx .wbmp .wmf .mng: no decoder here
    platform::DecodedPicture pic;
    if (!platform::DecodePicture(format, data, size, pic)) return false;
    if (pic.width > 0xFFFF || pic.height > 0xFFFF) return false;
    out.width = uint16_t(pic.width);
    out.height = uint16_t(pic.height);
    out.frames = pic.frames;
    out.flags = pic.flags;
    out.transparent = pic.transparent;
    out.pixels = std::move(pic.pixels);
    out.palette = std::move(pic.palette);
    out.paletteSize = uint32_t(out.palette.size() / 3);
    out.delays = std::move(pic.delays);
    return out.IsConsistent();
}

bool PaintModule::AddImage(const ResourceKey& key, ImageRecord record) {
    if (images_.count(key)) return false;  // the copy is dropped here, not leaked
    record.id = ++lastImageId_;
    record.time = GetCore() ? GetCore()->GetTime() : 0;
    std::unique_ptr<ImageRecord> block;
    if (!spare_.empty()) {
        block = std::move(spare_.back());
        spare_.pop_back();
        *block = std::move(record);
    } else {
        block = std::make_unique<ImageRecord>(std::move(record));
    }
    images_.emplace(key, std::move(block));
    return true;
}

void PaintModule::RemoveImage(std::string_view name) {
    auto it = images_.find(ImageKey(name));
    if (it == images_.end()) return;
    FreeImageData(it->second.get());
    spare_.push_back(std::move(it->second));
    images_.erase(it);
}

bool PaintModule::RefreshPicture(CPglPic& picture) {
    const PictureInfo& info = picture.Info();
    if (info.imageId == 0 || info.imageId == 1) return false;
    const uint32_t now = GetCore() ? GetCore()->GetTime() : 0;
    if (now - picture.GetRefreshTime() < 1000 && picture.GetRefreshTime() != 0) return false;
    picture.SetRefreshTime(now == 0 ? 1 : now);
    PictureInfo next = info;
    auto it = images_.find(info.resKey);
    if (it != images_.end()) {
        next.image = it->second.get();
        next.imageId = next.image->id;
        picture.SetInfo(next);
        return false;  // drawn from the next frame on
    }
    if (!LoadImage(info.resKey)) return false;
    it = images_.find(info.resKey);
    if (it == images_.end()) return false;
    next.image = it->second.get();
    next.imageId = next.image->id;
    next.frame = int32_t(WrapFrame(next.frame, next.image->frames));
    picture.SetInfo(next);
    return true;
}

} // namespace Lumora
