#pragma once
// The parameter block of each kind of timed action, as its starting operation fills it and its
// step reads it. Every block lives in the 64 bytes of an ActionRecord.
#include "engine/object/ActionRecord.h"
#include "engine/object/EventRecord.h"
#include "engine/paint/ImageRecord.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

namespace Lumora {

constexpr size_t kActionParameterBytes = sizeof(ActionRecord::parameters);

struct BlinkParams {
    double step;
    double upper;
    double lower;
    int32_t count;   // rises to the upper bound this many times; 0 ends after one step, < 0 never
};

struct RotateParams {
    double step;     // degrees
    double finalAngle;
};

struct FadeParams {
    double step;
    double finalAlpha;
};

struct ShowParams {
    uint8_t show;
};

struct MoveParams {
    double speed;
    double acceleration;
    double topSpeed;
    double x;
    double y;
};

struct WaitParams {
    uint32_t duration;
};

struct WaitClockParams {
    uint32_t created;  // core clock when the action was made
    uint32_t duration;
};

struct RepeatParams {
    uint32_t period;
    int32_t count;     // <= 0: until cancelled
    int32_t fired;
    EventRecord event;
};

struct PlayFramesParams {
    int32_t frame;
    int32_t mode;
    int32_t n;
    uint32_t limit;
};

constexpr size_t kSoundNameBytes = 32;

struct PlaySoundParams {
    char name[kSoundNameBytes];  // zero-terminated
    int32_t flags;
    EventRecord notice;          // handed to the music module unchanged
};

struct DeleteParams {
    uint32_t objectId;  // the object is unregistered by id, so a stale one is never touched
};

struct ResizeParams {
    int32_t width;
    int32_t height;
    int32_t finalWidth;
    int32_t finalHeight;
    int32_t widthStep;
    int32_t heightStep;
};

// A picture block without the padding of PictureInfo, so that a flip's face and its state
// share the 64 bytes.
struct PackedPicture {
    ImageRecord* image;
    uint32_t imageId;
    int32_t srcX, srcY, width, height, frame;
    uint32_t key;
    ResourceKey resKey;

    static PackedPicture From(const PictureInfo& info)
    {
        return {info.image, info.imageId, info.srcX, info.srcY, info.width, info.height, info.frame, info.key, info.resKey};
    }
    PictureInfo Unpack() const
    {
        PictureInfo info;
        info.imageId = imageId;
        info.image = image;
        info.srcX = srcX;
        info.srcY = srcY;
        info.width = width;
        info.height = height;
        info.frame = frame;
        info.key = key;
        info.resKey = resKey;
        return info;
    }
};

struct FlipParams {
    PackedPicture face;         // the other face; after a swap, the one to come back to
    int32_t degreeStep;
    int32_t finalDegrees;
    int32_t degrees;
    int32_t fullWidth : 31;
    uint32_t swapped : 1;
};

using CallFunction = void (*)(void* data);

struct CallParams {
    CallFunction function;
    alignas(8) unsigned char data[kActionParameterBytes - sizeof(CallFunction)];
};

// The most caller data an ActCall carries; more is refused.
constexpr size_t kMaxCallData = sizeof(CallParams::data);

// Starts the lifetime of a block in an action's parameters and hands it back.
template <typename P>
P& EmplaceParams(ActionRecord& action)
{
    static_assert(sizeof(P) <= kActionParameterBytes, "parameter block too large");
    static_assert(std::is_trivially_copyable_v<P>);
    return *new (action.parameters) P{};
}

template <typename P>
P& ParamsOf(void* parameters)
{
    return *std::launder(static_cast<P*>(parameters));
}

} // namespace Lumora
