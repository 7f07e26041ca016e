#include "engine/geometry/ByteBuffer.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace Lumora {

ByteBuffer::ByteBuffer() : data_(new uint8_t[32]()) { cursor_ = data_.get(); }

uint32_t ByteBuffer::Append(const void* bytes, uint32_t n) {
    // The buffer keeps one spare byte, so the capacity must reach used + n + 1; a doubling past
    // 2^32 would wrap, so such appends are refused instead of corrupting the heap.
    const uint64_t need = static_cast<uint64_t>(used_) + n;
    if (need >= std::numeric_limits<uint32_t>::max()) return 0;
    uint64_t cap = capacity_;
    while (need >= cap) cap *= 2;
    if (cap > std::numeric_limits<uint32_t>::max()) return 0;
    if (cap != capacity_) {
        std::unique_ptr<uint8_t[]> grown(new uint8_t[cap]());
        std::memcpy(grown.get(), data_.get(), capacity_);
        data_ = std::move(grown);
        capacity_ = static_cast<uint32_t>(cap);
        cursor_ = data_.get() + used_;
    }
    if (n) std::memcpy(cursor_, bytes, n);
    cursor_ += n;
    used_ += n;
    return used_;
}

void ByteBuffer::Reset() {
    used_ = 0;
    cursor_ = data_.get();
    std::memset(data_.get(), 0, capacity_);
}

uint8_t* ByteBuffer::GetAt(uint32_t offset) const {
    return offset > used_ ? nullptr : data_.get() + offset;
}

void ByteBuffer::Skip(uint32_t n) {
    const uint32_t at = GetCursorOffset();
    cursor_ = data_.get() + (n > used_ - at ? used_ : at + n);
}

void ByteBuffer::Seek(uint32_t offset) { cursor_ = data_.get() + std::min(used_, offset); }

} // namespace Lumora
