#pragma once
// A vertical list of selectable rows on a rich-text box: each row is an embedded element whose
// height follows its row (the detail of the selected row unfolds under it). Pressing a row
// selects it, pressing it again folds it; the selected row is scrolled into view. The selected
// row is held by its object id, so a row that left the list is never touched.
#include "widgets/CPglChatBox.h"

namespace Lumora {

class CXyListBlock;
struct PictureInfo;

class CXyBlockList : public CPglChatBox {
public:
    int OnEvent(const EventRecord& record) override;
    // The vertical bar only, with the list's own pictures.
    void CreateScrollBars() override;
    // The base's Clear; the selected row is forgotten.
    void Clear() override;

    // Virtual operations, in slot order. The row is registered here when it is not yet and linked
    // under the list by depth; its width is cut to the view's width.
    virtual CXyListBlock* AddBlock(CXyListBlock* row, const void* data, size_t length, const PictureInfo& picture,
                                   int width, int height);
    virtual void Select(CXyListBlock* row);

    // Nothing for an index past the end; the rows below are numbered again.
    void RemoveBlock(int index);
    int GetBlockCount() const { return GetElementCount(); }
    // The selected row while it is still a row of this list, else null.
    CXyListBlock* GetSelected() const { return FindRow(selected_); }
    CXyListBlock* GetBlock(int index) const;

private:
    CXyListBlock* FindRow(uint32_t id) const;
    void Remeasure();

    uint32_t selected_ = 0;
};

} // namespace Lumora
