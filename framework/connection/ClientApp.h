#pragma once
// What the server connection, the request catalogue and the game data ask of the application
// beyond its accessors (IGameAppAccess): the own user record, the application words the records
// carry, the operations a reply triggers, the busy cursor and the screen facts. The application
// object implements it and hands it to the connection (CGameConnect::SetApp) and the game data;
// tests give a fake. Every operation has a neutral default. All calls come from the UI thread.
#include "engine/text/Markup.h"
#include "framework/app/GameAppAccess.h"
#include "widgets/GameUserRecord.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

class IClientApp : public IGameAppAccess {
public:
    // Command-line field 2 as the feature configuration request sends it.
    virtual uint32_t GetCommandLineField2() const { return static_cast<uint32_t>(GetHallField2()); }
    // The own user's record among the players and look-on users; null when missing.
    virtual const Lumora::GameUserRecord* GetOwnUserRecord() const { return GetUserRecordByID(GetUserID()); }
    virtual size_t GetFeatureButtonCount() const { return GetHallFeatureButtons().size(); }

    virtual uint32_t GetReplayTableValue() const { return 0; }
    virtual int IsQuickCatch() const { return 0; }
    // The application words the enter (+88), login (+64, +68) and 201221 (+12) records carry.
    enum class AppWord { Enter88, Login64, Login68, Replay12 };
    virtual uint32_t GetAppWord(AppWord) const { return 0; }
    virtual std::string GetUserNameByChair(int /*chair*/) const { return {}; }
    // The 136-byte brief of a user record.
    virtual void MakeUserBrief(uint8_t out[136], const Lumora::GameUserRecord& /*record*/) const
    {
        std::fill(out, out + 136, uint8_t{0});
    }
    // The own player record's value at the chair (the silver on the table).
    virtual int32_t GetOwnTableSilver() const { return 0; }
    // In rooms with option bit 3 a player's look-on reply opens with user entries.
    virtual void TakeLookOnUsers(const uint8_t* /*data*/, size_t /*size*/) {}

    // Effects of replies.
    virtual void SetAppSwitch(int /*entryFlag*/) {}
    virtual void OnEnteredAsPlayer() {}
    virtual void OnEnteredLookOn() {}
    virtual void OnEnteredRunning() {}
    virtual void OnMatchLogin(uint32_t /*code*/, const uint8_t* /*data*/, size_t /*size*/) {}
    virtual void StoreTablePlayingWord(uint32_t /*word*/) {}
    virtual void StopAutoLeaveTimer() {}
    virtual void PromptTakeSilver(const uint8_t* /*data*/, size_t /*size*/) {}
    virtual void PromptStoreSilver(const uint8_t* /*data*/, size_t /*size*/) {}
    virtual void SetFeatureFlag(bool /*on*/) {}
    virtual void SetFeatureButton(size_t /*index*/, int /*first*/, int /*second*/, const std::string& /*text*/) {}
    virtual bool CheckSafeBox() { return true; }
    virtual void ShowSystemNotice(const Lumora::Markup& /*markup*/) {}
    // The dispatcher's last-notification record: id, sub-code, length, tick.
    virtual void GetLastNotifyRecord(uint32_t out[4]) const { std::fill(out, out + 4, 0u); }

    // The busy cursor while a request or a connect is under way.
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}

    // Screen facts for the table's layout measures.
    virtual int IsSmallScreen() const { return 0; }
    virtual int GetScreenWidth() const { return 0; }
    virtual int GetScreenHeight() const { return 0; }
    virtual int PlayGameSound(const char* /*name*/, int /*flags*/) { return 0; }
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
