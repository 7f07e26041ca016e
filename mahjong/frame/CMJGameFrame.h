#pragma once
// The mahjong layer of the in-game frame: thin side borders, the table's halo and corners drawn
// inside the table area, its own spacing of the title buttons, the side panel folded below a
// 1024-pixel work area, a detail board with clear-zero and recharge buttons, and sliding a
// picture in at the bottom right of the view (the ask dialogs of the table), or as near it as it
// stands clear of what the table shows.
#include "engine/gui/CLumoraGui.h"
#include "framework/frame/CXyGameFrame.h"
#include "mahjong/scene/ReadList.h"

#include <cstddef>
#include <string>

namespace Lumora {

class CMJGameFrame : public CXyGameFrame {
public:
    CMJGameFrame();
    ~CMJGameFrame() override;

    int OnEvent(const EventRecord& record) override;
    void LoadColours() override;
    void CreateTableBackground() override;
    void CreateFrameTop() override;
    void CreateFrameLeft() override;
    void ShowPlayerDetail(const GameUserRecord& user) override;
    void ShowPlayerBoardSmall(uint32_t userId, int x, int y) override;

    // Stacks the object above the ones placed before it (engine setting 50012 counts them),
    // slides it in from below the view's lower right corner until it rests on the bottom edge,
    // and flashes the main window unless it is in front.
    virtual void PlaceCharacter(PObject* object);
    virtual void OpenPayPage();
    virtual void OpenShopPage();

    PObject* GetClearZeroButton() const { return clearZero_; }

protected:
    int FoldWidthLimit() const override { return 1023; }
    int SideMargin() const override { return 1; }
    double AutoPlayLift() const override { return 35.0; }
    void PlaceAskDialog(CLumoraGui* dialog) override { PlaceCharacter(dialog); }
    // What a player reads at the table: the scene's list while the scene is the mahjong table.
    virtual std::span<const ReadItem> TableReadItems() const;
    // On the corner, once the panel is folded, an ask would cover the own hand and the claim
    // buttons: it rests nearest the corner clear of everything listed, else of all but the tiles.
    framework::Spot DialogRestOf(framework::DialogPlace place, double width, double height,
                                 double bottomGap) const override;

private:
    void UpdateClearZero(const GameUserRecord& user);
    PObject* clearZero_ = nullptr;
    PObject* recharge_ = nullptr;
};

} // namespace Lumora

// Formats into a 128-byte buffer; a longer result is cut at 127 bytes on a character boundary.
// Returns the length written.
size_t FormatFixedText(char (&buffer)[128], const char* format, ...) __attribute__((format(printf, 2, 3)));
