// The tile view: creation with its mouse hooks, the update by state, the drawing of the chosen
// picture with shadow, key and scale, and the position operations over the layout functions.
#include "mahjong/tiles/CMJCard2.h"

#include "engine/object/PictureObject.h"
#include "engine/object/PlaneObject.h"
#include "engine/paint/ImageRecord.h"
#include "engine/paint/Surface.h"
#include "mahjong/MahjongEvents.h"
#include "mahjong/tiles/ITileHost.h"
#include "mahjong/tiles/TileShadowCache.h"
#include "rules/MJCalclator.h"
#include "widgets/AppServices.h"
#include "widgets/WidgetSupport.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace Lumora {

namespace {

constexpr const char* kFirstPicture = "1366_largecard";
constexpr const char* kShadowPicture = "shadow";
constexpr const char* kThrowBackPicture = "throw_cardbk";
// The thrown tile's background is this much larger than the tile, each way in all.
constexpr int kThrowBackGrow = 28;
// The shadow is wider than the tile and shows below it.
constexpr int kShadowGrow = 4;
constexpr int kShadowDrop = 3;

// Face frame = rank + the offset of the calculator's shape (0 characters, 1 bamboo, 2 circles,
// 3 honours, 4 flowers).
constexpr int kShapeFrameOffset[5] = {-1, 8, 17, 26, 33};

// The shadow picture scaled onto a cleared plane of w x h, or its pixels as the cache kept them.
void DrawShadow(PlaneObject& plane, const PictureInfo& info, int w, int h, TileShadowCache* cache)
{
    const uint32_t background = plane.GetBackgroundColour();
    if (const std::vector<uint8_t>* kept = cache && info.image ? cache->Find(info, w, h, background) : nullptr) {
        plane.ResizeSurfaceWith(w, h, kept->data());
        return;
    }
    plane.ResizeSurfaceCleared(w, h);
    plane.DrawPicture(info, 0, 0, w, h, 0, 1.0);
    if (cache && info.image && plane.GetSurfaceWidth() == w && plane.GetSurfaceHeight() == h)
        cache->Keep(info, w, h, background,
                    std::vector<uint8_t>(plane.GetPixels(), plane.GetPixels() + size_t(w) * h * 4));
}

// N bytes with no padding among them the same to the bit, sixteen at a time and with no branch
// (the last sixteen overlap those before where N is not a multiple): every update compares its
// inputs' fields and each part of its look, inline rather than through memcmp.
template <size_t N>
[[gnu::always_inline]] inline bool SameBytes(const void* a, const void* b)
{
    static_assert(N >= 16);
    using Lanes = uint64_t __attribute__((vector_size(16)));
    const auto* x = static_cast<const char*>(a);
    const auto* y = static_cast<const char*>(b);
    const auto load = [](const char* at) {
        Lanes v;
        std::memcpy(&v, at, sizeof v);
        return v;
    };
    Lanes diff = load(x + N - 16) ^ load(y + N - 16);
    [&]<size_t... I>(std::index_sequence<I...>) {
        ((diff |= load(x + 16 * I) ^ load(y + 16 * I)), ...);
    }(std::make_index_sequence<(N - 1) / 16>{});
    return (diff[0] | diff[1]) == 0;
}

// As ==: every field of a picture's block is a whole number or a pointer, so the same values are
// the same bits, from the image to the resource key (past the hole after the id).
constexpr size_t kPictureFrom = offsetof(PictureInfo, image);
constexpr size_t kPictureBytes = offsetof(PictureInfo, resKey) + sizeof(ResourceKey) - kPictureFrom;
static_assert(kPictureBytes == sizeof(ImageRecord*) + 6 * sizeof(int32_t) + sizeof(ResourceKey), "no hole inside");
[[gnu::always_inline]] inline bool SamePicture(const PictureInfo& a, const PictureInfo& b)
{
    return a.imageId == b.imageId && SameBytes<kPictureBytes>(reinterpret_cast<const char*>(&a) + kPictureFrom,
                                                              reinterpret_cast<const char*>(&b) + kPictureFrom);
}

// The body and the shadow are a picture object and a plane made by the tile, whose getters are
// their geometry's: read there, not through a virtual call each.

// The body's opacity, which the shadow follows: set where either differs.
void SetOpacity(PObject& body, const PObject* shadow, double alpha)
{
    if (body.Geometry().alpha != alpha || (shadow && shadow->Geometry().alpha != alpha))
        body.SetAlpha(alpha);
}

// A layout finds most tiles at the size they had: a size set again (not zero: that one reaches
// the children anew) scales the linked children by exactly one, which changes nothing.
[[gnu::always_inline]] inline void SetSizeIfOther(PObject& object, double w, double h)
{
    if (w != object.Geometry().width || h != object.Geometry().height || w <= 0 || h <= 0)
        object.SetSize(w, h);
}

} // namespace

bool CMJCard2::Inputs::operator==(const Inputs& other) const
{
    // The fields to the bit; the numbers by value, as before (a depth of -0 is one of 0). The
    // surroundings first: a layout moves the table.
    return aroundId == other.aroundId && SameBytes<sizeof fields>(fields.data(), other.fields.data()) &&
           z == other.z && scale == other.scale && imageIndex == other.imageIndex;
}

CMJCard2::CMJCard2(std::shared_ptr<CMJCalclator> calculator, ITileHost* host)
    : calculator_(std::move(calculator)), host_(host)
{
}

CMJCard2::~CMJCard2() = default;

uint32_t CMJCard2::SceneId() const
{
    if (host_)
        return host_->GetSceneObjectId();
    const PObject* scene = FindByName(kMainGameName);
    return scene ? scene->GetId() : 0;
}

Rect CMJCard2::TableRect() const
{
    return host_ ? host_->GetTableRect() : Rect{0, 0, GetViewWidth(), GetViewHeight()};
}

void CMJCard2::Create()
{
    PictureInfo info;
    GetRes(info, kFirstPicture, 0);
    body = NewBitmapObject(info);
    if (!body)
        return;
    SetBody(body, kBodyLinks);

    PictureInfo shadowInfo;
    GetRes(shadowInfo, kShadowPicture, 0);
    shadow = NewPlaneObject(shadowInfo.width, shadowInfo.height, kColourKeyBackground);
    if (shadow) {
        shadow->DrawPicture(shadowInfo, 0, 0, shadowInfo.width, shadowInfo.height, 0, 1.0);
        shadow->SetZ(body->GetZ() - 1.0);
        body->AddChild(shadow, kBodyLinks);
        shadowWidth_ = shadowInfo.width;
        shadowHeight_ = shadowInfo.height;
    }

    PictureInfo backInfo;
    GetRes(backInfo, kThrowBackPicture, 0);
    throwBack = NewPlaneObject(backInfo.width, backInfo.height, kColourKeyBackground);
    if (throwBack) {
        throwBack->DrawPicture(backInfo, 0, 0, backInfo.width, backInfo.height, 0, 1.0);
        throwBack->SetZ(kThrownBackZ);
    }

    const uint32_t scene = SceneId();
    const auto self = reinterpret_cast<uintptr_t>(this);
    const IAppServices* app = GetAppServices();
    if (app && app->IsLookOn()) {
        body->AddEventHook(EV_MOUSE_ENTER, scene, EV_TILE_WATCH_ENTER, self, 0);
        body->AddEventHook(EV_MOUSE_LEAVE, scene, EV_TILE_WATCH_LEAVE, self, 0);
        return;
    }
    body->AddEventHook(EV_MOUSE_ENTER, scene, EV_TILE_ENTER, self, 0);
    body->AddEventHook(EV_MOUSE_LEAVE, scene, EV_TILE_LEAVE, self, 0);
    // Dragging a hand tile is a right-button drag: the engine's 19840335 is the cursor moving
    // with the right button down.
    body->AddEventHook(EV_RBUTTON_DOWN, scene, EV_TILE_DRAG_START, self, 0);
    body->AddEventHook(EV_RBUTTON_UP, scene, EV_TILE_DRAG_END, self, 0);
    body->AddEventHook(EV_RBUTTON_DRAG, scene, EV_TILE_DRAG_MOVE, self, 0);
}

int CMJCard2::OnEvent(const EventRecord& record)
{
    if (record.code == EV_TILE_CLEAR_HOVER) {
        hoverMark = 0;
        Update();
        return 1;
    }
    return CLumoraGui::OnEvent(record);
}

void CMJCard2::Reset()
{
    const int mode = layoutMode;
    tile = kNoTile;
    faceUp = facing = inHand = lifted = hoverMark = placed = dimmed6 = claimPos = meldKind = 0;
    seat = -1;
    markWord0 = jokerMark = markWord2 = markWord3 = 0;
    index = -1;
    count = 0;
    sceneWord = -1;
    layoutMode = mode;
    dimmed9 = raised = 0;
    z = 0;
    state = kTileFree;
    mSide = mVert = mDiscSide = mDiscTop = mDiscBottom = 0;
    scale = 1.0;
    scenePointer = nullptr;
}

namespace {

// The first `bytes` of an object and its last line, a prefetch a line with no loop round them.
template <size_t bytes>
void PrefetchFirst(const void* object)
{
    const auto* at = static_cast<const char*>(object);
    [&]<size_t... I>(std::index_sequence<I...>) {
        (__builtin_prefetch(at + 64 * I), ...);
    }(std::make_index_sequence<bytes / 64>{});
    __builtin_prefetch(at + bytes - 1);
}

} // namespace

void CMJCard2::Prefetch() const
{
    // Of the tile its geometry with its count, its fields and what it keeps up to the inputs kept,
    // which end what an update reads (not the engine's and the base's parts between, nor the
    // metrics and the pictures it keeps outside a pass); of the body, the shadow and the thrown
    // tile's background what an update reads.
    PrefetchFirst<sizeof(CountedGeometry)>(&Geometry());
    for (const void* field : {static_cast<const void*>(&tile), static_cast<const void*>(&raised),
                              static_cast<const void*>(&scale), static_cast<const void*>(&shadowHeight_)})
        __builtin_prefetch(field);
    PrefetchFirst<sizeof shown_ + sizeof updated_>(&shown_);
    if (body)
        body->PrefetchForUpdate();
    if (shadow)
        shadow->PObject::PrefetchForUpdate();
    if (throwBack)
        throwBack->PObject::PrefetchForUpdate();
}

void CMJCard2::Update()
{
    const TilePass* pass = host_ ? host_->CurrentPass() : nullptr;
    const TileMargins margins = pass ? pass->Margins() : ComputeTileMargins(GetViewWidth(), GetViewHeight());
    mSide = margins.side;
    mVert = margins.vert;
    mDiscSide = margins.discSide;
    mDiscTop = margins.discTop;
    mDiscBottom = margins.discBottom;
    if (!body)
        return;
    // Held for this update only: an update inside it (a tile event) holds its own.
    struct Hold {
        CMJCard2& tile;
        const Surroundings* was;
        ~Hold() { tile.held_ = was; }
    } hold{*this, held_};
    // The scene updates whole hands after every tile event: a tile whose look comes out as it
    // was repaints nothing, and one whose inputs are as it left them does nothing at all.
    Surroundings local;
    const auto [around, aroundId] = AroundNow(local);
    Inputs read = InputsNow(aroundId);
    held_ = around;
    const LookSame before = SameAsShown();
    if (before.All() && updated_ == read)
        return;
    repainted_ = false;
    // Opaque unless the picture says otherwise; the shadow follows the body's opacity.
    SetOpacity(*body, shadow, 1.0);
    body->SetPictureKey(kColourKey);

    // A seat outside the table has no place: such a tile stays hidden.
    if (seat < 0 || seat > 3) {
        Hide(before, read);
        return;
    }
    TilePlace place;
    switch (state) {
    case kTileWall:
        DrawTile();
        GetWallPos(place);
        break;
    case kTileHand:
        if (!placed) {
            Hide(before, read);
            return;
        }
        DrawTile();
        GetHandPos(place);
        break;
    case kTileDiscard:
        DrawTile();
        GetDiscardPos(place);
        break;
    case kTileThrown:
        if (!placed) {
            Hide(before, read);
            return;
        }
        DrawTile();
        GetThrownPos(place);
        z = kThrownZ;
        if (throwBack) {
            throwBack->SetSize(body->GetWidth() + kThrowBackGrow, body->GetHeight() + kThrowBackGrow);
            throwBack->MoveTo(place.x, place.y);
        }
        break;
    case kTileResultRow:
        DrawTile();
        GetResultRowPos(place);
        break;
    default:
        Hide(before, read);
        return;
    }
    body->MoveTo(place.x, place.y);
    // The depth is taken as an unsigned number.
    body->SetZ(double(uint32_t(std::max(0.0, z))));
    Show();
    ShowThrowBack(state == kTileThrown);
    Finish(before, read);
}

void CMJCard2::Hide(const LookSame& before, Inputs& read)
{
    // As Show: hiding what is hidden changes nothing, and a layout finds the tiles not in play so.
    // The tile's own activity is its body's while that is linked to follow it, else its own: with
    // both off it is off, and the list of its children is not read.
    const bool bodyActive = body->Geometry().active != 0, ownActive = Geometry().active != 0;
    if (bodyActive || (shadow && shadow->Geometry().active) || (ownActive && IsActive()))
        Deactivate();
    ShowThrowBack(false);
    Finish(before, read);
}

CMJCard2::Surroundings CMJCard2::SurroundingsNow() const
{
    const bool atTable = host_ && seat >= 0 && seat <= 3;
    if (TilePass* pass = host_ ? host_->CurrentPass() : nullptr) {
        // Built from what it copies: every tile of a pass reads it.
        return Surroundings{pass->Surface(), seat, atTable ? pass->SeatAreas(seat) : TileSeatAreas{}};
    }
    Surroundings s;
    TileSurface& f = s.surface;
    f.width = GetViewWidth();
    f.height = GetViewHeight();
    f.table = host_ ? host_->GetTableRect() : Rect{0, 0, f.width, f.height};
    f.splitterFlag = host_ && host_->GetSplitterFlag();
    f.discardScale = host_ ? host_->GetDiscardScale() : 1.0;
    s.seat = seat;
    if (atTable) {
        s.areas.wallArea = host_->GetWallArea(seat);
        s.areas.discardArea = host_->GetDiscardArea(seat);
        s.areas.fullHand = host_->GetFullHandTiles();
        s.areas.columnLift = host_->GetColumnLift(seat);
    }
    return s;
}

std::pair<const CMJCard2::Surroundings*, uint64_t> CMJCard2::AroundNow(Surroundings& local) const
{
    if (TilePass* pass = host_ ? host_->CurrentPass() : nullptr)
        if (const TilePass::Around* around = pass->Surroundings(seat))
            return {&around->value, around->id};
    local = SurroundingsNow();
    // Tiles with no host number theirs among themselves.
    static thread_local TileSurroundingsIds hostless;
    return {&local, (host_ ? host_->SurroundingsIds() : hostless).Of(local)};
}

CMJCard2::Inputs CMJCard2::InputsNow(uint64_t aroundId)
{
    // Built from what it copies, not filled in after its defaults: every tile reads it a layout.
    return Inputs{aroundId,
                  {tile, faceUp, facing, inHand, lifted, hoverMark, placed, dimmed6, claimPos, meldKind, seat,
                   markWord0, jokerMark, markWord2, markWord3, index, count, sceneWord, layoutMode, dimmed9, raised,
                   state},
                  ImageIndexOf(tile),
                  z,
                  scale};
}

void CMJCard2::Finish(const LookSame& before, Inputs& read)
{
    RepaintIfChanged(before);
    // The update wrote the depth and the scale: kept as it left them, so that an update of an
    // unchanged tile right after finds its inputs the same.
    read.z = z;
    read.scale = scale;
    updated_ = read;
}

void CMJCard2::Show()
{
    // Activating what is active already changes nothing, and a tile is linked to no child that
    // waits to be shown with it: a layout finds most tiles showing. With the body on and the tile's
    // own activity on, the tile is on whether or not the body is linked to follow it (Hide).
    if (body->Geometry().active && (!shadow || shadow->Geometry().active) && (Geometry().active || IsActive()))
        return;
    Activate();
}

void CMJCard2::ShowThrowBack(bool show)
{
    if (!throwBack)
        return;
    if (show)
        throwBack->Activate();
    else if (throwBack->Geometry().active) // a plane: its own; it has no children to hide with it
        throwBack->Deactivate();
}

CMJCard2::LookSame CMJCard2::SameAsShown() const
{
    if (!hasShown_)
        return {};
    const Shown& shown = shown_;
    return {body->GeometryWrites() == shown.body && (!shadow || shadow->GeometryWrites() == shown.shadow) &&
                SamePicture(body->PictureInfoNow(), shown.picture),
            !throwBack || throwBack->GeometryWrites() == shown.throwBack, GeometryWrites() == shown.self};
}

void CMJCard2::KeepShown()
{
    hasShown_ = true;
    Shown& shown = shown_;
    shown.body = body->GeometryWrites();
    shown.shadow = shadow ? shadow->GeometryWrites() : 0;
    shown.throwBack = throwBack ? throwBack->GeometryWrites() : 0;
    shown.self = GeometryWrites();
    shown.picture = body->PictureInfoNow();
}

void CMJCard2::RepaintIfChanged(const LookSame& before)
{
    // Only a look this tile itself left on the screen, untouched since, is known to be there: each
    // part as the tile left it before the update and after it. A count written since (most of a
    // layout's tiles move) repaints; the picture is compared, before and after, as it may change
    // back.
    const LookSame now = SameAsShown();
    const bool same = !repainted_ && before.All() && now.All();
    // The thrown tile's background shows one picture: only where it stands or whether it shows
    // can change, and the body's own repaint covers what the body changes above it.
    const bool backSame = same || (before.throwBack && now.throwBack);
    // The tile itself draws nothing, and its body is its one child: while its own geometry is
    // what its last repaint left, the engine's record of it stands and only the body is redrawn.
    const bool selfSame = same || (before.self && now.self);
    // Unchanged, shown_ already holds every count and the picture as they stand.
    if (same)
        return;
    if (selfSame)
        body->Redraw();
    else
        Redraw();
    if (throwBack && !backSame)
        throwBack->Redraw();
    KeepShown();
}

TilePictureInput CMJCard2::PictureInput()
{
    const TileSurface surface = SurfaceNow();
    TilePictureInput in;
    in.state = state;
    in.seat = seat;
    in.tile = tile;
    in.imageIndex = ImageIndexOf(tile);
    in.faceUp = faceUp != 0;
    in.inHand = inHand != 0;
    in.facing = facing;
    in.layoutMode = layoutMode;
    in.dimmed9 = dimmed9 != 0;
    in.dimmed6 = dimmed6 != 0;
    in.jokerMark = jokerMark != 0;
    in.surfaceWidth = surface.width;
    in.surfaceHeight = surface.height;
    in.table = surface.table;
    in.splitterFlag = surface.splitterFlag;
    in.discardScale = surface.discardScale;
    return in;
}

void CMJCard2::DrawTile()
{
    const TileSurface surface = SurfaceNow();
    TilePass* pass = host_ ? host_->CurrentPass() : nullptr;
    if (pass) {
        ShowPassPicture(*pass);
    } else {
        const TilePicture picture = ChooseTilePicture(PictureInput());
        scale = picture.scale;
        if (!picture.name.empty())
            ApplyPicture(picture);
    }
    // The places are reckoned from the table's metrics, whatever size the discards are drawn.
    const double tableScale = TileScale(surface.width, surface.splitterFlag);
    if (pass) {
        passMetrics_ = pass->Metrics(tableScale);
    } else {
        passMetrics_.Reset();
        metrics_ = host_ ? host_->GetTileMetrics(tableScale)
                         : ComputeTileMetrics(surface.width, surface.height, surface.table, tableScale);
    }
    if (body)
        body->AddFlags(kDrawBilinearScale);
}

void CMJCard2::ShowPassPicture(TilePass& pass)
{
    const int imageIndex = ImageIndexOf(tile);
    const bool face = HasFace(tile, imageIndex);
    // The picture's inputs besides the surface, the tile and its face index: the choice reads the
    // tile and the index only as whether it has a face and as the face's frame. A look beyond what
    // a key holds is chosen for itself.
    const bool keyed = state >= 0 && state <= 7 && seat >= 0 && seat <= 3 && facing >= 0 && facing <= 15 &&
                       (layoutMode == kAreaLayout || layoutMode == kMetricLayout);
    const uint32_t key = 1u | uint32_t(state) << 1 | uint32_t(seat) << 4 | uint32_t(facing) << 6 |
                         uint32_t(layoutMode) << 10 | uint32_t(face) << 11 | uint32_t(faceUp != 0) << 12 |
                         uint32_t(inHand != 0) << 13 | uint32_t(dimmed9 != 0) << 14 | uint32_t(dimmed6 != 0) << 15 |
                         uint32_t(jokerMark != 0) << 16;
    const TilePassPictures::Chosen* chosen = keyed ? pass.Pictures().Find(key) : nullptr;
    if (!chosen) {
        ShowFirstOfLook(pass.Pictures(), keyed ? key : 0, imageIndex, face);
        return;
    }
    scale = chosen->scale;
    ShowPicture(chosen->info, chosen->frameIsFace ? imageIndex : chosen->frame,
                chosen->hasRatio ? &chosen->ratio : nullptr, chosen->ratioByWidth, chosen->scale, chosen->alpha,
                chosen->jokerKey);
}

void CMJCard2::ShowFirstOfLook(TilePassPictures& pictures, uint32_t key, int imageIndex, bool face)
{
    const bool keyed = key != 0;
    const TilePictureInput in = PictureInput();
    const TilePicture picture = ChooseTilePicture(in);
    scale = picture.scale;
    if (picture.name.empty())
        return;
    TilePassPictures::Chosen c;
    c.hasName = true;
    c.frame = picture.frame;
    c.alpha = picture.alpha;
    c.scale = picture.scale;
    c.jokerKey = picture.jokerKey;
    c.ratioByWidth = picture.ratioByWidth;
    c.info = Resolve(face_, picture.name);
    c.hasRatio = !picture.ratioPicture.empty() && c.info.width > 0 && c.info.height > 0;
    if (c.hasRatio)
        c.ratio = Resolve(ratio_, picture.ratioPicture);
    ShowPicture(c.info, c.frame, c.hasRatio ? &c.ratio : nullptr, c.ratioByWidth, c.scale, c.alpha, c.jokerKey);
    // Kept where another face of the look gives the same choice in its own frame, or the same
    // frame; a name not found is asked again by the next tile, as it is outside a pass.
    bool same = keyed && c.info.image && (!c.hasRatio || c.ratio.image);
    if (same && face) {
        TilePictureInput other = in;
        other.imageIndex = imageIndex == 0 ? 1 : 0;
        TilePicture again = ChooseTilePicture(other);
        c.frameIsFace = picture.frame == imageIndex && again.frame == other.imageIndex;
        if (c.frameIsFace)
            again.frame = picture.frame;
        same = again == picture;
    }
    if (same)
        pictures.Keep(key, c);
}

void CMJCard2::ApplyPicture(const TilePicture& picture)
{
    const PictureInfo info = Resolve(face_, picture.name);
    const bool hasRatio = !picture.ratioPicture.empty() && info.width > 0 && info.height > 0;
    const PictureInfo ratio = hasRatio ? Resolve(ratio_, picture.ratioPicture) : PictureInfo{};
    ShowPicture(info, picture.frame, hasRatio ? &ratio : nullptr, picture.ratioByWidth, picture.scale, picture.alpha,
                picture.jokerKey);
}

void CMJCard2::ShowPicture(PictureInfo info, int frame, const PictureInfo* ratioPicture, bool ratioByWidth,
                           double pictureScale, double alpha, bool jokerKey)
{
    // A frame the picture lacks is never asked for: the tile shows the picture's first frame.
    if (info.image && frame > 0 && uint32_t(frame) < info.image->frames)
        info.frame = frame;
    if (!SamePicture(body->PictureInfoNow(), info)) {
        body->LoadPicture(info, 1);
        repainted_ = true;
    }
    double width = info.width, height = info.height;
    if (ratioPicture) {
        const double ratio = ratioByWidth ? double(ratioPicture->width) / info.width
                                          : double(ratioPicture->height) / info.height;
        if (ratio > 0) {
            width *= ratio;
            height *= ratio;
        }
    }
    // Whole pixels, as the metrics the places are reckoned from: a hand of tiles half a pixel
    // wider than its metric ran past the table's edge (14 tiles at 800 with the side panel open).
    SetSizeIfOther(*body, int(int(width) * pictureScale), int(int(height) * pictureScale));
    FitShadow(width, height);
    SetOpacity(*body, shadow, alpha);
    if (jokerKey)
        body->SetPictureKey(kJokerKeyColour);
}

PictureInfo CMJCard2::Resolve(Resolved& last, const std::string& name)
{
    if (last.info.image && last.info.image->id == last.info.imageId && last.name == name)
        return last.info;
    PictureInfo info;
    GetRes(info, name.c_str(), 0);
    // A name not found is asked again next time: it may be loaded by then.
    last = info.image ? Resolved{name, info} : Resolved{};
    return info;
}

void CMJCard2::FitShadow(double width, double height)
{
    if (!shadow)
        return;
    const int w = int(width) + kShadowGrow, h = int(height);
    if (w != shadowWidth_ || h != shadowHeight_) {
        // By the name's last answer: a resize into another set of pictures redraws every shadow.
        DrawShadow(*shadow, Resolve(shadowPicture_, kShadowPicture), w, h, host_ ? host_->GetShadowCache() : nullptr);
        shadowWidth_ = w;
        shadowHeight_ = h;
        repainted_ = true;
    }
    // Scaled as the body was from width x height to its whole pixels; a body of no size gives its
    // size as it is.
    const double bodyWidth = body->Geometry().width, bodyHeight = body->Geometry().height;
    if (width != 0 && height != 0)
        SetSizeIfOther(*shadow, w * (bodyWidth / width), h * (bodyHeight / height));
    else
        SetSizeIfOther(*shadow, bodyWidth, bodyHeight);
    // Under the body, its bottom a few pixels below the bottom of the body before the scale.
    shadow->MoveTo(body->Geometry().x, body->Geometry().y + height * 0.5 + kShadowDrop - h / 2.0);
}

void CMJCard2::LoadLargeCard()
{
    if (!body)
        return;
    const std::string name = std::to_string(int(MetricSizeClass(GetViewWidth(), TableRect()))) + "_largecard";
    PictureInfo info;
    GetRes(info, name.c_str(), kLargeSpecialFrame);
    body->LoadPicture(info, 1);
    Redraw();
}

inline void CMJCard2::WriteOwnLayoutFields(TileLayoutInput& in) const
{
    in.state = state;
    in.seat = seat;
    in.index = index;
    in.count = count;
    in.claimPos = claimPos;
    in.meldKind = meldKind;
    in.layoutMode = layoutMode;
    in.raised = raised != 0;
    in.lifted = lifted != 0;
    in.dimmed6 = dimmed6 != 0;
    in.w = body ? body->Geometry().width : 0;
    in.h = body ? body->Geometry().height : 0;
}

TileLayoutInput CMJCard2::LayoutInput()
{
    TileLayoutInput in;
    WriteOwnLayoutFields(in);
    const Surroundings* held = Held();
    const Surroundings around = held ? *held : SurroundingsNow();
    in.table = around.surface.table;
    in.surfaceWidth = around.surface.width;
    in.surfaceHeight = around.surface.height;
    in.margins = {mSide, mVert, mDiscSide, mDiscTop, mDiscBottom};
    in.metrics = GetMetrics();
    if (host_ && seat >= 0 && seat <= 3) {
        in.wallArea = around.areas.wallArea;
        in.discardArea = around.areas.discardArea;
        in.fullHand = around.areas.fullHand;
        in.columnLift = around.areas.columnLift;
    }
    return in;
}

const TileLayoutInput* CMJCard2::HeldLayoutInput()
{
    // Within an update the margins come from the held surface, and the metrics from the pass
    // where DrawTile took them from it: the same for every tile of the pass.
    TilePass* pass = held_ && host_ && seat >= 0 && seat <= 3 ? host_->CurrentPass() : nullptr;
    if (!pass || !passMetrics_.Get() || passMetrics_.Get() != pass->MetricsNow() || held_->seat != seat)
        return nullptr;
    std::optional<TileLayoutInput>& held = pass->SeatLayout(seat);
    if (!held)
        held = LayoutInput();
    else
        WriteOwnLayoutFields(*held);
    return &*held;
}

TilePlace CMJCard2::PlaceBy(TilePlace (*rule)(const TileLayoutInput&))
{
    // No inputs are made (and cleared first) where the pass holds them.
    if (const TileLayoutInput* held = HeldLayoutInput())
        return rule(*held);
    return rule(LayoutInput());
}

void CMJCard2::GetWallPos(TilePlace& out) { out = PlaceBy(WallPos); }

void CMJCard2::GetHandPos(TilePlace& out)
{
    out = PlaceBy(HandPos);
    if (out.z)
        z = *out.z;
}

void CMJCard2::GetThrownPos(TilePlace& out) { out = PlaceBy(ThrownPos); }

void CMJCard2::GetDiscardPos(TilePlace& out)
{
    out = PlaceBy(DiscardPos);
    if (out.z)
        z = *out.z;
}

void CMJCard2::GetResultRowPos(TilePlace& out)
{
    out = PlaceBy(ResultRowPos);
    if (out.z)
        z = *out.z;
}

int CMJCard2::GetMeldOrigin(int forSeat)
{
    if (const TileLayoutInput* held = HeldLayoutInput())
        return MeldOrigin(forSeat, *held);
    return MeldOrigin(forSeat, LayoutInput());
}

int CMJCard2::GetImageIndex(int forTile)
{
    if (!calculator_)
        return 0;
    const int rank = calculator_->GetCardValue(forTile, 0);
    const int shape = calculator_->GetCardShape(forTile, 0);
    return shape >= 0 && shape <= 4 ? rank + kShapeFrameOffset[shape] : 0;
}

void CMJCard2::SetClickTarget(uint32_t code)
{
    if (!body)
        return;
    const EventRecord wanted{SceneId(), code, reinterpret_cast<uintptr_t>(this), 0};
    // The hand is re-targeted on every draw and throw: a tile whose one click hook is already
    // this one keeps it, and is not repainted for nothing.
    size_t cursor = 0;
    const EventRecord* hook = body->NextEventHook(EV_LBUTTON_CLICK, cursor);
    if (hook && hook->target == wanted.target && hook->code == wanted.code && hook->param1 == wanted.param1 &&
        hook->param2 == wanted.param2 && !body->NextEventHook(EV_LBUTTON_CLICK, cursor) && body->IsEnabled())
        return;
    body->RemoveEventHook(EV_LBUTTON_CLICK);
    body->AddEventHook(EV_LBUTTON_CLICK, wanted);
}

} // namespace Lumora
