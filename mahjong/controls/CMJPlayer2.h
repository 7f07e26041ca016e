#pragma once
// A seat's player panel on the table: one plane on "bit_playerpanel" that shows the player's
// character picture (48 x 48, when the game has one), name, silver or score, flower count and
// the marks banker ("bit_banker"), ready ("bit_ready"), offline ("bit_offline") and auto-play
// ("bit_autoplay"). Every change redraws the plane; nothing else is kept on screen, so a
// hidden mark can never be shown again by its parent. A plane that already shows the same
// state with the same pictures is not drawn again, and one that showed it at one of its last few
// sizes gets those pixels back (the layout tries a panel at a few sizes on every resize). Where
// the table has no room for the panel it
// is drawn smaller (SetScale): its plane is made that size and drawn anew, the text at a smaller
// font size of its own, so that nothing on it is ever a scaled picture of text. A click on the panel sends the frame
// (object "GameFrame") event 80000047 with the chair, which opens the player's details.
//
// The scene creates one per playing chair at its seat, fills it with Refresh and places it
// beside the seat's hand.
#include "engine/gui/CLumoraGui.h"
#include "mahjong/controls/PanelLayout.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Lumora {

class PlaneObject;

// What a panel shows of its user.
struct PanelUser {
    std::string name;          // GBK
    int64_t amount = 0;        // silver or score
    bool silver = true;
    std::string characterPicture; // skin picture name; empty or unknown: none
    bool present = false;
    bool operator==(const PanelUser&) const = default;
};

class CMJPlayer2 : public CLumoraGui {
public:
    using CLumoraGui::Create;
    virtual void Create(int seat);
    virtual void SetChair(int chair);
    virtual void ShowReady(int flag);
    virtual void SetOffline(int flag);
    virtual int IsOffline() const { return offline_; }
    virtual void AddFlower();
    // Stops the auto-play mark's display.
    virtual void HideAnimation2();
    virtual void SetBanker(int flag);
    virtual void SetAutoPlay(int flag);
    virtual void Refresh(const PanelUser& user);
    // Between games: marks off, flowers 0; the player stays.
    virtual void ResetPanel();
    // Draws the panel at this part of its full size (1: the art's own size).
    void SetScale(double scale);
    double GetScale() const { return scale_; }
    // The art's size, which the layout scales.
    int FullWidth() const { return fullWidth_; }
    int FullHeight() const { return fullHeight_; }
    int OnEvent(const EventRecord& record) override;

    int GetSeat() const { return seat_; }
    int GetChair() const { return chair_; }
    int GetFlowerCount() const { return flowers_; }
    bool IsBanker() const { return banker_; }
    bool IsReady() const { return ready_; }
    bool IsAutoPlay() const { return autoPlay_; }
    PlaneObject* GetPlane() const { return plane_; }
    // What the panel shows of its player.
    const PanelUser& GetUser() const { return user_; }
    // Where the plane's parts were last drawn (plane pixels): the texts' boxes and the marks'.
    const PanelLayout& GetLayout() const { return layout_; }

private:
    // What the plane shows: the state and the pictures it was drawn from.
    struct Shown {
        int flowers = 0, offline = 0;
        bool banker = false, ready = false, autoPlay = false;
        PictureInfo back, character;
        std::array<PictureInfo, 4> marks{};
        int surfaceWidth = 0, surfaceHeight = 0;
        double scale = 1.0;
        ObjectGeometry plane;
        bool operator==(const Shown&) const = default;
    };
    struct Look {
        PanelUser user;
        Shown shown;
        bool operator==(const Look&) const = default;
    };
    // All of the look but the user, which the panel compares where it stands: its name is copied
    // only into a drawing.
    Shown ShownNow();
    // The plane's geometry but for its place.
    ObjectGeometry PlaneShape() const;
    void Draw();
    // Sets the plane's font and pen for the texts, as drawn at the present scale.
    void TextPen();
    // Gives the plane the pixels, layout and texts of a drawing kept of the look; false when none is.
    bool TakeKept(const Look& look);
    // The art at the plane's size: corners and frame as they are, the rest stretched between.
    void DrawBack(const PictureInfo& back);

    PlaneObject* plane_ = nullptr;
    int seat_ = -1;
    int chair_ = -1;
    int flowers_ = 0;
    int offline_ = 0;
    bool banker_ = false, ready_ = false, autoPlay_ = false;
    PanelUser user_;
    int fullWidth_ = 0, fullHeight_ = 0;
    double scale_ = 1.0;
    PanelLayout layout_;
    std::optional<Look> drawn_;
    // The last few drawings, each with what it showed: at most one a size the layout tries.
    struct Kept {
        Look look;
        PanelLayout layout;
        std::vector<uint8_t> pixels;
        std::vector<std::pair<Rect, std::string>> texts; // as the plane noted them
    };
    static constexpr size_t kKeptDrawings = 3;
    std::vector<Kept> kept_;
};

} // namespace Lumora
