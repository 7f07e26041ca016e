#include "net/AesCryptBuffer.h"
#include "net/ByteOrder.h"
#include "net/ConnectionKeys.h"
#include "net/Oracle.h"
#include "net/Packager.h"
#include "net/Pieces.h"

#include <gtest/gtest.h>

#include <functional>

using namespace nettest;

namespace {

Bytes ToVec(const net::CBuffer& b) { return Bytes(b.GetData(), b.GetData() + b.GetSize()); }

// Text-like data compresses; random data does not: both paths of deflate are exercised.
Bytes Compressible(size_t n)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>("mahjong tiles "[i % 14] + (i / 997) % 3);
    return b;
}

TEST(Zlib, SyncFlushStreamMatchesPythonByteForByte)
{
    std::vector<Bytes> inputs = {Bytes{0x41}, Compressible(100), RandomBytes(1000, 1), Compressible(32768),
                                 Compressible(32769), Compressible(100000), RandomBytes(70000, 2)};
    const auto expected = Oracle("zlib-sync", "", inputs);
    ASSERT_EQ(expected.size(), inputs.size());
    std::vector<Bytes> ours;
    for (size_t i = 0; i < inputs.size(); ++i) {
        Bytes out;
        ASSERT_TRUE(net::ZlibCompress(inputs[i].data(), inputs[i].size(), out));
        EXPECT_EQ(Hex(out), Hex(expected[i])) << "length " << inputs[i].size();
        // 78 9C header, ends with the empty stored block of a sync flush, never finished.
        EXPECT_EQ(out[0], 0x78);
        EXPECT_EQ(out[1], 0x9C);
        EXPECT_EQ(Hex(Bytes(out.end() - 4, out.end())), "0000ffff");
        ours.push_back(out);
    }
    const auto inflated = Oracle("zlib-inflate", "", ours);
    ASSERT_EQ(inflated, inputs);
    Bytes empty;
    EXPECT_FALSE(net::ZlibCompress(nullptr, 0, empty));
}

TEST(Zlib, DecodesOwnAndFinishedStreamsRefusesCorruptAndBombs)
{
    const Bytes text = Compressible(50000);
    Bytes packed, back;
    ASSERT_TRUE(net::ZlibCompress(text.data(), text.size(), packed));
    ASSERT_TRUE(net::ZlibDecompress(packed.data(), packed.size(), back));
    EXPECT_EQ(back, text);
    const Bytes finished = Oracle1("zlib-finish", "", text);
    ASSERT_TRUE(net::ZlibDecompress(finished.data(), finished.size(), back));
    EXPECT_EQ(back, text);
    // Corruption in the middle is an error, not a shortened success.
    Bytes bad = packed;
    bad[2] |= 0x06; // the first block's type becomes the reserved one
    EXPECT_FALSE(net::ZlibDecompress(bad.data(), bad.size(), back));
    EXPECT_TRUE(back.empty());
    const Bytes junk = RandomBytes(200, 9);
    EXPECT_FALSE(net::ZlibDecompress(junk.data(), junk.size(), back));
    // A stream that asks for a preset dictionary.
    const Bytes dict = FromHex("78bb0000000000");
    EXPECT_FALSE(net::ZlibDecompress(dict.data(), dict.size(), back));
    // 4 MiB of zeros packs into a few KiB; a 1 MiB limit stops it.
    const Bytes zeros(4 << 20, 0);
    ASSERT_TRUE(net::ZlibCompress(zeros.data(), zeros.size(), packed));
    EXPECT_LT(packed.size(), 10000u);
    EXPECT_FALSE(net::ZlibDecompress(packed.data(), packed.size(), back, 1 << 20));
    EXPECT_TRUE(net::ZlibDecompress(packed.data(), packed.size(), back, 4 << 20));
}

TEST(Pieces, SplitCountsAndJoinRoundTrip)
{
    for (const auto& [size, count] : std::vector<std::pair<size_t, size_t>>{{0, 0}, {1, 1}, {4000, 1}, {4001, 2}, {8001, 3}}) {
        const Bytes body = RandomBytes(size, static_cast<uint32_t>(size));
        net::CBuffer pieces, joined;
        EXPECT_EQ(net::SplitBodyIntoPieces(body.data(), body.size(), pieces, 4000), count) << size;
        EXPECT_EQ(pieces.GetSize(), size + 4 * count);
        if (count >= 2) {
            EXPECT_EQ(net::ReadLe32(pieces.GetData(4004)), count == 2 ? 1u : 4000u);
        }
        EXPECT_EQ(net::JoinPieces(pieces.GetData(), pieces.GetSize(), joined, 4000), count);
        EXPECT_EQ(ToVec(joined), body);
    }
}

TEST(Pieces, JoinRejectsBadLengths)
{
    net::CBuffer body;
    auto join = [&](std::initializer_list<uint32_t> words, size_t extra) {
        Bytes raw;
        for (uint32_t w : words) {
            raw.resize(raw.size() + 4);
            net::WriteLe32(raw.data() + raw.size() - 4, w);
        }
        raw.resize(raw.size() + extra, 0x33);
        return net::JoinPieces(raw.data(), raw.size(), body, 4000);
    };
    EXPECT_EQ(join({10}, 10), 1u);
    EXPECT_EQ(join({0xFFFFFFF0u}, 10), 0u); // negative
    EXPECT_TRUE(body.GetSize() == 0);
    EXPECT_EQ(join({0}, 10), 0u);
    EXPECT_EQ(join({4001}, 4001), 0u);
    EXPECT_EQ(join({20}, 10), 0u); // runs past the bytes present
    EXPECT_EQ(join({}, 3), 0u);    // no piece at all
}

class PackagerTest : public ::testing::Test {
protected:
    const uint8_t* key_ = net::ConnectionKeyBlock(net::kGameKeyBlock);
    std::string Settings(uint32_t enc, uint32_t comp) const { return Hex(key_, 16) + ":" + std::to_string(enc) + ":" + std::to_string(comp); }
};

TEST_F(PackagerTest, LayoutsAndSizes)
{
    // Plain packing adds two stage headers: m + 40.
    net::CBuffer b(RandomBytes(100, 1).data(), 100);
    net::CPackager plain(nullptr, 0, 0, 0);
    ASSERT_TRUE(plain.Pack(b, net::kPackEncode));
    EXPECT_EQ(b.GetSize(), 140u);
    EXPECT_EQ(Hex(b.GetData(), 20), "00000000" "78000000" "0000000000000000" "78000000");
    EXPECT_EQ(Hex(b.GetData(20), 20), "00000000" "64000000" "0000000000000000" "64000000");
    ASSERT_TRUE(plain.Pack(b, net::kPackDecode));
    EXPECT_EQ(ToVec(b), RandomBytes(100, 1));

    // The game's settings: AES on, zlib off. A 16-aligned inner stage still gains a block.
    for (size_t m : {12u, 13u}) {
        net::CBuffer msg(RandomBytes(m, 2).data(), m);
        net::CPackager game(key_, 128, net::kAesFlag, 0);
        ASSERT_TRUE(game.Pack(msg, net::kPackEncode));
        const size_t n = m + 20, c = n - n % 16 + 16;
        EXPECT_EQ(msg.GetSize(), 20 + c) << m;
        EXPECT_EQ(net::ReadLe32(msg.GetData()), 0x100u);
        EXPECT_EQ(net::ReadLe32(msg.GetData(4)), n);
        EXPECT_EQ(net::ReadLe32(msg.GetData(16)), c);
        ASSERT_TRUE(game.Pack(msg, net::kPackDecode));
        EXPECT_EQ(ToVec(msg), RandomBytes(m, 2));
    }
    net::CPackager bad(key_, 128, 0, 0);
    EXPECT_FALSE(bad.Pack(b, 3));
}

TEST_F(PackagerTest, EncodesExactlyAsPythonAndDecodesPython)
{
    struct Case { uint32_t enc, comp; size_t m; };
    const Case cases[] = {{0, 0, 50}, {0x100, 0, 0}, {0x100, 0, 4}, {0x100, 0, 5000}, {0x100, 0x400, 3000},
                          {0, 0x400, 70000}, {0x100, 0x400, 100000}};
    for (const Case& c : cases) {
        const Bytes data = c.m % 2 ? RandomBytes(c.m, 3) : Compressible(c.m);
        net::CBuffer body;
        ASSERT_TRUE(net::PackMessage(net::MessageHead::WithId(229010), data.data(), uint32_t(data.size()), key_, 128,
                                     c.enc, c.comp, body));
        Bytes message(28 + data.size());
        net::WriteLe32(message.data() + 4, 229010);
        net::WriteLe32(message.data() + 24, uint32_t(data.size()));
        std::copy(data.begin(), data.end(), message.begin() + 28);
        const Bytes theirs = Oracle1("pack", Settings(c.enc, c.comp), message);
        EXPECT_EQ(Hex(ToVec(body)), Hex(theirs)) << c.enc << "/" << c.comp << "/" << c.m;
        EXPECT_EQ(Oracle1("unpack", Settings(0, 0), ToVec(body)), message);
        net::CBuffer again(theirs.data(), theirs.size());
        net::CPackager receiver(key_, 128, 0x100, 0);
        ASSERT_TRUE(receiver.Pack(again, net::kPackDecode));
        EXPECT_EQ(ToVec(again), message);
    }
}

TEST_F(PackagerTest, RefusesMalformedStages)
{
    net::CBuffer good(RandomBytes(40, 4).data(), 40);
    net::CPackager p(key_, 128, 0x100, 0x400);
    ASSERT_TRUE(p.Pack(good, net::kPackEncode));
    auto decodes = [&](const std::function<void(Bytes&)>& damage) {
        Bytes raw = ToVec(good);
        damage(raw);
        net::CBuffer b(raw.data(), raw.size());
        net::CPackager r(key_, 128, 0x100, 0x400);
        return r.Pack(b, net::kPackDecode);
    };
    EXPECT_TRUE(decodes([](Bytes&) {}));
    EXPECT_FALSE(decodes([](Bytes& r) { r.pop_back(); }));                         // payload length disagrees
    EXPECT_FALSE(decodes([](Bytes& r) { r.resize(r.size() - 1); net::WriteLe32(r.data() + 16, uint32_t(r.size() - 20)); })); // not whole blocks
    EXPECT_FALSE(decodes([](Bytes& r) { net::WriteLe32(r.data(), 0x200); }));     // no AES bit
    EXPECT_TRUE(decodes([](Bytes& r) { net::WriteLe32(r.data(), 0x101); }));      // outside direction bits are ignored
    EXPECT_FALSE(decodes([](Bytes& r) { net::WriteLe32(r.data() + 4, 0x10000); })); // input longer than payload
    EXPECT_FALSE(decodes([](Bytes& r) { r.resize(10); }));
    // A plain outer stage is accepted whatever its payload length says.
    net::CBuffer plain(RandomBytes(40, 4).data(), 40);
    net::CPackager none(nullptr, 0, 0, 0);
    ASSERT_TRUE(none.Pack(plain, net::kPackEncode));
    net::WriteLe32(plain.GetData(16), 12345);
    EXPECT_TRUE(p.Pack(plain, net::kPackDecode));
    EXPECT_EQ(ToVec(plain), RandomBytes(40, 4));
    // A key-less packager cannot encrypt.
    net::CPackager keyless(nullptr, 128, 0x100, 0);
    EXPECT_FALSE(keyless.Pack(plain, net::kPackEncode));
}

TEST_F(PackagerTest, UnpackMessageChecksTheDataLength)
{
    auto reassembled = [&](int32_t claimed, size_t present) {
        Bytes msg(28 + present, 0x5A);
        net::WriteLe32(msg.data(), 0);
        net::WriteLe32(msg.data() + 4, 222170);
        net::WriteLe32(msg.data() + 24, static_cast<uint32_t>(claimed));
        net::CBuffer body(msg.data(), msg.size());
        net::CPackager p(key_, 128, 0x100, 0);
        EXPECT_TRUE(p.Pack(body, net::kPackEncode));
        net::CBuffer pieces;
        net::SplitBodyIntoPieces(body.GetData(), body.GetSize(), pieces, 4000);
        net::SocketContextRecord ctx{7, 3, 0, 42, {}};
        Bytes out(24);
        ctx.Encode(out.data());
        out.insert(out.end(), pieces.GetData(), pieces.GetData() + pieces.GetSize());
        return out;
    };
    net::SocketContextRecord ctx;
    net::SocketMessageRecord msg;
    auto unpack = [&](const Bytes& r) {
        return net::UnpackMessage(r.data(), r.size(), ctx, msg, key_, 128, 0x100, 0, 4000);
    };
    ASSERT_TRUE(unpack(reassembled(10, 12))); // a surplus is ignored
    EXPECT_EQ(msg.head.Id(), 222170u);
    EXPECT_EQ(msg.length, 10);
    EXPECT_EQ(msg.data[9], 0x5A);
    EXPECT_EQ(ctx.socket, 7u);
    EXPECT_EQ(ctx.tag, 42);
    net::FreeMessageData(msg);
    EXPECT_EQ(msg.data, nullptr);
    ASSERT_TRUE(unpack(reassembled(0, 0)));
    EXPECT_EQ(msg.data, nullptr);
    EXPECT_FALSE(unpack(reassembled(13, 12)));
    EXPECT_FALSE(unpack(reassembled(-1, 12)));
    EXPECT_FALSE(unpack(reassembled(0x7FFFFFFF, 12)));
    Bytes noPieces(24, 0);
    EXPECT_FALSE(unpack(noPieces));
    EXPECT_FALSE(unpack(Bytes(10, 0)));
}

} // namespace
