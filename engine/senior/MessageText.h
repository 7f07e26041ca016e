#pragma once
// How the engine's message box cuts its text and chooses its size.
#include <functional>
#include <string_view>
#include <vector>

namespace Lumora {

// The lines of a text split at line feeds. Empty lines are kept (a blank line stays a blank
// line) and nothing is cut: the text is only viewed, never copied into a fixed buffer.
std::vector<std::string_view> SplitMessageLines(std::string_view text);

struct MessageBoxSize {
    int width = 0;
    int height = 0;
};

// Width 200 and height 70 plus the lines' heights at that width; while the box is narrower
// than it is tall and below 500 wide it widens by 50 and is measured again.
MessageBoxSize FitMessageBox(const std::vector<std::string_view>& lines,
                             const std::function<int(std::string_view line, int width)>& measure);

} // namespace Lumora
