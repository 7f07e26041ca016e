#pragma once
// An engine object with a 32-bit drawing surface of its own: pixels, a pen, a text style, and
// the drawing operations (fills, borders, lines, pictures, text) that widgets build their
// looks from. Text goes through the object module's shared text surface. Every text operation
// reads its text as its type says (engine/text/Markup.h): Markup, the skins' and the program's
// own texts, with its tags; PlainText, any other string (names, levels, game and room names),
// drawn, measured, fitted and recorded as the characters PlainCharacters keeps of it.
#include "engine/object/PictureObject.h"
#include "engine/paint/ImageRecord.h"
#include "engine/object/PlaneCaption.h"
#include "engine/text/Markup.h"
#include "engine/text/TextStyle.h"

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Lumora {

class TextSurface;

class PlaneObject : public PictureObject {
public:
    PlaneObject();
    ~PlaneObject() override;

    int GetType() const override { return 3; }

    void CreateSurface(int width, int height, uint32_t background, TextSurface* text);
    static uint32_t ConvertColour(uint32_t colour, uint32_t key);
    // Pixels x in [left, right), y in [top, bottom), cut to the surface.
    void FillRect(int left, int top, int right, int bottom);
    void Clear();
    void SetPixel(int x, int y, uint32_t colour);
    void SetPixelAlpha(int x, int y, double alpha);
    void DrawBorder(uint32_t colour, int thickness);
    void DrawDottedBorder(uint32_t colour);
    void DrawLine(int x1, int y1, int x2, int y2);
    void DrawRect(int x1, int y1, int x2, int y2, bool filled);
    void DrawDottedRect(int x1, int y1, int x2, int y2);
    // Width or height 0: the surface's; negative: the picture's.
    void DrawPicture(const PictureInfo& picture, int left, int top, int width, int height, double angle = 0,
                     double alpha = 1.0);
    void DrawThreePicturesV(const PictureInfo& top, const PictureInfo& middle, const PictureInfo& bottom);
    void DrawPictureThreeV(const PictureInfo& picture);
    void DrawPictureThreeH(const PictureInfo& picture);
    void InvertRect(int x1, int y1, int x2, int y2);
    void FitToText(const Markup& text, int width);
    // Fits the caption into the request's box with the plane's style (see FitCaption) and draws
    // it, on one line or as two halves.
    CaptionFit DrawCaption(const Markup& text, const CaptionRequest& request);
    CaptionFit DrawCaption(PlainText text, const CaptionRequest& request);
    void ResizeSurface(int width, int height);
    // ResizeSurface then Clear, without scaling the pixels that the clear wipes.
    void ResizeSurfaceCleared(int width, int height);
    // ResizeSurface with these pixels (width × height × 4 bytes) copied in instead of scaled.
    void ResizeSurfaceWith(int width, int height, const uint8_t* pixels);
    // Trades the surface's pixels for the buffer's, which must hold as many bytes (nothing
    // happens otherwise); the surface is marked changed.
    void SwapPixels(std::vector<uint8_t>& pixels);
    void ApplyColourKey();
    void Tint(uint32_t colour, double amount);
    void MaskWith(const PictureInfo& mask);
    void Darken();
    void SetBackgroundColour(uint32_t colour) { background_ = colour; }
    void SetKeyColour(uint32_t colour);
    void SetPen(uint32_t colour, double alpha);
    void SetFont(int size, int weight, std::string_view face);
    void SetSpacing(int characterSpacing, int lineSpacing);
    void SetItalic(bool on) { style_.italic = on; }
    void SetUnderline(bool on) { style_.underline = on; }
    void SetMargins(int left, int right);
    void SetTextStyle(const TextStyle& style) { style_ = style; }
    // Text drawn with the object's style, read as its type says.
    void DrawTextLine(int x, int y, const Markup& text);
    void DrawTextLine(int x, int y, PlainText text);
    // Centred on x by the width of the characters drawn (a tag, an escape's '#' and a byte plain
    // text drops take no room).
    void DrawTextCentred(int x, int y, const Markup& text);
    void DrawTextCentred(int x, int y, PlainText text);
    // Centred lines from y down, broken where the next character would not fit (and at '\n' in
    // markup); the last line that fits ends with dots when text is left over.
    void DrawTextWrapped(const Markup& text, int y);
    void DrawTextWrapped(PlainText text, int y);
    void DrawMarkupText(const Markup& text, int x, int width, int height);
    uint32_t GetPenColour() const { return style_.colour; }
    int MeasureText(const Markup& text, int width);
    int MeasureText(PlainText text, int width);
    // How wide the text lies on one line in the plane's style, in pixels.
    int TextWidth(const Markup& text);
    int TextWidth(PlainText text);
    // The text whole when it is at most `width` pixels wide; else as many of its first
    // characters as fit with "…" after them; empty when not even "…" fits. Plain: of the
    // characters drawn (PlainCharacters), cut between whole characters.
    Markup FitText(const Markup& text, int width);
    std::string FitText(PlainText text, int width);
    uint32_t GetImageKeyColour() const { return image_ ? image_->transparent : kColourKey; }
    uint32_t GetBackgroundColour() const { return background_; }
    uint32_t GetPixelColour(int x, int y) const;
    uint32_t GetPixelAlpha(int x, int y) const;
    int GetSurfaceWidth() const { return image_ ? image_->width : 0; }
    int GetSurfaceHeight() const { return image_ ? image_->height : 0; }
    uint8_t* GetPixels() { return image_ ? image_->pixels.data() : nullptr; }
    void GetTextStyle(TextStyle& out) const { out = style_; }
    const TextStyle& Style() const { return style_; }

    // A text on the surface: where its lines stand (surface pixels), its first characters drawn (a
    // markup text's without its tags and escapes), how it was read, and the plane's size and colour
    // it started with.
    struct TextBox {
        Rect box;
        std::string text;
        bool paintedOver = false; // a picture drawn since covers part of it
        bool plain = false;
        int size = 0;
        uint32_t colour = 0;
    };
    static constexpr size_t kTextBoxesKept = 1024; // a chat box's characters
    static constexpr size_t kTextBoxBytes = 32;
    // The texts drawn on the surface and not painted over since (a fill over their box, a picture
    // over all of it, a clear or a new size forgets them; a picture over part of one marks it);
    // the newest kTextBoxesKept. What a check of the
    // look reads to find texts over texts; kept only while RecordTexts is on (off by default: the
    // product never reads them).
    const std::deque<TextBox>& TextBoxes() const;
    static void RecordTexts(bool on);
    static bool RecordingTexts();
    // A text whose pixels were copied onto the surface rather than drawn (kept across a scroll).
    void NoteText(const Rect& box, std::string_view text, bool plain);

private:
    uint8_t* At(int x, int y) { return image_->pixels.data() + (size_t(y) * image_->width + x) * 4; }
    const uint8_t* At(int x, int y) const { return image_->pixels.data() + (size_t(y) * image_->width + x) * 4; }
    bool Inside(int x, int y) const { return image_ && x >= 0 && y >= 0 && x < image_->width && y < image_->height; }
    void Put(int x, int y, uint32_t pixel);
    bool OrderAndClamp(int& x1, int& y1, int& x2, int& y2) const;
    void MarkChanged() { picture_.MarkChanged(); }
    void AttachPicture();
    // The surface's size after its pixels were made for it: the texts drawn are forgotten, and
    // the plane repaints.
    void TakeNewSize(int width, int height);
    int CharacterWidth(bool pair) const;
    // The operations above on a text and whether it is plain (already cut to its characters).
    void DrawLineAs(int x, int y, std::string_view text, bool plain);
    void DrawCentredAs(int x, int y, std::string_view text, bool plain);
    void DrawWrappedAs(std::string_view text, int y, bool plain);
    int TextWidthAs(std::string_view text, bool plain);
    std::string FitTextAs(std::string_view text, int width, bool plain);
    CaptionFit DrawCaptionAs(std::string text, const CaptionRequest& request, bool plain);
    void DrawThreeParts(const PictureInfo& picture, bool vertical);
    // Forgets the texts whose boxes meet the rectangle (right and bottom exclusive).
    void ForgetTexts(int left, int top, int right, int bottom);
    // A picture over the rectangle: forgets the texts it covers whole, marks those it covers in part.
    void PaintOverTexts(int left, int top, int right, int bottom);

    // The surface lives in its own image record, which the plane owns and frees; the painting
    // module keeps nothing of its own for it.
    std::unique_ptr<ImageRecord> image_;
    TextStyle style_;
    TextSurface* text_ = nullptr;
    uint32_t background_ = kColourKey;
    // Made by the first text recorded: a plane that records nothing holds no queue.
    std::unique_ptr<std::deque<TextBox>> textBoxes_;
};

} // namespace Lumora
