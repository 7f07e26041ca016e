#pragma once
// What the server connection, the request catalogue and the game data ask of the application:
// its identity fields, the own user record, room options, the blocks the replies fill and the
// operations a reply triggers. The application object implements it and hands it to the
// connection (CGameConnect::SetApp) and the game data; tests give a fake. All calls come from
// the UI thread.
#include "widgets/GameUserRecord.h"

#include <cstdint>
#include <span>
#include <string>

class IClientApp {
public:
    virtual ~IClientApp() = default;

    // Identity, read at the moment of each request.
    virtual uint32_t GetUserID() const = 0;
    virtual uint32_t GetRoomID() const = 0;
    virtual uint32_t GetTableNO() const = 0;
    virtual int32_t GetChairNO() const = 0;
    virtual uint32_t GetGameID() const = 0;
    virtual int IsLookOn() const = 0;
    virtual uint32_t GetRoomOptions() const = 0;
    virtual uint32_t GetRoomType() const = 0;
    virtual int GetVersionMajor() const = 0;
    virtual int GetVersionMinor() const = 0;
    virtual std::string GetGameName() const = 0;
    // The 32-character machine id text.
    virtual std::string GetMachineID() const = 0;
    // Command-line field 2 as a number (sent with the feature configuration request).
    virtual uint32_t GetCommandLineField2() const = 0;
    virtual uint32_t GetReplayTableValue() const = 0;
    virtual int IsQuickCatch() const = 0;
    // The application words the enter (+88), login (+64, +68) and 201221 (+12) records carry.
    enum class AppWord { Enter88, Login64, Login68, Replay12 };
    virtual uint32_t GetAppWord(AppWord which) const = 0;

    // Users.
    virtual const Lumora::GameUserRecord* GetOwnUserRecord() const = 0;
    virtual int32_t GetUserChairByID(uint32_t userId) const = 0;
    virtual std::string GetUserNameByChair(int chair) const = 0;
    // The 136-byte brief of a user record.
    virtual void MakeUserBrief(uint8_t out[136], const Lumora::GameUserRecord& record) const = 0;
    // The own player record's value at the chair (the silver on the table).
    virtual int32_t GetOwnTableSilver() const = 0;
    // In rooms with option bit 3 a player's look-on reply opens with user entries.
    virtual void TakeLookOnUsers(const uint8_t* data, size_t size) = 0;

    // The two game-information blocks the enter replies fill.
    virtual std::span<uint8_t> GetGameInfoBlockA() = 0;
    virtual std::span<uint8_t> GetGameInfoBlockB() = 0;

    // Effects of replies.
    virtual void SetAppSwitch(int entryFlag) = 0;
    virtual void OnEnteredAsPlayer() = 0;
    virtual void OnEnteredLookOn() = 0;
    virtual void OnEnteredRunning() = 0;
    virtual void OnMatchLogin(uint32_t code, const uint8_t* data, size_t size) = 0;
    virtual void StoreTablePlayingWord(uint32_t word) = 0;
    virtual void StopAutoLeaveTimer() = 0;
    virtual void PromptTakeSilver(const uint8_t* data, size_t size) = 0;
    virtual void PromptStoreSilver(const uint8_t* data, size_t size) = 0;
    virtual void SetFeatureFlag(bool on) = 0;
    virtual size_t GetFeatureButtonCount() const = 0;
    virtual void SetFeatureButton(size_t index, int first, int second, const std::string& text) = 0;
    virtual bool CheckSafeBox() = 0;
    virtual void ShowSystemNotice(const char* markup) = 0;
    // The dispatcher's last-notification record: id, sub-code, length, tick.
    virtual void GetLastNotifyRecord(uint32_t out[4]) const = 0;

    // The busy cursor while a request or a connect is under way.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // Screen facts for the table's layout measures.
    virtual int IsSmallScreen() const = 0;
    virtual int GetScreenWidth() const = 0;
    virtual int GetScreenHeight() const = 0;
    virtual int PlayGameSound(const char* name, int flags) = 0;
};

// Shows the busy cursor for a scope.
class WaitCursorScope {
public:
    explicit WaitCursorScope(IClientApp* app) : app_(app)
    {
        if (app_)
            app_->BeginWaitCursor();
    }
    ~WaitCursorScope()
    {
        if (app_)
            app_->EndWaitCursor();
    }
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;

private:
    IClientApp* app_;
};
