#pragma once
// The table model of the mahjong scene: the pool of 168 tile views and the arrays they are
// filed in (the wall by position, four hands of 32 slots, the thrown tile of each seat and
// four discard areas of 36), with every operation that moves tiles between them: dealing,
// drawing, throwing, melds and gangs, restoring a table after a reconnect, result rows,
// sorting, choice marking. It sets the tiles' fields and leaves the drawing to the tiles.
//
// It does no IO of its own: what it needs of the engine, the sound and the game data goes
// through the virtual hooks at the end of the class, which the scene (CMJMainGame2) fills and
// tests replace. The tiles must outlive the model; the model owns none of them (the engine
// does).
//
// Slots of a hand: 0 the tile just drawn, 1 up the concealed tiles in display order, melds
// from the top used slot (GetMaxHandSlots() - 1) downward in groups of four. Concealed loops
// run over the first GetMaxHandCards() slots (14), hand-and-meld loops over GetMaxHandSlots()
// (18; this game 19).
//
// Design choices of the parts no contract fixes:
// - The joker values, the joker grouping and substitute flags and the face of concealed gangs
//   come from game-parameter words 36 and 37 and rule flag bits 6, 7 and 5 (GetJokerValue,
//   IsJokerGrouped, IsSubstituteAsIs, GetAnGangFaceUp); a game may override them.
// - Restoring an added gang whose peng is not on the table (the record moves it from the peng
//   units) builds the whole gang as a gang on a discard would be restored.
// - Failure is silent but never loses a tile: a routine that lacks a tile places nothing and
//   leaves every tile where it was; a tile that finds no place goes back to the pool hidden.
#include "mahjong/scene/TableTypes.h"
#include "mahjong/tiles/CMJCard2.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CMJCalclator;
class CMJGameData2;

namespace Lumora {

class CMJTable2 {
public:
    using Hand = std::array<CMJCard2*, kHandSlotCapacity>;

    CMJTable2();
    virtual ~CMJTable2();
    CMJTable2(const CMJTable2&) = delete;
    CMJTable2& operator=(const CMJTable2&) = delete;

    // Counts and seat arithmetic (forwarded to the game data).
    virtual int GetCardPoolSize() { return kCardPoolSize; }
    virtual int GetZeroA() { return 0; }
    virtual int GetZeroB() { return 0; }
    virtual int GetTotalTileCount() { return 152; }
    virtual int GetMaxHandSlots() { return 18; }
    virtual int GetMaxHandCards() { return 14; }
    virtual void GetSideSeats(int seat, int& a, int& b);
    virtual void GetSideSeats2(int seat, int& a, int& b);
    virtual int SeatToChair(int seat);
    virtual int PrevSeat(int seat);
    virtual int NextSeat(int seat);
    virtual int OppositeSeat(int seat);
    virtual int ChairToSeat(int chair);
    virtual int PrevChair(int chair);
    virtual int NextChair(int chair);
    virtual int OppositeChair(int chair);

    // Hand operations.
    virtual void StartDeal();
    virtual void PlayThrowSound(int seat);
    virtual void TakeCardFromPool();
    virtual void BuildHand();
    virtual void RestoreMelds();
    virtual int GetLastHandSlot(int seat);
    virtual int FindHandCard(int seat, TileArray& list);
    virtual int GetSelectedCard(TileArray& list);
    virtual int FindTileSlot(int seat, int tile);
    virtual int GetDropSlot(int position, int x, int y);
    virtual int CountOwnFlowers();
    virtual int FindOwnFlower();
    virtual void GetHandRect(int seat, Rect& rect);
    virtual void RefreshHand(int seat);
    virtual int HasCaughtCard(int seat);
    virtual int IsHandVisible(int seat);
    virtual int HasGreyedTile();
    virtual int MarkFlowerChoice();
    virtual void MarkChiChoice();
    virtual void MarkGangChoice();
    virtual void ClearChoiceMarks();
    virtual void MoveOwnHandTile(int from, int to);
    virtual void TurnHandFaceDown(int seat);
    virtual void WriteHandTiles(int seat, const TileArray& list);
    virtual CMJCard2* TakeTileFromHand(int seat, int tile);
    virtual CMJCard2* FindClaimedMeldTile(int seat, int tile);

    // Caught tile and discards.
    virtual int GetCaughtCardState();
    virtual void ShowCaughtCard(int show);
    virtual void ParkThrownCard(int seat);
    virtual void RestoreDiscards();
    virtual void RefreshDiscards(int seat);
    virtual CMJCard2* FindLastDiscard(int seat);
    // Takes the tile out of the seat's discards (the later ones close up); null when not there.
    CMJCard2* TakeDiscard(int seat, int tile);
    virtual void RestoreFlowerCounts();

    // Tiles, melds and drawing.
    virtual void ClearTileArray(TileArray& list);
    virtual int GetTileShape(int tile);
    virtual int GetTileRank(int tile);
    virtual int GetTileIndex(int tile);
    virtual int CountTileArray(const TileArray& list);
    virtual int AssignHandTiles(int seat, int fromDrawnSlot, const TileArray& list);
    virtual void FindSameTiles(int tile, TileArray& out);
    virtual void SetTileClickEvent(CMJCard2& tile);
    virtual void RefreshOwnHand();
    virtual void SortTileRange(Hand& slots, int first, int last);
    virtual int RemoveFromTileArray(TileArray& list, int tile);
    virtual void PlayTableSound(const char* name);
    virtual void PlayTileVoice(int seat, int tile);
    virtual void PlayActionVoice(int seat, const char* name);
    virtual void ShowWinEffect(int seat);
    virtual void GetActionImageName(std::string& out, int code);
    virtual CMJCard2* TakeThrownCard(int chair);
    // Null when the seat's hand could take no drawn tile: the draw is lost unless the caller
    // places it later (a concealed gang's replacement) or reports it.
    virtual CMJCard2* CatchWallCard(int seat, int wallPos, int tile);
    // True when a draw would find room: the drawn slot is free, or its tile can join the hand.
    bool CanTakeDraw(int seat);
    virtual int IsFlowerTile(int tile);
    virtual int IsJokerTile(int tile);
    virtual int IsJokerSubstituteTile(int tile);
    virtual int CanPengTile(const TileArray& hand, int tile, TileArray& out);
    virtual int CanGangTile(const TileArray& hand, int tile, TileArray& out);
    virtual int CanChiTile(const TileArray& hand, int tile, TileArray& out);
    virtual void ShowResultHand(int seat, const TileArray& list);
    virtual void ShowResultHandFull(int seat, const TileArray& list);
    virtual void ShowWinTile(int seat, int tile);
    virtual void ShowResultHandWithTile(int seat, int tile, const TileArray& list);
    virtual void AddMeld(int seat, int kind, const MeldRecord& record, int restore);
    virtual void AddMeldSeat0(int kind, const MeldRecord& record, int restore);
    virtual void AddMeldSeat1(int kind, const MeldRecord& record, int restore);
    virtual void AddMeldSeat2(int kind, const MeldRecord& record, int restore);
    virtual void AddMeldSeat3(int kind, const MeldRecord& record, int restore);
    virtual void AddMingGang(int seat, const MeldRecord& record, int restore);
    virtual void AddMingGangSeat0(const MeldRecord& record, int restore);
    virtual void AddMingGangSeat1(const MeldRecord& record, int restore);
    virtual void AddMingGangSeat2(const MeldRecord& record, int restore);
    virtual void AddMingGangSeat3(const MeldRecord& record, int restore);
    virtual void AddBuGang(int seat, const MeldRecord& record, int restore);
    virtual void AddAnGang(int seat, const MeldRecord& record, int restore);
    virtual void AddAnGangOther(int seat, const MeldRecord& record, int restore);
    virtual void AddAnGangOwn(int seat, const MeldRecord& record, int restore);
    virtual void InsertCaughtCard(int seat);
    // The slot above the concealed row where a drawn tile joins the hand, or -1 when the hand is
    // full or melds lie right above it.
    int FreeSlotAboveHand(int seat);
    virtual void CloseHandGap(int seat);

    // Reset.
    virtual void ResetCards();
    virtual void ClearTableState();
    virtual void ClearRoundFlags();

    // The click event of an own hand tile in the current play state and hand mode.
    uint32_t ClickCodeFor(const CMJCard2& tile);

    // The pool: the first free tile, skipping entries not made yet; null when all are in use.
    CMJCard2* GetFreeCard();
    // Puts a tile back into the pool, hidden, and out of every array.
    void ReturnToPool(CMJCard2* tile);
    // Builds the tile at every pool entry; the pool owns nothing, the factory's engine does.
    void SetPoolEntry(int i, CMJCard2* tile) { pool[size_t(i)] = tile; }

    // Where a tile is filed: for the invariant that no tile is in two arrays or in none.
    enum class Where { Pool, Wall, Hand, Thrown, Discard, Nowhere };
    struct Filing {
        int arrays = 0; // arrays holding the tile
        Where where = Where::Nowhere;
    };
    Filing FindFiling(const CMJCard2* tile) const;
    // Tiles that are shown or in use yet filed in no array, plus tiles filed twice.
    int CountMisfiledTiles() const;

    // State read by the routines.
    int handMode = kHandNormal;
    int playState = 0;
    int playerCount = 0;
    int chairCount = 4;
    std::array<ClaimOption, kClaimOptionCount> options{};
    // The reconnect record RestoreMelds/RestoreDiscards/RestoreFlowerCounts read.
    std::vector<uint8_t> tableRecord;

    std::array<CMJCard2*, kCardPoolSize> pool{};
    std::array<CMJCard2*, kCardPoolSize> wall{};
    std::array<Hand, kSeatCount> hands{};
    std::array<CMJCard2*, kSeatCount> thrown{};
    std::array<std::array<CMJCard2*, kDiscardCapacity>, kSeatCount> discards{};

protected:
    // Hooks to the scene.
    virtual CMJGameData2* TableData() { return nullptr; }
    virtual CMJCalclator* TableCalculator() { return nullptr; }
    virtual void TileChanged(CMJCard2&) {}
    virtual int IsLookOnClient() { return 0; }
    virtual int IsTestModeClient() { return 0; }
    virtual int OwnChair();
    // The sex word of the user record at that chair (0 male).
    virtual int ChairSex(int) { return 0; }
    virtual bool KeepSilence() { return false; }
    virtual void PlaySoundResource(const char*, double /*volume*/) {}
    virtual double EffectVolume() { return 1.0; }
    virtual void PostSceneEvent(uint32_t /*delayMs*/, uint32_t /*code*/, uintptr_t /*p1*/) {}
    virtual void AddPanelFlower(int /*seat*/) {}
    virtual void HideClaimButtons() {}
    virtual void Log(const char*) {}
    // From the game parameters: the joker card words 36 and 37 (-1: none), rule flag bits 6
    // (jokers grouped), 7 (substitute counted as itself) and 5 (other seats' concealed gangs
    // face down).
    virtual int GetJokerValue(int which);
    virtual int IsJokerGrouped();
    virtual int IsSubstituteAsIs();
    virtual int GetAnGangFaceUp();
    virtual int GetRuleFlagsForClaims() { return 0; }
    // The own hand's hit geometry: the tile view's left and the metrics TM0, TM1.
    virtual int TileLeft(const CMJCard2& t) { return t.GetX() - int(t.GetWidth()) / 2; }
    virtual int TileMetric(int) { return 0; }

    void Changed(CMJCard2* t)
    {
        if (t)
            TileChanged(*t);
    }
    CMJCard2* Slot(int seat, int slot) const;
    bool IsSeat(int seat) const { return seat >= 0 && seat < kSeatCount; }
    // A pool tile made a concealed hand tile at that slot; null on an empty pool.
    CMJCard2* TakeHandTileFromPool(int seat, int slot);
    // Meld placement common to every seat: the tiles, the kind, the claimed tile's index.
    struct MeldPlan;
    bool PlaceMeld(int seat, const MeldPlan& plan);
    // The highest concealed hand tile, taken out of its slot; null when the hand is empty.
    CMJCard2* PopTopHandTile(int seat);
    // The free group's top slot and the meld number, or -1.
    int FindMeldGroup(int seat, int& meldNumber);
    void PlaceGangFourth(int seat, int top, int meldNumber, CMJCard2* t, int id, int claimPos, bool faceUp);
    void MeldPengOrChi(int seat, int kind, const MeldRecord& record, int restore);
    void MeldMingGang(int seat, const MeldRecord& record, int restore);
    void ShowResultRow(int seat, int first, int n);
};

} // namespace Lumora
