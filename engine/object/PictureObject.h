#pragma once
// An engine object that shows a picture handle: the common part of bitmap objects and plane
// objects, with the picture's frame and timing forwarders.
#include "engine/object/PObject.h"
#include "engine/paint/PglPic.h"

namespace Lumora {

class PictureObject : public PObject {
public:
    // Final: the object module keeps this pointer while the object is drawn.
    CPglPic* GetDrawData() final { return &picture_; }

    void SetPictureKey(uint32_t colour) { picture_.SetKey(colour); }
    uint32_t GetPictureKey() const { return picture_.GetKey(); }
    int GetFrame() const { return picture_.GetFrame(); }
    uint32_t GetFrameCount() const { return picture_.GetFrameCount(); }
    uint32_t GetTotalDelay() const { return picture_.GetTotalDelay(); }
    // Only the low 16 bits of the frame are passed on.
    uint32_t SetFrame(int frame) { return picture_.SetFrame(static_cast<uint16_t>(frame)); }
    uint32_t AdvanceToTime(uint32_t elapsedMs, int startFrame) { return picture_.AdvanceToTime(elapsedMs, startFrame); }
    uint32_t NextFrame() { return picture_.NextFrame(); }
    // The delays of frames [from, to), counted round the end when from is past to.
    uint32_t GetFramesDelay(int from, int to) const;
    void GetPictureInfo(PictureInfo& out) const { picture_.GetInfo(out); }
    // The same, where it stands: for a comparison that copies nothing.
    const PictureInfo& PictureInfoNow() const { return picture_.Info(); }
    // As the object's, and the picture's block too.
    void PrefetchForUpdate() const
    {
        PObject::PrefetchForUpdate();
        __builtin_prefetch(&picture_);
        __builtin_prefetch(reinterpret_cast<const char*>(&picture_ + 1) - 1);
    }

protected:
    CPglPic picture_;
};

// An object showing a picture of the resource packs.
class BITObject : public PictureObject {
public:
    int GetType() const override { return 2; }
    // Takes the picture; with fit nonzero the object takes the picture's size.
    void LoadPicture(const PictureInfo& info, int fit);
};

} // namespace Lumora
