// Opening links: only web addresses and existing folders, one argument, no shell.
#include "platform/Shell.h"
#include "OpenerStandIn.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(Shell, OnlyWebAddressesAndLocalPathShapesAreRecognised)
{
    EXPECT_TRUE(platform::IsWebAddress("http://example.org/a?b=1"));
    EXPECT_TRUE(platform::IsWebAddress("HTTPS://x"));
    for (const char* bad : {"", "http://", "ftp://x", "file:///etc/passwd", "javascript:alert(1)", "C:\\x\\evil.exe",
                            "http://a b", "http://a\nb", " http://a", "-http://a", "httpx://a"})
        EXPECT_FALSE(platform::IsWebAddress(bad)) << bad;
    EXPECT_TRUE(platform::IsLocalPathAddress("/tmp"));
    EXPECT_TRUE(platform::IsLocalPathAddress("D:\\temp"));
    EXPECT_FALSE(platform::IsLocalPathAddress("D:"));
    EXPECT_FALSE(platform::IsLocalPathAddress("temp"));
}

TEST(Shell, AWebAddressReachesTheOpenerAsOneArgument)
{
    xltest::OpenerStandIn opener;
    const std::string url = "https://example.org/a b'$(touch /tmp/x)\";c";
    EXPECT_FALSE(platform::OpenUrl(url));  // spaces are refused
    const std::string safe = "https://example.org/p?q=$(id)&r=`id`;x|y";
    ASSERT_TRUE(platform::OpenUrl(safe));
    EXPECT_EQ(opener.WaitForRecord(), "1\n" + safe + "\n");
}

TEST(Shell, FoldersOpenButFilesAndOtherSchemesNever)
{
    xltest::OpenerStandIn opener;
    const auto file = opener.Dir() / "evil.exe";
    { std::ofstream(file) << "x"; }
    EXPECT_FALSE(platform::OpenFolder(file.string()));
    EXPECT_FALSE(platform::OpenFolder("C:\\x\\evil.exe"));
    EXPECT_FALSE(platform::OpenFolder((opener.Dir() / "missing").string()));
    EXPECT_FALSE(platform::OpenUrl("file://" + opener.Dir().string()));
    EXPECT_FALSE(opener.Ran());
    // The folder path in GBK reaches the opener in UTF-8.
    const auto folder = opener.Dir() / u8"临时目录";
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(platform::OpenFolder(opener.Dir().string() + "/临时目录"));
    EXPECT_EQ(opener.WaitForRecord(), "1\n" + folder.string() + "\n");
}

} // namespace
