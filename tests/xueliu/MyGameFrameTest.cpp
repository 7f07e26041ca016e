// This game's frame: the skin packs it loads (a missing one is logged and left out) and the two
// bare game parts it hands to the generic frame, whose scene pools this game's tile views.
#include "tests/support/EngineFixtures.h"
#include "tests/support/HeadlessEngine.h"

#include "engine/resource/PackWriter.h"
#include "xueliu/CMyCard.h"
#include "xueliu/CMyGame.h"
#include "xueliu/CMyGameFrame.h"

#include <fstream>

using namespace Lumora;
using namespace testsupport;

namespace {

void WritePack(const std::filesystem::path& path, const char* picture)
{
    std::string error;
    const auto pack = BuildPack({{std::string(picture) + ".pps", EncodePps(SolidFrames(8, 8, {0x123456}))}}, error);
    ASSERT_FALSE(pack.empty()) << error;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(pack.data()), std::streamsize(pack.size()));
}

TEST(MyGameFrame, LoadsThePacksThereAreAndMakesBareParts)
{
    HeadlessEngine e(TestTag());
    WritePack(e.Folder() / "skins" / "frame.xyr", "frame_pic");
    WritePack(e.Folder() / "skins" / "sound.xyr", "sound_pic");
    auto* frame = e.Register(new CMyGameFrame);
    EXPECT_EQ(frame->GetName(), "GameFrame");
    EXPECT_EQ(e.Picture("frame_pic").width, 8);
    EXPECT_EQ(e.Picture("sound_pic").width, 8);
    const std::string log = e.DailyLogText();
    EXPECT_NE(log.find("skins\\table.xyr"), std::string::npos);
    EXPECT_NE(log.find("skins\\tiles.xyr"), std::string::npos);
    EXPECT_EQ(log.find("frame.xyr"), std::string::npos);

    auto* game = dynamic_cast<CMyGame*>(frame->GetMainGame());
    ASSERT_NE(game, nullptr);
    // Its pool holds this game's tile views.
    ASSERT_NE(game->GetFreeCard(), nullptr);
    EXPECT_NE(dynamic_cast<CMyCard*>(game->GetFreeCard()), nullptr);
    ASSERT_NE(frame->GetSubSystem(), nullptr);
    EXPECT_EQ(e.Objects().FindByName("MainGame"), frame->GetMainGame());
    EXPECT_EQ(e.Objects().FindByName("SubSystem"), frame->GetSubSystem());
}

} // namespace
