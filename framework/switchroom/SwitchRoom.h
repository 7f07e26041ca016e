#pragma once
// Room switching: when the player's silver no longer fits the room, or passes the room's tip
// line, the table suggests another room. The rules (which room, which tip), the server's
// switch-room configuration (450130), the once-per-time-out stamp in the game's ini and the
// jump report (450131) are here; the host supplies the application's data and carries out the
// actions.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace switchroom {

inline constexpr uint32_t kConfigRequest = 450130;
inline constexpr uint32_t kReportRequest = 450131;

struct RoomRange {
    int32_t id = 0;
    int32_t minSilver = 0;
    int32_t maxSilver = 0;
};

// The 520-byte configuration: word 0 the count of tip entries, word 1 the tip's repeat
// time-out in seconds, then up to 64 entries {room id, tip line}.
struct Config {
    static constexpr size_t kBytes = 520;
    static constexpr size_t kMaxEntries = 64;
    std::array<int32_t, kBytes / 4> words{};

    // A bounded copy of a reply of any length: what is missing reads as zero, and the count is
    // clamped to 64 and to the entries the reply actually holds.
    static Config FromReply(const uint8_t* data, size_t length);
    size_t Count() const;
    uint32_t RepeatSeconds() const { return uint32_t(words[1]); }
    int32_t EntryRoom(size_t i) const { return words[2 + 2 * i]; }
    int32_t EntryTip(size_t i) const { return words[3 + 2 * i]; }

private:
    size_t present_ = 0;  // entries present in the reply
};

enum Status : int32_t { kNone = 0, kPassedTip = 1, kAboveMaximum = 2, kBelowMinimum = 4 };

struct JumpStatus {
    int32_t status = kNone;
    int32_t roomId = 0;
    int32_t tipLine = 0;
    bool operator==(const JumpStatus&) const = default;
};

// Where the silver value suggests moving from the own room. The rooms are ordered by their
// minimum only (stably); a room whose maximum lies below its minimum orders like any other.
JumpStatus GetSwitchRoomStatus(std::span<const RoomRange> rooms, int32_t ownRoom, const Config& config, int32_t value);

enum class Action { Move, Refuse, SafeBox, Nothing };

struct TipDescriptor {
    std::string text;  // GBK
    std::string okText;
    std::string cancelText;
    Action okAction = Action::Nothing;
    Action cancelAction = Action::Nothing;
};

// The dialog's texts and actions for a status, or none when nothing is to be suggested.
std::optional<TipDescriptor> ShowSwitchRoomTip(int32_t status, int32_t roomId, int32_t tipLine);

// The stamp allows the tip again when it is 0 or at least `repeatSeconds` old.
bool StampAllows(int64_t stamp, int64_t now, uint32_t repeatSeconds);
// The ini section of a user's stamp.
std::string StampSection(uint32_t userId);

enum ReportKind : int32_t { kRefused = 0, kMoved = 1, kSafeBox = 21 };

// The 28-byte jump report. The target room goes only with kind 1; status 0 has no class (0).
std::array<uint8_t, 28> JumpReport(uint32_t userId, int32_t ownRoom, int32_t targetRoom, int32_t silver,
                                   ReportKind kind, int32_t status);

// What the check needs of the application and the table.
class IHost {
public:
    virtual ~IHost() = default;
    // Request 450130, waited; false when it failed. `reply` holds the reply's data.
    virtual bool RequestConfig(std::vector<uint8_t>& reply) = 0;
    virtual void SendReport(const std::array<uint8_t, 28>& report) = 0;
    virtual std::vector<RoomRange> Rooms() const = 0;
    virtual int32_t OwnRoomId() const = 0;
    virtual uint32_t UserId() const = 0;
    virtual int32_t CarriedSilver() const = 0;
    virtual std::string IniPath() const = 0;
    virtual int64_t Now() const = 0;
    virtual void GotoOtherRoom(int32_t roomId) = 0;
    // take: the side panel's take-from-safe-box panel, else the save-to-safe-box one.
    virtual void ShowDeposit(bool take, int32_t amount) = 0;
    // Opens the dialog; its buttons come back through RunAction.
    virtual void ShowDialog(const TipDescriptor& tip, const JumpStatus& status) = 0;
    // True while a dialog this host opened is still waiting for its answer.
    virtual bool DialogOpen() const = 0;
};

class SwitchRoom {
public:
    explicit SwitchRoom(IHost& host) : host_(host) {}
    // True when a dialog was shown.
    bool CheckSwitchRoom();
    void RunAction(Action action, const JumpStatus& status);
    bool CheckStamp() const;
    void SaveStamp(int64_t value) const;
    const Config& GetConfig() const { return config_; }

private:
    void Report(ReportKind kind, const JumpStatus& status);

    IHost& host_;
    Config config_;
};

} // namespace switchroom
