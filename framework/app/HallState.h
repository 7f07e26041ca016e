#pragma once
// The hall's data as the application keeps them: room and table records, 8 player records by
// chair and 64 look-on records, the match blocks, the texts of the start data and the room list
// of the room-switching feature; with the readers that apply the start data and the look-on joins
// the hall sends. No IO: the application deciphers, calls these and acts on the outcome.
#include "framework/app/HallRecords.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace hall {

struct HallState {
    RoomRecord room;
    TableRecord table;
    std::array<Lumora::GameUserRecord, kMaxPlayers> players{};
    std::array<Lumora::GameUserRecord, kMaxLookOn> lookOn{};
    std::array<ExtraPlayerEntry, kMaxPlayers> extra{};
    ReplayTableRecord replayTable;
    MatchRoomBlock matchRoom;
    MatchData matchData;
    std::map<int, std::string> configTexts;
    std::vector<RoomListEntry> roomList;
    int32_t roomListValue = 0;

    // The record of that user among the players, then the look-on users; null when none.
    const Lumora::GameUserRecord* FindUser(uint32_t userId) const;
    bool IsPlayer(uint32_t userId) const;
    bool IsLookOnUser(uint32_t userId) const;
};

// Who this client is, from the command line.
struct OwnIdentity {
    uint32_t userId = 0;
    int32_t chair = -1;
    int32_t lookOn = 0;
};

enum class StartDataOutcome {
    Applied,         // valid: the table UI may start
    TooShort,        // the received bytes do not hold what the counts announce
    TooManyPlayers,  // more than 8
    TooManyLookOn,   // more than 64
    TooManyRooms,    // room list longer than 32
    BadChair,        // a player record's chair outside 0..7
    OwnUserMissing,  // applied, but this client's user is not among them
    ChairMismatch,   // applied, the own record names another chair
    LookOnMismatch,  // applied, the own record's look-on flag differs
};
// True for outcomes that left the tables unchanged.
bool IsRefused(StartDataOutcome outcome);

// Ordinary start data (deciphered; the length may carry cipher padding). A record that does not
// fit is refused whole and changes nothing; otherwise the player and look-on tables are cleared
// first, so a second start record leaves no departed user behind.
StartDataOutcome ApplyOrdinaryStartData(HallState& state, std::span<const uint8_t> data, const OwnIdentity& own);

// Match start data: the room record from the match block, the table, the own record as player 0
// and the match data. TooShort or Applied.
StartDataOutcome ApplyMatchStartData(HallState& state, std::span<const uint8_t> data);

// A look-on user joins: the first free look-on entry takes the record and the table's look-on
// count grows. Null when the record is short or all 64 entries are taken.
const Lumora::GameUserRecord* AddLookOnUser(HallState& state, std::span<const uint8_t> data);

// The hall's answer to a web-sign request, deciphered: the user it is for, the sign (at most 255
// bytes) and the token of the block it answers. nullopt when the bytes are no whole number of
// cipher blocks or shorter than the record.
struct WebSignFields {
    uint32_t userId = 0;
    uint32_t token = 0;
    std::string sign;
};
std::optional<WebSignFields> ReadWebSignAnswer(std::span<const uint8_t> enciphered);

} // namespace hall
