#pragma once
// Fitting a caption into a box: the font size, letter spacing, line gap and left offset that
// spread a GBK text evenly over a box of width W and height H, shortening the text with ".."
// when even the smallest readable size would not hold it. Plane objects use it to draw
// captions (`PlaneObject::DrawCaption`); the fitting itself draws nothing.
#include "engine/text/TextStyle.h"

#include <optional>
#include <string>

namespace Lumora {

struct CaptionRequest {
    int width = 0, height = 0;     // the box
    std::optional<int> sideMargin; // else half the font size
    std::optional<int> topMargin;  // else a quarter of the font size
    std::optional<int> forcedSize; // a font size to keep; the text is cut to fit it
};

struct CaptionFit {
    int left = 0, top = 0; // where the (first) line starts in the box
    bool twoLines = false; // the text is drawn as two halves, the second one font size + line gap lower
};

// Sets the style's font size, letter spacing (`pitch`), line gap (`rowSpace`) and left margin
// (the left offset), and may shorten `text`. An empty text (also one cut away entirely) leaves
// the style as it was and gives zero offsets.
CaptionFit FitCaption(std::string& text, const CaptionRequest& request, TextStyle& style);

} // namespace Lumora
