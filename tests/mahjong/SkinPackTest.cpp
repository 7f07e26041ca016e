// Our skin packs as the build leaves them: every picture the client asks for is in its pack
// with the size and frame count the tile metrics call for (read back by the engine), and every
// picture and sound name is found by the independent Python reader of the pack layout.
#include "engine/resource/ResourceKey.h"
#include "engine/resource/ResourceModule.h"
#include "platform/Charset.h"
#include "tests/mahjong/TileRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

// Sizes 0 are ours; minimums where a layout needs room.
struct Expected {
    std::string name;  // GBK, as the client asks for it
    int width, height, frames;
    bool atLeast = false;
};

std::vector<Expected> TilePictures()
{
    std::vector<Expected> all;
    const int large[4][3] = {{800, 50, 72}, {1024, 54, 78}, {1366, 58, 86}, {1600, 64, 94}};
    const int side02[4][2] = {{36, 45}, {44, 52}, {44, 57}, {50, 64}};
    const int side1[4][2] = {{26, 29}, {32, 36}, {36, 43}, {42, 49}};
    auto add = [&](std::string name, int w, int h, int frames) { all.push_back({std::move(name), w, h, frames}); };
    for (int c = 0; c < 4; ++c) {
        const std::string cls = std::to_string(large[c][0]);
        add(cls + "_largecard", large[c][1], large[c][2], 48);
        add(cls + "_side0", side02[c][0], side02[c][1], 1);
        add(cls + "_side2", side02[c][0], side02[c][1], 1);
        add(cls + "_side1", side1[c][0], side1[c][1], 1);
    }
    const int middle[3][5] = {{800, 26, 38, 36, 28}, {1366, 32, 46, 44, 35}, {1600, 36, 54, 50, 41}};
    for (const auto& m : middle) {
        const std::string cls = std::to_string(m[0]);
        add(cls + "_middle1", m[1], m[2], 42);
        add(cls + "_middle3", m[1], m[2], 42);
        add(cls + "_middle0", m[3], m[4], 42);
        add(cls + "_middle2", m[3], m[4], 42);
    }
    const Expected backs[] = {{"1366_back13", 32, 46, 1}, {"1600_back13", 36, 54, 1}, {"1366_back02", 44, 35, 1},
                              {"1600_back02", 50, 41, 1}, {"1366_deal13", 26, 38, 1}, {"1366_deal02", 36, 28, 1},
                              {"wa1_deal13", 14, 20, 1},  {"wa2_deal13", 16, 23, 1},  {"wa3_deal13", 20, 28, 1},
                              {"wa1_deal02", 20, 17, 1},  {"wa2_deal02", 23, 19, 1},  {"wa3_deal02", 26, 20, 1},
                              {"shadow", 0, 0, 1},        {"throw_cardbk", 0, 0, 1}};
    all.insert(all.end(), std::begin(backs), std::end(backs));
    return all;
}

const Expected kTablePictures[] = {
    {"btn_StartGame", 0, 0, 4}, {"btn_AskCardView", 0, 0, 4}, {"btn_Chi_big", 0, 0, 4}, {"btn_Peng_big", 0, 0, 4},
    {"btn_Gang_big", 0, 0, 4}, {"btn_Hu_big", 0, 0, 4}, {"btn_Guo_big", 0, 0, 4}, {"btn_Volume", 0, 0, 4},
    {"btn_VolumeOn", 0, 0, 4}, {"btn_Sort", 0, 0, 4}, {"btn_AutoPlay", 0, 0, 4}, {"btn_HideSkill", 0, 0, 4},
    {"btn_ShowSkill", 0, 0, 4}, {"bit_skillbk", 0, 0, 1}, {"bit_volumebk", 220, 170, 1, true},
    {"slider_bk", 0, 0, 1}, {"slider_bar", 0, 0, 1}, {"clock_hand_big", 0, 0, 1}, {"digit_Clock_big", 0, 0, 10},
    {"dice1_00", 0, 0, 10}, {"bit_slogan", 0, 0, 1}, {"bit_SortHand", 0, 0, 1}, {"peng0", 0, 0, 1},
    {"peng1", 0, 0, 1}, {"chi0", 0, 0, 1}, {"chi1", 0, 0, 1}, {"gang0", 0, 0, 1}, {"gang1", 0, 0, 1},
    {"gang2", 0, 0, 1}, {"hu0", 0, 0, 1}, {"hu1", 0, 0, 1}, {"hua0", 0, 0, 1}, {"hua1", 0, 0, 1},
    {"bit_hu", 0, 0, 1}, {"bit_particular", 100, 20, 1},
    {"bit_playerpanel", 0, 0, 1}, {"bit_banker", 0, 0, 1}, {"bit_ready", 0, 0, 1}, {"bit_offline", 0, 0, 1},
    {"bit_autoplay", 0, 0, 1}, {"bit_infoboard", 0, 0, 1}, {"bit_infoboard_small", 0, 0, 1},
    {"bit_claimpointer", 0, 0, 1}, {"animation_wait", 0, 0, 0}, {"particle_sort", 0, 0, 1},
};

const Expected kFramePictures[] = {
    {"Frame_Top", 0, 25, 1}, {"Frame_Bottom", 0, 0, 1}, {"Frame_Left", 0, 0, 1}, {"Frame_Right", 0, 0, 1},
    {"GameIcon", 0, 0, 1}, {"FramePatternLeft", 0, 0, 1}, {"FramePatternMiddle", 0, 0, 1},
    {"FramePatternRight", 0, 0, 1}, {"TablePatten", 0, 0, 1}, {"TableHalo", 0, 0, 1}, {"TableCornerLT", 0, 0, 1},
    {"TableCornerRT", 0, 0, 1}, {"TableCornerLB", 0, 0, 1}, {"TableCornerRB", 0, 0, 1},
    {"btnFrameClose", 0, 0, 4}, {"btnFrameFit", 0, 0, 4}, {"btnFrameMax", 0, 0, 4}, {"btnFrameMin", 0, 0, 4},
    {"btnSet2", 0, 0, 4}, {"btnHelp2", 0, 0, 4}, {"btnShop2", 0, 0, 4}, {"bit_playerdetail", 330, 310, 1, true},
    {"btn_redcrossEx", 0, 0, 4}, {"btn_clearzero", 0, 0, 4}, {"btn_recharge", 0, 0, 4},
    {"btn_buycharacter", 0, 0, 4}, {"btn_report_personal", 0, 0, 4}, {"PlayerBoardSmall", 0, 0, 1},
    {"ScrollBar_VertBack", 0, 0, 3}, {"ScrollBar_VertBtn", 0, 0, 3}, {"ScrollBar_VertPattern", 0, 0, 3},
    {"ScrollBar_VertUpBtn", 0, 0, 4}, {"ScrollBar_VertDownBtn", 0, 0, 4}, {"ScrollBar_HorzBack", 0, 0, 3},
    {"ScrollBar_HorzBtn", 0, 0, 3}, {"ScrollBar_HorzPattern", 0, 0, 3}, {"ScrollBar_HorzLeftBtn", 0, 0, 4},
    {"ScrollBar_HorzRightBtn", 0, 0, 4},
    {"系统信息框模板", 0, 0, 2}, {"系统通知框模板", 0, 0, 2}, {"系统信息框_确定", 0, 0, 4},
    {"系统信息框_取消", 0, 0, 4}, {"系统信息框_关闭", 0, 0, 4}, {"系统通知框_按钮", 0, 0, 4},
    {"系统通知框_头像背景", 0, 0, 1}, {"同意", 0, 0, 4}, {"拒绝", 0, 0, 4}, {"查看成绩", 0, 0, 4}, {"退出", 0, 0, 4},
    {"xyf大哭", 0, 0, 1}, {"xyf打牌", 0, 0, 1}, {"xyf疑问", 0, 0, 1}, {"xyf抱歉", 0, 0, 1}, {"xyf胜利", 0, 0, 1},
    {"xyf财神", 0, 0, 1}, {"xyf加油", 0, 0, 1}, {"zu系统通知", 0, 0, 1}, {"bit_systemboard", 0, 0, 1}, {"bit_SureQuit", 0, 0, 1},
    {"btn_gameset_ok", 0, 0, 4}, {"btn_gameset_cancel", 0, 0, 4},
    {"animation_WaitArrangeTable", 0, 0, 0}, {"animation_MatchBegin", 0, 0, 0}, {"animation_MatchEnd", 0, 0, 0},
    {"animation_NoSignUp", 0, 0, 0}, {"animation_autoplaying", 0, 0, 0}, {"word_waitmatchstart", 0, 0, 18},
    {"digit_waitmatchstart", 0, 0, 10}, {"word_washturn", 0, 0, 6}, {"word_resttable", 0, 0, 11},
    {"btn_signup", 0, 0, 4}, {"btn_giveup", 0, 0, 4}, {"bit_Duan", 0, 0, 13}, {"bit_MatchEnd", 0, 0, 1},
    {"bit_MatchLate", 0, 0, 1}, {"bit_MatchStarted", 0, 0, 1}, {"bit_SelfCancel", 0, 0, 1},
    {"bit_SystemCancel", 0, 0, 1}, {"bit_SystemRejected", 0, 0, 1}, {"bit_WaitSignUpCheck", 0, 0, 1},
    {"bit_Washout", 0, 0, 1}, {"digit_MatchRank", 0, 0, 10}, {"btn_Award", 0, 0, 4}, {"btn_ExChange", 0, 0, 4},
    {"MatchResultDlg", 0, 0, 1}, {"switchok", 0, 0, 4}, {"switchno", 0, 0, 4}, {"char_第", 0, 0, 1},
    {"char_名", 0, 0, 1}, {"左右分隔条_bg", 0, 0, 1}, {"箭头右", 0, 0, 4}, {"箭头左", 0, 0, 4},
    {"SystemUserListBar", 0, 0, 1}, {"UserListBlock", 0, 30, 3, true}, {"MatchListBlock", 0, 0, 5},
    {"SystemDivide", 0, 0, 1}, {"滚动角", 0, 0, 1}, {"bit_LookOn", 0, 0, 1}, {"InputBoxBkg", 0, 0, 1},
    {"btnQuickChat", 0, 0, 4}, {"btnChatSend", 0, 0, 4}, {"btnChatFace", 0, 0, 4}, {"btn_board", 0, 0, 4},
    {"CheckButton", 0, 0, 2}, {"RadioButton", 0, 0, 2}, {"ResultListBlock", 0, 24, 5},
};

std::vector<std::string> SoundNames()
{
    std::vector<std::string> names = {"SndThrow", "SndCatch", "SndDice", "SndDe", "SndTanPai", "SndHi", "SndWin",
                                      "SndAhoo", "Snd_GameStart", "Snd_GameWin", "Snd_msg", "snd_dang",
                                      "SndTouchButton", "SndHitButton"};
    for (int n = 29010; n <= 29015; ++n)
        names.push_back("wave" + std::to_string(n));
    for (const char* voice : {"male1_", "female1_"}) {
        for (int suit = 0; suit < 3; ++suit)
            for (int rank = 1; rank <= 9; ++rank)
                names.push_back(voice + std::to_string(suit * 10 + rank));
        for (const char* call : {"peng1", "gang1", "gang2", "hu1"})
            names.push_back(std::string(voice) + call);
    }
    return names;
}

class SkinPackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine_ = std::make_unique<mahjongtest::TileEngine>(std::to_string(::getpid()) + "_packs");
    }
    void CheckPictures(const Expected* begin, const Expected* end)
    {
        for (const Expected* e = begin; e != end; ++e) {
            const Lumora::PictureInfo info = engine_->Picture(e->name.c_str(), 0);
            ASSERT_NE(info.image, nullptr) << e->name;
            if (e->frames) {
                EXPECT_EQ(info.image->frames, uint32_t(e->frames)) << e->name;
            } else {
                EXPECT_GT(info.image->frames, 1u) << e->name;
            }
            if (e->atLeast) {
                EXPECT_GE(info.width, e->width) << e->name;
                EXPECT_GE(info.height, e->height) << e->name;
                continue;
            }
            if (e->width) {
                EXPECT_EQ(info.width, e->width) << e->name;
            }
            if (e->height) {
                EXPECT_EQ(info.height, e->height) << e->name;
            }
        }
    }
    // The independent reader finds every name in the pack.
    void CheckNames(const char* pack, const std::vector<std::string>& names, const char* kind)
    {
        const std::string list = (engine_->Folder() / (std::string(pack) + ".names")).string();
        {
            std::ofstream out(list);
            for (const std::string& n : names)
                out << platform::GbkToUtf8(n) << ' ' << kind << '\n';
        }
        const int rc = xltest::RunProgram(
                           xltest::Python("tests/mahjong/data/pack_has.py", {mahjongtest::SkinPackPath(pack), list}),
                           xltest::RunOptions::To(list + ".out", true))
                           .status;
        std::ifstream report(list + ".out");
        EXPECT_EQ(rc, 0) << std::string(std::istreambuf_iterator<char>(report), {});
    }
    static std::vector<std::string> NamesOf(const Expected* begin, const Expected* end)
    {
        std::vector<std::string> names;
        for (const Expected* e = begin; e != end; ++e)
            names.push_back(e->name);
        return names;
    }

    std::unique_ptr<mahjongtest::TileEngine> engine_;
};

} // namespace

TEST_F(SkinPackTest, TilePicturesHaveTheSizesOfTheMetricsAndTheirFrames)
{
    const std::vector<Expected> tiles = TilePictures();
    CheckPictures(tiles.data(), tiles.data() + tiles.size());
    CheckNames("tiles", NamesOf(tiles.data(), tiles.data() + tiles.size()), "imge");
}

TEST_F(SkinPackTest, TableAndFramePicturesAreAllThere)
{
    CheckPictures(std::begin(kTablePictures), std::end(kTablePictures));
    CheckPictures(std::begin(kFramePictures), std::end(kFramePictures));
    CheckNames("table", NamesOf(std::begin(kTablePictures), std::end(kTablePictures)), "imge");
    CheckNames("frame", NamesOf(std::begin(kFramePictures), std::end(kFramePictures)), "imge");
}

TEST_F(SkinPackTest, EverySoundIsInTheSoundPackAndTheHallHasItsCharacters)
{
    CheckNames("sound", SoundNames(), "sound");
    // The voices are asked for with their file name ("%s.wav", "%d.wav" after the voice).
    engine_->Owner().AddResourcePack(mahjongtest::SkinPackPath("sound").c_str());
    for (const char* file : {"male1_11.wav", "female1_29.wav", "male1_peng1.wav", "female1_hu1.wav", "SndThrow.wav"})
        EXPECT_TRUE(engine_->Resources().Exists(Lumora::MakeResourceKey(Lumora::NormaliseResourceName(file)))) << file;
    for (int n = 0; n < 4; ++n)
        for (const char* size : {"32x32", "48x48", "135x270"})
            EXPECT_TRUE(std::filesystem::exists(std::string(XL_BINARY_DIR) + "/Share/Image/Character/" +
                                                std::to_string(n) + "/" + size + ".png"))
                << n << " " << size;
}

TEST_F(SkinPackTest, TheArtProgramDrawsTheSameBytesEveryRun)
{
    namespace fs = std::filesystem;
    const fs::path again = engine_->Folder() / "art";
    ASSERT_TRUE(xltest::RunProgram(xltest::Python("tools/skinart/skinart.py", {again.string()})).Ok());
    const fs::path built = fs::path(XL_BINARY_DIR) / "skinart";
    size_t compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(again)) {
        if (!entry.is_regular_file())
            continue;
        const fs::path relative = fs::relative(entry.path(), again);
        const fs::path other = relative.begin()->string() == "Share" ? fs::path(XL_BINARY_DIR) / relative
                                                                      : built / relative;
        std::ifstream a(entry.path(), std::ios::binary), b(other, std::ios::binary);
        ASSERT_TRUE(b) << other;
        EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b), {}))
            << relative;
        ++compared;
    }
    EXPECT_GT(compared, 250u);
}

namespace {

// A picture's pixel as 0xRRGGBB and whether it shows (not the key colour, alpha at least half).
struct Sample {
    uint32_t rgb;
    bool shows;
};
Sample At(const Lumora::PictureInfo& p, int x, int y, uint32_t frame = 0)
{
    const Lumora::ImageRecord& im = *p.image;
    const uint8_t* px = im.pixels.data() + im.PixelIndex(x, y, frame) * 4;
    const uint32_t rgb = uint32_t(px[2]) << 16 | uint32_t(px[1]) << 8 | px[0];
    return {rgb, px[3] >= 128 && rgb != 0xFF00FF};
}

// Contrast of two colours (0xRRGGBB) by relative luminance, 1 to 21: 4.5 reads as body text.
double Contrast(uint32_t a, uint32_t b)
{
    auto luminance = [](uint32_t rgb) {
        double l = 0;
        const double weight[3] = {0.2126, 0.7152, 0.0722};
        for (int c = 0; c < 3; ++c) {
            const double v = double(rgb >> (16 - 8 * c) & 0xFF) / 255.0;
            l += weight[c] * (v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        return l;
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The lowest contrast of a pen against the picture in a rectangle [x0, x1) x [y0, y1).
double LowestContrast(const Lumora::PictureInfo& p, uint32_t pen, int x0, int y0, int x1, int y1)
{
    double lowest = 21;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (const Sample s = At(p, x, y); s.shows)
                lowest = std::min(lowest, Contrast(pen, s.rgb));
    return lowest;
}

} // namespace

TEST_F(SkinPackTest, BoardsHoldWhatTheFrameDrawsOnThemAndTheirTextReads)
{
    engine_->Owner().AddResourcePack(mahjongtest::SkinPackPath("frame").c_str());
    auto picture = [&](const char* name) {
        const Lumora::PictureInfo p = engine_->Picture(name, 0);
        EXPECT_NE(p.image, nullptr) << name;
        return p;
    };
    // The mahjong detail board: the 135 x 270 character at (10, 50) with the buy button 22 pixels
    // above the bottom below it, dark green lines (0x385026) from x 145, y 61 to 297.
    const Lumora::PictureInfo detail = picture("bit_playerdetail");
    const Lumora::PictureInfo buy = picture("btn_buycharacter");
    ASSERT_TRUE(detail.image && buy.image);
    EXPECT_GE(detail.height - 22 - buy.height, 50 + 270);
    EXPECT_GE(detail.width, 145 + 200);
    EXPECT_GE(LowestContrast(detail, 0x265038, 145, 54, detail.width - 84, 298), 4.5);
    // Its width is the margin between the board and the table's edge.
    EXPECT_LE(picture("PlayerBoardSmall").width, 16);
    // The system board's white text from 50 pixels below its top.
    const Lumora::PictureInfo system = picture("bit_systemboard");
    ASSERT_TRUE(system.image);
    EXPECT_GE(LowestContrast(system, 0xFFFFFF, 20, 50, system.width - 20, 140), 4.5);
    // The switch-room box writes its own captions on its buttons: their pictures hold none.
    for (const char* name : {"switchok", "switchno"}) {
        const Lumora::PictureInfo button = picture(name);
        ASSERT_TRUE(button.image);
        for (int y = 6; y < button.height - 6; ++y)
            for (int x = 6; x < button.width - 6; ++x)
                ASSERT_EQ(At(button, x, y).rgb, At(button, 6, y).rgb) << name << " " << x << "," << y;
    }
    // The sure-quit board's buttons stand 55 pixels apart, centre to centre.
    EXPECT_LT(picture("btn_gameset_ok").width, 55);
    EXPECT_LT(picture("btn_gameset_cancel").width, 55);
    // The ask-exit box keeps 21 pixels around its 32-pixel portrait: the frame stays inside them.
    const Lumora::PictureInfo portrait = picture("系统通知框_头像背景");
    EXPECT_GE(portrait.width, 32);
    EXPECT_LE(portrait.width, 32 + 21);
    EXPECT_LE(portrait.height, 32 + 21);
    // The title bar is tiled: each row is one colour, so no seam and no boxes show.
    const Lumora::PictureInfo top = picture("Frame_Top");
    ASSERT_TRUE(top.image);
    for (int y = 0; y < top.height; ++y)
        for (int x = 1; x < top.width; ++x)
            ASSERT_EQ(At(top, x, y).rgb, At(top, 0, y).rgb) << x << "," << y;
    // The count-down (42 high) stands on the sign-up notice's centre: its band stays clear and
    // the notice's words stand outside it, in every frame.
    const Lumora::PictureInfo notice = picture("animation_NoSignUp");
    ASSERT_TRUE(notice.image);
    const int cy = notice.height / 2;
    for (uint32_t f = 0; f < notice.image->frames; ++f) {
        int inBand = 0, outside = 0;
        for (int y = 0; y < notice.height; ++y)
            for (int x = 0; x < notice.width; ++x)
                if (At(notice, x, y, f).shows)
                    ++(std::abs(y - cy) <= 21 ? inBand : outside);
        EXPECT_EQ(inBand, 0) << f;
        EXPECT_GT(outside, 100) << f;
    }
}
