#include "net/AesCryptBuffer.h"

#include "net/Rijndael.h"

#include <array>
#include <cstring>

namespace net {
namespace {

// The key schedules of the last few keys this thread used. Each connection encrypts on its own
// socket thread with its own key, so its schedule is expanded once, not once a message.
class ScheduleCache {
public:
    const CRijndael* Find(const uint8_t* key, uint32_t keyBits)
    {
        if (!key || (keyBits != 128 && keyBits != 192 && keyBits != 256))
            return nullptr;
        const size_t bytes = keyBits / 8;
        for (Entry& e : entries_)
            if (e.bits == keyBits && std::memcmp(e.key.data(), key, bytes) == 0)
                return &e.aes;
        Entry& e = entries_[next_];
        next_ = (next_ + 1) % entries_.size();
        e.bits = 0;
        if (!e.aes.SetKey(key, keyBits))
            return nullptr;
        std::memcpy(e.key.data(), key, bytes);
        e.bits = keyBits;
        return &e.aes;
    }

private:
    struct Entry {
        std::array<uint8_t, 32> key{};
        uint32_t bits = 0;
        CRijndael aes;
    };
    std::array<Entry, 4> entries_;
    size_t next_ = 0;
};

} // namespace

bool AesCryptBuffer(const uint8_t* key, uint32_t keyBits, const uint8_t* in, size_t inLength, uint8_t* out,
                    size_t* outLength, uint32_t flags)
{
    if (!(flags & kAesFlag) || !(flags & (kCryptEncode | kCryptDecode)))
        return false;
    const bool encode = flags & kCryptEncode;
    const size_t produced = encode ? AesPaddedLength(inLength) : inLength;
    if (!encode && inLength % 16 != 0)
        return false;
    if (outLength)
        *outLength = produced;
    if (out == nullptr)
        return true;
    thread_local ScheduleCache cache;
    const CRijndael* schedule = cache.Find(key, keyBits);
    if (!schedule)
        return false;
    const CRijndael& aes = *schedule;
    const size_t whole = inLength / 16;
    if (!encode) {
        aes.DecryptBlocks(in, out, whole);
        return true;
    }
    aes.EncryptBlocks(in, out, whole);
    // The tail (possibly empty) is zero padded to one more block, so the padding never
    // carries stale memory onto the wire.
    uint8_t last[16] = {};
    if (inLength % 16 != 0)
        std::memcpy(last, in + 16 * whole, inLength % 16);
    aes.EncryptBlock(last, out + 16 * whole);
    return true;
}

} // namespace net
