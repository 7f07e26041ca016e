// Bounds-checked little-endian reading and writing of stored records (packs, pps pictures).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace Lumora {

// Reads never pass the end: a short read yields zeros and clears Ok() for good.
class LeReader {
public:
    LeReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Ok() const { return ok_; }
    size_t Remaining() const { return size_ - pos_; }
    size_t Position() const { return pos_; }
    const uint8_t* Here() const { return data_ + pos_; }
    void Skip(size_t n) {
        if (n > Remaining()) { ok_ = false; pos_ = size_; return; }
        pos_ += n;
    }
    uint8_t U8() { return uint8_t(Get(1)); }
    uint16_t U16() { return uint16_t(Get(2)); }
    uint32_t U32() { return uint32_t(Get(4)); }
    bool Bytes(std::vector<uint8_t>& out, size_t n) {
        if (n > Remaining()) { ok_ = false; return false; }
        out.assign(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
        return true;
    }

private:
    uint64_t Get(size_t n) {
        if (n > Remaining()) { ok_ = false; pos_ = size_; return 0; }
        uint64_t v = 0;
        for (size_t i = 0; i < n; ++i) v |= uint64_t(data_[pos_ + i]) << (8 * i);
        pos_ += n;
        return v;
    }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

class LeWriter {
public:
    void U8(uint8_t v) { out_.push_back(v); }
    void U16(uint16_t v) { Put(v, 2); }
    void U32(uint32_t v) { Put(v, 4); }
    void Bytes(const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        if (n) out_.insert(out_.end(), b, b + n);
    }
    void Zeros(size_t n) { out_.insert(out_.end(), n, 0); }
    void PatchU32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) out_[at + i] = uint8_t(v >> (8 * i));
    }
    size_t Size() const { return out_.size(); }
    std::vector<uint8_t> Take() { return std::move(out_); }

private:
    void Put(uint64_t v, size_t n) {
        for (size_t i = 0; i < n; ++i) out_.push_back(uint8_t(v >> (8 * i)));
    }
    std::vector<uint8_t> out_;
};

} // namespace Lumora
