// The side panel's chat box: its markup extensions, what its links may open, its three-slice
// background and its font reset; and a link click that reaches the desktop's opener.
#include "tests/platform/OpenerStandIn.h"
#include "tests/widgets/ChatBoxFixture.h"
#include "tests/widgets/FakeAppServices.h"
#include "engine/object/PlaneObject.h"
#include "widgets/CXyChatBox.h"
#include "widgets/CXyScrollBar.h"

#include <filesystem>

namespace {

using namespace widgettest;
using namespace Lumora;

using SideChatBoxTest = ChatBoxFixture;

constexpr uint32_t kStyle = 0x40F;

TEST_F(SideChatBoxTest, EmoticonsSelfLinksAndTwipSizes)
{
    E().AddSkin("xyf打牌", SolidFrames(20, 20, {0x00FF00, 0x0000FF}));
    E().LoadSkins();
    auto* box = MakeBox<CXyChatBox>(kStyle);
    box->AppendText("#打牌<e=l>abc<><s=240>x#加油");
    E().Settle();
    EXPECT_EQ(box->TextOf(box->Content().First(), nullptr), "#打牌abcx#加油");
    EXPECT_TRUE(box->GetElementAt(0)->Is(chat_flag::kObject));
    EXPECT_TRUE(box->GetElementAt(1)->Is(chat_flag::kLinkFirst));
    EXPECT_EQ(box->GetElementAt(4)->height, 16);
}

TEST_F(SideChatBoxTest, WebLinksGoToTheApplicationAndFilesNowhere)
{
    FakeAppServices app;
    xltest::OpenerStandIn opener;
    auto* box = MakeBox<CXyChatBox>(kStyle);
    box->OpenUrl("https://example.org/a");
    box->OpenUrl("C:\\x\\evil.exe");
    box->OpenUrl("/bin/sh");
    box->OpenUrl("ftp://example.org/");
    EXPECT_EQ(app.pages, std::vector<std::string>{"https://example.org/a"});
    EXPECT_FALSE(opener.Ran());
}

TEST_F(SideChatBoxTest, AClickOnAFolderLinkStartsTheOpenerWithThatFolder)
{
    xltest::OpenerStandIn opener;
    const std::string folder = (opener.Dir() / "shots").string();
    std::filesystem::create_directories(folder);
    auto* box = MakeBox<CXyChatBox>(kStyle);
    box->AppendText(Markup::FromSkin("<url_text=" + folder + ",临时目录>")); // a tag's value is read as it stands
    E().Settle();
    const ChatElement* link = box->GetElementAt(0);
    E().Click(100 + link->x + 2, 100 + link->y + 5);
    EXPECT_EQ(opener.WaitForRecord(), "1\n" + folder + "\n");
}

TEST_F(SideChatBoxTest, AClickOnAWebLinkOfAPlainBoxStartsTheOpenerWithTheAddress)
{
    xltest::OpenerStandIn opener;
    auto* box = MakeBox<CPglChatBox>(chat_style::kDefault | chat_style::kSelectable | chat_style::kLinks);
    box->AppendText("<url_text=https://example.org/?q=1&r=$(id),网页>");
    E().Settle();
    E().Click(100 + 3, 100 + box->GetElementAt(0)->y + 5);
    EXPECT_EQ(opener.WaitForRecord(), "1\nhttps://example.org/?q=1&r=$(id)\n");
}

TEST_F(SideChatBoxTest, ANarrowBackgroundIsDrawnInThreeSlices)
{
    // 20 pixels: left half red, right half blue, columns 10 and 11 green.
    E().AddSkin("back", SyntheticPicture(20, 4, 1, [](int, int x, int) -> uint32_t {
                    return x == 10 || x == 11 ? 0x00FF00 : x < 10 ? 0x0000FF : 0xFF0000;
                }));
    E().LoadSkins();
    auto* box = MakeBox<CXyChatBox>(kStyle);
    box->ResizeBackground(100, 4);
    box->SetBackgroundPicture("back");
    PlaneObject& plane = *box->GetBackgroundPlane();
    EXPECT_TRUE(NearColour(PixelOf(plane, 5, 1), 0x0000FF));
    EXPECT_TRUE(NearColour(PixelOf(plane, 50, 1), 0x00FF00));
    EXPECT_TRUE(NearColour(PixelOf(plane, 89, 1), 0x00FF00));
    EXPECT_TRUE(NearColour(PixelOf(plane, 95, 1), 0xFF0000));
}

TEST_F(SideChatBoxTest, TheVerticalBarStandsFivePixelsFurtherOut)
{
    auto* plain = MakeBox<CPglChatBox>(chat_style::kDefault | chat_style::kScrollBars);
    auto* side = MakeBox<CXyChatBox>(chat_style::kDefault | chat_style::kScrollBars);
    for (int i = 0; i < 12; ++i) {
        plain->AppendText("line\n");
        side->AppendText("line\n");
    }
    E().Settle();
    ASSERT_TRUE(plain->IsVerticalBarShown());
    ASSERT_TRUE(side->IsVerticalBarShown());
    EXPECT_EQ(side->GetViewWidth(), plain->GetViewWidth());
    EXPECT_DOUBLE_EQ(side->GetVerticalScrollBar()->GetLeft() - plain->GetVerticalScrollBar()->GetLeft(), 5.0);
    EXPECT_DOUBLE_EQ(side->GetVerticalScrollBar()->GetTop(), plain->GetVerticalScrollBar()->GetTop());
}

TEST_F(SideChatBoxTest, ResetFontRestoresTheChatDefaultOnce)
{
    auto* box = MakeBox<CXyChatBox>(kStyle);
    box->SetFontSize(20);
    box->MutableFormat().flags |= chat_flag::kBold;
    box->SetTextColor(0xFF);
    box->ResetFont();
    EXPECT_EQ(box->Format().height, 12);
    EXPECT_EQ(box->Format().colour, 0u);
    EXPECT_EQ(box->Format().flags, 0u);
    const ChatFormat once = box->Format();
    box->ResetFont();
    EXPECT_EQ(box->Format(), once);
}

} // namespace
