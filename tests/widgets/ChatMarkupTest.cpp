// The chat markup: spans, colours, escapes, links, objects, emoticons and hostile texts.
#include "ChatMarkupTestHost.h"

#include <gtest/gtest.h>

using namespace Lumora;
using chat_test::MarkupHost;

namespace {

constexpr uint32_t kDefault = kDefaultChatColour;

TEST(ChatMarkup, SpansEndAllAtOnceAndNeverOutliveTheText)
{
    MarkupHost h;
    h.Parse("<c=255>a<>b");
    ASSERT_EQ(h.Shown(), "ab");
    EXPECT_EQ(h.elements[0].colour, 255u);
    EXPECT_EQ(h.elements[1].colour, kDefault);

    MarkupHost both;
    both.Parse("<c=255><e=b>a<>b");
    EXPECT_EQ(both.elements[0].colour, 255u);
    EXPECT_TRUE(both.elements[0].Is(chat_flag::kBold));
    EXPECT_EQ(both.elements[1].colour, kDefault);
    EXPECT_FALSE(both.elements[1].Is(chat_flag::kBold));

    MarkupHost later;
    later.Parse("<c=255>red");
    later.Parse("plain");
    EXPECT_EQ(later.Shown(), "redplain");
    EXPECT_EQ(later.elements[3].colour, kDefault);
    EXPECT_EQ(later.format, ChatFormat{});
}

TEST(ChatMarkup, SizesAndTheBoldStepDependOnTheBox)
{
    MarkupHost chat(true);
    chat.Parse("<c=255,e=b,s=240>x");
    ASSERT_EQ(chat.elements.size(), 1u);
    EXPECT_EQ(chat.elements[0].colour, 255u);
    EXPECT_TRUE(chat.elements[0].Is(chat_flag::kBold));
    EXPECT_EQ(chat.elements[0].height, 17);
    EXPECT_EQ(chat.elements[0].width, 8);

    MarkupHost plain;
    plain.Parse("<c=255,e=b,s=240>x");
    EXPECT_EQ(plain.elements[0].colour, 255u);
    EXPECT_TRUE(plain.elements[0].Is(chat_flag::kBold));
    EXPECT_EQ(plain.elements[0].height, 14);

    MarkupHost sized;
    sized.Parse("<size=20>a<size=>b<size=99999999999999>c");
    EXPECT_EQ(sized.elements[0].height, 20);
    EXPECT_EQ(sized.elements[1].height, 0);   // no digits: zero-sized characters
    EXPECT_EQ(sized.elements[1].width, 0);
    EXPECT_EQ(sized.elements[2].height, 1000);  // capped, never wrapped round

    MarkupHost capped(true);
    capped.maxFont = 30;
    capped.Parse("<s=-900>a<s=99999999>b");
    EXPECT_EQ(capped.elements[0].height, 0);
    EXPECT_EQ(capped.elements[1].height, 30);
}

TEST(ChatMarkup, ColoursFromNumbersHexAndLetters)
{
    MarkupHost h;
    h.Parse("<color=112233>a<>#rb#Gc#kd<color=1z>e");
    EXPECT_EQ(h.elements[0].colour, 0x332211u);
    EXPECT_EQ(h.elements[1].colour, 0x0000FFu);
    EXPECT_EQ(h.elements[2].colour, 0x00FF00u);
    EXPECT_EQ(h.elements[3].colour, 0u);
    EXPECT_EQ(h.elements[4].colour, 0x000010u);  // short and non-hex digits count 0
    EXPECT_EQ(h.Shown(), "abcde");
}

TEST(ChatMarkup, UnknownAndBrokenTagsShowAsText)
{
    struct Case {
        const char* in;
        const char* shown;
    } cases[] = {
        {"a<b", "a<b"},         {"a<xyz>b", "a<xyz>b"}, {"##", "#"},           {"#q", "#q"},
        {"#12", "#12"},         {"abc<c=25", "abc<c=25"}, {"#<#>#/", "<>/"},     {"<z=>", "<z=>"},
        {"<url_text=a>", "<url_text=a>"}, {"<rgb=1,2,3>x", "<rgb=1,2,3>x"}, {"#", "#"}, {"a#é", "a#é"},
        {"<notify>ok", "ok"},   {"x\r\ny", "x\ny"},
    };
    for (const auto& c : cases) {
        MarkupHost h;
        h.Parse(c.in);
        EXPECT_EQ(h.Shown(), c.shown) << c.in;
    }
    MarkupHost red;
    red.Parse("#rred");
    EXPECT_EQ(red.Shown(), "red");
    EXPECT_EQ(red.elements[0].colour, 0xFFu);
}

TEST(ChatMarkup, CharactersLineBreaksAndGbkPairs)
{
    MarkupHost h;
    h.charGap = 2;
    h.Parse("a中\n");
    ASSERT_EQ(h.elements.size(), 3u);
    EXPECT_EQ(h.elements[0].flags & 0xFF, chat_flag::kOneByte);
    EXPECT_EQ(h.elements[0].gap, 2);
    EXPECT_TRUE(h.elements[1].Is(chat_flag::kTwoByte));
    EXPECT_EQ(h.elements[1].Text(), "中");
    EXPECT_EQ(h.elements[1].width, 14);
    EXPECT_EQ(h.elements[1].gap, 4);
    EXPECT_TRUE(h.elements[2].Is(chat_flag::kLineBreak));

    // A trailing lead byte has no trail: it is dropped, nothing behind the text is read.
    MarkupHost tail;
    const std::string text = std::string("ab") + char(0xD6);
    tail.Parse(std::string_view(text.data(), text.size()));
    EXPECT_EQ(tail.Shown(), "ab");

    // The walk ends at a NUL like the C strings its writers send.
    MarkupHost nul;
    nul.Parse(std::string_view("ab\0<c=1>cd", 10));
    EXPECT_EQ(nul.Shown(), "ab");
}

TEST(ChatMarkup, AttributesAreFoundBySubstring)
{
    MarkupHost h(false, 0);
    h.Parse("<url=http://x/?c=5>");
    EXPECT_EQ(h.Shown(), "http://x/?c=5");
    EXPECT_EQ(h.elements[0].colour, 5u);  // no Links style: plain label in the tag's colour

    MarkupHost face;
    face.Parse("<face=黑体e=b>x<face=Nowhere>y<face=0123456789012345678901234567890123456789>z");
    EXPECT_TRUE(face.elements[0].Is(chat_flag::kBold));
    EXPECT_EQ(face.elements[1].face, 0);  // unknown faces draw in the default face
    EXPECT_EQ(face.elements[2].face, 0);
}

TEST(ChatMarkup, FaceNamesAreBoundedAndKeepTheirPairs)
{
    std::string pairs;
    for (int i = 0; i < 20; ++i)
        pairs += "体";
    MarkupHost h;
    ApplyChatFormatTag("face=a" + pairs, h, {});
    EXPECT_EQ(h.format.face, "a" + pairs.substr(0, 30));  // 31 bytes
    ApplyChatFormatTag("face=ab" + pairs, h, {});
    EXPECT_EQ(h.format.face, "ab" + pairs.substr(0, 28));  // a pair is never cut in half
    ApplyChatFormatTag("face=黑体;e=b", h, {});
    EXPECT_EQ(h.format.face, "黑体");
    EXPECT_EQ(h.format.faceIndex, 1);
}

TEST(ChatMarkup, LinksMakeOneObjectPerRunAndRestoreTheFormat)
{
    MarkupHost h;
    h.Parse("<c=255>x<url=http://a.b/>y");
    ASSERT_EQ(h.links.size(), 1u);
    EXPECT_EQ(h.links[0].address, "http://a.b/");
    ASSERT_EQ(h.Shown(), "xhttp://a.b/y");
    const auto& first = h.elements[1];
    const auto& last = h.elements[11];
    EXPECT_EQ(first.colour, 0xFF0000u);
    EXPECT_TRUE(first.Is(chat_flag::kLinkFirst | chat_flag::kLink | chat_flag::kUnderline));
    EXPECT_TRUE(last.Is(chat_flag::kLinkLast));
    EXPECT_FALSE(h.elements[5].Is(chat_flag::kLinkFirst | chat_flag::kLinkLast));
    EXPECT_EQ(h.elements[12].colour, 255u);
    EXPECT_FALSE(h.elements[12].Is(chat_flag::kLink));
    ASSERT_EQ(h.linkMap.size(), 1u);
    EXPECT_EQ(h.linkMap[0], std::make_pair(size_t(1), h.links[0].id));

    MarkupHost text;
    text.Parse("<url_text=/tmp/x,临时目录,pic>");
    ASSERT_EQ(text.links.size(), 1u);
    EXPECT_EQ(text.links[0].address, "/tmp/x");
    EXPECT_EQ(text.links[0].hover, "pic");
    EXPECT_EQ(text.Shown(), "临时目录");

    MarkupHost empty;
    empty.Parse("<url=>a");
    EXPECT_TRUE(empty.links.empty());
    EXPECT_EQ(empty.Shown(), "a");
}

TEST(ChatMarkup, SelfLinksOnlyInTheChatBoxAndOnlyInTheirOwnShape)
{
    MarkupHost h(true);
    h.Parse("<url=l>abc<>");
    ASSERT_EQ(h.links.size(), 1u);
    EXPECT_EQ(h.links[0].address, "abc");
    EXPECT_EQ(h.Shown(), "abc");
    EXPECT_TRUE(h.elements[0].Is(chat_flag::kLinkFirst));

    MarkupHost broken(true);
    broken.Parse("<e=l>abc<c=1>d");
    EXPECT_TRUE(broken.links.empty());
    EXPECT_EQ(broken.Shown(), "abcd");

    MarkupHost plain;
    plain.Parse("<url=l>abc<>");  // a plain box reads it as an address "l"
    ASSERT_EQ(plain.links.size(), 1u);
    EXPECT_EQ(plain.links[0].address, "l");
    EXPECT_EQ(plain.Shown(), "labc");
}

TEST(ChatMarkup, LoadTagsNeedTheStyleAndTheHook)
{
    MarkupHost off;
    off.Parse("<url_load=a,b>");
    EXPECT_EQ(off.Shown(), "<url_load=a,b>");
    EXPECT_TRUE(off.loads.empty());

    MarkupHost on(false, chat_style::kLoadUrls);
    on.loadResult = true;
    on.Parse("<url_load=addr,label,TRUE,more>x<url_load=a,b,7>");
    EXPECT_EQ(on.Shown(), "x");
    ASSERT_EQ(on.loads.size(), 2u);
    EXPECT_EQ(on.loads[0], "label|addr|1|more");
    EXPECT_EQ(on.loads[1], "b|a|7|");
}

TEST(ChatMarkup, ObjectTagsInsertOrSwallow)
{
    MarkupHost h;
    h.pictures = {"zu系统通知", "bit_Duan", "zu蓝钻", "btn"};
    h.Parse("<z=zu系统通知>a<z=bit_Duan,3>b<m=zu蓝钻,9,40,30><z=none>c<url_btn=http://x,btn>");
    EXPECT_EQ(h.Shown(), "[obj]a[obj]b[obj]c[obj]");
    ASSERT_EQ(h.objects.size(), 4u);
    EXPECT_EQ(h.objects[1].frame, 3);
    EXPECT_EQ(h.objects[2].kind, ChatObjectKind::Animation);
    EXPECT_EQ(h.objects[2].width, 40);
    EXPECT_EQ(h.objects[2].height, 30);
    EXPECT_EQ(h.objects[2].text, "[图片]");
    EXPECT_EQ(h.objects[3].kind, ChatObjectKind::LinkButton);
    EXPECT_EQ(h.objects[3].address, "http://x");
    EXPECT_EQ(h.elements.back().flags, chat_flag::kObject | chat_flag::kLinkButton);
    EXPECT_EQ(h.missing, std::vector<std::string>{"none"});

    MarkupHost noLinks(false, 0);
    noLinks.pictures = {"btn"};
    noLinks.Parse("<url_btn=http://x,btn>");
    EXPECT_EQ(noLinks.Shown(), "<url_btn=http://x,btn>");
}

TEST(ChatMarkup, EmoticonsStayInsideTheirTag)
{
    MarkupHost h(true);
    h.pictures = {"xyf打牌"};
    h.Parse("a#打牌b<#打牌>#加油");
    EXPECT_EQ(h.Shown(), "a[obj]b[obj]#加油");
    ASSERT_EQ(h.objects.size(), 2u);
    EXPECT_EQ(h.objects[0].text, "#打牌");

    // '#' near the end of a tag: the code would lie behind the tag, so it is no emoticon.
    MarkupHost shortTag(true);
    shortTag.pictures = {"xyfa>bc"};
    shortTag.Parse("<#a>bc");
    EXPECT_TRUE(shortTag.objects.empty());
    EXPECT_EQ(shortTag.Shown(), "<#a>bc");

    MarkupHost plainBox;
    plainBox.pictures = {"xyf打牌"};
    plainBox.Parse("#打牌");
    EXPECT_EQ(plainBox.Shown(), "#打牌");
}

TEST(ChatMarkup, EscapedNamesShowExactlyAsWritten)
{
    const std::string hostile = "<url=http://evil>#r<c=255><>##张三";
    EXPECT_EQ(EscapeMarkup("张三"), "张三");
    MarkupHost h;
    h.Parse(Markup(" ") + EscapeMarkup(hostile) + "呼叫 <c=255>x");
    EXPECT_EQ(h.Shown(), " " + hostile + "呼叫 x");
    EXPECT_TRUE(h.links.empty());
    for (size_t i = 0; i < 1 + hostile.size(); ++i)
        EXPECT_EQ(h.elements[i].colour, kDefault);

    // A name ending in a lone lead byte must not swallow the markup behind it.
    const std::string broken = std::string("ab") + char(0xB0);
    MarkupHost b;
    b.Parse(EscapeMarkup(broken) + "<c=255>x");
    EXPECT_EQ(b.Shown(), "abx");
    EXPECT_EQ(b.elements[2].colour, 255u);

    // An unbroken name is escaped the same way and marks its characters only, in the colour
    // around it; a tag that only holds the word is not one of its tags.
    MarkupHost u;
    u.Parse(Markup("<c=255>a") + UnbrokenMarkup("#r张<") + "b<x nobr>");
    EXPECT_EQ(u.Shown(), "a#r张<b<x nobr>");
    for (size_t i = 0; i < u.elements.size(); ++i) {
        EXPECT_EQ(u.elements[i].Is(chat_flag::kUnbroken), i >= 1 && i <= 4) << i;
        EXPECT_EQ(u.elements[i].colour, 255u) << i;
    }
}

TEST(ChatMarkup, ItemsAndNumbers)
{
    using V = std::vector<std::string_view>;
    EXPECT_EQ(SplitMarkupItems(""), V{});
    EXPECT_EQ(SplitMarkupItems(",a"), (V{"", "a"}));
    EXPECT_EQ(SplitMarkupItems("a,b,"), (V{"a", "b"}));
    EXPECT_EQ(SplitMarkupItems("a,,b"), (V{"a", "", "b"}));
    EXPECT_EQ(MarkupNumber("12ab"), 12);
    EXPECT_EQ(MarkupNumber("x"), 0);
    EXPECT_EQ(MarkupNumber("999999999999999999999"), INT32_MAX);
    EXPECT_EQ(MarkupTextValue("face=a;b", 5), "a");
    EXPECT_EQ(MarkupTextValue("face=", 9), "");
}

} // namespace
