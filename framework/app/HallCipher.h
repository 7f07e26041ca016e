#pragma once
// The cipher stage of the records the hall and the game exchange: AES-128 in electronic codebook
// mode with the hall's fixed key, each 16-byte block by itself. Enciphering zero-pads a last
// partial block, so the output is the input length rounded up to a multiple of 16 (532 bytes
// become 544); deciphering needs a multiple of 16 and gives as many bytes. (The transport's
// AesCryptBuffer reports one block more for an aligned input, so its length never goes to the
// hall.) Any thread.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace hall {

inline constexpr size_t kCipherBlock = 16;

std::vector<uint8_t> EncryptHallData(std::span<const uint8_t> plain);
// nullopt when the length is not a multiple of 16.
std::optional<std::vector<uint8_t>> DecryptHallData(std::span<const uint8_t> cipher);

} // namespace hall
