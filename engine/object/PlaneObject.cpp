#include "engine/object/PlaneObject.h"

#include "engine/paint/Blitters.h"
#include "engine/paint/Surface.h"

#include <algorithm>
#include <cstring>

namespace Lumora {

namespace {

// `count` pixels from `to` on, each the given one: one written, then the written ones copied on.
void FillPixels(uint8_t* to, size_t count, uint32_t pixel)
{
    if (count == 0)
        return;
    const uint8_t bytes[4] = {uint8_t(pixel), uint8_t(pixel >> 8), uint8_t(pixel >> 16), uint8_t(pixel >> 24)};
    std::memcpy(to, bytes, 4);
    for (size_t done = 1; done < count;) {
        const size_t n = std::min(done, count - done);
        std::memcpy(to + done * 4, to, n * 4);
        done += n;
    }
}

} // namespace

PlaneObject::PlaneObject() = default;
PlaneObject::~PlaneObject() = default;

void PlaneObject::AttachPicture()
{
    PictureInfo info;
    info.image = image_.get();
    info.width = image_->width;
    info.height = image_->height;
    info.key = kColourKey;
    picture_.SetInfo(info);
}

void PlaneObject::CreateSurface(int width, int height, uint32_t background, TextSurface* text)
{
    width = std::clamp(width, 0, 0xFFFF);
    height = std::clamp(height, 0, 0xFFFF);
    image_ = std::make_unique<ImageRecord>();
    image_->width = static_cast<uint16_t>(width);
    image_->height = static_cast<uint16_t>(height);
    image_->pixels.assign(size_t(width) * height * 4, 0);
    textBoxes_.reset();
    image_->transparent = kColourKey;
    image_->frames = 1;
    image_->flags = kImageAlpha;
    background_ = background;
    text_ = text;
    style_.opacity = 255;
    style_.weight = 400;
    style_.size = height / 2;
    style_.lineSize = style_.size;
    style_.wrap = 1;
    style_.colour = 0;
    AttachPicture();
    ObjectGeometry& g = geometry_.Edit();
    g.width = width;
    g.height = height;
    // No pixel is keyed yet: every one is zero, alpha included, whatever the key colour.
    MarkChanged();
    Redraw();
}

uint32_t PlaneObject::ConvertColour(uint32_t colour, uint32_t key)
{
    const uint32_t alpha = colour == key ? 0 : 255;
    const uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    return alpha << 24 | r << 16 | g << 8 | b;
}

void PlaneObject::Put(int x, int y, uint32_t pixel)
{
    uint8_t* p = At(x, y);
    p[0] = pixel & 0xFF;
    p[1] = (pixel >> 8) & 0xFF;
    p[2] = (pixel >> 16) & 0xFF;
    p[3] = pixel >> 24;
}

void PlaneObject::FillRect(int left, int top, int right, int bottom)
{
    if (!image_)
        return;
    // Cut to the surface: a rectangle reaching past it must not write past the pixels.
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, int(image_->width));
    bottom = std::min(bottom, int(image_->height));
    ForgetTexts(left, top, right, bottom);
    const uint32_t pixel = ConvertColour(background_, picture_.GetKey());
    for (int y = top; y < bottom && left < right; ++y)
        FillPixels(At(left, y), size_t(right - left), pixel);
}

void PlaneObject::Clear()
{
    if (!image_)
        return;
    textBoxes_.reset();
    if (background_ == picture_.GetKey()) {
        std::fill(image_->pixels.begin(), image_->pixels.end(), 0);
    } else {
        FillPixels(image_->pixels.data(), image_->pixels.size() / 4, ConvertColour(background_, picture_.GetKey()));
    }
    MarkChanged();
}

void PlaneObject::SetPixel(int x, int y, uint32_t colour)
{
    if (Inside(x, y))
        Put(x, y, ConvertColour(colour, picture_.GetKey()));
}

void PlaneObject::SetPixelAlpha(int x, int y, double alpha)
{
    if (Inside(x, y))
        At(x, y)[3] = static_cast<uint8_t>(static_cast<int>(alpha * 255.0));
}

void PlaneObject::DrawBorder(uint32_t colour, int thickness)
{
    const int w = GetSurfaceWidth(), h = GetSurfaceHeight();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (y < thickness || x < thickness || x >= w - thickness || y >= h - thickness)
                SetPixel(x, y, colour);
    MarkChanged();
}

void PlaneObject::DrawDottedBorder(uint32_t colour)
{
    const int w = GetSurfaceWidth(), h = GetSurfaceHeight();
    for (int x = 0; x < w; x += 2) {
        SetPixel(x, 0, colour);
        SetPixel(x, h - 1, colour);
    }
    for (int y = 0; y < h; y += 2) {
        SetPixel(0, y, colour);
        SetPixel(w - 1, y, colour);
    }
    MarkChanged();
}

void PlaneObject::DrawLine(int x1, int y1, int x2, int y2)
{
    const uint32_t pen = style_.colour;
    if (x1 == x2) {
        for (int y = std::min(y1, y2); y <= std::max(y1, y2); ++y)
            SetPixel(x1, y, pen);
    } else if (y1 == y2) {
        for (int x = std::min(x1, x2); x <= std::max(x1, x2); ++x)
            SetPixel(x, y1, pen);
    } else if (std::abs(x2 - x1) >= std::abs(y2 - y1)) {
        if (x1 > x2) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        const int steps = x2 - x1;
        const double slope = double(y2 - y1) / steps;
        for (int i = 0; i < steps; ++i)
            SetPixel(x1 + i, y1 + static_cast<int>(i * slope), pen);
    } else {
        if (y1 > y2) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        const int steps = y2 - y1;
        const double slope = double(x2 - x1) / steps;
        for (int i = 0; i < steps; ++i)
            SetPixel(x1 + static_cast<int>(i * slope), y1 + i, pen);
    }
    MarkChanged();
    Redraw();
}

bool PlaneObject::OrderAndClamp(int& x1, int& y1, int& x2, int& y2) const
{
    if (!image_ || image_->width == 0 || image_->height == 0)
        return false;
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    const int maxX = image_->width - 1, maxY = image_->height - 1;
    x1 = std::clamp(x1, 0, maxX);
    x2 = std::clamp(x2, 0, maxX);
    y1 = std::clamp(y1, 0, maxY);
    y2 = std::clamp(y2, 0, maxY);
    return x1 != x2 && y1 != y2;
}

void PlaneObject::DrawRect(int x1, int y1, int x2, int y2, bool filled)
{
    if (!OrderAndClamp(x1, y1, x2, y2))
        return;
    const uint32_t pixel = ConvertColour(style_.colour, picture_.GetKey());
    if (filled) {
        // One row made, then copied: dialogs fill their whole client area this way.
        const size_t rowBytes = size_t(x2 - x1 + 1) * 4;
        FillPixels(At(x1, y1), size_t(x2 - x1 + 1), pixel);
        for (int y = y1 + 1; y <= y2; ++y)
            std::memcpy(At(x1, y), At(x1, y1), rowBytes);
    } else {
        for (int y = y1; y <= y2; ++y)
            for (int x = x1; x <= x2; ++x)
                if (y == y1 || y == y2 || x == x1 || x == x2)
                    Put(x, y, pixel);
    }
    MarkChanged();
    Redraw();
}

void PlaneObject::DrawDottedRect(int x1, int y1, int x2, int y2)
{
    if (!OrderAndClamp(x1, y1, x2, y2))
        return;
    const uint32_t pixel = ConvertColour(style_.colour, picture_.GetKey());
    for (int x = x1; x <= x2; x += 2) {
        Put(x, y1, pixel);
        Put(x, y2, pixel);
    }
    for (int y = y1; y <= y2; y += 2) {
        Put(x1, y, pixel);
        Put(x2, y, pixel);
    }
    MarkChanged();
    Redraw();
}

void PlaneObject::DrawPicture(const PictureInfo& picture, int left, int top, int width, int height, double angle,
                              double alpha)
{
    if (!image_ || !picture.image)
        return;
    const int w = width == 0 ? image_->width : width < 0 ? picture.width : width;
    const int h = height == 0 ? image_->height : height < 0 ? picture.height : height;
    PaintOverTexts(left, top, left + w, top + h);
    Surface surface;
    surface.buffer = image_->pixels.data();
    surface.width = image_->width;
    surface.height = image_->height;
    DrawParams params;
    params.angle = angle;
    params.x = params.rawX = left + (w + 1) / 2;
    params.y = params.rawY = top + (h + 1) / 2;
    params.width = w;
    params.height = h;
    const int frame = static_cast<int>(WrapFrame(picture.frame, std::max(1u, picture.image->frames)));
    Lumora::DrawPicture(surface, params, *picture.image, picture.srcX, picture.image->height * frame + picture.srcY,
                        picture.width, picture.height, alpha, picture.key);
    MarkChanged();
}

void PlaneObject::DrawThreePicturesV(const PictureInfo& top, const PictureInfo& middle, const PictureInfo& bottom)
{
    const int h = GetSurfaceHeight();
    if (top.height + bottom.height < h) {
        DrawPicture(top, 0, 0, 0, top.height);
        DrawPicture(bottom, 0, h - bottom.height, 0, bottom.height);
        DrawPicture(middle, 0, top.height, 0, h - top.height - bottom.height);
    } else {
        DrawPicture(top, 0, 0, 0, h / 2);
        DrawPicture(bottom, 0, h / 2, 0, h - h / 2);
    }
}

// One picture cut in three along its height (or width): fixed caps, a stretched middle; two
// halves when the caps would leave no room.
void PlaneObject::DrawThreeParts(const PictureInfo& picture, bool vertical)
{
    const int room = vertical ? GetSurfaceHeight() : GetSurfaceWidth();
    const int length = vertical ? picture.height : picture.width;
    const int sourceStart = vertical ? picture.srcY : picture.srcX;
    // Source part [from, from + size) drawn over [at, at + extent) of the surface.
    auto part = [&](int from, int size, int at, int extent) {
        PictureInfo p = picture;
        (vertical ? p.srcY : p.srcX) = sourceStart + from;
        (vertical ? p.height : p.width) = size;
        if (vertical)
            DrawPicture(p, 0, at, 0, extent);
        else
            DrawPicture(p, at, 0, extent, 0);
    };
    const int cap = length / 3;
    if (2 * cap < room) {
        part(0, cap, 0, cap);
        part(length - cap, cap, room - cap, cap);
        part(cap, length - 2 * cap, cap, room - 2 * cap);
    } else {
        part(0, length / 2, 0, room / 2);
        part(length - length / 2, length / 2, room / 2, room - room / 2);
    }
}

void PlaneObject::DrawPictureThreeV(const PictureInfo& picture) { DrawThreeParts(picture, true); }
void PlaneObject::DrawPictureThreeH(const PictureInfo& picture) { DrawThreeParts(picture, false); }

void PlaneObject::InvertRect(int x1, int y1, int x2, int y2)
{
    if (!OrderAndClamp(x1, y1, x2, y2))
        return;
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x) {
            uint8_t* p = At(x, y);
            if (p[3])
                for (int c = 0; c < 3; ++c)
                    p[c] = static_cast<uint8_t>(255 - p[c]);
        }
    MarkChanged();
}

void PlaneObject::FitToText(const Markup& text, int width)
{
    const int height = MeasureText(text, width);
    SetSize(width, height);
    ResizeSurface(width, height);
}

void PlaneObject::ResizeSurface(int width, int height)
{
    if (!image_ || width <= 0 || height <= 0)
        return;
    width = std::min(width, 0xFFFF);
    height = std::min(height, 0xFFFF);
    // Scaled to its own size a surface stays as it is: a layout that repeats a size (each start
    // lays the panels out more than once) keeps the pixels instead of copying them through the
    // scaler.
    if (width != image_->width || height != image_->height || image_->pixels.size() != size_t(width) * height * 4) {
        std::vector<uint8_t> pixels(size_t(width) * height * 4, 0);
        if (image_->width > 0 && image_->height > 0) {
            BlitSource source{image_->pixels.data(), image_->width, image_->height, 0, 0,
                              image_->width,         image_->height};
            const std::vector<uint32_t> scaled = Scale32Nearest(source, width, height);
            if (scaled.size() * 4 == pixels.size())
                std::memcpy(pixels.data(), scaled.data(), pixels.size());
        }
        image_->pixels.swap(pixels);
    }
    TakeNewSize(width, height);
}

void PlaneObject::TakeNewSize(int width, int height)
{
    textBoxes_.reset();
    image_->width = static_cast<uint16_t>(width);
    image_->height = static_cast<uint16_t>(height);
    AttachPicture();
    MarkChanged();
    Redraw();
}

void PlaneObject::ResizeSurfaceCleared(int width, int height)
{
    if (image_ && width > 0 && height > 0) {
        width = std::min(width, 0xFFFF);
        height = std::min(height, 0xFFFF);
        // In the buffer it has where that is large enough (tiles' shadows are resized back and
        // forth as the tiles change size); the Clear below fills every pixel.
        image_->pixels.resize(size_t(width) * height * 4);
        TakeNewSize(width, height);
    }
    Clear();
}

void PlaneObject::SwapPixels(std::vector<uint8_t>& pixels)
{
    if (!image_ || pixels.size() != image_->pixels.size())
        return;
    image_->pixels.swap(pixels);
    textBoxes_.reset();
    MarkChanged();
}

void PlaneObject::ResizeSurfaceWith(int width, int height, const uint8_t* pixels)
{
    if (!image_ || !pixels || width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF)
        return;
    image_->pixels.assign(pixels, pixels + size_t(width) * height * 4);
    TakeNewSize(width, height);
}

void PlaneObject::ApplyColourKey()
{
    if (!image_)
        return;
    const uint32_t key = image_->transparent;
    const uint8_t b = (key >> 16) & 0xFF, g = (key >> 8) & 0xFF, r = key & 0xFF;
    for (size_t i = 0; i < image_->pixels.size(); i += 4) {
        uint8_t* p = &image_->pixels[i];
        if (p[0] == b && p[1] == g && p[2] == r)
            p[3] = 0;
    }
    MarkChanged();
    Redraw();
}

void PlaneObject::Tint(uint32_t colour, double amount)
{
    if (!image_)
        return;
    const unsigned k = static_cast<unsigned>(static_cast<int>(amount * 255)) & 0xFF;
    const unsigned component[3] = {(colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF};
    for (size_t i = 0; i < image_->pixels.size(); i += 4) {
        uint8_t* p = &image_->pixels[i];
        if (p[3])
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<uint8_t>((p[c] * (255 - k) + component[c] * k) / 256);
    }
    MarkChanged();
}

void PlaneObject::MaskWith(const PictureInfo& mask)
{
    if (!image_ || !mask.image || mask.image->width != image_->width || mask.image->height != image_->height)
        return;
    CPglPic maskPicture;
    maskPicture.SetInfo(mask);
    for (int y = 0; y < image_->height; ++y)
        for (int x = 0; x < image_->width; ++x)
            if (maskPicture.GetPixelAlpha(x, y) == 0)
                At(x, y)[3] = 0;
    MarkChanged();
}

void PlaneObject::Darken()
{
    if (!image_)
        return;
    for (size_t i = 0; i < image_->pixels.size(); i += 4)
        if (image_->pixels[i + 3])
            for (int c = 0; c < 3; ++c)
                image_->pixels[i + c] /= 2;
    MarkChanged();
}

void PlaneObject::SetKeyColour(uint32_t colour)
{
    if (image_)
        image_->transparent = colour;
    ApplyColourKey();
}

void PlaneObject::SetPen(uint32_t colour, double alpha)
{
    style_.colour = colour;
    style_.opacity = static_cast<uint32_t>(std::clamp(static_cast<int>(alpha * 255), 0, 255));
}

void PlaneObject::SetFont(int size, int weight, std::string_view face)
{
    style_.size = size;
    style_.lineSize = size;
    style_.weight = weight;
    style_.SetFace(face);
}

void PlaneObject::SetSpacing(int characterSpacing, int lineSpacing)
{
    if (characterSpacing >= 0)
        style_.pitch = characterSpacing;
    if (lineSpacing >= 0)
        style_.rowSpace = lineSpacing;
}

void PlaneObject::SetMargins(int left, int right)
{
    style_.leftMargin = left;
    style_.rightMargin = right;
}

uint32_t PlaneObject::GetPixelColour(int x, int y) const
{
    if (!Inside(x, y))
        return 0;
    const uint8_t* p = At(x, y);
    return uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
}

uint32_t PlaneObject::GetPixelAlpha(int x, int y) const { return Inside(x, y) ? At(x, y)[3] : 0; }

} // namespace Lumora
