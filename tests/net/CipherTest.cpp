#include "net/AesCryptBuffer.h"
#include "net/Oracle.h"
#include "net/Rijndael.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// FIPS-197 appendices B and C, and the first blocks of SP 800-38A F.1.1, F.1.3 and F.1.5.
const Vector kVectors[] = {
    {"000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff", "69c4e0d86a7b0430d8cdb78070b4c55a"},
    {"000102030405060708090a0b0c0d0e0f1011121314151617", "00112233445566778899aabbccddeeff",
     "dda97ca4864cdfe06eaf70a0ec0d7191"},
    {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", "00112233445566778899aabbccddeeff",
     "8ea2b7ca516745bfeafc49904b496089"},
    {"2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734", "3925841d02dc09fbdc118597196a0b32"},
    {"2b7e151628aed2a6abf7158809cf4f3c",
     "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e5130c81c46a35ce411e5fbc1191a0a52ef"
     "f69f2445df4f9b17ad2b417be66c3710",
     "3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf43b1cd7f598ece23881b00e3ed030688"
     "7b0c785e27e8ad3f8223207104725dd4"},
    {"8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b", "6bc1bee22e409f96e93d7e117393172a",
     "bd334f1d6e45f25ff712a214571fa5cc"},
    {"603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4", "6bc1bee22e409f96e93d7e117393172a",
     "f3eed1bdb5d2a03c064b5a7e3db181f8"},
};

class RijndaelEngines : public ::testing::TestWithParam<net::CRijndael::Engine> {};

TEST_P(RijndaelEngines, StandardVectorsEncryptAndDecrypt)
{
    for (const Vector& v : kVectors) {
        const Bytes key = FromHex(v.key), plain = FromHex(v.plain), cipher = FromHex(v.cipher);
        net::CRijndael aes(GetParam());
        ASSERT_TRUE(aes.SetKey(key.data(), static_cast<uint32_t>(key.size() * 8)));
        EXPECT_EQ(aes.Rounds(), static_cast<int>(key.size() / 4 + 6));
        Bytes out(plain.size());
        aes.EncryptBlocks(plain.data(), out.data(), plain.size() / 16);
        EXPECT_EQ(Hex(out), v.cipher) << "key " << v.key;
        aes.DecryptBlocks(cipher.data(), out.data(), cipher.size() / 16);
        EXPECT_EQ(Hex(out), v.plain) << "key " << v.key;
        // Repeated past 40 blocks, the vectors go through every lane width (32, 8 and 1 at a time).
        const int copies = plain.size() == 16 ? 41 : 10;
        Bytes manyPlain, manyCipher;
        for (int i = 0; i < copies; ++i) {
            manyPlain.insert(manyPlain.end(), plain.begin(), plain.end());
            manyCipher.insert(manyCipher.end(), cipher.begin(), cipher.end());
        }
        Bytes many(manyPlain.size());
        aes.EncryptBlocks(manyPlain.data(), many.data(), many.size() / 16);
        EXPECT_EQ(many, manyCipher) << "key " << v.key;
        aes.DecryptBlocks(manyCipher.data(), many.data(), many.size() / 16);
        EXPECT_EQ(many, manyPlain) << "key " << v.key;
        // Single-block calls and in-place use give the same bytes.
        Bytes block(plain.begin(), plain.begin() + 16);
        aes.EncryptBlock(block.data(), block.data());
        EXPECT_EQ(Hex(block), std::string(v.cipher).substr(0, 32));
    }
}

TEST_P(RijndaelEngines, ManyBlocksMatchPython)
{
    // Odd block counts exercise the wide paths (8 and 32 blocks) and their tails.
    const Bytes key = RandomBytes(16, 7);
    for (size_t blocks : {1u, 7u, 8u, 9u, 33u, 100u}) {
        const Bytes plain = RandomBytes(16 * blocks - 1, static_cast<uint32_t>(blocks));
        net::CRijndael aes(GetParam());
        ASSERT_TRUE(aes.SetKey(key.data(), 128));
        Bytes padded = plain;
        padded.push_back(0);
        Bytes out(padded.size());
        aes.EncryptBlocks(padded.data(), out.data(), blocks);
        // Python pads 16*blocks-1 bytes with one zero: the same plaintext.
        EXPECT_EQ(Hex(out), Hex(Oracle1("aes-encrypt", Hex(key), plain))) << blocks;
        Bytes back(out.size());
        aes.DecryptBlocks(out.data(), back.data(), blocks);
        EXPECT_EQ(back, padded);
    }
}

INSTANTIATE_TEST_SUITE_P(Both, RijndaelEngines,
                         ::testing::Values(net::CRijndael::Engine::Auto, net::CRijndael::Engine::Portable));

TEST(Rijndael, RejectsOddKeySizes)
{
    net::CRijndael aes;
    const Bytes key(32, 1);
    EXPECT_FALSE(aes.SetKey(key.data(), 160));
    EXPECT_FALSE(aes.SetKey(key.data(), 64));
    EXPECT_FALSE(aes.SetKey(nullptr, 128));
    // An unkeyed cipher writes nothing rather than garbage.
    uint8_t in[16] = {1}, out[16] = {};
    aes.EncryptBlock(in, out);
    EXPECT_EQ(Hex(out, 16), std::string(32, '0'));
}

TEST(AesCryptBuffer, LengthsPaddingAndFlags)
{
    const Bytes key = FromHex("000102030405060708090a0b0c0d0e0f");
    size_t outLen = 0;
    // Lengths: always one to sixteen bytes more when encoding.
    for (size_t n : {0u, 1u, 15u, 16u, 17u, 32u}) {
        ASSERT_TRUE(net::AesCryptBuffer(key.data(), 128, nullptr, n, nullptr, &outLen, 0x101));
        EXPECT_EQ(outLen, n - n % 16 + 16) << n;
    }
    // No AES bit, or no direction: refused.
    uint8_t out[32];
    EXPECT_FALSE(net::AesCryptBuffer(key.data(), 128, out, 16, out, &outLen, 0x1));
    EXPECT_FALSE(net::AesCryptBuffer(key.data(), 128, out, 16, out, &outLen, 0x100));
    // Decoding reports what it writes, and refuses partial blocks instead of running over.
    const Bytes cipher(32, 0xAB);
    outLen = 0;
    ASSERT_TRUE(net::AesCryptBuffer(key.data(), 128, cipher.data(), 32, out, &outLen, 0x102));
    EXPECT_EQ(outLen, 32u);
    EXPECT_FALSE(net::AesCryptBuffer(key.data(), 128, cipher.data(), 31, out, &outLen, 0x102));
}

TEST(AesCryptBuffer, MatchesPythonOnZeroPaddedInput)
{
    // The hall's hand-over: a 532-byte record with its own key becomes 544 bytes.
    const Bytes hallKey = FromHex("3c7a19e4d2086bf15a9e07c3b4d6218f");
    std::vector<Bytes> inputs = {RandomBytes(532, 1)};
    for (size_t n : {0u, 1u, 15u, 16u, 17u, 31u, 32u, 100u, 4096u})
        inputs.push_back(RandomBytes(n, static_cast<uint32_t>(n + 10)));
    const auto expected = Oracle("aes-encrypt", Hex(hallKey), inputs);
    ASSERT_EQ(expected.size(), inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        const Bytes& in = inputs[i];
        Bytes out(net::AesPaddedLength(in.size()));
        size_t outLen = 0;
        ASSERT_TRUE(net::AesCryptBuffer(hallKey.data(), 128, in.data(), in.size(), out.data(), &outLen, 0x101));
        EXPECT_EQ(outLen, out.size());
        EXPECT_EQ(Hex(out), Hex(expected[i])) << "length " << in.size();
        Bytes back(out.size());
        ASSERT_TRUE(net::AesCryptBuffer(hallKey.data(), 128, out.data(), out.size(), back.data(), &outLen, 0x102));
        EXPECT_TRUE(std::equal(in.begin(), in.end(), back.begin()));
        EXPECT_TRUE(std::all_of(back.begin() + static_cast<long>(in.size()), back.end(), [](uint8_t b) { return b == 0; }));
    }
    EXPECT_EQ(expected[0].size(), 544u);
}

TEST(AesCryptBuffer, KeysTakenInTurnEachEncryptWithTheirOwnSchedule)
{
    // More keys than a thread keeps schedules for, of every size, and keys that differ in one
    // byte past the first sixteen: each answer is that of a cipher keyed afresh.
    std::vector<std::pair<Bytes, uint32_t>> keys;
    for (uint32_t bits : {128u, 192u, 256u, 128u, 256u, 192u})
        keys.emplace_back(RandomBytes(bits / 8, bits + uint32_t(keys.size())), bits);
    keys.push_back(keys[4]);
    keys.back().first[31] ^= 1;
    const Bytes plain = RandomBytes(40, 3);
    for (int pass = 0; pass < 3; ++pass)
        for (const auto& [key, bits] : keys) {
            net::CRijndael fresh;
            ASSERT_TRUE(fresh.SetKey(key.data(), bits));
            Bytes padded = plain;
            padded.resize(net::AesPaddedLength(plain.size()), 0);
            Bytes expected(padded.size());
            fresh.EncryptBlocks(padded.data(), expected.data(), padded.size() / 16);
            Bytes out(padded.size());
            size_t outLen = 0;
            ASSERT_TRUE(net::AesCryptBuffer(key.data(), bits, plain.data(), plain.size(), out.data(), &outLen, 0x101));
            EXPECT_EQ(out, expected) << bits << " pass " << pass;
        }
}

} // namespace
