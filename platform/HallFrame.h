#pragma once
// The frames of the hall link: one frame per packet of a Unix-domain SOCK_SEQPACKET socket, at
// most 64 KiB, little-endian:
//
//   +0  u32 magic 0x4C484C58 ("XLHL")   +16 u32 message (POST) or dwData (COPYDATA)
//   +4  u16 version 1                    +20 u32 wParam (COPYDATA: the sender's window id)
//   +6  u16 kind                         +24 u32 lParam (POST) or result (ACK: 1 handled, 0 not)
//   +8  u32 sequence (per sender, from 1) +28 u32 payload length n
//   +12 u32 target window id (0: the hall's frame)   +32 n bytes of payload
//
// Pure codec, no IO; the reader refuses anything that is not exactly one well-formed frame.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform {

enum class HallFrameKind : uint16_t { Hello = 1, Post = 2, CopyData = 3, Ack = 4 };

struct HallFrame {
    static constexpr uint32_t kMagic = 0x4C484C58;
    static constexpr uint16_t kVersion = 1;
    static constexpr size_t kHeadSize = 32;
    static constexpr size_t kMaxSize = 64 * 1024;
    static constexpr size_t kMaxPayload = kMaxSize - kHeadSize;

    HallFrameKind kind = HallFrameKind::Post;
    uint32_t sequence = 0;
    uint32_t target = 0;
    uint32_t message = 0;
    uint32_t wparam = 0;
    uint32_t lparam = 0;
    std::vector<uint8_t> payload;
};

enum class HallFrameError { None, Short, BadMagic, BadVersion, BadKind, LengthMismatch, TooLarge };

// Empty when the payload is too large for one frame.
std::vector<uint8_t> EncodeHallFrame(const HallFrame& frame);
std::optional<HallFrame> DecodeHallFrame(std::span<const uint8_t> packet, HallFrameError* error = nullptr);

} // namespace platform
