// The record writer and the bounded reader.
#include "framework/connection/Record.h"

#include "platform/Charset.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

std::string FormatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out(n > 0 ? size_t(n) : 0, '\0');
    if (n > 0)
        std::vsnprintf(out.data(), out.size() + 1, format, again);
    va_end(again);
    return out;
}

size_t GbkPrefixLength(std::string_view text, size_t limit)
{
    size_t i = 0;
    const size_t n = std::min(text.size(), limit);
    while (i < n) {
        const size_t step = platform::IsGbkLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + step > n)
            break;
        i += step;
    }
    return i;
}

RecordWriter::RecordWriter(std::span<uint8_t> out) : out_(out) { std::fill(out_.begin(), out_.end(), uint8_t{0}); }

void RecordWriter::U32(size_t offset, uint32_t value)
{
    if (offset > out_.size() || out_.size() - offset < 4)
        return;
    for (int i = 0; i < 4; ++i)
        out_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void RecordWriter::Text(size_t offset, size_t field, std::string_view gbk)
{
    if (field == 0 || offset > out_.size() || out_.size() - offset < field)
        return;
    const size_t n = GbkPrefixLength(gbk.substr(0, gbk.find('\0')), field - 1);
    std::memcpy(out_.data() + offset, gbk.data(), n);
    std::fill(out_.begin() + offset + n, out_.begin() + offset + field, uint8_t{0});
}

void RecordWriter::Bytes(size_t offset, const void* data, size_t size)
{
    if (size == 0 || !data || offset > out_.size() || out_.size() - offset < size)
        return;
    std::memcpy(out_.data() + offset, data, size);
}

uint32_t RecordReader::U32(size_t offset) const
{
    if (!Has(offset, 4))
        return 0;
    const uint8_t* p = data_ + offset;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int64_t RecordReader::I64(size_t offset) const
{
    if (!Has(offset, 8))
        return 0;
    return static_cast<int64_t>(uint64_t(U32(offset)) | uint64_t(U32(offset + 4)) << 32);
}

size_t RecordReader::CopyTo(void* dest, size_t destSize, size_t offset) const
{
    if (!dest || destSize == 0)
        return 0;
    const size_t n = offset < size_ ? std::min(destSize, size_ - offset) : 0;
    if (n)
        std::memcpy(dest, data_ + offset, n);
    std::memset(static_cast<uint8_t*>(dest) + n, 0, destSize - n);
    return n;
}

std::string RecordReader::Text(size_t offset, size_t field) const
{
    if (offset >= size_)
        return {};
    const size_t n = std::min(field, size_ - offset);
    const auto* p = reinterpret_cast<const char*>(data_ + offset);
    const void* zero = std::memchr(p, 0, n);
    return std::string(p, zero ? static_cast<const char*>(zero) - p : n);
}
