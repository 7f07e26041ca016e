#pragma once
// What the framework's other parts read from the one application object: the own identity at the
// table (user, room, table, chair), the hall's start data, the game-info blocks, the game's paths,
// the wait dialog and the hall-feature names. The server connection and its request catalogue
// (framework/connection), the notification dispatcher, the game info and the game layers above
// call it; the application object (CGameWinApp) implements it and installs itself with
// SetGameAppAccess for its whole life. Tests install a fake: every operation has a neutral
// default, so a fake overrides only what its test needs.
//
// Threads: the UI thread, unless an operation says otherwise.
#include "widgets/GameUserRecord.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class IGameAppAccess {
public:
    virtual ~IGameAppAccess() = default;

    // Identity at the table. The chair is -1 until known.
    virtual uint32_t GetUserID() const { return 0; }
    virtual uint32_t GetRoomID() const { return 0; }
    virtual uint32_t GetTableNO() const { return 0; }
    virtual int32_t GetChairNO() const { return -1; }
    virtual uint32_t GetGameID() const { return 0; }
    virtual int IsLookOn() const { return 0; }
    virtual int IsMatch() const { return 0; }
    virtual int IsTestMode() const { return 0; }
    virtual int GetChairCount() const { return 4; }
    // Command-line field 2 (sent in the feature request and the text record) and field 6 (echoed
    // to the hall).
    virtual int32_t GetHallField2() const { return 0; }
    virtual int32_t GetHallField6() const { return -1; }

    // The game and its server.
    virtual int GetVersionMajor() const { return 0; }
    virtual int GetVersionMinor() const { return 0; }
    virtual std::string GetGameCode() const { return {}; }
    virtual std::string GetGameName() const { return {}; }
    virtual std::string GetServerHost() const { return {}; }
    // Command-line field 11, or the default port when it is absent or 0.
    virtual uint16_t GetServerPort() const { return 0; }
    virtual uint32_t GetRoomType() const { return 0; }
    virtual uint32_t GetRoomOptions() const { return 0; }

    // The hall's user records: the record of that user among the players, then the look-on users;
    // null when none has the id. Valid until the next start data are applied.
    virtual const Lumora::GameUserRecord* GetUserRecordByID(uint32_t /*userId*/) const { return nullptr; }
    virtual int32_t GetUserChairByID(uint32_t /*userId*/) const { return -1; }

    // The two game-info blocks the connection copies replies into (256 and 8192 bytes); empty when
    // the game layer supplies none. Writers stay within the span.
    virtual std::span<uint8_t> GetGameInfoBlockA() { return {}; }
    virtual std::span<uint8_t> GetGameInfoBlockB() { return {}; }

    // Paths, with '/' separators: the game's ini ("<program folder>qirn.ini") and the hall's
    // ini ("<hall folder>GameHall.ini", empty when the hall folder is unknown).
    virtual std::string GetGameIniPath() const { return {}; }
    virtual std::string GetHallIniPath() const { return {}; }

    // The machine id sent with requests (at most 31 characters).
    virtual std::string GetMachineID() const { return {}; }

    // The names of the hall-feature buttons, in the order the feature request indexes them.
    virtual const std::vector<std::string>& GetHallFeatureButtons() const
    {
        static const std::vector<std::string> none;
        return none;
    }

    // Wait dialog: shows the text (GBK) until hidden; with seconds > 0 it hides itself after
    // that time. Any thread.
    virtual void ShowWaitText(const char* /*text*/, bool /*show*/) {}
    virtual void ShowWaitTextTimed(const char* /*text*/, int /*seconds*/) {}

    // The thread that receives the server's pushed messages (the communication thread); 0 when
    // none runs.
    virtual uint32_t GetNotifyThreadId() const { return 0; }
};

// The installed application; null when none is installed.
IGameAppAccess* GetGameAppAccess();
// Installs (or with null removes) the application; the caller keeps it alive meanwhile.
void SetGameAppAccess(IGameAppAccess* app);
