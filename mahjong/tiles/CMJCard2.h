#pragma once
// The on-screen view of one physical tile. The table scene keeps a pool of 168 of them and
// moves them between the wall, the hands, the melds, the discards, the thrown-tile spot and the
// result rows by setting their fields and calling Update: the tile then chooses its picture
// (TilePicture.h) and its place (TileLayout.h) by itself. Mouse input on its picture becomes
// table events for the scene: enter and leave for everyone, and for a player also the right
// button's press, drag and release; left clicks only after SetClickTarget.
//
// Ownership: the body (a picture object), the shadow (a plane, child of the body) and the thrown
// tile's background plane are engine objects made by the tile and owned by the engine. The
// calculator is shared with the scene. The host (ITileHost) must outlive the tile.
#include "engine/gui/CLumoraGui.h"
#include "mahjong/tiles/ITileHost.h"
#include "mahjong/tiles/TileLayout.h"
#include "mahjong/tiles/TileMetrics.h"
#include "mahjong/tiles/TilePicture.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

class CMJCalclator;

namespace Lumora {

class BITObject;
class ITileHost;
class PlaneObject;

// No tile: face-down tiles carry it.
inline constexpr int kNoTile = 200;
inline constexpr double kDefaultTileZ = 2400.0;

class CMJCard2 : public CLumoraGui {
public:
    explicit CMJCard2(std::shared_ptr<CMJCalclator> calculator, ITileHost* host = nullptr);
    ~CMJCard2() override;

    void Create() override;
    int OnEvent(const EventRecord& record) override;

    // Margins, picture and place from the fields.
    virtual void Update();
    // Back to the defaults; the layout mode stays and z becomes 0.
    virtual void Reset();
    // Frame 42 of the large set of the current size on the body.
    virtual void LoadLargeCard();
    // Chooses and applies the picture; computes the scale and the metrics for it.
    virtual void DrawTile();
    virtual void GetWallPos(TilePlace& out);
    virtual void GetHandPos(TilePlace& out);
    virtual void GetThrownPos(TilePlace& out);
    virtual void GetDiscardPos(TilePlace& out);
    virtual void GetResultRowPos(TilePlace& out);
    virtual int GetMeldOrigin(int seat);
    // Face frame of a tile by the calculator's shape and rank; 0 for an unknown shape.
    virtual int GetImageIndex(int tile);
    // Left clicks on the body send {scene, code, this tile, input data} from now on.
    virtual void SetClickTarget(uint32_t code);

    // The picture choice's inputs from the fields and the surface.
    TilePictureInput PictureInput();
    // The layout's inputs from the fields, the picture size and the current metrics.
    TileLayoutInput LayoutInput();
    BITObject* GetBodyPicture() const { return body; }
    PlaneObject* GetShadow() const { return shadow; }
    PlaneObject* GetThrowBack() const { return throwBack; }
    // Asks the processor for what an update reads (the tile, its body, shadow and thrown-tile
    // background), so that a layout's walk over the pool waits for memory once, not tile by tile.
    void Prefetch() const;
    // The metrics the last update placed the tile by.
    const TileMetrics& GetMetrics() const
    {
        const TileMetrics* shared = passMetrics_.Get();
        return shared ? *shared : metrics_;
    }
    void SetHost(ITileHost* host)
    {
        host_ = host;
        updated_ = {};
    }

    // Fields the scene sets directly, in their order.
    int tile = kNoTile;
    int faceUp = 0;
    int facing = 0;
    int inHand = 0;
    int lifted = 0;
    int hoverMark = 0;
    int placed = 0;
    int dimmed6 = 0;
    int claimPos = 0;
    int meldKind = 0;
    int seat = -1;
    int markWord0 = 0;  // the scene's
    int jokerMark = 0;
    int markWord2 = 0;  // the scene's
    int markWord3 = 0;  // the scene's
    int index = -1;
    int count = 0;      // the meld number for meld tiles
    int sceneWord = -1; // the scene's
    int layoutMode = kMetricLayout;
    int dimmed9 = 0;
    int raised = 0;

private:
    // In the room the depth's alignment leaves: what an update reads then ends on a line's end.
    bool repainted_ = false;
    bool hasShown_ = false; // shown_ holds a look

public:
    double z = kDefaultTileZ;
    int state = kTileFree;
    int mSide = 0, mVert = 0, mDiscSide = 0, mDiscTop = 0, mDiscBottom = 0;
    double scale = 1.0;

protected:
    BITObject* body = nullptr;
    PlaneObject* shadow = nullptr;
    PlaneObject* throwBack = nullptr;
    std::shared_ptr<CMJCalclator> calculator_;

private:
    // What the tile last left on the screen, told without a copy of it: the count of geometry
    // writes of the body, its shadow, the thrown tile's background and the tile itself as that
    // update left them (the same count, the same geometry), and the body's picture.
    struct Shown {
        uint32_t body = 0, shadow = 0, throwBack = 0, self = 0;
        PictureInfo picture;
    };
    // Which parts of the look on the screen are as the tile last left them (shown_).
    struct LookSame {
        bool body = false, throwBack = false, self = false;
        bool All() const { return body && throwBack && self; }
    };
    // What an update reads of the tile's surroundings, once: the surface, the table, the host's
    // answers and its seat's areas. An update holds what it read, so that the picture's inputs and
    // the place's inputs take it from there instead of asking the engine and the host again.
    using Surroundings = TileSurroundings;
    Surroundings SurroundingsNow() const;
    // The surroundings now with their number: the pass's where one stands, else read into `local`.
    std::pair<const Surroundings*, uint64_t> AroundNow(Surroundings& local) const;
    // The surroundings an update holds for this seat, else null (they are then read now).
    const Surroundings* Held() const { return held_ && held_->seat == seat ? held_ : nullptr; }
    TileSurface SurfaceNow() const { return Held() ? Held()->surface : SurroundingsNow().surface; }
    // What an update reads besides the pictures, which stay what their names give once loaded:
    // the fields, the face the calculator gives the tile, and the surroundings the picture and
    // the place come from (the picture's inputs are these), kept by their number: a tile's update
    // reads fewer lines of memory. The margins are the surface's, and a number is its host's (a
    // new host forgets the inputs kept).
    struct Inputs {
        uint64_t aroundId = 0; // none kept: 0, which no surroundings are given
        std::array<int, 22> fields{};
        int imageIndex = 0;
        double z = 0, scale = 0;
        bool operator==(const Inputs& other) const;
    };
    // The parts of the look whose objects stand as shown_ holds them; none without shown_.
    LookSame SameAsShown() const;
    // shown_ takes the look as it stands now.
    void KeepShown();
    Inputs InputsNow(uint64_t aroundId);
    // Repaints what changed and keeps what the update read.
    void Finish(const LookSame& before, Inputs& read);
    // Repaints the tile where its look differs from the one before the update or from the one it
    // left, or its pictures were drawn anew.
    void RepaintIfChanged(const LookSame& before);
    void Hide(const LookSame& before, Inputs& read);
    uint32_t SceneId() const;
    Rect TableRect() const;
    void ApplyPicture(const TilePicture& picture);
    // In an update in a pass, the seat's layout inputs the pass holds with this tile's fields
    // written in; else null (LayoutInput is then read).
    const TileLayoutInput* HeldLayoutInput();
    // A place by the layout's rule from the inputs now.
    TilePlace PlaceBy(TilePlace (*rule)(const TileLayoutInput&));
    // The layout's inputs that are the tile's own: its fields and its picture's size.
    void WriteOwnLayoutFields(TileLayoutInput& in) const;
    // The picture found, in its frame, at its size (as that of `ratio` where given) and scale.
    void ShowPicture(PictureInfo info, int frame, const PictureInfo* ratio, bool ratioByWidth, double scale,
                     double alpha, bool jokerKey);
    // DrawTile's choice in a pass: each look's picture chosen and found by its first tile.
    void ShowPassPicture(TilePass& pass);
    // The first tile of a look in a pass (its key; 0 for a look beyond what a key holds) chooses
    // and finds the picture, and keeps it for the look's other tiles where they may take it. Out
    // of line: every other tile takes what it kept.
    [[gnu::noinline]] void ShowFirstOfLook(TilePassPictures& pictures, uint32_t key, int imageIndex, bool face);
    // A picture by name, as the last look-up of that name gave it while its record still stands:
    // a record removed (a skin reloaded) is emptied in its block, never freed under a handle, so
    // its id tells. A layout asks each tile's pictures anew; a user pays for a name once.
    struct Resolved {
        std::string name;
        PictureInfo info;
    };
    PictureInfo Resolve(Resolved& last, const std::string& name);
    // The shadow drawn at the tile's size before the picture's scale (width x height), then scaled
    // as the body was to its size now.
    void FitShadow(double width, double height);
    void ShowThrowBack(bool show);
    // GetImageIndex of a face tile; 0 for a face-down one.
    int ImageIndexOf(int forTile) { return forTile >= 0 && forTile <= kLastFaceTile ? GetImageIndex(forTile) : 0; }
    // Shows the tile, its body and its shadow; one already showing is left as it is.
    void Show();

    ITileHost* host_ = nullptr;
    const Surroundings* held_ = nullptr; // while an update runs
    SharedTileMetrics passMetrics_; // from the pass the last update ran in, if one did
    int shadowWidth_ = 0, shadowHeight_ = 0;
    Shown shown_;
    // The inputs as the last update left them: the same inputs again, with the look still as
    // that update left it, give the same look, so the tile skips the work (the scene refreshes
    // whole hands and discard rows after every tile event).
    Inputs updated_;
    // Last: a layout's updates take the metrics and the pictures from the pass, and read these
    // seldom.
    TileMetrics metrics_;   // the last update's outside a pass
    Resolved face_, ratio_, shadowPicture_; // the tile's picture, the one whose size it takes, its shadow's

protected:
    void* scenePointer = nullptr; // the scene's: no update reads it
};

} // namespace Lumora
