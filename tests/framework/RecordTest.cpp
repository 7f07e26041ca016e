// The record writer and the bounded reader, and the system's texts of the connection compared
// byte for byte with Python's own GBK encoding of the same texts.
#include "framework/connection/CGameConnect.h"
#include "framework/connection/Record.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

// UTF-8 texts as bytes (u8 literals are char8_t in C++20).
std::string U8(const char8_t* s)
{
    return reinterpret_cast<const char*>(s);
}

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

// The texts as UTF-8, encoded by Python's gbk codec and compared with the compiled ones.
TEST(ConnectionTextsTest, CodeTextsAreTheGbkBytesOfTheSystemsTexts)
{
    const std::vector<std::pair<uint32_t, std::string>> game = {
        {1000, U8(u8"对象不存在。")}, {1010, U8(u8"请求处理失败。")}, {210010, U8(u8"游戏还没有准备好,请稍候再旁观。")},
        {210535, U8(u8"进入游戏失败，请重新开始。")}};
    const std::vector<std::pair<uint32_t, std::string>> hall = {
        {60019, U8(u8"非常抱歉，系统正在维护中，请稍候再操作。")}, {60101, U8(u8"帐户已被禁用，请与管理员联系。")},
        {1, U8(u8"操作失败！")}};
    const std::vector<std::pair<uint32_t, std::string>> deposit = {
        {60023, U8(u8"与服务器连接已经断开。")}, {60060, U8(u8"身份证号码无效，请准确输入您本人的身份证号码。")}};
    CGameConnect c(nullptr, 0, 0, 0);
    std::vector<std::pair<std::string, std::string>> pairs; // utf-8, compiled
    auto take = [&](const auto& table, auto get) {
        for (const auto& [code, utf8] : table) {
            std::string t = "unchanged";
            (c.*get)(t, code);
            pairs.emplace_back(utf8, t);
        }
    };
    take(game, &CGameConnect::GetReplyCodeText);
    take(hall, &CGameConnect::GetHallCodeText);
    take(deposit, &CGameConnect::GetDepositCodeText);
    std::string unchanged = "unchanged";
    c.GetReplyCodeText(unchanged, 4242);
    EXPECT_EQ(unchanged, "unchanged");

    const std::string in = std::string(XL_BINARY_DIR) + "/connection-texts.txt";
    std::ofstream(in) << [&] {
        std::string all;
        for (const auto& p : pairs)
            all += p.first + "\n";
        return all;
    }();
    const std::string cmd = "/usr/bin/python3 -c \"import sys\nfor l in open(sys.argv[1], encoding='utf-8'): "
                            "print(l.rstrip('\\n').encode('gbk').hex())\" " + in;
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char line[512];
    for (const auto& pair : pairs) {
        ASSERT_NE(fgets(line, sizeof(line), p), nullptr);
        std::string hex;
        for (unsigned char ch : pair.second) {
            char b[3];
            std::snprintf(b, sizeof(b), "%02x", ch);
            hex += b;
        }
        EXPECT_EQ(hex + "\n", line) << pair.first;
    }
    pclose(p);
}

} // namespace
