#pragma once
// Notification records for tests: little-endian words and zero-ended texts at offsets, in a
// buffer of exactly the size asked for, so a read past it shows under the sanitizers.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace frametest {

struct Record {
    explicit Record(size_t size) : bytes(size) {}
    Record& Word(size_t offset, int32_t value)
    {
        std::memcpy(bytes.data() + offset, &value, 4);
        return *this;
    }
    Record& Text(size_t offset, const std::string& text)
    {
        std::memcpy(bytes.data() + offset, text.data(), text.size());
        return *this;
    }
    const uint8_t* Data() const { return bytes.data(); }
    uint32_t Size() const { return uint32_t(bytes.size()); }
    std::vector<uint8_t> bytes;
};

} // namespace frametest
