#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/support/EngineFixtures.h"
#include "tests/support/TiedChild.h"
#include "engine/GameCore.h"
#include "engine/resource/PackWriter.h"
#include "engine/resource/ResourceModule.h"
#include "engine/resource/XyFile.h"
#include "engine/music/MusicModule.h"
#include "engine/util/FileUtil.h"

using namespace Lumora;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Blob(const std::string& text) { return {text.begin(), text.end()}; }

void Write(const fs::path& p, const std::vector<uint8_t>& b) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

std::string Text(const uint8_t* data) { return data ? std::string(reinterpret_cast<const char*>(data)) : "<null>"; }

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

class ResourceTest : public testsupport::EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        core_ = std::make_unique<GameCore>();
        core_->Init(0);
        res_ = new ResourceModule;
        ASSERT_EQ(core_->LoadModule(res_, 1, 1), LUMORA_MSG_OK);
    }
    void TearDown() override {
        core_.reset();
        EngineFixture::TearDown();
    }
    fs::path MakePack(const std::string& file, const std::vector<PackSource>& sources) {
        std::string error;
        const auto bytes = BuildPack(sources, error);
        EXPECT_FALSE(bytes.empty()) << error;
        Write(folder_ / file, bytes);
        return folder_ / file;
    }
    std::unique_ptr<GameCore> core_;
    ResourceModule* res_ = nullptr;
};

} // namespace

TEST_F(ResourceTest, PackRoundTripLookupsAndFirstRegistrationWins) {
    const fs::path a = MakePack("a.xyr", {{"skins\\btn_Ok.PNG", Blob("png bytes")},
                                          {"Throw.wav", Blob("wave")},
                                          {"\xb0\xb4\xc5\xa5.txt", Blob("gbk name")}});
    const fs::path b = MakePack("b.xyr", {{"btn_Ok.bmp", Blob("other")}, {"tune.mid", Blob("midi")}});
    EXPECT_EQ(res_->AddPack(a.string()), 3);
    EXPECT_EQ(res_->AddPack(b.string()), 2);
    EXPECT_EQ(res_->Count(), 4u);  // btn_Ok.imge is registered once, from the first pack
    EXPECT_EQ(Text(res_->GetData(MakeResourceKey("btn_Ok.imge"))), "png bytes");
    EXPECT_EQ(Text(res_->GetData(MakeResourceKey("Throw.sound"))), "wave");
    EXPECT_EQ(Text(res_->GetData(MakeResourceKey("tune.sound"))), "midi");
    EXPECT_EQ(Text(res_->GetData(MakeResourceKey("\xb0\xb4\xc5\xa5.text"))), "gbk name");
    EXPECT_EQ(res_->GetData(MakeResourceKey("missing.imge")), nullptr);
    const ResourceRecord* rec = res_->Find(MakeResourceKey("Throw.sound"));
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->sourceKind, kSourcePackEntry);
    EXPECT_EQ(rec->category, HashStringRS(".sound"));
    EXPECT_EQ(rec->typeHash, HashStringRS(".wav"));
    // The same pack again: nothing new, the count still returned, one more kept handle.
    const size_t files = res_->OpenFileCount();
    EXPECT_EQ(res_->AddPack(a.string()), 3);
    EXPECT_EQ(res_->Count(), 4u);
    EXPECT_EQ(res_->OpenFileCount(), files + 1);
    // Through the core's message as well.
    EXPECT_EQ(res_->ProcessMessage(RESOURCE_MSG_ADD_PACK, reinterpret_cast<uintptr_t>(b.string().c_str()), 0), 2);
    EXPECT_EQ(res_->ProcessMessage(9999, 0, 0), LUMORA_MSG_OK);
}

TEST_F(ResourceTest, PackFromTheIndependentWriterLoadsAndOursListsThere) {
    Write(folder_ / "Frame_Back.png", Blob("first"));
    Write(folder_ / "SndHit.WAV", Blob("second blob"));
    Write(folder_ / "readme.xyz", Blob("third"));
    const char* script = "tests/engine/data/xyr_ref.py";
    const fs::path pack = folder_ / "py.xyr";
    ASSERT_TRUE(
        xltest::RunProgram(xltest::Python(script,
                                          {"write", pack.string(), (folder_ / "Frame_Back.png").string(),
                                           (folder_ / "SndHit.WAV").string(), (folder_ / "readme.xyz").string()}))
            .Ok());
    EXPECT_EQ(res_->AddPack(pack.string()), 3);
    EXPECT_EQ(Text(res_->GetData(MakeResourceKey("Frame_Back.imge"))), "first");
    EXPECT_EQ(Text(res_->GetData(MakeResourceKey("SndHit.sound"))), "second blob");
    EXPECT_EQ(Text(res_->GetData(MakeResourceKey("readme.xyz"))), "third");
    EXPECT_EQ(res_->Find(MakeResourceKey("readme.xyz"))->category, HashStringRS(".xyz"));
    // Our pack, listed by the independent reader: keys and blobs as ours computed them.
    const fs::path ours = MakePack("ours.xyr", {{"Frame_Back.png", Blob("first")}});
    const fs::path listing = folder_ / "list.txt";
    ASSERT_TRUE(
        xltest::RunProgram(xltest::Python(script, {"list", ours.string()}), xltest::RunOptions::To(listing.string()))
            .Ok());
    std::istringstream line(testsupport::ReadFile(listing));
    uint32_t h1, h2, h3, offset, size, type;
    line >> h1 >> h2 >> h3 >> offset >> size >> type;
    const ResourceKey key = MakeResourceKey("Frame_Back.imge");
    EXPECT_EQ(h1, key.h1);
    EXPECT_EQ(h2, key.h2);
    EXPECT_EQ(h3, key.h3);
    EXPECT_EQ(offset, 176u + 32u);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(type, HashStringRS(".png"));
}

TEST_F(ResourceTest, DamagedPacksAreRefusedAndReported) {
    std::string error;
    std::vector<uint8_t> good = BuildPack({{"a.png", Blob("aaaa")}, {"b.png", Blob("bb")}}, error);
    auto variant = [&](const std::string& name, auto change) {
        auto b = good;
        change(b);
        Write(folder_ / name, b);
        return (folder_ / name).string();
    };
    const std::string bad[] = {
        variant("e_over_d.xyr", [](auto& b) { PutU32(b, 100, 3); }),
        variant("huge_dir.xyr", [](auto& b) { PutU32(b, 104, 0x08000000); PutU32(b, 100, 1); }),
        variant("offset.xyr", [](auto& b) { PutU32(b, 176 + 12, 1u << 30); }),
        variant("size.xyr", [&](auto& b) { PutU32(b, 176 + 32 + 16, uint32_t(good.size())); }),
        variant("short.xyr", [](auto& b) { b.resize(150); }),
    };
    for (const std::string& path : bad) {
        EXPECT_EQ(res_->AddPack(path), 0) << path;
        EXPECT_EQ(CXyFile(path).IsOpen(), false);
    }
    EXPECT_EQ(res_->AddPack((folder_ / "none.xyr").string()), 0);
    EXPECT_EQ(res_->Count(), 0u);
    const std::string log = DailyLogText();
    EXPECT_NE(log.find("\xd7\xca\xd4\xb4\xb0\xfc" + bad[0] + "\xbc\xd3\xd4\xd8\xca\xa7\xb0\xdc!"), std::string::npos)
        << "the GBK line 资源包<path>加载失败!";
    // No entries: a valid, empty pack registers nothing.
    Write(folder_ / "empty.xyr", BuildPack({}, error));
    EXPECT_EQ(res_->AddPack((folder_ / "empty.xyr").string()), 0);
    EXPECT_EQ(res_->Count(), 0u);
    // The same checks over memory.
    EXPECT_EQ(res_->AddMemPack(good.data(), 150), 0);
    EXPECT_EQ(res_->AddMemPack(good.data(), good.size()), 2);
    EXPECT_EQ(Text(res_->GetData(MakeResourceKey("b.imge"))), "bb");
}

TEST_F(ResourceTest, BuilderRefusesEmptyFilesAndSameNames) {
    std::string error;
    EXPECT_TRUE(BuildPack({{"a.png", {}}}, error).empty());
    EXPECT_NE(error.find("empty"), std::string::npos);
    EXPECT_TRUE(BuildPack({{"a.PNG", Blob("1")}, {"x\\a.jpg", Blob("2")}}, error).empty());
    EXPECT_NE(error.find("a.imge"), std::string::npos);
    const std::vector<PackSource> sources = {{"a.png", Blob("1")}, {"b.wav", Blob("22")}};
    const auto pack = BuildPack(sources, error);
    EXPECT_TRUE(VerifyPack(pack, sources, error)) << error;
    auto damaged = pack;
    damaged.back() ^= 1;
    EXPECT_FALSE(VerifyPack(damaged, sources, error));
}

TEST_F(ResourceTest, EmptyPackEntryStaysEmpty) {
    // Written by hand: our builder never writes a size of 0.
    std::string error;
    auto pack = BuildPack({{"a.txt", Blob("tail data that must not leak")}}, error);
    PutU32(pack, 176 + 16, 0);
    Write(folder_ / "zero.xyr", pack);
    ASSERT_EQ(res_->AddPack((folder_ / "zero.xyr").string()), 1);
    const ResourceRecord* rec = res_->Load(MakeResourceKey("a.text"));
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->DataSize(), 0u);
    EXPECT_EQ(Text(rec->Data()), "");
}

TEST_F(ResourceTest, SingleFilesFoldersAndMemoryBlocks) {
    fs::create_directories(folder_ / "art" / "sub");
    Write(folder_ / "art" / "a.PNG", Blob("first"));
    Write(folder_ / "art" / "a.jpg", Blob("second, longer"));
    Write(folder_ / "art" / "note.xyz", Blob("n"));
    Write(folder_ / "art" / "sub" / "deep.png", Blob("skipped"));
    const ResourceKey first = res_->AddFile((folder_ / "art" / "a.PNG").string());
    EXPECT_EQ(first, MakeResourceKey("a.imge"));
    const ResourceKey second = res_->AddFile((folder_ / "art" / "a.jpg").string());
    EXPECT_EQ(first, second);
    const ResourceRecord* rec = res_->Load(second);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->DataSize(), 14u);  // size 0: the whole file, the later one
    EXPECT_EQ(rec->Data()[14], 0);
    EXPECT_TRUE(res_->AddFile((folder_ / "missing.png").string()).IsZero());
    res_->Remove(second);
    EXPECT_EQ(res_->AddFolder((folder_ / "art").string()), 3);
    EXPECT_TRUE(res_->Exists(MakeResourceKey("note.xyz")));
    EXPECT_FALSE(res_->Exists(MakeResourceKey("deep.imge")));
    res_->RemoveByName("note.xyz");
    EXPECT_FALSE(res_->Exists(MakeResourceKey("note.xyz")));

    // Memory blocks are copied and are never dropped by a consumer, as they cannot be read again.
    char block[] = "static bytes";
    const ResourceKey mem = res_->AddMemory("m.txt", block, sizeof block - 1);
    block[0] = 'X';
    res_->ReleaseData(mem);
    EXPECT_EQ(Text(res_->GetData(mem)), "static bytes");
    // A file's bytes may be dropped and are read again on the next use.
    const ResourceKey file = MakeResourceKey("a.imge");
    ASSERT_NE(res_->GetData(file), nullptr);
    res_->ReleaseData(file);
    EXPECT_FALSE(res_->Find(file)->loaded);
    EXPECT_NE(res_->GetData(file), nullptr);
}

// Names whose characters end in a byte that looks like a backslash (誠 運 錦 乗 淺) or a letter (侶).
TEST_F(ResourceTest, DoubleByteNamesAreCreatedKeyedFoundAndOpened) {
    const std::string folder = folder_.string();
    ASSERT_TRUE(WriteFileBytes(folder + "\\誠.txt", "made", 4));
    EXPECT_EQ(ReadWholeFile(folder + "\\誠.txt"), "made");
    EXPECT_TRUE(ProgramFileExists("誠.txt"));

    EXPECT_EQ(NormaliseResourceName("skins\\乗.png"), "乗.imge");
    EXPECT_EQ(NormaliseResourceName("運\\錦.PNG"), "錦.imge");
    EXPECT_EQ(FileExtensionLower("a.侶"), ".侶");
    EXPECT_EQ(GetFileExtensionLower("x\\a.侶"), ".侶");
    EXPECT_EQ(GetFileTitle("錦\\運.txt"), "運");
    EXPECT_EQ(GetFileNameFromPath("d\\淺.txt"), "淺.txt");
    EXPECT_EQ(MusicModule::SoundKey("snd\\誠"), MakeResourceKey("誠.sound"));

    const fs::path pack = MakePack("淺.xyr", {{"skins\\乗.png", Blob("in pack")}});
    EXPECT_EQ(res_->AddPack(folder + "\\淺.xyr"), 1);
    EXPECT_EQ(Text(res_->GetData(MakeResourceKey("乗.imge"))), "in pack");
    Write(folder_ / "淺.png", Blob("single"));
    EXPECT_EQ(res_->AddFile(folder + "\\淺.png"), MakeResourceKey("淺.imge"));
    EXPECT_EQ(Text(res_->GetData(MakeResourceKey("淺.imge"))), "single");
}
