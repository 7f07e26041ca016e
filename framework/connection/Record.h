#pragma once
// The one record writer and reader of the client's requests and replies. Records are
// fixed-width little-endian words and fixed GBK text fields; unnamed bytes are zero.
//
// RecordWriter fills a caller's buffer, zeroed first. A text is cut to fit its field with a
// terminating zero, never inside a two-byte character. Writes that would leave the buffer are
// dropped (the records are fixed, so that only happens on a programming error).
//
// RecordReader reads a reply of any length without leaving it: a word that is not wholly
// present reads as 0, copies are clipped to both the reply and the destination (the rest of
// the destination zero-filled), and a text ends at its first zero, its field or the reply.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The length of the longest prefix of `text` of at most `limit` bytes that ends on a character
// boundary (a GBK lead byte is never left without its trail byte).
size_t GbkPrefixLength(std::string_view text, size_t limit);

// printf into a std::string (the texts shown for reply codes).
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

class RecordWriter {
public:
    explicit RecordWriter(std::span<uint8_t> out);

    void U32(size_t offset, uint32_t value);
    void I32(size_t offset, int32_t value) { U32(offset, static_cast<uint32_t>(value)); }
    // At most field − 1 bytes of the text and a zero.
    void Text(size_t offset, size_t field, std::string_view gbk);
    void Bytes(size_t offset, const void* data, size_t size);

private:
    std::span<uint8_t> out_;
};

// A request record of N bytes on the caller's stack.
template <size_t N>
struct FixedRecord {
    std::array<uint8_t, N> bytes{};
    RecordWriter Writer() { return RecordWriter(bytes); }
    static constexpr uint32_t Size() { return N; }
};

class RecordReader {
public:
    RecordReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

    size_t Size() const { return size_; }
    bool Has(size_t offset, size_t count) const { return offset <= size_ && count <= size_ - offset; }
    uint32_t U32(size_t offset) const;
    int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
    int64_t I64(size_t offset) const;
    // Copies min(destSize, Size() − offset) bytes and zero-fills the rest; returns the count.
    size_t CopyTo(void* dest, size_t destSize, size_t offset = 0) const;
    // The bytes from offset up to the first zero, within field bytes and the reply.
    std::string Text(size_t offset, size_t field) const;

private:
    const uint8_t* data_;
    size_t size_;
};
