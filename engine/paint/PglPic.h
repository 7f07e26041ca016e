// Picture handle: a frame and a source rectangle of a shared cached image. Objects hold these
// and the paint module draws through them.
#pragma once
#include <array>
#include <cstdint>

#include "engine/paint/ImageRecord.h"

namespace Lumora {

class CPglRes {
public:
    virtual ~CPglRes() = default;
    virtual int GetType() const { return 1; }
};

class CPglPic : public CPglRes {
public:
    CPglPic() = default;
    ~CPglPic() override = default;

    // Nonzero when the picture must not be drawn; a plain picture is always drawable.
    virtual int IsNotDrawable() const { return 0; }
    virtual int IsOpaqueAt(int x, int y) const;
    virtual int GetWidth() const { return info_.width; }
    virtual int GetHeight() const { return info_.height; }
    virtual int IsCurrent() const { return info_.image && info_.image->id == info_.imageId; }
    virtual void SetInfo(const PictureInfo& info) { info_ = info; }
    virtual ImageRecord* GetImage() const { return info_.image; }
    virtual void SetImage(ImageRecord* image) { info_.image = image; }
    virtual void MarkChanged();
    virtual void ClearChanged();
    virtual uint32_t GetImageKey() const { return info_.image ? info_.image->transparent : kColourKey; }
    virtual void GetInfo(PictureInfo& out) const { out = info_; }
    virtual int GetSourceX() const { return info_.srcX; }
    virtual int GetSourceY() const { return info_.srcY; }
    virtual uint32_t GetFrameDelay(int64_t i) const;
    virtual uint32_t GetTotalDelay() const;
    virtual int GetFrame() const { return info_.frame; }
    virtual uint32_t GetKey() const { return info_.key; }
    virtual int GetOffsetX() const { return info_.image ? info_.image->offsetX : 0; }
    virtual int GetOffsetY() const { return info_.image ? info_.image->offsetY : 0; }
    virtual uint32_t GetPixelColour(int x, int y) const;
    virtual uint32_t GetPixelAlpha(int x, int y) const;
    virtual uint32_t GetFrameCount() const { return info_.image ? info_.image->frames : 0; }
    virtual ResourceKey GetExtra() const { return info_.resKey; }
    virtual uint32_t GetGeneration() const { return info_.imageId; }
    virtual void SetSize(int width, int height) { info_.width = width; info_.height = height; }
    virtual uint32_t SetFrame(int64_t i);
    // With a total delay of 0 (no delays) the start frame is returned and nothing changes.
    virtual uint32_t AdvanceToTime(uint32_t elapsedMs, int startFrame);
    virtual uint32_t NextFrame();
    virtual void SetKey(uint32_t colour) { info_.key = colour; }

    // Module time of the last cache refresh, kept for the paint module's retry limit.
    uint32_t GetRefreshTime() const { return refreshTime_; }
    void SetRefreshTime(uint32_t t) { refreshTime_ = t; }
    const PictureInfo& Info() const { return info_; }

private:
    // Pixel of frame coordinates in the current frame, null outside the image.
    const uint8_t* PixelAt(int x, int y) const;

    uint32_t refreshTime_ = 0;
    PictureInfo info_{};
};

} // namespace Lumora
