#include "engine/text/TextSurface.h"

#include "platform/Charset.h"
#include "platform/FontGlyphSource.h"
#include "platform/GbkCodePoints.h"

#include <algorithm>

namespace Lumora {
namespace {

constexpr uint32_t kStartColour = 0xFF7D327D;
constexpr size_t kMaxTagText = 255;

char32_t CodePointOf(std::string_view bytes)
{
    auto lead = static_cast<unsigned char>(bytes[0]);
    if (bytes.size() == 2)
        return platform::GbkPairToCodePoint(lead, static_cast<unsigned char>(bytes[1]));
    return lead >= 0x20 && lead < 0x80 ? lead : 0;
}

} // namespace

TextSurface::TextSurface(std::shared_ptr<platform::GlyphSource> glyphs) : glyphs_(std::move(glyphs)) { Reset(); }

TextSurface::~TextSurface() = default;

void TextSurface::SetGlyphSource(std::shared_ptr<platform::GlyphSource> glyphs)
{
    std::lock_guard lock(mutex_);
    glyphs_ = std::move(glyphs);
}

platform::GlyphSource& TextSurface::Glyphs()
{
    if (!glyphs_)
        glyphs_ = std::make_shared<platform::FontGlyphSource>();
    return *glyphs_;
}

void TextSurface::Reset()
{
    TextStyle start;
    start.SetFace("宋体");
    start.colour = kStartColour;
    start.weight = 400;
    start.wrap = 1;
    start.opacity = 255;
    ApplyStyle(start);
    SelectFont(12, 400, start.Face(), false, false);
    base_ = current_;
    lineStartStyle_ = TextStyle{};
    ClearLines();
}

void TextSurface::SelectFont(int size, int weight, std::string_view face, bool italic, bool underline)
{
    size = std::clamp(size, 0, kLargestSize);
    current_.size = size;
    current_.lineSize = size;
    current_.weight = weight;
    current_.italic = italic;
    current_.underline = underline;
    if (face.data() != current_.face)
        current_.SetFace(face);
    halfAdvance_ = (size + 1) / 2;
}

void TextSurface::ApplyStyle(const TextStyle& style)
{
    current_ = style;
    SelectFont(style.size, style.weight, style.Face(), style.italic != 0, style.underline != 0);
}

void TextSurface::ClearLines()
{
    scripts_.clear();
    scriptIndex_ = -1;
}

Rect TextSurface::RenderText(uint8_t* pixels, int width, int height, int x, int y, const Markup& text)
{
    return RenderAs(Target{pixels, width, height, width, height}, x, y, text.Text(), false);
}

Rect TextSurface::RenderText(uint8_t* pixels, int width, int height, int x, int y, PlainText text)
{
    return RenderAs(Target{pixels, width, height, width, height}, x, y, text.Text(), true);
}

Rect TextSurface::RenderText(uint8_t* pixels, int width, int height, int limitWidth, int limitHeight, int x, int y,
                             const Markup& text)
{
    return RenderAs(Target{pixels, width, height, limitWidth, limitHeight}, x, y, text.Text(), false);
}

Rect TextSurface::RenderText(uint8_t* pixels, int width, int height, int limitWidth, int limitHeight, int x, int y,
                             PlainText text)
{
    return RenderAs(Target{pixels, width, height, limitWidth, limitHeight}, x, y, text.Text(), true);
}

Rect TextSurface::RenderAs(const Target& target, int x, int y, std::string_view text, bool plain)
{
    std::lock_guard lock(mutex_);
    widest_ = 0;
    drawn_.clear();
    const std::string characters = plain ? PlainCharacters(text) : std::string();
    plain_ = plain;
    Render(target, x, y, plain_ ? std::string_view(characters) : text);
    plain_ = false;
    const int left = std::max(x, current_.leftMargin);
    return widest_ > left ? Rect{left, y, widest_, std::max(lineBottom_, y + current_.size)} : Rect{};
}

int TextSurface::MeasureText(int width, const Markup& text) { return MeasureAs(width, text.Text(), false); }

int TextSurface::MeasureText(int width, PlainText text) { return MeasureAs(width, text.Text(), true); }

int TextSurface::MeasureAs(int width, std::string_view text, bool plain)
{
    std::lock_guard lock(mutex_);
    const std::string characters = plain ? PlainCharacters(text) : std::string();
    plain_ = plain;
    measureOnly_ = true;
    Render(Target{nullptr, 0, 0, width, kMeasureHeight}, 0, 0, plain_ ? std::string_view(characters) : text);
    measureOnly_ = false;
    plain_ = false;
    lastHeight_ = lineBottom_;
    return lastHeight_;
}

bool TextSurface::Fits(int advance, int pitch) const
{
    return int64_t(advance) + pitch + penX_ <= int64_t(target_.limitWidth) - current_.rightMargin;
}

// Each line is laid out twice: once to learn its height (the largest size on it), then again
// to draw every character standing on the line's common bottom.
void TextSurface::Render(const Target& target, int x, int y, std::string_view text)
{
    if (current_.size >= kLargestSize)
        return;
    target_ = target;
    const TextStyle entryStyle = current_;
    position_ = 0;
    widest_ = 0;
    penX_ = x;
    if (current_.leftMargin > 0 && penX_ < current_.leftMargin)
        penX_ = current_.leftMargin;
    lineTop_ = y;
    lineHeight_ = 1;
    lineBottom_ = y + 1;
    lineStartX_ = penX_;
    lineStartStyle_ = current_;
    lineStartPosition_ = 0;
    secondPass_ = false;
    stopping_ = false;

    const size_t end = text.size();
    auto stop = [&] { current_ = entryStyle; halfAdvance_ = (current_.size + 1) / 2; };
    int idleLines = 0; // drawn lines in a row that took nothing from the text
    while (position_ < end) {
        auto b = static_cast<unsigned char>(text[position_]);
        if (b == '\n') {
            ++position_;
            NewLine();
            continue;
        }
        if (b == '<' && !plain_) {
            const size_t close = text.substr(position_ + 1, kMaxTagText).find('>');
            if (close != std::string_view::npos && close > 0 && ParseTag(text.substr(position_ + 1, close))) {
                position_ += close + 2;
                if (penX_ >= int64_t(target_.limitWidth) - current_.rightMargin)
                    NewLine();
                else if (!measureOnly_ && position_ >= end && !secondPass_)
                    NewLine();
                continue;
            }
        }
        // The escape of outside text: "#<", "#>" and "##" draw their second byte.
        const size_t escape = !plain_ && IsMarkupEscape(text, position_) ? 1 : 0;
        if (escape)
            b = static_cast<unsigned char>(text[position_ + 1]);
        // A lead byte with nothing after it is a character of its own, never a pair with
        // whatever lies past the end.
        const size_t count = b >= 0x81 && position_ + 1 < end ? 2 : 1;
        const int advance = count == 2 ? current_.size : halfAdvance_;
        const int pitch = count == 2 ? 2 * current_.pitch : current_.pitch;
        if (Fits(advance, pitch)) {
            if (penX_ != lineStartX_)
                penX_ += pitch;
            DrawCharacter(text.substr(position_ + escape, count), advance);
            position_ += count + escape;
            widest_ = std::max(widest_, penX_ + current_.rightMargin);
            if (position_ >= end && !secondPass_ && !measureOnly_)
                NewLine();
            continue;
        }
        // The character does not fit on this line.
        const bool pastBottom = int64_t(target_.limitHeight) <
                                int64_t(current_.rowSpace) + lineHeight_ + lineTop_ + current_.size;
        if (current_.wrap == 0 || stopping_ || (secondPass_ && pastBottom)) {
            if (!secondPass_ && !measureOnly_) {
                // Draw what fitted of this line before stopping.
                stopping_ = true;
                NewLine();
                continue;
            }
            stop();
            return;
        }
        // A drawn line that took nothing hands the next line exactly the state it began with, so a
        // second such line would repeat for ever when lines do not move down (size 0, or a row
        // space that cancels the line height).
        if (secondPass_) {
            idleLines = position_ == lineStartPosition_ ? idleLines + 1 : 0;
            if (idleLines >= 2) {
                stop();
                return;
            }
        }
        if (NewLine() && !Fits(advance, pitch)) {
            // Not even a fresh line holds it: stop rather than start line after line.
            stop();
            return;
        }
    }
    lastHeight_ = lineBottom_;
}

// Returns true when a new line was started, false when the line goes back to be drawn.
bool TextSurface::NewLine()
{
    if (measureOnly_) {
        lineTop_ += lineHeight_ + current_.rowSpace;
        penX_ = lineStartX_ = current_.leftMargin;
        lineHeight_ = 1;
        lineBottom_ = lineTop_ + 1;
    } else if (!secondPass_) {
        position_ = lineStartPosition_;
        penX_ = lineStartX_;
        secondPass_ = true;
        ApplyStyle(lineStartStyle_);
        return false;
    } else {
        lineTop_ += lineHeight_ + current_.rowSpace;
        penX_ = lineStartX_ = current_.leftMargin;
        lineHeight_ = current_.size;
        lineBottom_ = lineTop_ + current_.size;
    }
    lineStartStyle_ = current_;
    lineStartPosition_ = position_;
    secondPass_ = false;
    return true;
}

void TextSurface::DrawCharacter(std::string_view bytes, int advance)
{
    if (current_.size > lineHeight_) {
        lineHeight_ = current_.size;
        lineBottom_ = lineTop_ + current_.size;
    }
    const bool space = bytes.size() == 1 && bytes[0] == ' ';
    if (secondPass_ && target_.pixels && current_.size > 0 && advance > 0 && (!space || current_.underline)) {
        platform::GlyphRequest request;
        request.face = current_.Face();
        request.size = current_.size;
        request.weight = current_.weight;
        request.italic = current_.italic != 0;
        request.codePoint = CodePointOf(bytes);
        request.cellWidth = advance;
        BlendCell(Glyphs().Glyph(request), advance);
    }
    if (secondPass_ && target_.pixels)
        drawn_ += bytes;
    penX_ += advance;
}

// Coverage a over the target: an empty pixel takes the colour with alpha a; otherwise the
// colour is mixed in by a/256 and the alpha becomes the larger of the two.
void TextSurface::BlendCell(const platform::GlyphMask& mask, int advance)
{
    const int size = current_.size;
    const int cellTop = lineBottom_ - size;
    const uint8_t blue = (current_.colour >> 16) & 0xFF, green = (current_.colour >> 8) & 0xFF,
                  red = current_.colour & 0xFF;
    const auto blend = [&](int tx, int ty, unsigned a) {
        if (tx < 0 || tx >= target_.width || ty < 0 || ty >= target_.height || a == 0)
            return;
        if (current_.opacity != 255)
            a = (a * std::min<uint32_t>(current_.opacity, 255)) >> 8;
        uint8_t* px = target_.pixels + (size_t(ty) * target_.width + tx) * 4;
        if (px[3] == 0) {
            px[0] = blue;
            px[1] = green;
            px[2] = red;
            px[3] = static_cast<uint8_t>(a);
        } else {
            px[0] = static_cast<uint8_t>((blue * a + px[0] * (255 - a)) >> 8);
            px[1] = static_cast<uint8_t>((green * a + px[1] * (255 - a)) >> 8);
            px[2] = static_cast<uint8_t>((red * a + px[2] * (255 - a)) >> 8);
            px[3] = static_cast<uint8_t>(std::max<unsigned>(a, px[3]));
        }
    };
    // The underline band covers the advance, spaces included, and hides the glyph under it.
    const int underlineEnd =
        current_.underline ? std::min(size, mask.underlineTop + std::max(1, mask.underlineRows)) : 0;
    const auto underlined = [&](int r, int c) {
        return r >= mask.underlineTop && r < underlineEnd && c >= 0 && c < advance;
    };
    for (int r = std::max(0, mask.underlineTop); r < underlineEnd; ++r)
        for (int c = 0; c < advance; ++c)
            blend(penX_ + c, cellTop + r, 255);
    // The glyph whole, wherever its box reaches: only the picture's edges cut it.
    for (int r = 0; r < mask.height; ++r)
        for (int c = 0; c < mask.width; ++c)
            if (!underlined(mask.top + r, mask.left + c))
                blend(penX_ + mask.left + c, cellTop + mask.top + r, mask.coverage[size_t(r) * mask.width + c]);
}

TextSurface::StyledCall::StyledCall(TextSurface& surface, const TextStyle& style)
    : surface_(surface), lock_(surface.mutex_), savedCurrent_(surface.current_), savedBase_(surface.base_)
{
    surface_.ApplyStyle(style);
    surface_.base_ = surface_.current_;
}

TextSurface::StyledCall::~StyledCall()
{
    surface_.ApplyStyle(savedCurrent_);
    surface_.base_ = savedBase_;
}

} // namespace Lumora
