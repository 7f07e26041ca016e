#include "net/Buffer.h"

#include <cstring>
#include <utility>

namespace net {

CBuffer::CBuffer(const CBuffer& other) { Append(other.GetData(), other.size_); }

CBuffer& CBuffer::operator=(const CBuffer& other)
{
    if (this != &other) {
        size_ = 0;
        Append(other.GetData(), other.size_);
    }
    return *this;
}

CBuffer::CBuffer(CBuffer&& other) noexcept
    : data_(std::move(other.data_)), size_(std::exchange(other.size_, 0)), capacity_(std::exchange(other.capacity_, 0))
{
}

CBuffer& CBuffer::operator=(CBuffer&& other) noexcept
{
    data_ = std::move(other.data_);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    return *this;
}

void CBuffer::Reserve(size_t needed)
{
    if (needed <= capacity_)
        return;
    // At least double: a message assembled piece by piece is then copied a bounded number of
    // times in all, not once per piece.
    const size_t rounded = (needed + kGrain - 1) / kGrain * kGrain;
    const size_t capacity = rounded > capacity_ * 2 ? rounded : capacity_ * 2;
    auto block = std::make_unique_for_overwrite<uint8_t[]>(capacity);
    if (size_ > 0)
        std::memcpy(block.get(), data_.get(), size_);
    data_ = std::move(block);
    capacity_ = capacity;
}

void CBuffer::Append(const void* bytes, size_t n)
{
    if (n == 0 || bytes == nullptr)
        return;
    Reserve(size_ + n);
    std::memcpy(data_.get() + size_, bytes, n);
    size_ += n;
}

void CBuffer::Insert(const void* bytes, size_t n)
{
    if (n == 0 || bytes == nullptr)
        return;
    Reserve(size_ + n);
    std::memmove(data_.get() + n, data_.get(), size_);
    std::memcpy(data_.get(), bytes, n);
    size_ += n;
}

size_t CBuffer::Read(void* out, size_t n)
{
    if (n > capacity_)
        return 0;
    const size_t taken = n < size_ ? n : size_;
    if (taken > 0)
        std::memcpy(out, data_.get(), taken);
    return Consume(taken);
}

size_t CBuffer::Consume(size_t n)
{
    if (n > capacity_)
        return 0;
    const size_t taken = n < size_ ? n : size_;
    if (taken > 0 && taken < size_)
        std::memmove(data_.get(), data_.get() + taken, size_ - taken);
    size_ -= taken;
    return taken;
}

void CBuffer::Reset()
{
    size_ = 0;
    Reserve(kGrain);
}

} // namespace net
