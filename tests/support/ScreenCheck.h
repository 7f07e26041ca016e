#pragma once
// The check that the screen tells the truth, for the whole-client tests. After each frame the
// host window shows, it composes the whole view anew (the paint module's background, then every
// visible object drawn back to front by the paint module's own drawing) and compares it with the
// pixels the frame-by-frame painting left in the window. Pixels under changes not yet painted
// (the object module's pending dirty rectangles) are left for the next frame. Any other pixel
// that differs is a fault: the shown picture, the fresh one and their difference are written to
// <artifacts>/screen-<name>-<frame>-{shown,fresh,diff}.png (for the first frame of each of the
// first few causes: the objects over the first differing pixel).
//
// Beside the pixels, the rules they cannot see: no visible object belongs to a closed board or a
// hidden control (an ancestor inactive or hidden), and every visible object inside a board or a
// list (a list's lines and all they hold) lies within it; and a list row's caption, whenever the
// row's width changes, equals its text drawn anew (text a widget drew for itself is otherwise only
// copied by the fresh composition).
//
// And the rules of a reader, on the texts the planes drew (the check has them record their text
// boxes while it lives): no text is drawn scaled (a plane holding text is drawn at 1:1); no text
// stands over another text where nothing opaque drawn between hides the lower one, unless the
// upper one is on a board (an object flagged OBJ_BOARD, or linked under one) that the lower is
// not on; no picture is drawn over part of a text on its plane; and a board never stands under
// (is drawn before, where they overlap) a board opened before it.
//
// Use: make one per run, Install it (the host window calls it after each shown frame) or call
// Check with the window yourself, and read Faults(). Each distinct fault is kept once, with the
// frame it was first seen in; with WriteFaultsTo each is also appended to a file as one line (a
// client in another process). UI thread only.
#include "engine/host/LumoraWnd.h"
#include "engine/object/ObjectModule.h"
#include "engine/paint/PaintModuleGDI.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace testsupport {

// The whole view composed from nothing: the background, then every object that is active, not
// hidden, has a current picture and meets the viewport, in (layer, z, id) order, each drawn with
// its geometry as it is now.
std::vector<uint32_t> ComposeFresh(Lumora::ObjectModule& objects, const Lumora::PaintModuleGDI& paint);

// Pixels that differ between two pictures of `width` x `height`, outside the given rectangles.
struct PixelDifference {
    size_t count = 0;
    int x = -1, y = -1; // the first, in reading order
};
PixelDifference ComparePixels(const uint32_t* shown, const uint32_t* fresh, int width, int height,
                              const std::vector<Lumora::Rect>& skipped);

// The rules pixels cannot see: one fault for each object that breaks one; `key` names the rule,
// the object and the board or control (the same fault in later frames has the same key).
struct RuleFault {
    std::string key;
    std::string text;
};
std::vector<RuleFault> ObjectRuleFaults(Lumora::ObjectModule& objects);

class ScreenCheck : public Lumora::CLumoraWnd::FrameWatcher {
public:
    // Pictures of failing frames go to `artifacts` (made when needed) named after `name`.
    ScreenCheck(std::string name, std::string artifacts);
    ~ScreenCheck() override;
    ScreenCheck(const ScreenCheck&) = delete;
    ScreenCheck& operator=(const ScreenCheck&) = delete;

    // Checks every frame the host window shows from now until this check goes.
    void Install();
    void OnFrameShown(Lumora::CLumoraWnd& window) override { Check(window); }
    // Checks the window's picture as it stands.
    void Check(Lumora::CLumoraWnd& window);
    // Checks `shown` (the painting module's size) as the picture of these modules: for engines
    // without a host window.
    void Check(Lumora::ObjectModule& objects, const Lumora::PaintModuleGDI& paint, const uint32_t* shown);
    // Every new fault is also appended to this file as a line.
    void WriteFaultsTo(std::string path) { faultFile_ = std::move(path); }

    const std::vector<std::string>& Faults() const { return faults_; }
    int FramesChecked() const { return frames_; }
    // Frames whose pixels differed, and the pictures written for the first of each cause.
    int FramesDiffering() const { return differing_; }
    const std::vector<std::string>& Pictures() const { return pictures_; }

    // Pictures are kept for this many causes; the rest are counted.
    static constexpr size_t kPicturedCauses = 6;

private:
    // True when the fault is new.
    bool Fault(const std::string& key, const std::string& text);
    void CheckCaptions(Lumora::ObjectModule& objects);
    void CheckBoards(Lumora::ObjectModule& objects);
    void CheckCoveredTexts(Lumora::ObjectModule& objects);
    void SavePictures(const uint32_t* shown, const std::vector<uint32_t>& fresh, int width, int height);

    std::string name_, artifacts_, faultFile_;
    bool installed_ = false;
    int frames_ = 0;
    int differing_ = 0;
    std::set<std::string> seen_;
    std::map<uint32_t, int> captionWidths_; // each list row's caption width when last checked
    std::map<uint32_t, int> boardsOpen_;    // each shown board, by id: the frame it opened in
    std::map<std::string, uint64_t> covers_; // each text under a picture, by both and the place: since when
    bool recordedTexts_ = false;            // whether planes recorded their texts before this check
    std::vector<std::string> faults_;
    std::vector<std::string> pictures_;
};

} // namespace testsupport
