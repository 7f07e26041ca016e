// The hall's user records and the match rows come from outside: any bytes in those records
// must give rows and cell texts without reading past a record or a text field, whatever
// chair or text the bytes hold.
#include "widgets/AppServices.h"
#include "widgets/MatchRowRecord.h"
#include "widgets/UserListColumns.h"
#include "widgets/UserRows.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

class Tables final : public Lumora::IAppServices {
public:
    uint32_t GetUserID() const override { return ownId; }
    uint32_t GetRoomID() const override { return 1; }
    uint32_t GetTableNO() const override { return 1; }
    int32_t GetChairNO() const override { return 0; }
    int32_t GetUserChairByID(uint32_t) const override { return -1; }
    void GetUserNameByID(std::string& out, uint32_t) const override { out.clear(); }
    int IsLookOn() const override { return lookOn; }
    int IsLookOnUser(uint32_t) const override { return 0; }
    int IsPlayerInChair(int chair) const override
    {
        return chair >= 0 && chair < 8 && players[size_t(chair)].UserId() != 0;
    }
    int IsRoomOptionBit3() const override { return bit3; }
    int GetChairCount() const override { return 4; }
    int GetAppSwitch() const override { return 1; }
    uint32_t GetRGBColorPlayerViewText() const override { return 0; }
    uint32_t GetRGBColorPlayerViewHeader() const override { return 0; }
    void ShowSystemNotice(const Lumora::Markup&) override {}
    void OpenWebPage(const char*, int) override {}
    Lumora::IGameConnect* GetConnect() override { return nullptr; }
    Lumora::IGameNotify* GetNotify() override { return nullptr; }
    Lumora::IGameFrame* GetGameFrame() override { return nullptr; }
    std::span<const Lumora::GameUserRecord, 8> GetPlayerRecords() const override { return players; }
    std::span<const Lumora::GameUserRecord, 64> GetLookOnRecords() const override { return lookOns; }
    std::string GetCharacterImagePath(int character, int) const override { return std::to_string(character); }
    void GetWealthTitle(int32_t silver, std::string& out) const override { out = std::to_string(silver); }

    std::array<Lumora::GameUserRecord, 8> players{};
    std::array<Lumora::GameUserRecord, 64> lookOns{};
    uint32_t ownId = 0;
    int lookOn = 0;
    int bit3 = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    Tables tables;
    tables.lookOn = data[0] & 1;
    tables.bit3 = (data[0] >> 1) & 1;
    ++data;
    --size;
    // The records in turn: players first, then look-on users; a short tail is refused.
    size_t slot = 0;
    for (; size >= Lumora::GameUserRecord::kSize && slot < 72; ++slot) {
        Lumora::GameUserRecord& r = slot < 8 ? tables.players[slot] : tables.lookOns[slot - 8];
        r.Assign(data, Lumora::GameUserRecord::kSize);
        data += Lumora::GameUserRecord::kSize;
        size -= Lumora::GameUserRecord::kSize;
    }
    tables.ownId = uint32_t(tables.players[0].UserId());
    std::vector<Lumora::UserRow> rows;
    Lumora::BuildUserRows(tables, rows);
    if (rows.size() > 72 + 7)
        __builtin_trap();
    size_t total = 0;
    for (const Lumora::UserRow& row : rows)
        for (int32_t kind = -1; kind <= 9; ++kind)
            total += Lumora::UserCellText(kind, row, tables).text.size();
    Lumora::MatchRowRecord match;
    if (match.Assign(data, size)) {
        total += match.Name().size() + match.ScoreText().size();
        if (match.Name().size() > Lumora::MatchRowRecord::kNameSize)
            __builtin_trap();
    }
    return total == size_t(-1);
}
