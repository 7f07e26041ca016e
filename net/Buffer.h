#pragma once
// CBuffer: the growable byte buffer of the socket client and the packager. Capacity is a whole
// number of kilobytes, at least doubles when it grows, and never shrinks; bytes are taken from
// the front and added at either end.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace net {

class CBuffer {
public:
    static constexpr size_t kGrain = 1024;

    CBuffer() = default;
    CBuffer(const void* bytes, size_t n) { Append(bytes, n); }
    CBuffer(const CBuffer& other);
    CBuffer& operator=(const CBuffer& other);
    CBuffer(CBuffer&& other) noexcept;
    CBuffer& operator=(CBuffer&& other) noexcept;
    virtual ~CBuffer() = default;

    void Append(const void* bytes, size_t n);
    void Insert(const void* bytes, size_t n);
    // Copies min(n, size) bytes from the front into out and removes them. A request larger
    // than the capacity reads nothing; the result says how many bytes were read.
    size_t Read(void* out, size_t n);
    // Removes min(n, size) bytes from the front; nothing when n exceeds the capacity.
    size_t Consume(size_t n);
    // Empties the buffer; keeps the block, or allocates one of kGrain bytes.
    void Reset();

    uint8_t* GetData(size_t offset = 0) { return data_ ? data_.get() + offset : nullptr; }
    const uint8_t* GetData(size_t offset = 0) const { return data_ ? data_.get() + offset : nullptr; }
    size_t GetSize() const { return size_; }
    size_t GetCapacity() const { return capacity_; }

private:
    void Reserve(size_t needed);

    std::unique_ptr<uint8_t[]> data_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

} // namespace net
