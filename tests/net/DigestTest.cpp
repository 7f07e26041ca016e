#include "net/Crc32.h"
#include "net/Hex.h"
#include "net/Md5.h"
#include "net/Oracle.h"
#include "net/ByteOrder.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace nettest;

namespace {

std::string Md5Hex(const Bytes& b)
{
    const auto d = net::MD5Digest(b.data(), b.size());
    return Hex(d.data(), d.size());
}

TEST(Md5, Rfc1321Suite)
{
    const std::pair<const char*, const char*> suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, digest] : suite)
        EXPECT_EQ(Md5Hex(ToBytes(text)), digest) << '"' << text << '"';
}

TEST(Md5, RandomLengthsAndSplitUpdatesMatchHashlib)
{
    std::vector<Bytes> inputs;
    for (size_t n = 0; n <= 300; n += (n >= 50 && n < 70) || (n >= 120 && n < 130) ? 1 : 7)
        inputs.push_back(RandomBytes(n, static_cast<uint32_t>(n)));
    const auto expected = Oracle("md5", "", inputs);
    ASSERT_EQ(expected.size(), inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        const Bytes& in = inputs[i];
        EXPECT_EQ(Md5Hex(in), Hex(expected[i])) << "length " << in.size();
        // Fed in uneven slices, the digest is the same.
        net::MD5Context ctx;
        net::MD5Init(ctx);
        for (size_t pos = 0, step = 1; pos < in.size(); pos += step, step = step * 3 % 71 + 1)
            net::MD5Update(ctx, in.data() + pos, std::min(step, in.size() - pos));
        net::MD5Final(ctx);
        EXPECT_EQ(Hex(ctx.digest, 16), Hex(expected[i])) << "sliced, length " << in.size();
    }
}

TEST(Md5, GbkTextMatchesIconvAndMd5sum)
{
    // The narrow literal is GBK in the binary; iconv and md5sum give the independent digest.
    const std::string text = "清一色%d番";
    const std::string command = std::string("printf '%s' '") + reinterpret_cast<const char*>(u8"清一色%d番") +
                                "' | iconv -f UTF-8 -t GBK | md5sum";
    FILE* p = popen(command.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char line[64] = {};
    ASSERT_NE(fgets(line, sizeof line, p), nullptr);
    pclose(p);
    EXPECT_EQ(Md5Hex(ToBytes(text)), std::string(line, 32));
}

TEST(Crc32, CheckValueEmptyAndPython)
{
    EXPECT_EQ(net::Crc32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(net::Crc32(nullptr, 10), 0u);
    EXPECT_EQ(net::Crc32("x", 0), 0u);
    std::vector<Bytes> inputs;
    for (size_t n : {1u, 3u, 64u, 1000u, 4060u, 70000u})
        inputs.push_back(RandomBytes(n, static_cast<uint32_t>(n)));
    const auto expected = Oracle("crc32", "", inputs);
    ASSERT_EQ(expected.size(), inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        EXPECT_EQ(net::Crc32(inputs[i].data(), inputs[i].size()), net::ReadLe32(expected[i].data()));
        // Continuing over two halves gives the whole.
        const size_t half = inputs[i].size() / 2;
        const uint32_t a = net::Crc32Update(0, inputs[i].data(), half);
        EXPECT_EQ(net::Crc32Update(a, inputs[i].data() + half, inputs[i].size() - half),
                  net::ReadLe32(expected[i].data()));
    }
}

TEST(Hex, LowerCaseAndRoundTrip)
{
    std::string out = "x";
    const uint8_t bytes[] = {0x00, 0x0f, 0xa0, 0xff};
    net::BytesToHex(bytes, 4, out);
    EXPECT_EQ(out, "x000fa0ff");
    std::string raw;
    EXPECT_TRUE(net::HexToBytes("000FA0ff", raw));
    EXPECT_EQ(raw, std::string("\x00\x0f\xa0\xff", 4));
    EXPECT_FALSE(net::HexToBytes("abc", raw));
    EXPECT_FALSE(net::HexToBytes("zz", raw));
}

} // namespace
