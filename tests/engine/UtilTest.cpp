#include "engine/util/Compress.h"
#include "engine/util/EngineLog.h"
#include "engine/util/FileUtil.h"
#include "engine/util/MemPool.h"
#include "engine/util/TextUtil.h"

#include "tests/support/EngineFixtures.h"
#include "tests/support/TiedChild.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

using testsupport::ReadFile;

std::tm At(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(EngineLogFormat, LinesAndFileNameAreByteExact)
{
    const std::tm t = At(2018, 9, 19, 19, 44, 25);
    EXPECT_EQ(RunLogLine(t, "GameCore Start"), "2018/09/19     19:44:25     GameCore Start\r\n");
    EXPECT_EQ(DailyLogLine(t, "x"), "2018/09/19     19:44:25      x\r\n");
    EXPECT_EQ(DailyLogFileName(At(2026, 1, 2, 0, 0, 0)), "Game20260102.log");
    EXPECT_EQ(RunLogLine(std::nullopt, "m"), "00/00/00     -1:-1:-1     m\r\n");
}

class EngineLogFiles : public testsupport::EngineFixture {};

TEST_F(EngineLogFiles, DailyLinesAppendInOrderAndLongMessagesAreCut)
{
    WriteDailyLog("first %d", 1);
    WriteDailyLog("%s", std::string(5000, 'z').c_str());
    WriteDailyLog("third");
    const std::string text = ReadFile(DailyLogPath());
    const size_t first = text.find("      first 1\r\n");
    const size_t cut = text.find("      " + std::string(kLogMessageMax, 'z') + "\r\n");
    const size_t third = text.find("      third\r\n");
    EXPECT_EQ(first, 23u);
    EXPECT_LT(first, cut);
    EXPECT_LT(cut, third);
    EXPECT_NE(third, std::string::npos);
}

TEST_F(EngineLogFiles, RunLogRestartsAndIsSilentWithoutAFolder)
{
    StartRunLog();
    WriteRunLog("a=%d", 5);
    StartRunLog();
    const std::string text = ReadFile(RunLogPath());
    EXPECT_EQ(text.size(), 23u + 5 + 14 + 2);
    EXPECT_EQ(text.substr(23), "     GameCore Start\r\n");
    platform::SetProgramFolder((folder_ / "missing").string());
    StartRunLog();
    WriteRunLog("lost");
    EXPECT_FALSE(std::filesystem::exists(folder_ / "missing"));
}

// Known answers from Python's zlib (zlib.compress of the same bytes).
std::vector<uint8_t> SampleBody()
{
    std::string s = "XueLiu replay body: ";
    for (int i = 0; i < 40; ++i)
        s += static_cast<char>(i);
    for (int i = 0; i < 5; ++i)
        s += "\xC7\xE5\xD2\xBB";
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::vector<uint8_t> FromHex(const char* hex)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
        unsigned v = 0;
        std::sscanf(hex + i, "%2x", &v);
        out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

const char kPythonStream[] =
    "789c8b284df5c92c55284a2dc849ac5448ca4fa9b4526060646266616563e7e0e4e2e6e1e5e31710141216111513979094929691959357"
    "505452565155533ffef4d26e740c000ecc1a5b";

TEST(Compress, InflatesPythonsStreamAndPythonInflatesOurs)
{
    const auto body = SampleBody();
    const auto stream = FromHex(kPythonStream);
    const auto plain = UncompressBuffer(stream.data(), stream.size(), body.size());
    ASSERT_TRUE(plain);
    EXPECT_EQ(*plain, body);

    const auto ours = CompressBuffer(body.data(), body.size());
    ASSERT_TRUE(ours);
    const auto path = std::filesystem::temp_directory_path() / ("xl_z_" + std::to_string(::getpid()));
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(ours->data(), 1, ours->size(), f);
        std::fclose(f);
    }
    const std::string hex =
        xltest::RunProgram({"/usr/bin/python3", "-c",
                            "import sys,zlib;sys.stdout.write(zlib.decompress(open(sys.argv[1],'rb').read()).hex())",
                            path.string()})
            .out;
    std::filesystem::remove(path);
    EXPECT_EQ(FromHex(hex.c_str()), body);
}

TEST(Compress, EmptyInputAndDamagedStreams)
{
    const auto empty = CompressBuffer(nullptr, 0);  // used to grow by 0 bytes for ever
    ASSERT_TRUE(empty);
    EXPECT_EQ(*empty, FromHex("789c030000000001"));
    EXPECT_TRUE(UncompressBuffer(empty->data(), empty->size(), 0));

    const auto body = SampleBody();
    auto stream = FromHex(kPythonStream);
    EXPECT_FALSE(UncompressBuffer(stream.data(), stream.size(), body.size() - 1));  // longer than said
    EXPECT_FALSE(UncompressBuffer(stream.data(), stream.size(), body.size() + 1));  // shorter than said
    EXPECT_FALSE(UncompressBuffer(stream.data(), stream.size() - 3, body.size()));  // cut short
    stream[20] ^= 0x55;
    EXPECT_FALSE(UncompressBuffer(stream.data(), stream.size(), body.size()));      // corrupted
    EXPECT_FALSE(UncompressBuffer(nullptr, 0, 10));

    // A damaged header may announce any length: one that no stream of this size can inflate to
    // is refused before anything is allocated for it.
    EXPECT_FALSE(UncompressBuffer(empty->data(), empty->size(), SIZE_MAX));
    EXPECT_FALSE(UncompressBuffer(empty->data(), empty->size(), size_t{1} << 40));
    const std::vector<uint8_t> zeros(1 << 20, 0);
    const auto dense = CompressBuffer(zeros.data(), zeros.size());  // about a thousand to one
    ASSERT_TRUE(dense);
    const auto back = UncompressBuffer(dense->data(), dense->size(), zeros.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, zeros);
}

TEST(TextUtil, EllipsizeNeverSplitsADoubleByteCharacter)
{
    EXPECT_EQ(EllipsizeText("abcdefg", 8), "abcdefg");  // exactly size - 1 bytes
    EXPECT_EQ(EllipsizeText("abcdefgh", 8), "abcd...");
    // Two-byte characters: "清一色" is C7E5 D2BB C9AB.
    const std::string gbk = "a\xC7\xE5\xD2\xBB\xC9\xAB";
    EXPECT_EQ(EllipsizeText(gbk, 8), gbk);
    EXPECT_EQ(EllipsizeText(gbk, 7), gbk.substr(0, 3) + "...");
    EXPECT_EQ(EllipsizeText(gbk, 6), "a...");  // room for 2 bytes: half a pair is not allowed
    EXPECT_EQ(EllipsizeText(gbk, 3), "a");               // below 4: no dots
    EXPECT_EQ(EllipsizeText("\xC7\xE5xyz", 2), "");
    EXPECT_EQ(EllipsizeText("abc", 1), "");

    char buffer[4];
    std::memset(buffer, '#', sizeof buffer);
    EllipsizeText("abcdef", buffer, 0);
    EXPECT_EQ(buffer[0], '#');  // size 0 writes nothing
    EllipsizeText("abcdef", buffer, 3);
    EXPECT_STREQ(buffer, "ab");
    EXPECT_EQ(buffer[3], '#');
}

TEST(TextUtil, SmallHelpers)
{
    EXPECT_EQ(ParseBool("TRUE"), 1);
    EXPECT_EQ(ParseBool("FALSE"), 0);
    EXPECT_EQ(ParseBool("1"), 1);
    EXPECT_EQ(ParseBool("yes"), 0);
    EXPECT_EQ(ParseBool("12"), 12);

    std::string mixed = "ABC\xC7\x41xYZ";  // 0x41 'A' as the trail byte of a pair stays
    LowerAscii(mixed);
    EXPECT_EQ(mixed, "abc\xC7\x41xyz");

    std::vector<std::string> pieces;
    EXPECT_EQ(SplitText("a,,b,", pieces), 3);
    EXPECT_EQ(pieces, (std::vector<std::string>{"a", "", "b"}));
    std::list<std::string> listed;
    EXPECT_EQ(SplitAtCommas("", listed), 0);
    EXPECT_EQ(SplitAtCommas("x,y", listed), 2);
    EXPECT_EQ(listed.back(), "y");
    EXPECT_EQ(InvertColor(0x00FF8000u), 0x00007FFFu);
}

class FileUtilTest : public testsupport::EngineFixture {};

TEST_F(FileUtilTest, WholeFilesAndPathPieces)
{
    const std::string path = (folder_ / "data.bin").string();
    const char bytes[] = {'a', 0, 'b'};
    ASSERT_TRUE(WriteFileBytes(path, bytes, sizeof bytes));
    ASSERT_TRUE(WriteFileBytes(path, "xy", 2));  // empties first
    const auto read = ReadWholeFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, "xy");
    EXPECT_STREQ(read->c_str(), "xy");
    EXPECT_FALSE(ReadWholeFile(""));
    EXPECT_FALSE(ReadWholeFile("nowhere\\at\\all.txt"));  // a literal path is fine: it is never changed
    EXPECT_NE(DailyLogText().find("      \xCE\xC4\xBC\xFEnowhere\\at\\all.txt \xB4\xF2\xBF\xAA\xCA\xA7\xB0\xDC!\r\n"),
              std::string::npos);
    EXPECT_FALSE(WriteFileBytes((folder_ / "no" / "x").string(), "a", 1));

    EXPECT_TRUE(ProgramFileExists("data.bin"));
    EXPECT_EQ(MakeProgramPath("skins\\a.png"), folder_.string() + "/skins/a.png");
    EXPECT_EQ(GetFileExtensionLower("C:\\x.y\\Name.PNG"), ".png");
    EXPECT_EQ(GetFileExtensionLower("dir.d/noext"), "");
    EXPECT_EQ(GetFileTitle("C:\\games\\replay.v1.rep"), "replay.v1");
    EXPECT_EQ(GetFileNameFromPath("a/b\\c.txt"), "c.txt");
}

TEST_F(FileUtilTest, DirectoryChains)
{
    const std::string base = folder_.string();
    EXPECT_TRUE(CreateDirectoryChain("single", false));            // fewer than two separators
    EXPECT_FALSE(CreateDirectoryChain(base + "/a/b/file", false));  // missing, not created
    EXPECT_FALSE(std::filesystem::exists(folder_ / "a"));
    EXPECT_TRUE(CreateDirectoryChain(base + "\\\\a\\b\\file", true));
    EXPECT_TRUE(std::filesystem::is_directory(folder_ / "a" / "b"));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "a" / "b" / "file"));
    EXPECT_TRUE(CreateDirectoryChain(base + "/a/b/", false));
    WriteFileBytes(base + "/plain", "x", 1);
    EXPECT_FALSE(CreateDirectoryChain(base + "/plain/sub/f", true));  // a file is in the way
}

TEST(MemPool, ChunksGrowAndBlocksAreReused)
{
    const size_t requestedBefore = CMemPool::RequestedBytes();
    {
        CMemPool pool(16, 64);
        EXPECT_EQ(pool.ChunkCount(), 1u);
        std::vector<void*> blocks;
        for (int i = 0; i < 64; ++i)
            blocks.push_back(pool.Alloc(16));
        EXPECT_EQ(pool.ChunkCount(), 1u);
        blocks.push_back(pool.Alloc(16));
        EXPECT_EQ(pool.ChunkCount(), 2u);
        EXPECT_EQ(pool.NextChunkSize(), 2 * 64 * (16 + CMemPool::kHeaderSize));
        for (void* b : blocks) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % alignof(std::max_align_t), 0u);
            std::memset(b, 0xAB, 16);  // blocks do not overlap headers (ASan would catch it)
        }
        EXPECT_EQ(pool.UsedBytes(), 65u * 16);
        void* freed = blocks[10];
        pool.Free(freed);
        EXPECT_EQ(pool.Alloc(8), freed);  // first fit from the front of the free list
        int outside = 0;
        pool.Free(&outside);  // not ours: ignored
        void* big = pool.Alloc(10000);  // larger than any chunk: a chunk of its own
        ASSERT_NE(big, nullptr);
        std::memset(big, 0, 10000);
        EXPECT_EQ(pool.ChunkCount(), 3u);
        EXPECT_EQ(CMemPool::RequestedBytes() - requestedBefore, pool.TotalBytes());
        pool.Reset();
        EXPECT_EQ(pool.UsedBytes(), 0u);
        EXPECT_EQ(pool.FreeBytes(), pool.TotalBytes() - 3 * CMemPool::kHeaderSize);
        EXPECT_EQ(pool.Alloc(16), blocks[0]);
        // A size whose rounding would wrap around is refused, not served with a tiny block.
        EXPECT_EQ(pool.Alloc(SIZE_MAX), nullptr);
        EXPECT_EQ(pool.Alloc(SIZE_MAX - 20), nullptr);
        EXPECT_EQ(pool.ChunkCount(), 3u);
    }
    EXPECT_EQ(CMemPool::RequestedBytes(), requestedBefore);
}

} // namespace
