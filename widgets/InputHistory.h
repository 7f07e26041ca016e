#pragma once
// Lines recalled with Up and Down in an input box: the newest is recorded last, recall wraps
// at both ends, and a new line makes the next Up show the line before it.
#include <string>
#include <string_view>
#include <vector>

namespace Lumora {

class InputHistory {
public:
    void Add(std::string_view line)
    {
        lines_.emplace_back(line);
        index_ = int(lines_.size()) - 1;
    }
    bool Empty() const { return lines_.empty(); }
    size_t Size() const { return lines_.size(); }
    // The line before / after the one recalled last (wrapping); empty history gives "".
    const std::string& Previous() { return Step(-1); }
    const std::string& Next() { return Step(1); }
    int Index() const { return index_; }

private:
    const std::string& Step(int delta)
    {
        static const std::string none;
        if (lines_.empty())
            return none;
        const int count = int(lines_.size());
        index_ = (index_ + delta + count) % count;
        return lines_[size_t(index_)];
    }

    std::vector<std::string> lines_;
    int index_ = 0;
};

} // namespace Lumora
