#pragma once
// CGameNotifyEx: this game's notification dispatcher, the first layer of the chain. It tries
// this game's own ids first (the deal start, the exchange and missing-suit steps, the score
// changes, the wins and the game result) and passes every other one on unchanged to the mahjong
// layer. The deal start and the result are stored in the game info before the scene sees them.
// A deal start, ready notice, step, play record or result out of the deal's course
// (CMyGame::OutOfCourse: once a result is taken, the hand's records until the next deal),
// and a deal start, win or result that names anything outside the table (RecordChecks.h), is
// refused before anything changes; the scene checks the other step records itself.
#include "mahjong/notify/CMJGameNotify2.h"

class CGameInfoEx;
class CGameWinApp;
class CMyGame;

class CGameNotifyEx : public CMJGameNotify2 {
public:
    enum Id : uint32_t {
        kGameStart = 211040,
        kExchangeBegin = 229300,
        kExchangeChosen = 229320,
        kExchangeDone = 229330,
        kMissingSuitBegin = 229340,
        kMissingSuits = 229360,
        kScoreChange = 229370,
        kPlayerWins = 229800,
        kGameResult = 229810,
    };

    // The application's game info and playing flag; both must outlive the dispatcher.
    void Attach(CGameInfoEx* info, CGameWinApp* app)
    {
        info_ = info;
        app_ = app;
    }

    bool OnNotify(uint32_t id, const uint8_t* data, uint32_t length) override;

    virtual void OnGameStart(const Data& n);
    virtual void OnGameResult(const Data& n);
    void OnPlayerLeft(const Data& n) override { CGameNotify::OnPlayerLeft(n); }
    void OnNotify211700(const Data& n) override { CGameNotify::OnNotify211700(n); }
    void OnQRCodeInfo(const Data& n) override { CGameNotify::OnQRCodeInfo(n); }
    // This game shows no table list.
    void OnTableListEntry(const uint8_t*, size_t) override {}

protected:
    virtual CMyGame* GameScene() const;

private:
    CGameInfoEx* info_ = nullptr;
    CGameWinApp* app_ = nullptr;
};
