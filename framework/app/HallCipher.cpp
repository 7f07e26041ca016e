// The hall records' AES stage.
#include "framework/app/HallCipher.h"

#include "net/Rijndael.h"

#include <cstring>

namespace hall {
namespace {

constexpr uint8_t kHallKey[16] = {0x3c, 0x7a, 0x19, 0xe4, 0xd2, 0x08, 0x6b, 0xf1,
                                  0x5a, 0x9e, 0x07, 0xc3, 0xb4, 0xd6, 0x21, 0x8f};

const net::CRijndael& HallAes()
{
    static const net::CRijndael aes = [] {
        net::CRijndael a;
        a.SetKey(kHallKey, 128);
        return a;
    }();
    return aes;
}

} // namespace

std::vector<uint8_t> EncryptHallData(std::span<const uint8_t> plain)
{
    std::vector<uint8_t> out((plain.size() + kCipherBlock - 1) / kCipherBlock * kCipherBlock, 0);
    if (!plain.empty())
        std::memcpy(out.data(), plain.data(), plain.size());
    HallAes().EncryptBlocks(out.data(), out.data(), out.size() / kCipherBlock);
    return out;
}

std::optional<std::vector<uint8_t>> DecryptHallData(std::span<const uint8_t> cipher)
{
    if (cipher.size() % kCipherBlock != 0)
        return std::nullopt;
    std::vector<uint8_t> out(cipher.begin(), cipher.end());
    HallAes().DecryptBlocks(out.data(), out.data(), out.size() / kCipherBlock);
    return out;
}

} // namespace hall
