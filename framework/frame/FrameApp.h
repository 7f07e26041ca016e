#pragma once
// What the in-game frame and its dialogs ask of the application around them: the game's name,
// room and match facts, the exit bookkeeping of the game info, the server requests of leaving,
// and the main window. The application object implements it and installs itself with
// SetFrameApp; until it does, the frame and dialogs leave out what needs it (and the exit
// decision leaves at once). Everything here runs on the UI thread.
#include "engine/text/Markup.h"
#include "widgets/GameUserRecord.h"

#include <cstdint>
#include <optional>
#include <string>

namespace Lumora {
class CLumoraWnd;
}

namespace framework {

// What the match detail board shows of a player (from the application's extra record).
struct MatchPlayerDetail {
    int32_t userId = 0;
    int32_t character = 0;
    std::string name;
    int32_t rankLevel = 0;
    int32_t rankPoints = 0;
    int32_t nextLevelPoints = 0;
    int32_t wins = 0;
    int32_t losses = 0;
    int32_t draws = 0;
    int32_t matchWins = 0;
    int32_t matchLosses = 0;
    int32_t matchDraws = 0;
};

// The requests of leaving a table, through the application's connection.
class IFrameRequests {
public:
    virtual ~IFrameRequests() = default;
    // 201130: true when the table plays; a failed or timed-out query answers false.
    virtual bool QueryGamePlaying() = 0;
    // 201125: true when the server refused with a text (in `refusal`), as the connection
    // reports it; every other outcome, a failed or timed-out request included, lets the player go.
    virtual bool LeaveGame(std::string& refusal) = 0;
    // 201212 with the reason typed for a forced quit (GBK, already cut to its limit).
    virtual void AskExit(const std::string& reason) = 0;
    // 201213: the answer to another player's exit request.
    virtual void ReplyAskExit(uint32_t userId, bool agree) = 0;
    // 201161; its reply is not used.
    virtual void Request201161() = 0;
};

class IFrameApp {
public:
    virtual ~IFrameApp() = default;

    // Title of the timed dialogs (the game's name from the command line).
    virtual std::string GetGameName() const = 0;
    // The link with "uid=..&sign=.." appended when `sign` is set.
    virtual std::string GetSignedUrlSimple(const std::string& link, bool sign) const = 0;
    virtual uint32_t GetUserID() const = 0;
    virtual const Lumora::GameUserRecord* GetUserRecordByID(uint32_t userId) const = 0;
    virtual std::string GetCharacterImagePath(int character, int size) const = 0;

    // Room and match.
    virtual bool IsMatch() const = 0;
    virtual int GetMatchState() const = 0;
    virtual bool IsSilverRoom() const = 0;
    // Room type bit 14: leaving during a game is not offered.
    virtual bool IsRoomTypeBit14() const = 0;
    // Room options bit 1 clear and fewer than 2 exit requests sent.
    virtual bool CanRequestExitConsent() const = 0;
    virtual bool IsLookOn() const = 0;
    // Set by the game layer while a hand is dealt and not yet settled.
    virtual bool IsPlaying() const = 0;
    // The match-arrangement flag; request 201161 goes only while it is set.
    virtual bool GetTableFlag() const = 0;
    virtual void ShowSystemNotice(const Lumora::Markup& markup) = 0;

    // Exit bookkeeping of the game info: requests sent and the tick of the last one.
    virtual std::optional<uint32_t> GetLastExitRequestTick() const = 0;
    virtual void CountExitRequest(uint32_t tick) = 0;

    virtual IFrameRequests* GetRequests() = 0;
    // Entering the game on the server once the frame has its final layout.
    virtual void EnterGameOrMatch() = 0;
    // Leaving: the report to the hall, the communication thread, and the close message.
    virtual void ReportExitToHall() = 0;
    virtual void StopCommThread() = 0;
    virtual void PostCloseToMainWindow() = 0;
    // The main window; null before it exists.
    virtual Lumora::CLumoraWnd* GetMainWnd() = 0;

    // Links and pages. Texts handed to the hall (code 1) are opened there; in the stand-alone
    // test mode pages open here.
    virtual bool IsTestMode() const { return false; }
    // The caption's colour from the skin's settings.
    virtual uint32_t GetTitleTextColour() const { return 0xFFFFFF; }
    virtual void SendTextToHall(const std::string& /*text*/, int32_t /*code*/) {}
    virtual void OpenWebPage(const std::string& /*url*/) {}
    virtual std::string GetShopHost() const { return "shop.lumora-games.net"; }
    virtual std::string GetPayHost() const { return "pay.lumora-games.net"; }
    virtual std::string GetActivityUrl() const { return {}; }
    // The folder of a character's pictures, '/'-separated and ending in '/'.
    virtual std::string GetCharacterFolder(int /*character*/) const { return {}; }
    // Asks the hall for a player's details (0x9108); the answer draws the detail board.
    virtual void AskHallForUserDetail(uint32_t /*userId*/) {}
    virtual bool IsRoomOptionBit3() const { return false; }
    // The match detail of a user from the application's extra record; none without one.
    virtual std::optional<MatchPlayerDetail> GetMatchPlayerDetail(uint32_t /*userId*/) const { return std::nullopt; }
    virtual int GetChair() const { return -1; }
    // Match bookkeeping the frame reads and writes.
    virtual int GetMatchSeconds() const { return 0; }
    virtual void SetMatchSeconds(int /*seconds*/) {}
    virtual int GetMatchPhaseValue() const { return 0; }
    virtual int GetSignUpFeeKind() const { return 0; }
    virtual int GetSignUpFee() const { return 0; }
    virtual int GetKnockoutStage() const { return 0; }
    // The result's value and rank, and the user's new rank level and points when the
    // application keeps an extra record for that user.
    virtual void StoreMatchResult(int32_t /*value*/, int32_t /*rank*/, uint32_t /*userId*/, int32_t /*level*/,
                                  int32_t /*points*/, int32_t /*nextPoints*/)
    {
    }
    virtual void LoginMatchRoom() {}
    virtual void Request201221() {}
    virtual void Request201230(uint32_t /*userId*/) {}
    virtual void Request201231() {}
    virtual void Request201232() {}
    virtual void RefreshMatchRankList() {}
};

IFrameApp* GetFrameApp();
// Installs (or with null removes) the application; the caller keeps it alive meanwhile.
void SetFrameApp(IFrameApp* app);

} // namespace framework
