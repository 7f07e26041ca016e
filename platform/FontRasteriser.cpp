#include "platform/FontRasteriser.h"

#include <algorithm>
#include <cmath>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

namespace platform {

struct FontRasteriser::Library {
    FT_Library ft = nullptr;
    std::map<std::pair<std::string, int>, FT_Face> faces;

    ~Library()
    {
        for (auto& [key, face] : faces)
            if (face)
                FT_Done_Face(face);
        if (ft)
            FT_Done_FreeType(ft);
    }

    FT_Face Open(const std::string& file, int index)
    {
        auto key = std::make_pair(file, index);
        auto found = faces.find(key);
        if (found != faces.end())
            return found->second;
        FT_Face face = nullptr;
        if (!ft || FT_New_Face(ft, file.c_str(), index, &face) != 0)
            face = nullptr;
        faces[key] = face; // a file that failed is not tried again
        return face;
    }
};

namespace {

// The cell is exactly `size` rows: the baseline divides it as the font's ascent and descent do.
void CellMetrics(FT_Face face, int size, int& baseline, int& underlineTop, int& underlineRows)
{
    double ascent = face->ascender, descent = -face->descender;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
        if (os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
            ascent = os2->usWinAscent;
            descent = os2->usWinDescent;
        }
    }
    baseline = ascent + descent > 0 ? static_cast<int>(std::lround(size * ascent / (ascent + descent))) : size;
    double upem = face->units_per_EM > 0 ? face->units_per_EM : 1000.0;
    int position = face->underline_position != 0 ? static_cast<int>(std::lround(-face->underline_position * size / upem)) : 1;
    underlineRows = std::max(1, static_cast<int>(std::lround(face->underline_thickness * size / upem)));
    underlineTop = std::clamp(baseline + position - underlineRows / 2, 0, std::max(0, size - 1));
    underlineRows = std::min(underlineRows, size - underlineTop);
}

} // namespace

FontRasteriser::FontRasteriser() : lib_(std::make_unique<Library>())
{
    if (FT_Init_FreeType(&lib_->ft) != 0)
        lib_->ft = nullptr;
}

FontRasteriser::~FontRasteriser() = default;

bool FontRasteriser::Render(const std::string& file, int index, char32_t codePoint, const RasterStyle& style, GlyphMask& out)
{
    out.width = std::max(0, style.cellWidth);
    out.height = std::max(0, style.size);
    out.left = out.top = 0;
    out.coverage.assign(static_cast<size_t>(out.width) * out.height, 0);
    out.underlineTop = std::max(0, out.height - 1);
    out.underlineRows = 1;
    FT_Face face = lib_->Open(file, index);
    if (!face)
        return false;
    if (out.width == 0 || out.height == 0)
        return true;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(style.size)) != 0)
        return true;
    int baseline = 0;
    CellMetrics(face, style.size, baseline, out.underlineTop, out.underlineRows);

    FT_UInt glyph = FT_Get_Char_Index(face, codePoint);
    if (glyph == 0)
        return true;
    bool synthetic = style.emboldenBold || style.slant;
    FT_Int32 flags = FT_LOAD_TARGET_LIGHT;
    if (synthetic || !style.bitmapStrikes)
        flags |= FT_LOAD_NO_BITMAP;
    if (FT_Load_Glyph(face, glyph, flags) != 0)
        return true;
    FT_GlyphSlot slot = face->glyph;
    int advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (style.emboldenBold)
            FT_Outline_EmboldenXY(&slot->outline, std::max<FT_Pos>(64, style.size * 64 / 24), 0);
        if (style.slant) {
            FT_Matrix shear{0x10000, 0x3333, 0, 0x10000}; // x += 0.2 y
            FT_Outline_Transform(&slot->outline, &shear);
        }
    }
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
        return true;

    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.pixel_mode != FT_PIXEL_MODE_MONO)
        return true;
    // Latin glyphs of proportional faces are centred in their half-width cell; the bitmap is kept
    // whole, however far it reaches past the cell.
    out.left = (out.width - advance) / 2 + slot->bitmap_left;
    out.top = baseline - slot->bitmap_top;
    out.width = static_cast<int>(bm.width);
    out.height = static_cast<int>(bm.rows);
    out.coverage.assign(static_cast<size_t>(out.width) * out.height, 0);
    for (unsigned row = 0; row < bm.rows; ++row) {
        const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(row) * bm.pitch;
        uint8_t* dst = out.coverage.data() + static_cast<size_t>(row) * out.width;
        for (unsigned col = 0; col < bm.width; ++col) {
            if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                dst[col] = (src[col >> 3] & (0x80 >> (col & 7))) ? 255 : 0;
            else
                dst[col] = bm.num_grays == 256 ? src[col]
                                               : static_cast<uint8_t>(src[col] * 255 / std::max(1, bm.num_grays - 1));
        }
    }
    return true;
}

} // namespace platform
