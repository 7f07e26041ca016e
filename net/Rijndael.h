#pragma once
// AES (Rijndael with 128-bit blocks). Uses the processor's AES instructions when present and
// table-driven code otherwise; both give the same bytes.
#include "net/Aes.h"

#include <array>

namespace net {

class CRijndael final : public CAes {
public:
    enum class Engine { Auto, Portable };
    explicit CRijndael(Engine engine = Engine::Auto);

    bool SetKey(const uint8_t* key, uint32_t keyBits) override;
    void EncryptBlock(const uint8_t in[16], uint8_t out[16]) const override;
    void DecryptBlock(const uint8_t in[16], uint8_t out[16]) const override;
    void EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) const override;
    void DecryptBlocks(const uint8_t* in, uint8_t* out, size_t blocks) const override;

    bool UsesHardware() const { return hardware_; }
    int Rounds() const { return rounds_; }

private:
    bool hardware_ = false;
    int keyWords_ = 0; // Nk
    int rounds_ = 0;   // 0 until a key is set
    // Round keys as words of the standard (first byte most significant), 4 per round.
    std::array<uint32_t, 60> encKeys_{};
    std::array<uint32_t, 60> decKeys_{}; // for the equivalent inverse cipher
    // The same round keys as bytes, for the AES instructions.
    alignas(16) std::array<uint8_t, 240> encBytes_{};
    alignas(16) std::array<uint8_t, 240> decBytes_{};
};

} // namespace net
