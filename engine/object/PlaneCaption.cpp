// Caption fitting: a size from the box and the text's length, the text cut while a forced size
// cannot hold it, the letters spread over the width, and an all double-byte text tried on two
// lines when that gives it a larger size.
#include "engine/object/PlaneCaption.h"
#include "engine/object/PlaneObject.h"

#include "platform/GbkWalk.h"

#include <algorithm>

namespace Lumora {
namespace {

int MadeEven(int size) { return size - size % 2; }

// Replaces the end of the text by "..": its last three bytes, or four when the third byte from
// the end is the trail of a two-byte character.
void CutEnd(std::string& text)
{
    const size_t want = text.size() - 3;
    size_t cut = 0;
    for (size_t i = 0; i <= want; i += platform::GbkCharLength(text, i))
        cut = i;
    text.resize(cut);
    text += "..";
}

struct Counts {
    int characters = 0, pairs = 0, singles = 0; // pairs and singles leave the first character out
};

Counts CountCharacters(const std::string& text)
{
    Counts c;
    for (size_t i = 0; i < text.size(); i += platform::GbkCharLength(text, i)) {
        const bool pair = platform::GbkCharLength(text, i) == 2;
        if (c.characters++ == 0)
            continue;
        (pair ? c.pairs : c.singles) += 1;
    }
    return c;
}

// Letter spacing and left offset for a line of `bytes` bytes whose gaps count `gaps` half-widths.
void Spread(int width, int size, int bytes, int gaps, int margin, bool spaced, TextStyle& style, CaptionFit& fit)
{
    const int textWidth = size * bytes / 2;
    const int side = std::max(margin, (width - textWidth) / (gaps + 2));
    style.pitch = spaced && gaps > 0 ? (width - 2 * side - textWidth) / gaps : 0;
    fit.left = (width - style.pitch * gaps - textWidth) / 2;
    style.leftMargin = fit.left;
}

} // namespace

CaptionFit FitCaption(std::string& text, const CaptionRequest& request, TextStyle& style)
{
    const int W = request.width, H = request.height;
    const std::optional<int> forced = request.forcedSize;
    bool shortened = false;
    for (;;) {
        CaptionFit fit;
        const int n = int(text.size());
        if (n == 0)
            return fit;
        int m = request.sideMargin.value_or(0), t = request.topMargin.value_or(0);
        const int size = std::min(request.sideMargin ? (W - 2 * m) * 2 / n : 2 * W / (n + 2),
                                  request.topMargin ? H - 2 * t : int(H / 1.5));
        if (!request.sideMargin)
            m = size / 2;
        if (!request.topMargin)
            t = size / 4;
        style.size = MadeEven(forced ? *forced : size);
        const int minimum = std::max(std::min(W, H) / 5, 12);

        while (forced && W - 2 * m - style.size * int(text.size()) / 2 < 0) {
            if (text.size() < 3) {
                text.clear();
                return fit;
            }
            if (text.size() <= 4)
                text.resize(platform::GbkCharLength(text, 0));
            else
                CutEnd(text);
            shortened = true;
        }

        const int bytes = int(text.size());
        const Counts counts = CountCharacters(text);
        const int gaps = counts.singles + 2 * counts.pairs;
        style.rowSpace = 0;
        Spread(W, style.size, bytes, gaps, m, counts.characters > 1, style, fit);
        fit.top = (H - style.size) / 2;

        const bool allPairs = counts.singles == 0 && counts.characters * 2 == bytes;
        if (allPairs && bytes % 4 == 0 && !shortened && !forced) {
            int m2 = request.sideMargin.value_or(0), t2 = request.topMargin.value_or(0);
            const int size2 = std::min(request.sideMargin ? (W - 2 * m2) * 4 / bytes : 2 * W / (bytes / 2 + 2),
                                       request.topMargin ? (H - 2 * t2) / 2 : H / 3);
            if (!request.sideMargin)
                m2 = size2 / 2;
            if (!request.topMargin)
                t2 = size2 / 2;
            if (size2 >= style.size) {
                style.size = MadeEven(size2);
                fit.twoLines = true;
                fit.top = std::max((H - 2 * style.size) / 3, t2);
                style.rowSpace = H - 2 * (style.size + fit.top);
                const int half = bytes / 2;
                Spread(W, style.size, half, half - 2, m2, bytes >= 5, style, fit);
            }
        }

        if (style.size < minimum && text.size() > 4 && !forced) {
            CutEnd(text);
            shortened = true;
            continue;
        }
        return fit;
    }
}

CaptionFit PlaneObject::DrawCaption(const Markup& text, const CaptionRequest& request)
{
    return DrawCaptionAs(std::string(text.Text()), request, false);
}

// Fitted as drawn: the bytes a plain caption drops take no room.
CaptionFit PlaneObject::DrawCaption(PlainText text, const CaptionRequest& request)
{
    return DrawCaptionAs(PlainCharacters(text.Text()), request, true);
}

CaptionFit PlaneObject::DrawCaptionAs(std::string text, const CaptionRequest& request, bool plain)
{
    const CaptionFit fit = FitCaption(text, request, style_);
    if (!fit.twoLines) {
        DrawLineAs(fit.left, fit.top, text, plain);
        return fit;
    }
    const size_t half = text.size() / 2;
    DrawLineAs(fit.left, fit.top, std::string_view(text).substr(0, half), plain);
    DrawLineAs(fit.left, fit.top + style_.size + style_.rowSpace, std::string_view(text).substr(half), plain);
    return fit;
}

} // namespace Lumora
