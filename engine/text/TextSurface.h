#pragma once
// The one text renderer of the engine, shared by every plane object: lays text out with the
// engine's own arithmetic (so sizes never depend on the installed fonts), reads the engine
// markup in it, and blends each character's coverage into a 32-bit picture.
//
// Every text call reads its text as its type says (engine/text/Markup.h): Markup, the skins' and
// the program's own texts, is read with its tags, '#' escapes and line ends; PlainText, anything
// else, is drawn as written, and no tag, line break or stray byte in it can steer the drawing.
// Measuring takes the same type as drawing, so a text cut to a width is cut as drawn.
#include "engine/geometry/ObjectGeometry.h"
#include "engine/text/Markup.h"
#include "engine/text/TextStyle.h"
#include "platform/GlyphSource.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace Lumora {

class TextSurface {
public:
    static constexpr int kLargestSize = 300;    // sizes from here on draw nothing
    static constexpr size_t kMaxScripts = 256;  // script tags kept until ClearLines
    static constexpr int kMeasureHeight = 999999;

    // Without a glyph source the real fonts are opened on the first character drawn.
    explicit TextSurface(std::shared_ptr<platform::GlyphSource> glyphs = nullptr);
    ~TextSurface();
    TextSurface(const TextSurface&) = delete;
    TextSurface& operator=(const TextSurface&) = delete;

    void SetGlyphSource(std::shared_ptr<platform::GlyphSource> glyphs);
    platform::GlyphSource& Glyphs();

    // Back to the starting style, colour and script list.
    void Reset();

    void SelectFont(int size, int weight, std::string_view face, bool italic, bool underline);
    void SetTextColor(uint32_t colour) { current_.colour = colour; }
    void CopyStyle(TextStyle& out) const { out = current_; }
    const TextStyle& CurrentStyle() const { return current_; }
    void ApplyStyle(const TextStyle& style);
    // What the closing tags return to.
    void SetBaseStyle(const TextStyle& style) { base_ = style; }
    const TextStyle& BaseStyle() const { return base_; }

    // Lays out and draws into `pixels` (width x height, 32-bit blue, green, red, alpha). Returns
    // the box the laid-out lines take (empty when no character was placed), not cut to the picture.
    Rect RenderText(uint8_t* pixels, int width, int height, int x, int y, const Markup& text);
    Rect RenderText(uint8_t* pixels, int width, int height, int x, int y, PlainText text);
    // The same, with the layout limited to limitWidth x limitHeight of a larger picture.
    Rect RenderText(uint8_t* pixels, int width, int height, int limitWidth, int limitHeight, int x, int y,
                    const Markup& text);
    Rect RenderText(uint8_t* pixels, int width, int height, int limitWidth, int limitHeight, int x, int y,
                    PlainText text);
    // The bottom of the last line the text reaches when laid out at that width; nothing drawn.
    int MeasureText(int width, const Markup& text);
    int MeasureText(int width, PlainText text);

    void ClearLines();
    const std::deque<std::string>& Scripts() const { return scripts_; }
    int ScriptIndex() const { return scriptIndex_; }
    int Widest() const { return widest_; }
    int LastHeight() const { return lastHeight_; }
    // The characters the last drawing call placed, in order (no tag, escape or line end).
    const std::string& LastDrawn() const { return drawn_; }

    // The markup: a tag's text between its brackets, and one name=value pair of it.
    bool ParseTag(std::string_view tag);
    bool ApplyTag(std::string_view name, std::string_view value);

    // Serialises the planes' text calls. Re-entrant: a drawing call may nest another on the
    // same thread.
    void LockSurface() { mutex_.lock(); }
    void UnlockSurface() { mutex_.unlock(); }

    // One plane's drawing or measuring call: holds the lock, puts the plane's style in force
    // (as the current and the base style) and gives the surface its own style back at the end.
    class StyledCall {
    public:
        StyledCall(TextSurface& surface, const TextStyle& style);
        ~StyledCall();
        StyledCall(const StyledCall&) = delete;
        StyledCall& operator=(const StyledCall&) = delete;

    private:
        TextSurface& surface_;
        std::lock_guard<std::recursive_mutex> lock_;
        TextStyle savedCurrent_, savedBase_;
    };

private:
    friend class PlaneObject; // its calls have read the text's type already

    struct Target {
        uint8_t* pixels = nullptr;
        int width = 0, height = 0;           // the picture
        int limitWidth = 0, limitHeight = 0; // the layout
    };

    Rect RenderAs(const Target& target, int x, int y, std::string_view text, bool plain);
    int MeasureAs(int width, std::string_view text, bool plain);
    void Render(const Target& target, int x, int y, std::string_view text);
    bool Fits(int advance, int pitch) const;
    bool NewLine();
    void DrawCharacter(std::string_view bytes, int advance);
    void BlendCell(const platform::GlyphMask& mask, int advance);

    std::shared_ptr<platform::GlyphSource> glyphs_;
    int halfAdvance_ = 0;
    TextStyle current_, base_, lineStartStyle_;
    Target target_;
    int penX_ = 0, lineTop_ = 0, lineHeight_ = 0, lineBottom_ = 0, lineStartX_ = 0;
    size_t position_ = 0, lineStartPosition_ = 0;
    bool secondPass_ = false, measureOnly_ = false, stopping_ = false, plain_ = false;
    int widest_ = 0, lastHeight_ = 0;
    std::string drawn_;
    std::deque<std::string> scripts_;
    int scriptIndex_ = -1;
    std::recursive_mutex mutex_;
};

} // namespace Lumora
