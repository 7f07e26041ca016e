#include "widgets/CXyBlackboard.h"

#include "engine/object/PlaneObject.h"
#include "widgets/WidgetSupport.h"

#include <cstring>

namespace Lumora {

uint32_t CXyBlackboard::CharacterKey(std::string_view text, size_t at, size_t& length)
{
    if (at >= text.size()) {
        length = 0;
        return 0;
    }
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead >= 0x81 && at + 1 < text.size()) {
        length = 2;
        return lead * 256u + static_cast<unsigned char>(text[at + 1]);
    }
    length = 1;
    return lead;
}

void CXyBlackboard::MakePlane(int cellWidth, int height, uint32_t style)
{
    cellWidth_ = cellWidth;
    height_ = height;
    style_ = style;
    plane_ = NewPlaneObject(cellWidth, height, kColourKeyBackground);
    drawn_.reset();
    if (plane_)
        SetBody(plane_, kBodyLinks);
}

void CXyBlackboard::Create(int cellWidth, int height, uint32_t style) { MakePlane(cellWidth, height, style); }

void CXyBlackboard::MoveBy(double dx, double dy)
{
    CLumoraGui::MoveBy(dx, dy);
    Align();
}

void CXyBlackboard::SetGlyph(const char* character, const PictureInfo* picture)
{
    if (!character || !*character || !picture)
        return;
    size_t length = 0;
    const uint32_t key = CharacterKey(character, 0, length);
    glyphs_[key] = Glyph{key, *picture, picture->width};
    ++glyphsChanged_;
}

void CXyBlackboard::SetGlyphs(const char* characters, const char* resourceName)
{
    if (!characters || !resourceName)
        return;
    PictureInfo first;
    GetPicture(first, resourceName, 0);
    if (!first.image)
        return;
    const int frames = int(first.image->frames);
    const std::string_view text(characters);
    size_t at = 0;
    for (int frame = 0; at < text.size() && frame < frames; ++frame) {
        size_t length = 0;
        const uint32_t key = CharacterKey(text, at, length);
        PictureInfo picture;
        GetPicture(picture, resourceName, frame);
        Glyph glyph{key, picture, picture.width};
        if (length == 1 && !(style_ & STYLE_PROPORTIONAL))
            glyph.width /= 2;
        glyphs_[key] = glyph;
        ++glyphsChanged_;
        at += length;
    }
}

const CXyBlackboard::Glyph* CXyBlackboard::FindGlyph(uint32_t key) const
{
    const auto it = glyphs_.find(key);
    return it == glyphs_.end() ? nullptr : &it->second;
}

int CXyBlackboard::MeasureWidth(std::string_view text) const
{
    // The advances DrawGlyphs takes, without the gap after the last character: a two-byte
    // character always takes a whole cell, even in proportional mode.
    const bool proportional = (style_ & STYLE_PROPORTIONAL) != 0;
    int width = 0, lastGap = 0;
    for (size_t at = 0; at < text.size();) {
        size_t length = 0;
        const Glyph* glyph = FindGlyph(CharacterKey(text, at, length));
        if (length == 2) {
            width += cellWidth_ + gap_;
            lastGap = gap_;
        } else if (proportional && glyph) {
            width += glyph->width + gap_;
            lastGap = gap_;
        } else {
            width += cellWidth_ / 2 + gap_ / 2;
            lastGap = gap_ / 2;
        }
        at += length;
    }
    return width - lastGap;
}

CXyBlackboard::Drawn CXyBlackboard::DrawnNow(std::string_view text) const
{
    Drawn drawn;
    drawn.text = text;
    drawn.glyphs = glyphsChanged_;
    drawn.style = style_;
    drawn.gap = gap_;
    drawn.width = plane_->GetSurfaceWidth();
    drawn.height = plane_->GetSurfaceHeight();
    drawn.plane = plane_->Geometry();
    return drawn;
}

void CXyBlackboard::DrawText(const char* text)
{
    if (!plane_)
        return;
    const std::string_view t(text ? text : "");
    // The clock is set again and again to the value it shows: the plane already shows it.
    if (drawn_ && *drawn_ == DrawnNow(t))
        return;
    const int width = MeasureWidth(t);
    if (width > 0) {
        plane_->ResizeSurface(width, height_);
        plane_->SetSize(width, height_);
    }
    plane_->Clear();
    DrawGlyphs(plane_, 0, 0, text, GLYPHS_FROM_X);
    Align();
    drawn_ = DrawnNow(t);
}

void CXyBlackboard::DrawGlyphs(PlaneObject* plane, double x, double y, const char* text, uint32_t flags)
{
    if (!plane || !text)
        return;
    if (plane == plane_)
        drawn_.reset();
    const std::string_view t(text);
    if (!(flags & GLYPHS_FROM_X))
        x -= double(gap_ + cellWidth_) * double(t.size()) / ((flags & GLYPHS_QUARTER) ? 4 : 2);
    const bool proportional = (style_ & STYLE_PROPORTIONAL) != 0;
    for (size_t at = 0; at < t.size();) {
        size_t length = 0;
        const Glyph* glyph = FindGlyph(CharacterKey(t, at, length));
        if (length == 2) {
            if (glyph)
                plane->DrawPicture(glyph->picture, int(x), int(y), cellWidth_, height_);
            x += gap_ + cellWidth_;
        } else if (!proportional) {
            if (glyph)
                plane->DrawPicture(glyph->picture, int(x), int(y), cellWidth_ / 2, height_);
            x += gap_ / 2 + cellWidth_ / 2;
        } else if (glyph) {
            const int top = int(y) + height_ / 2 - glyph->picture.height / 2;
            plane->DrawPicture(glyph->picture, int(x), top, glyph->picture.width, glyph->picture.height);
            x += gap_ + glyph->width;
        } else {
            x += gap_ / 2 + cellWidth_ / 2;
        }
        at += length;
    }
    plane->Redraw();
}

void CXyBlackboard::Align()
{
    if (!plane_)
        return;
    const double x = Geometry().x, y = Geometry().y;
    const double half = plane_->GetWidth() / 2;
    if (style_ & STYLE_LEFT)
        plane_->MoveTo(x + half, y);
    else if (style_ & STYLE_RIGHT)
        plane_->MoveTo(x - half, y);
    else
        plane_->MoveTo(x, y);
    plane_->Redraw();
}

} // namespace Lumora
