#pragma once
// The font faces a chat box knows: at most 20 names of at most 31 bytes. A face that is not
// in the table draws in the default face (entry 0), and a full table takes no more names.
#include "widgets/ChatFormat.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace Lumora {

class ChatFaceTable {
public:
    static constexpr int kCapacity = 20;

    // The new count; a full table or an empty name changes nothing.
    int Add(std::string_view face)
    {
        if (count_ >= kCapacity || face.empty())
            return count_;
        names_[size_t(count_)] = CutFaceName(face);
        return ++count_;
    }
    int Find(std::string_view face) const
    {
        for (int i = 0; i < count_; ++i)
            if (names_[size_t(i)] == face)
                return i;
        return 0;
    }
    const std::string& Name(int index) const
    {
        static const std::string none;
        return index >= 0 && index < count_ ? names_[size_t(index)] : (count_ ? names_[0] : none);
    }
    int Count() const { return count_; }
    // Back to the first `count` entries (the box's built-in faces).
    void KeepFirst(int count) { count_ = std::clamp(count, 0, count_); }

private:
    std::array<std::string, kCapacity> names_;
    int count_ = 0;
};

} // namespace Lumora
