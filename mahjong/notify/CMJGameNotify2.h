#pragma once
// CMJGameNotify2: the mahjong layer of the notification dispatcher. It takes the table's
// notifications and hands each record, unchanged, to the table scene's handler; every other id
// goes on to the generic dispatcher. The scene's handlers check the records themselves.
//
// Filters here: 211300 is skipped while the application's table flag is set; 229550 is dropped
// when the application rejects asks to see the hand, or when the asking user's record says so
// (its word at +164). Refused: a time-out (229165) of another chair, a draw (229160) the
// own hand has no room for, a tile the client would lose, and a hand sent again (229580) whose
// count is negative, past the tiles it carries or past what a hand holds.
//
// Threads: the UI thread, inside the frame window's handling of a server message.
#include "framework/notify/CGameNotify.h"

namespace Lumora {
class CMJMainGame2;
class GameUserRecord;
} // namespace Lumora

class CMJGameNotify2 : public CGameNotify {
public:
    // The table's notification ids.
    enum Id : uint32_t {
        kPlayerStarted = 201160,
        kPlayerOffline = 211240,
        kAfterResult = 211300,
        kCardThrown = 222170,
        kCardCaught = 229160,
        kClockOut = 229165,
        kPengAnnounced = 229170,
        kChiAnnounced = 229175,
        kGangAnnounced = 229180,
        kPengCards = 229185,
        kChiCards = 229190,
        kMingGangCards = 229195,
        kAnGangCards = 229197,
        kBuGangCards = 229199,
        kFlower = 229210,
        kGameMessage = 229500,
        kAskKanPai = 229550,
        kKanPaiAnswer = 229570,
        kOwnHand = 229580,
    };
    // The word of the asking user's record that refuses asks to see the hand.
    static constexpr size_t kRejectAskOffset = 164;
    // The hand sent again (229580): its count, then its tile ids.
    static constexpr size_t kOwnHandCount = 8, kOwnHandTiles = 12;

    bool OnNotify(uint32_t id, const uint8_t* data, uint32_t length) override;
    void RecordLastNotify(uint32_t id, const uint8_t* data, uint32_t length) override;
    void OnUsersInfoChanged(const Data& n) override { CGameNotify::OnUsersInfoChanged(n); }

    // Handlers, in slot order.
    virtual void OnPlayerStarted(const Data& n);
    virtual void OnCardThrown(const Data& n);
    virtual void OnCardCaught(const Data& n);
    virtual void OnNotify229165(const Data& n);
    virtual void OnPengAnnounced(const Data& n);
    virtual void OnPengCards(const Data& n);
    virtual void OnChiAnnounced(const Data& n);
    virtual void OnChiCards(const Data& n);
    virtual void OnGangAnnounced(const Data& n);
    virtual void OnGangCards(uint32_t id, const Data& n);
    virtual void OnFlower(const Data& n);
    virtual void OnGameMessage(const Data& n);
    virtual void OnPlayerOffline(const Data& n);
    virtual void OnAskKanPai(const Data& n);
    virtual void OnKanPaiAnswer(const Data& n);
    virtual void OnOwnHand(const Data& n);
    virtual void OnNotify211300();

    // The number of ids this layer handles.
    static size_t MahjongIdCount();

protected:
    // The table scene of the application; null while there is none.
    virtual Lumora::CMJMainGame2* Scene() const;
    // The game info marks a chair as started (the game layer's info does).
    virtual void MarkChairStarted(const Data&) {}
    virtual bool TableFlag() const;
    virtual int RejectKanPaiAsk() const;
    // The user's record among the players, then the look-on users; null when none has the id.
    const Lumora::GameUserRecord* FindUser(uint32_t userId) const;
};
