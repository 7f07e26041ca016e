#pragma once
// A mouse cursor: one of the stock shapes, or pictures read from cursor (.cur/.ico) and
// animated cursor (.ani) files. Cheap to copy; copies share their pictures, and two cursors
// are equal when they are the same stock shape or share the same pictures.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

struct CursorFrame {
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    std::vector<uint32_t> bgra;  // width * height pixels, top row first, 0xAARRGGBB in a uint32
    uint32_t durationMs = 0;     // how long an animated cursor shows this frame; 0 for a still one
};

class Cursor {
public:
    Cursor() = default;  // the stock arrow
    static Cursor System(int id);
    // Bytes of a .cur, .ico or .ani file; nothing when they do not parse.
    static std::optional<Cursor> FromFileBytes(std::span<const uint8_t> bytes);
    static std::optional<Cursor> FromFile(const std::string& path);
    // A cursor the program ships in place of one compiled into it: "cursors/<id>.cur" or
    // "cursors/<id>.ani" where ShippedFile finds it.
    static std::optional<Cursor> FromProgramResource(int id);

    bool IsSystem() const { return !frames_; }
    int SystemId() const { return systemId_; }
    // Empty for a stock cursor.
    std::span<const CursorFrame> Frames() const;
    // Identifies the shared pictures (null for a stock cursor); back ends cache by it.
    const void* Identity() const { return frames_.get(); }

    friend bool operator==(const Cursor& a, const Cursor& b)
    {
        return a.frames_ ? a.frames_ == b.frames_ : (!b.frames_ && a.systemId_ == b.systemId_);
    }

private:
    int systemId_ = 32512;
    std::shared_ptr<const std::vector<CursorFrame>> frames_;
};

// The picture of one .cur/.ico file, the entry closest to 32x32 with the most colours.
std::optional<CursorFrame> ParseCursorImage(std::span<const uint8_t> bytes);
// Every step of a RIFF "ACON" file, in play order, with its duration.
std::optional<std::vector<CursorFrame>> ParseAnimatedCursor(std::span<const uint8_t> bytes);

} // namespace platform
