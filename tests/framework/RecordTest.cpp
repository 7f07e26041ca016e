// The record writer and the bounded reader.
#include "framework/connection/Record.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(RecordWriterTest, TextIsCutOnACharacterBoundaryWithinItsField)
{
    std::array<uint8_t, 12> buf;
    buf.fill(0xAA);
    RecordWriter w(buf);
    EXPECT_EQ(buf[11], 0); // zeroed first
    // "ab" and three two-byte characters: a field of 6 keeps "ab" and one character (4 bytes).
    w.Text(2, 6, "ab\xC4\xE3\xBA\xC3\xC2\xF0");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf.data() + 2)), "ab\xC4\xE3");
    EXPECT_EQ(buf[7], 0);
    w.U32(8, 0x01020304);
    EXPECT_EQ(buf[8], 4);
    w.U32(10, 7); // would leave the record: dropped
    EXPECT_EQ(buf[10], 2);
    EXPECT_EQ(GbkPrefixLength("\xC4", 5), 0u); // a lead byte without its trail byte
}

TEST(RecordReaderTest, ReadsNothingOutsideTheReply)
{
    const uint8_t data[] = {1, 0, 0, 0, 2, 0, 'h', 'i'};
    const RecordReader in(data, sizeof(data));
    EXPECT_EQ(in.U32(0), 1u);
    EXPECT_EQ(in.U32(4), 0x69680002u);
    EXPECT_EQ(in.U32(6), 0u); // not wholly present
    EXPECT_EQ(in.U32(SIZE_MAX - 1), 0u);
    EXPECT_EQ(in.Text(6, 16), "hi"); // no zero: the reply ends the text
    EXPECT_EQ(in.Text(0, 16), std::string("\x01", 1));
    EXPECT_EQ(in.Text(20, 4), "");
    uint8_t out[12];
    std::memset(out, 0xEE, sizeof(out));
    EXPECT_EQ(in.CopyTo(out, sizeof(out), 4), 4u);
    EXPECT_EQ(out[3], 'i');
    EXPECT_EQ(out[4], 0);
    EXPECT_EQ(out[11], 0);
    EXPECT_EQ(RecordReader(nullptr, 40).Size(), 0u);
}

} // namespace
