// Growable byte buffer with a write cursor: replay records are written and read through it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace Lumora {

class ByteBuffer {
public:
    ByteBuffer();
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    // Returns the new used size; 0 (nothing appended) when the size would pass 4 GiB.
    uint32_t Append(const void* bytes, uint32_t n);
    void Reset();
    // Pointer to the byte at offset; the end pointer for offset == size; null beyond.
    uint8_t* GetAt(uint32_t offset) const;
    uint32_t GetSize() const { return used_; }
    uint32_t GetCapacity() const { return capacity_; }
    uint8_t* GetData() const { return data_.get(); }
    uint8_t* GetCursor() const { return cursor_; }
    uint32_t GetCursorOffset() const { return static_cast<uint32_t>(cursor_ - data_.get()); }
    // Both keep the cursor inside [data, data + used size].
    void Skip(uint32_t n);
    void Seek(uint32_t offset);

private:
    uint32_t used_ = 0;
    uint32_t capacity_ = 32;
    std::unique_ptr<uint8_t[]> data_;
    uint8_t* cursor_ = nullptr;
};

} // namespace Lumora
