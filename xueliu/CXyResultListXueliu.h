#pragma once
// The result board's list: one row per chair (CXyResultBlockXueLiu) whose caption is the
// chair's name, this hand's silver or score and its wins, and whose detail, unfolded while the
// row is selected, is a chat box with the chair's lines: each win's fans, 刮风/下雨, 查花猪/查大叫
// and its settlement entries. A row keeps its detail lines as its data bytes (GBK lines ended by
// "\r\n"), so a row without lines never unfolds. The detail opens with the chair's name, takes
// the row's width and is cut to the list's view like the row; a press on it folds it again, as a
// press on the row does. UI thread only.
#include "widgets/CXyBlockList.h"
#include "widgets/CXyListBlock.h"

#include <string>
#include <vector>

namespace xueliu {
struct ResultRow;
}

namespace Lumora {

class CXyChatBox;

class CXyResultBlockXueLiu : public CXyListBlock {
public:
    static constexpr int kDetailLineHeight = 17;
    static constexpr uint32_t kDetailBackground = 0x2A3A30;

    PObject* CreateDetail() override;
    void LayoutDetail() override;

    // The name of whose lines they are, which heads the detail; set before the row unfolds.
    void SetHeading(const std::string& text) { heading_ = text; }
    // The detail's lines, chat markup whose names are escaped.
    void SetDetails(std::vector<Markup> lines) { details_ = std::move(lines); }

    CXyChatBox* GetDetailBox() const;
    // The detail's lines as the row holds them (their markup).
    std::vector<std::string> DetailLines() const;

private:
    std::string heading_;
    std::vector<Markup> details_;
};

class CXyResultListXueliu : public CXyBlockList {
public:
    static constexpr const char* kRowPicture = "ResultListBlock";
    static constexpr int kRowHeight = 24;
    static constexpr uint32_t kCaptionColour = 0xFFFFFF;

    // A row for the chair, its caption drawn; the row picture comes from the skins.
    CXyResultBlockXueLiu* AddChairRow(const xueliu::ResultRow& row);
    CXyResultBlockXueLiu* GetChairRow(int index) const;
};

} // namespace Lumora
