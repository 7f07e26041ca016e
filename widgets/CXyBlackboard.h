#pragma once
// Draws a string with picture glyphs instead of a font: each single-byte or two-byte character
// maps to a frame of a skin picture. Fixed cells (a single-byte character takes half a cell) or
// proportional glyph widths; left, right or centre alignment against the widget's position.
//
// DrawText leaves a plane that already shows the same text with the same glyphs, size and place
// as it is: a clock set to the value it shows draws and repaints nothing. Drawing on the own
// plane through DrawGlyphs, new glyphs and a new plane make the next DrawText draw in full.
#include "engine/gui/CLumoraGui.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace Lumora {

class PlaneObject;

class CXyBlackboard : public CLumoraGui {
public:
    enum Style : uint32_t {
        STYLE_LEFT = 0x1,
        STYLE_RIGHT = 0x4,
        STYLE_SUFFIX = 0x8,
        STYLE_PROPORTIONAL = 0x10,
    };
    enum GlyphFlags : uint32_t {
        GLYPHS_FROM_X = 0x1,    // the text starts at x instead of centring on it
        GLYPHS_QUARTER = 0x2,   // centre by a quarter of the length instead of a half
    };
    struct Glyph {
        uint32_t key = 0;
        PictureInfo picture{};
        int width = 0;          // advance in proportional mode
    };

    void MoveBy(double dx, double dy) override;

    using PObject::Create;
    virtual void Create(int cellWidth, int height, uint32_t style);
    virtual void SetGlyph(const char* character, const PictureInfo* picture);
    virtual void SetGlyphs(const char* characters, const char* resourceName);
    virtual void DrawText(const char* text);
    virtual void DrawGlyphs(PlaneObject* plane, double x, double y, const char* text, uint32_t flags);
    virtual void Align();
    virtual void SetGap(int gap) { gap_ = gap; }

    PlaneObject* GetPlane() const { return plane_; }
    const Glyph* FindGlyph(uint32_t key) const;
    uint32_t GetStyle() const { return style_; }
    int GetCellWidth() const { return cellWidth_; }
    int GetCellHeight() const { return height_; }
    // The width DrawText gives the plane for this text.
    int MeasureWidth(std::string_view text) const;

    // A single byte's value, or lead byte × 256 + trail byte; `length` gets 1 or 2 (0 at the end).
    static uint32_t CharacterKey(std::string_view text, size_t at, size_t& length);

protected:
    void MakePlane(int cellWidth, int height, uint32_t style);

    PlaneObject* plane_ = nullptr;
    std::map<uint32_t, Glyph> glyphs_;
    uint32_t style_ = 0;
    int cellWidth_ = 0;
    int height_ = 0;
    int gap_ = 0;

private:
    // What DrawText last left on the plane, and where the plane was then.
    struct Drawn {
        std::string text;
        uint64_t glyphs = 0;
        uint32_t style = 0;
        int gap = 0, width = 0, height = 0;
        ObjectGeometry plane;
        bool operator==(const Drawn&) const = default;
    };
    Drawn DrawnNow(std::string_view text) const;

    uint64_t glyphsChanged_ = 0;
    std::optional<Drawn> drawn_;
};

} // namespace Lumora
