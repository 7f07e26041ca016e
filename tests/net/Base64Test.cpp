#include "net/Base64Coding.h"
#include "net/Oracle.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

TEST(Base64, Rfc4648Vectors)
{
    net::CBase64Coding b64;
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, coded] : vectors) {
        EXPECT_EQ(b64.EncodeToText(ToBytes(plain)), coded);
        EXPECT_EQ(b64.EncodeToBytes(ToBytes(plain)), ToBytes(coded));
        EXPECT_EQ(b64.DecodeText(coded), ToBytes(plain));
        EXPECT_EQ(b64.DecodeBytes(ToBytes(coded)), ToBytes(plain));
    }
}

TEST(Base64, LongInputBreaksLinesEvery72AndMatchesPython)
{
    net::CBase64Coding b64;
    for (size_t n : {53u, 54u, 55u, 108u, 1000u}) {
        const Bytes in = RandomBytes(n, static_cast<uint32_t>(n));
        const Bytes py = Oracle1("b64", "", in);
        std::string expected;
        for (size_t i = 0; i < py.size(); ++i) {
            expected.push_back(static_cast<char>(py[i]));
            if ((i + 1) % 72 == 0)
                expected += "\r\n";
        }
        const std::string text = b64.EncodeToText(in);
        EXPECT_EQ(text, expected) << n;
        EXPECT_EQ(b64.EncodeToBytes(in), py) << n;
        EXPECT_EQ(b64.DecodeText(text), in) << n;
    }
}

TEST(Base64, DecodeSkipsBlanksStopsAtPadAndRejectsJunk)
{
    net::CBase64Coding b64;
    EXPECT_EQ(b64.DecodeText(" Zm9v\r\n\tYmFy "), ToBytes("foobar"));
    EXPECT_EQ(b64.DecodeText("Zg==Zm9v"), ToBytes("f"));
    EXPECT_TRUE(b64.DecodeText("Zm9v*YmFy").empty());
    EXPECT_TRUE(b64.DecodeText("Zm9v\x80").empty());
}

} // namespace
