// Replies from the game server: (operation, reply code, reply bytes) handed to every operation
// that reads reply data, through a connection whose send step returns them. No operation reads
// outside the reply or writes outside its out records.
#include "tests/support/FakeClientApp.h"
#include "framework/connection/RequestIds.h"
#include "xueliu/CGameRequest.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

class ReplyConnect : public CGameRequest {
public:
    bool SendRequest(std::string& text, uint32_t, const void*, uint32_t, GameReply& reply, bool wantReply) override
    {
        if (!wantReply)
            return true;
        reply.code = code;
        reply.length = int32_t(data.size());
        reply.data = std::make_unique<uint8_t[]>(data.size());
        if (!data.empty())
            std::memcpy(reply.data.get(), data.data(), data.size());
        if (code == ReplyCode::ServerText) {
            text = reply.Reader().Text(0, data.size());
            return false;
        }
        GetReplyCodeText(text, code);
        return true;
    }
    uint32_t code = 0;
    std::vector<uint8_t> data;
};

// Codes the operations tell apart, so the fuzzer reaches each branch.
constexpr uint32_t kCodes[] = {10,     60031,  210085, 210086, 210087, 210200, 210210, 210220, 210030,
                               210541, 210542, 210550, 229101, 229603, 229604, 60070,  60071,  60092,
                               60086,  60095,  60042,  10100,  210500, 210530, 1000,   60019};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > 16384)
        return 0;
    static FakeClientApp app;
    // One connection for every run: only its canned reply changes.
    static ReplyConnect c;
    c.SetApp(&app);
    app.calls.clear();
    app.features.clear();
    app.roomOptions = (data[1] & 0x80) ? 0xFF : 0;
    app.lookOn = data[1] & 0x40 ? 1 : 0;
    c.code = kCodes[data[1] % (sizeof kCodes / sizeof kCodes[0])];
    c.data.assign(data + 2, data + size);
    std::string text;
    uint8_t out[124];
    uint8_t record[240] = {};
    int32_t word = 0;
    int32_t amount = 100;
    uint32_t code = 0;
    int major = 0;
    int minor = 0;
    switch (data[0] % 22) {
    case 0:
        c.CheckVersion(text, &major, &minor);
        break;
    case 1:
        c.GetFeatureConfig(text);
        break;
    case 2:
        c.EnterGame(text);
        break;
    case 3:
        c.LoginGame(text);
        break;
    case 4:
        c.QueryGamePlaying();
        break;
    case 5:
        c.GetTableGameData();
        break;
    case 6:
        c.LeaveGame(text, 1001, 0);
        break;
    case 7:
        c.StartGameEx(text);
        break;
    case 8:
        c.Request200040(text, out);
        break;
    case 9:
        c.Request200043(text, out, &code);
        break;
    case 10:
        c.SaveDeposit(text, &amount, &code);
        break;
    case 11:
        c.TakeDeposit(text, 100, 0);
        break;
    case 12:
        c.TakeSilverReward(text, 5);
        break;
    case 13:
        c.GetAllowanceConfig(text, 1, out);
        break;
    case 14:
        c.TakeAllowance(text, 1, 0, &word);
        break;
    case 15:
        c.CatchCard(text, record, out);
        break;
    case 16:
        c.ReplaceFlower(text, record, out);
        break;
    case 17:
        c.AnnounceGang(text, record, out);
        break;
    case 18:
        c.SendGangCards(text, 229215, record, out, &code);
        break;
    case 19:
        c.ThrowCards(text, record, &code);
        break;
    case 20:
        c.Hu(text, record);
        break;
    default: {
        uint32_t length = 0;
        c.SendGameMessageWait(1, &code, &length, nullptr);
        break;
    }
    }
    return 0;
}
