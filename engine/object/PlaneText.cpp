// The plane object's text operations: each is one call on the shared text surface with the
// plane's own style in force.
#include "engine/object/PlaneObject.h"
#include "engine/text/TextSurface.h"

#include "platform/Charset.h"
#include "platform/GbkWalk.h"

#include <algorithm>
#include <string>
#include <vector>

namespace Lumora {
namespace {

// The length of a markup tag starting at i ('<' up to the next '>' within 255 bytes), or 0.
size_t TagLength(std::string_view text, size_t i)
{
    if (text[i] != '<')
        return 0;
    const size_t close = text.substr(i + 1, 255).find('>');
    return close == std::string_view::npos ? 0 : close + 2;
}

bool IsPair(std::string_view text, size_t i)
{
    return static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size();
}

// Whether planes keep the boxes of their texts (a check of the look asks for them).
bool g_recordTexts = false;

} // namespace

int PlaneObject::CharacterWidth(bool pair) const
{
    return pair ? style_.size + 2 * style_.pitch : (style_.size + 1) / 2 + style_.pitch;
}

void PlaneObject::DrawTextLine(int x, int y, const Markup& text) { DrawLineAs(x, y, text.Text(), false); }

void PlaneObject::DrawTextLine(int x, int y, PlainText text) { DrawLineAs(x, y, PlainCharacters(text.Text()), true); }

void PlaneObject::DrawLineAs(int x, int y, std::string_view text, bool plain)
{
    if (!text_ || !image_)
        return;
    // Recorded as drawn: a plain text's dropped bytes are no part of what a reader sees.
    TextSurface::StyledCall call(*text_, style_);
    const TextSurface::Target target{image_->pixels.data(), image_->width, image_->height, image_->width,
                                     image_->height};
    // A markup text is recorded as the characters it drew.
    const Rect box = text_->RenderAs(target, x, y, text, plain);
    NoteText(box, plain ? text : std::string_view(text_->LastDrawn()), plain);
    MarkChanged();
}

void PlaneObject::DrawTextCentred(int x, int y, const Markup& text) { DrawCentredAs(x, y, text.Text(), false); }

void PlaneObject::DrawTextCentred(int x, int y, PlainText text)
{
    DrawCentredAs(x, y, PlainCharacters(text.Text()), true);
}

void PlaneObject::DrawCentredAs(int x, int y, std::string_view text, bool plain)
{
    int width = 0;
    for (size_t i = 0; i < text.size();) {
        if (size_t tag = plain ? 0 : TagLength(text, i)) {
            i += tag;
            continue;
        }
        const bool escape = !plain && IsMarkupEscape(text, i);
        const bool pair = !escape && static_cast<unsigned char>(text[i]) > 128 && i + 1 < text.size();
        width += CharacterWidth(pair);
        i += pair || escape ? 2 : 1;
    }
    DrawLineAs(x - width / 2, y - style_.size / 2, text, plain);
}

void PlaneObject::DrawTextWrapped(const Markup& text, int y) { DrawWrappedAs(text.Text(), y, false); }

void PlaneObject::DrawTextWrapped(PlainText text, int y) { DrawWrappedAs(PlainCharacters(text.Text()), y, true); }

void PlaneObject::DrawWrappedAs(std::string_view text, int y, bool plain)
{
    if (!image_)
        return;
    const bool markup = !plain;
    const int left = style_.leftMargin, right = image_->width - style_.rightMargin;
    const int room = right - left, centreX = (left + right) / 2;
    int centreY = y + style_.size / 2;
    size_t i = 0;
    while (i < text.size()) {
        // One line: as many characters as fit; tags travel with the text but take no room.
        const size_t start = i;
        int width = 0;
        bool lastWasPair = false;
        while (i < text.size()) {
            if (size_t tag = markup ? TagLength(text, i) : 0) {
                i += tag;
                continue;
            }
            if (text[i] == '\n' && markup)
                break;
            const bool escape = markup && IsMarkupEscape(text, i);
            const bool pair = !escape && IsPair(text, i);
            const int w = CharacterWidth(pair);
            if (width + w > room && i > start)
                break;
            width += w;
            lastWasPair = pair;
            i += pair || escape ? 2 : 1;
        }
        std::string line(text.substr(start, i - start));
        if (i < text.size() && text[i] == '\n')
            ++i;
        const bool lastFitting = centreY + style_.size + style_.rowSpace + style_.size / 2 > image_->height;
        if (lastFitting && i < text.size()) {
            // The text goes on past the bottom: end this line with dots that fit.
            const std::string dots = lastWasPair ? ".." : "...";
            const int dotsWidth = CharacterWidth(false) * static_cast<int>(dots.size());
            while (!line.empty() && width + dotsWidth > room) {
                const bool pair = line.size() >= 2 && static_cast<unsigned char>(line[line.size() - 2]) >= 0x81;
                width -= CharacterWidth(pair);
                line.resize(line.size() - (pair ? 2 : 1));
            }
            DrawCentredAs(centreX, centreY, line + dots, plain);
            return;
        }
        DrawCentredAs(centreX, centreY, line, plain);
        centreY += style_.size + style_.rowSpace;
        if (centreY - style_.size / 2 >= image_->height)
            return;
    }
}

void PlaneObject::DrawMarkupText(const Markup& text, int x, int width, int height)
{
    if (!text_ || !image_)
        return;
    TextSurface::StyledCall call(*text_, style_);
    NoteText(text_->RenderText(image_->pixels.data(), image_->width, image_->height,
                               std::min<int>(x + width, image_->width), std::min<int>(height, image_->height), x, 0,
                               text),
             text_->LastDrawn(), false);
    MarkChanged();
}

void PlaneObject::RecordTexts(bool on) { g_recordTexts = on; }

bool PlaneObject::RecordingTexts() { return g_recordTexts; }

void PlaneObject::NoteText(const Rect& box, std::string_view text, bool plain)
{
    if (!g_recordTexts || !image_)
        return;
    // Only what lands on the surface counts.
    const Rect on{std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, int(image_->width)),
                  std::min(box.bottom, int(image_->height))};
    if (on.right <= on.left || on.bottom <= on.top)
        return;
    if (!textBoxes_)
        textBoxes_ = std::make_unique<std::deque<TextBox>>();
    if (textBoxes_->size() >= kTextBoxesKept)
        textBoxes_->pop_front();
    size_t cut = 0;
    while (cut < text.size() && cut < kTextBoxBytes)
        cut += IsPair(text, cut) ? 2 : 1;
    textBoxes_->push_back(
        {on, std::string(text.substr(0, std::min(cut, text.size()))), false, plain, style_.size, style_.colour});
}

const std::deque<PlaneObject::TextBox>& PlaneObject::TextBoxes() const
{
    static const std::deque<TextBox> none;
    return textBoxes_ ? *textBoxes_ : none;
}

void PlaneObject::ForgetTexts(int left, int top, int right, int bottom)
{
    if (!textBoxes_)
        return;
    std::erase_if(*textBoxes_, [&](const TextBox& t) {
        return t.box.left < right && left < t.box.right && t.box.top < bottom && top < t.box.bottom;
    });
}

void PlaneObject::PaintOverTexts(int left, int top, int right, int bottom)
{
    if (!textBoxes_)
        return;
    std::erase_if(*textBoxes_, [&](TextBox& t) {
        const int w = std::min(right, t.box.right) - std::max(left, t.box.left);
        const int h = std::min(bottom, t.box.bottom) - std::max(top, t.box.top);
        const bool whole = left <= t.box.left && top <= t.box.top && right >= t.box.right && bottom >= t.box.bottom;
        // A pixel's edge over a text leaves it readable.
        t.paintedOver = t.paintedOver || (!whole && w > 1 && h > 1);
        return whole;
    });
}

int PlaneObject::MeasureText(const Markup& text, int width)
{
    if (!text_)
        return 0;
    TextSurface::StyledCall call(*text_, style_);
    return text_->MeasureText(width, text);
}

int PlaneObject::MeasureText(PlainText text, int width)
{
    if (!text_)
        return 0;
    TextSurface::StyledCall call(*text_, style_);
    return text_->MeasureText(width, text);
}

int PlaneObject::TextWidth(const Markup& text) { return TextWidthAs(text.Text(), false); }

int PlaneObject::TextWidth(PlainText text) { return TextWidthAs(text.Text(), true); }

int PlaneObject::TextWidthAs(std::string_view text, bool plain)
{
    if (!text_)
        return 0;
    TextSurface::StyledCall call(*text_, style_);
    // Wide enough that the line never wraps.
    text_->MeasureAs(TextSurface::kMeasureHeight, text, plain);
    return std::max(0, text_->Widest() - style_.rightMargin - std::max(0, style_.leftMargin));
}

// The cut of a markup text is markup still: its first characters and the program's "…".
Markup PlaneObject::FitText(const Markup& text, int width)
{
    return Markup::FromSkin(FitTextAs(text.Text(), width, false));
}

std::string PlaneObject::FitText(PlainText text, int width) { return FitTextAs(PlainCharacters(text.Text()), width, true); }

std::string PlaneObject::FitTextAs(std::string_view text, int width, bool plain)
{
    if (TextWidthAs(text, plain) <= width)
        return std::string(text);
    static constexpr std::string_view kEllipsis = "…";
    // The starts of the characters, so that the cut never splits a two-byte one (nor an escape).
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); i += !plain && IsMarkupEscape(text, i) ? 2 : platform::GbkCharLength(text, i))
        starts.push_back(i);
    while (!starts.empty()) {
        std::string cut(text.substr(0, starts.back()));
        starts.pop_back();
        cut += kEllipsis;
        if (TextWidthAs(cut, plain) <= width)
            return cut;
    }
    return {};
}

} // namespace Lumora
