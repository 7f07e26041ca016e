// The hall link's frame codec.
#include "platform/HallFrame.h"

#include <cstring>

namespace platform {
namespace {

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Get32(std::span<const uint8_t> in, size_t at)
{
    return static_cast<uint32_t>(in[at]) | static_cast<uint32_t>(in[at + 1]) << 8 |
           static_cast<uint32_t>(in[at + 2]) << 16 | static_cast<uint32_t>(in[at + 3]) << 24;
}

} // namespace

std::vector<uint8_t> EncodeHallFrame(const HallFrame& frame)
{
    if (frame.payload.size() > HallFrame::kMaxPayload)
        return {};
    std::vector<uint8_t> out(HallFrame::kHeadSize + frame.payload.size());
    Put32(out, 0, HallFrame::kMagic);
    out[4] = HallFrame::kVersion & 0xFF;
    out[5] = HallFrame::kVersion >> 8;
    auto kind = static_cast<uint16_t>(frame.kind);
    out[6] = kind & 0xFF;
    out[7] = static_cast<uint8_t>(kind >> 8);
    Put32(out, 8, frame.sequence);
    Put32(out, 12, frame.target);
    Put32(out, 16, frame.message);
    Put32(out, 20, frame.wparam);
    Put32(out, 24, frame.lparam);
    Put32(out, 28, static_cast<uint32_t>(frame.payload.size()));
    if (!frame.payload.empty())
        std::memcpy(out.data() + HallFrame::kHeadSize, frame.payload.data(), frame.payload.size());
    return out;
}

std::optional<HallFrame> DecodeHallFrame(std::span<const uint8_t> packet, HallFrameError* error)
{
    auto fail = [&](HallFrameError e) {
        if (error)
            *error = e;
        return std::nullopt;
    };
    if (packet.size() > HallFrame::kMaxSize)
        return fail(HallFrameError::TooLarge);
    if (packet.size() < HallFrame::kHeadSize)
        return fail(HallFrameError::Short);
    if (Get32(packet, 0) != HallFrame::kMagic)
        return fail(HallFrameError::BadMagic);
    if ((packet[4] | packet[5] << 8) != HallFrame::kVersion)
        return fail(HallFrameError::BadVersion);
    unsigned kind = packet[6] | packet[7] << 8;
    if (kind < 1 || kind > 4)
        return fail(HallFrameError::BadKind);
    if (Get32(packet, 28) != packet.size() - HallFrame::kHeadSize)
        return fail(HallFrameError::LengthMismatch);
    HallFrame f;
    f.kind = static_cast<HallFrameKind>(kind);
    f.sequence = Get32(packet, 8);
    f.target = Get32(packet, 12);
    f.message = Get32(packet, 16);
    f.wparam = Get32(packet, 20);
    f.lparam = Get32(packet, 24);
    f.payload.assign(packet.begin() + HallFrame::kHeadSize, packet.end());
    if (error)
        *error = HallFrameError::None;
    return f;
}

} // namespace platform
