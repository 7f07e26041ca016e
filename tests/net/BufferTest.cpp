#include "net/Buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Contents(const net::CBuffer& b)
{
    return b.GetSize() ? std::string(reinterpret_cast<const char*>(b.GetData()), b.GetSize()) : std::string();
}

TEST(CBuffer, GrowsInWholeKilobytesAndKeepsBlockOnReset)
{
    net::CBuffer b;
    EXPECT_EQ(b.GetSize(), 0u);
    EXPECT_EQ(b.GetData(), nullptr);
    b.Append("x", 1);
    EXPECT_EQ(b.GetCapacity(), 1024u);
    net::CBuffer big;
    const std::string bytes(1025, 'a');
    big.Append(bytes.data(), bytes.size());
    EXPECT_EQ(big.GetCapacity(), 2048u);

    net::CBuffer large;
    const std::string block(8192, 'b');
    large.Append(block.data(), block.size());
    large.Reset();
    EXPECT_EQ(large.GetSize(), 0u);
    EXPECT_EQ(large.GetCapacity(), 8192u);
    net::CBuffer empty;
    empty.Reset();
    EXPECT_EQ(empty.GetCapacity(), 1024u);
}

TEST(CBuffer, GrowsGeometricallyWhenAppendedPieceByPiece)
{
    net::CBuffer b;
    const std::string piece(4004, 'p');
    size_t last = 0;
    int grown = 0;
    while (b.GetSize() < (size_t(16) << 20)) {
        b.Append(piece.data(), piece.size());
        grown += b.GetCapacity() != last;
        last = b.GetCapacity();
        ASSERT_EQ(last % 1024, 0u);
    }
    EXPECT_LE(grown, 16);
}

TEST(CBuffer, FrontOperations)
{
    net::CBuffer b("world", 5);
    b.Insert("hello ", 6);
    EXPECT_EQ(Contents(b), "hello world");
    char out[16] = {};
    EXPECT_EQ(b.Read(out, 6), 6u);
    EXPECT_EQ(std::string(out), "hello ");
    EXPECT_EQ(Contents(b), "world");
    // A read past the used bytes takes what is there.
    std::memset(out, 0, sizeof out);
    EXPECT_EQ(b.Read(out, 10), 5u);
    EXPECT_EQ(std::string(out), "world");
    EXPECT_EQ(b.GetSize(), 0u);
    // Beyond the capacity nothing is read or removed.
    b.Append("abc", 3);
    EXPECT_EQ(b.Read(out, 5000), 0u);
    EXPECT_EQ(b.Consume(5000), 0u);
    EXPECT_EQ(b.Consume(1), 1u);
    EXPECT_EQ(Contents(b), "bc");
}

TEST(CBuffer, CopyAndMove)
{
    net::CBuffer a("abc", 3);
    net::CBuffer copy = a;
    copy.Append("d", 1);
    EXPECT_EQ(Contents(a), "abc");
    EXPECT_EQ(Contents(copy), "abcd");
    net::CBuffer moved = std::move(copy);
    EXPECT_EQ(Contents(moved), "abcd");
    EXPECT_EQ(copy.GetSize(), 0u); // NOLINT(bugprone-use-after-move): moved-from is empty by contract
}

} // namespace
