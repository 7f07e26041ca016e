#pragma once
// What the widgets ask of the game client around them: the application's accessors, the
// server connection's requests, the notification dispatcher, the in-game frame, and the
// character picture and wealth title helpers. The widgets only call these; the client
// framework implements them and installs its application with SetAppServices. Until it does
// (and in widget tests that install no fake) GetAppServices returns null and the widgets
// leave out what needs it.
#include "engine/text/Markup.h"
#include "widgets/GameUserRecord.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace Lumora {

// The call-a-player record handed to the dispatcher as if the server had pushed it: own user
// id, room id, table number, own chair, called user id, called user's chair, then zeros.
struct AhooRecord {
    std::array<int32_t, 10> words{};

    int32_t CallerId() const { return words[0]; }
    int32_t CalledId() const { return words[4]; }
};

// The game-server connection: the requests the widgets send.
class IGameConnect {
public:
    virtual ~IGameConnect() = default;
    // Call-a-player request (201200); its result is not used.
    virtual void SendAhoo(uint32_t userId) = 0;
    // Player-details query (201230); its result is not used.
    virtual void Request201230(uint32_t userId) = 0;
    // Look-on permission (229560): allow 1 lets the user watch this client's tiles, 0 forbids
    // it. Nonzero on success.
    virtual int Request229560(uint32_t userId, int allow) = 0;
    // A chat line to the table (201211); nonzero when it went out.
    virtual int SendChatText(const std::string& /*text*/) { return 0; }
};

// The notification dispatcher.
class IGameNotify {
public:
    virtual ~IGameNotify() = default;
    // Shows a call locally as if pushed: the chat line of the call, and the call sound when
    // the called user is this client. The record lives only during the call.
    virtual void OnAhoo(const AhooRecord& record) = 0;
};

// The in-game frame object.
class IGameFrame {
public:
    virtual ~IGameFrame() = default;
    virtual void ShowUserDetail(uint32_t userId, int hidePrevious) = 0;
    // The width mode of the normal layout (side panel shown).
    virtual int GetLayoutWidthMode() = 0;
    // 0 collapses the side panel.
    virtual void SetWidthMode(int mode) = 0;
    // Lays the frame out again for the stored width mode.
    virtual void OnSize() = 0;
};

class IAppServices {
public:
    virtual ~IAppServices() = default;

    virtual uint32_t GetUserID() const = 0;
    virtual uint32_t GetRoomID() const = 0;
    virtual uint32_t GetTableNO() const = 0;
    // -1 until the start data have arrived.
    virtual int32_t GetChairNO() const = 0;
    // The chair field of that user's record (players first, then look-on users; a look-on
    // user carries the chair he watches); -1 when no record has that user id.
    virtual int32_t GetUserChairByID(uint32_t userId) const = 0;
    // Empty when no record has that user id.
    virtual void GetUserNameByID(std::string& out, uint32_t userId) const = 0;
    virtual int IsLookOn() const = 0;
    // 1 when the user is among the look-on users and not among the players.
    virtual int IsLookOnUser(uint32_t userId) const = 0;
    // 1 when that chair's player record has a nonzero user id.
    virtual int IsPlayerInChair(int chair) const = 0;
    virtual int IsRoomOptionBit3() const = 0;
    virtual int GetChairCount() const = 0;
    virtual int GetAppSwitch() const = 0;
    // COLORREF 0x00BBGGRR of the user list's row text and header text.
    virtual uint32_t GetRGBColorPlayerViewText() const = 0;
    virtual uint32_t GetRGBColorPlayerViewHeader() const = 0;
    // One line of chat markup as a system notice in the side panel's chat box.
    virtual void ShowSystemNotice(const Markup& markup) = 0;
    // Opens a web address on a worker; failures are not reported.
    virtual void OpenWebPage(const char* address, int flag) = 0;

    // Null while the framework has none.
    virtual IGameConnect* GetConnect() = 0;
    virtual IGameNotify* GetNotify() = 0;
    virtual IGameFrame* GetGameFrame() = 0;

    // The user tables as the hall handed them over.
    virtual std::span<const GameUserRecord, GameUserRecord::kPlayerSlots> GetPlayerRecords() const = 0;
    virtual std::span<const GameUserRecord, GameUserRecord::kLookOnSlots> GetLookOnRecords() const = 0;

    // The skin picture name of a character in one of its sizes (a CharacterPicture); empty when
    // neither that character nor the stand-in character 0 has one.
    enum CharacterPicture { kCharacterPicture32 = 1, kCharacterPicture48 = 2, kCharacterPictureFull = 3 };
    virtual std::string GetCharacterImagePath(int character, int kind) const = 0;
    virtual void GetWealthTitle(int32_t silver, std::string& out) const = 0;
};

// The application the widgets talk to; null when none is installed.
IAppServices* GetAppServices();
// Installs (or with null removes) the application; the caller keeps it alive meanwhile.
void SetAppServices(IAppServices* services);

// The chair a call to `user` would reach, or -1 when he sits in no chair or the room forbids
// calls; lists offer the call only then.
int32_t CallableChair(IAppServices& app, uint32_t user);
// Sends the call-a-player request and shows the call here as if the server had pushed it.
void SendCall(IAppServices& app, uint32_t user, int32_t chair);

} // namespace Lumora
