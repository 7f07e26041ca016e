#include "engine/senior/MessageText.h"

namespace Lumora {

std::vector<std::string_view> SplitMessageLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            if (start < text.size())
                lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

MessageBoxSize FitMessageBox(const std::vector<std::string_view>& lines,
                             const std::function<int(std::string_view line, int width)>& measure)
{
    auto heightAt = [&](int width) {
        int h = 70;
        for (std::string_view line : lines)
            h += measure(line, width);
        return h;
    };
    MessageBoxSize size{200, heightAt(200)};
    while (size.width < size.height && size.width < 500) {
        size.width += 50;
        size.height = heightAt(size.width);
    }
    return size;
}

} // namespace Lumora
