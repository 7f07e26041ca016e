// The request catalogue's start-up and entry: the version check, the feature-button
// configuration, entering the game or a match, and storing what the entry replies carry.
#include "framework/connection/CGameConnect.h"
#include "framework/connection/RequestIds.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kRoomOptionBit3 = 1u << 3;
constexpr uint32_t kRoomOptionBit6 = 1u << 6;
constexpr const char* kServerBusy = "服务器繁忙，请稍候再试。";
constexpr const char* kServerUpdating = "服务正在更新中，请稍候再试。";
constexpr const char* kNoObject = "对象不存在。";

// Look-on replies for a player in rooms with option bit 3 open with 60 bytes and `count`
// user entries of 136 bytes.
constexpr size_t kLookOnHead = 60;
constexpr size_t kLookOnEntry = 136;

void CopyIntoBlock(std::span<uint8_t> block, const uint8_t* data, int32_t length)
{
    if (length <= 0 || !data)
        return;
    RecordReader(data, size_t(length)).CopyTo(block.data(), block.size());
}

// One feature token "<first>x<second>!<text>": the part after the first '!' is the text (when
// '!' is not last); before a '!' that has something before it, "<first>x<second>" when its
// 'x' has something before it. Missing numbers are 0, a missing text is empty.
void ParseFeatureToken(const std::string& token, int& first, int& second, std::string& text)
{
    first = second = 0;
    text.clear();
    const size_t bang = token.find('!');
    if (bang == std::string::npos)
        return;
    if (bang + 1 < token.size())
        text = token.substr(bang + 1);
    if (bang == 0)
        return;
    const std::string numbers = token.substr(0, bang);
    const size_t x = numbers.find('x');
    if (x == std::string::npos || x == 0)
        return;
    first = std::atoi(numbers.substr(0, x).c_str());
    second = std::atoi(numbers.substr(x + 1).c_str());
}

} // namespace

bool CGameConnect::CheckVersion(std::string& text, int* serverMajor, int* serverMinor)
{
    GameReply reply;
    if (!SendRequest(text, RequestId::CheckVersion, nullptr, 0, reply, true) || !reply.HasData()) {
        text = kServerBusy;
        return false;
    }
    const int major = reply.Reader().I32(0);
    const int minor = reply.Reader().I32(4);
    const int ownMajor = App().GetVersionMajor();
    const int ownMinor = App().GetVersionMinor();
    if (major == ownMajor && minor == ownMinor)
        return true;
    if (major > ownMajor) {
        text = "您的游戏程序太旧了,必须下载新的程序才能玩游戏。";
        if (serverMajor)
            *serverMajor = major;
    } else if (major < ownMajor || minor < ownMinor) {
        text = kServerUpdating;
    } else {
        text = "您的游戏程序需要更新。";
        if (serverMinor)
            *serverMinor = minor;
    }
    return false;
}

bool CGameConnect::GetFeatureConfig(std::string& text)
{
    FixedRecord<40> r;
    auto w = r.Writer();
    w.U32(0, App().GetUserID());
    w.U32(4, App().GetCommandLineField2());
    GameReply reply;
    if (!SendRequest(text, RequestId::FeatureConfig, r.bytes.data(), r.Size(), reply, true) || !reply.HasData()) {
        text = kServerBusy;
        return false;
    }
    const RecordReader in = reply.Reader();
    App().SetFeatureFlag(in.U32(0) != 0);
    // Never more indexes than the record holds or the reply carries.
    const size_t carried = in.Size() >= 8 ? (in.Size() - 8) / 4 : 0;
    const size_t count = std::min<size_t>({in.U32(4), kFeatureIndexLimit, carried});
    const std::string tokens = in.Text(48, kFeatureReplySize - 48);
    size_t pos = 0;
    const size_t buttons = App().GetFeatureButtonCount();
    for (size_t i = 0; i < count; ++i) {
        size_t bar = tokens.find('|', pos);
        const std::string token =
            pos <= tokens.size() ? tokens.substr(pos, bar == std::string::npos ? std::string::npos : bar - pos) : "";
        pos = bar == std::string::npos ? tokens.size() + 1 : bar + 1;
        const int32_t index = in.I32(8 + 4 * i);
        if (index < 0 || size_t(index) >= buttons)
            continue;
        int first = 0;
        int second = 0;
        std::string label;
        ParseFeatureToken(token, first, second, label);
        App().SetFeatureButton(size_t(index), first, second, label);
    }
    return true;
}

bool CGameConnect::FillEnterInfo(uint8_t out[kEnterRecordSize])
{
    const Lumora::GameUserRecord* own = App().GetOwnUserRecord();
    if (!own)
        return false;
    RecordWriter w({out, kEnterRecordSize});
    w.Bytes(0, own->Data(), 8);
    w.U32(8, App().GetGameID());
    w.U32(12, App().GetRoomID());
    w.U32(16, App().GetTableNO());
    w.I32(20, App().GetChairNO());
    WriteMachineId(w, 24, App().GetMachineID());
    w.U32(56, App().IsLookOn() ? 1 : 0);
    w.I32(72, App().IsQuickCatch());
    w.U32(88, App().GetAppWord(IClientApp::AppWord::Enter88));
    return true;
}

bool CGameConnect::FillLoginInfo(uint8_t out[kLoginRecordSize])
{
    const Lumora::GameUserRecord* own = App().GetOwnUserRecord();
    if (!own)
        return false;
    RecordWriter w({out, kLoginRecordSize});
    w.Bytes(0, own->Data(), 8);
    w.U32(8, App().GetGameID());
    w.U32(12, App().GetReplayTableValue());
    w.U32(16, App().GetRoomID());
    w.U32(20, App().GetTableNO());
    w.I32(24, App().GetChairNO());
    WriteMachineId(w, 28, App().GetMachineID());
    w.U32(60, App().IsLookOn() ? 1 : 0);
    w.U32(64, App().GetAppWord(IClientApp::AppWord::Login64));
    w.U32(68, App().GetAppWord(IClientApp::AppWord::Login68));
    return true;
}

bool CGameConnect::PassOwnUserRecord(uint8_t out[kUserBriefSize])
{
    const Lumora::GameUserRecord* own = App().GetOwnUserRecord();
    if (!own)
        return false;
    App().MakeUserBrief(out, *own);
    return true;
}

bool CGameConnect::EnterGame(std::string& text)
{
    FixedRecord<kEnterRecordSize + kUserBriefSize> r;
    if (!FillEnterInfo(r.bytes.data()) || !PassOwnUserRecord(r.bytes.data() + kEnterRecordSize)) {
        text = kNoObject;
        return false;
    }
    const uint32_t length = (App().GetRoomOptions() & kRoomOptionBit6) ? r.Size() : uint32_t(kEnterRecordSize);
    GameReply reply;
    if (!SendRequest(text, RequestId::EnterGame, r.bytes.data(), length, reply, true))
        return false;
    switch (reply.code) {
    case ReplyCode::EnteredPlayer:
        App().SetAppSwitch(0);
        SaveTableData(reply.data.get(), reply.length);
        App().OnEnteredAsPlayer();
        return true;
    case ReplyCode::EnteredLookOn:
        App().SetAppSwitch(App().IsLookOn() ? 0 : 1);
        SaveLookOnData(reply.data.get(), reply.length);
        App().OnEnteredLookOn();
        return true;
    case ReplyCode::EnteredRunning:
        App().SetAppSwitch(0);
        SaveGameData(reply.data.get(), reply.length);
        App().OnEnteredRunning();
        return true;
    case ReplyCode::LeaveResultPending:
        text = "进入游戏失败，请等待本局结果提交。";
        return false;
    default:
        return false;
    }
}

bool CGameConnect::LoginGame(std::string& text)
{
    FixedRecord<kLoginRecordSize> r;
    if (!FillLoginInfo(r.bytes.data())) {
        text = kNoObject;
        return false;
    }
    GameReply reply;
    if (!SendRequest(text, RequestId::LoginGame, r.bytes.data(), r.Size(), reply, true)) {
        text = "服务器未回应登入请求!";
        return false;
    }
    static constexpr uint32_t kMatchCodes[] = {210500, 210521, 210530, 210531, 210533, 210534,
                                               210536, 210537, 210538, 210539, 210540};
    if (std::find(std::begin(kMatchCodes), std::end(kMatchCodes), reply.code) == std::end(kMatchCodes))
        return false;
    App().OnMatchLogin(reply.code, reply.data.get(), size_t(std::max(reply.length, 0)));
    return true;
}

void CGameConnect::SaveTableData(const uint8_t* data, int32_t length)
{
    CopyIntoBlock(App().GetGameInfoBlockA(), data, length);
}

void CGameConnect::SaveGameData(const uint8_t* data, int32_t length)
{
    CopyIntoBlock(App().GetGameInfoBlockB(), data, length);
}

void CGameConnect::SaveLookOnData(const uint8_t* data, int32_t length)
{
    if (length <= 0 || !data)
        return;
    if (App().IsLookOn() || !(App().GetRoomOptions() & kRoomOptionBit3)) {
        CopyIntoBlock(App().GetGameInfoBlockB(), data, length);
        return;
    }
    App().TakeLookOnUsers(data, size_t(length));
    // The entry count comes from the server: a count that points past the reply copies nothing.
    const RecordReader in(data, size_t(length));
    const uint64_t skip = kLookOnHead + uint64_t(in.U32(8)) * kLookOnEntry;
    if (skip >= in.Size())
        return;
    CopyIntoBlock(App().GetGameInfoBlockB(), data + skip, length - int32_t(skip));
}
