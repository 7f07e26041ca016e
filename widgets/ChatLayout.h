#pragma once
// The content of a chat box without its pictures: the chain of laid-out elements, broken into
// rows for the view's width (or kept on one row), trimmed to a maximum number of rows, with
// the scroll position, the caret, the selection and hit testing. Chat boxes and input boxes
// draw from it; it never touches the engine, so it is tested and fuzzed on its own.
#include "widgets/ChatElementPool.h"
#include "widgets/ChatFormat.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Lumora {

class ChatLayout {
public:
    // Told about every element the layout frees, so that its object or link goes with it.
    using FreeHook = std::function<void(const ChatElement&)>;
    // The text copied for an object element (its object's text).
    using ObjectText = std::function<std::string(uint32_t objectId)>;

    ChatLayout() = default;
    ~ChatLayout();
    ChatLayout(const ChatLayout&) = delete;
    ChatLayout& operator=(const ChatLayout&) = delete;

    void SetFreeHook(FreeHook hook) { freeHook_ = std::move(hook); }

    // Settings; changing the view or the mode takes effect with Relayout.
    int viewWidth = 0;
    int viewHeight = 0;
    int maxRows = 1000;
    double rowGap = 0.2;  // >= 0: factor of the row height; < 0: its magnitude in pixels
    int bottomSpace = 0;
    bool singleLine = false;
    bool editable = false;
    // The rows a line wraps onto start under the end of its leading spaces, not at the edge.
    bool hangingIndent = false;

    // Appends the elements (at the caret when one is set), lays them out and trims.
    void Commit(const std::vector<ChatElement>& elements);
    // Lays every element out again from the top; no trimming, the scroll position stays.
    void RelayoutElements();
    // For a new view size: lays everything out again, keeps the element that was at the top
    // of the view there, and trims.
    void Reflow();
    void TrimRows();
    void Clear();

    ChatElement* First() const { return first_; }
    ChatElement* Last() const { return last_; }
    int ElementCount() const { return count_; }
    int RowCount() const { return rows_; }
    int TopOffset() const { return topOffset_; }
    int ContentHeight() const { return contentHeight_; }
    int ContentWidth() const { return contentWidth_; }
    int ScrollX() const { return scrollX_; }
    int ScrollY() const { return scrollY_; }
    // The top of the highest row that an append made taller (its pixels must be drawn again);
    // INT32_MAX when none. Reset by TakeRegrownTop.
    int TakeRegrownTop();
    size_t PoolCapacity() const { return pool_.Capacity(); }
    // Grows whenever laid-out elements may have moved (all laid out again, removed, cleared);
    // appends at the end leave it alone, so drawn pixels of older elements stay valid.
    uint64_t Generation() const { return generation_; }
    void Touch() { ++generation_; }

    ChatElement* ElementAt(int index) const;
    ChatElement* Predecessor(const ChatElement* e) const;
    int IndexOf(const ChatElement* e) const;  // ElementCount() for null (the end)
    // The gap below a row of elements, for the given row height.
    int RowGapFor(int rowHeight) const;

    // Removes [from, to) (to == null: to the end) and lays the rest out again; the caret goes
    // to `to`. Returns the number of elements freed.
    int RemoveRange(ChatElement* from, ChatElement* to);
    void RemoveElement(ChatElement* e) { RemoveRange(e, e ? e->next : nullptr); }
    // Moves an element of the chain before `before` (null: to the end) and lays out again;
    // false, and nothing changes, when the element would stay where it is.
    bool MoveBefore(ChatElement* e, ChatElement* before);

    // Caret: the element the caret stands before; null stands at the end.
    ChatElement* Caret() const { return caret_; }
    void SetCaret(ChatElement* e) { caret_ = e; }
    // Selection [from, to) in chain order, null meaning the end.
    bool HasSelection() const { return hasSelection_ && selFrom_ != selTo_; }
    void Select(ChatElement* a, ChatElement* b);
    void ClearSelection() { hasSelection_ = false, selFrom_ = selTo_ = nullptr; }
    ChatElement* SelectionFrom() const { return selFrom_; }
    ChatElement* SelectionTo() const { return selTo_; }
    bool DeleteSelection();
    // Editing keys: the selection, else the element before / at the caret. True when
    // something was deleted.
    bool Backspace();
    bool DeleteForward();
    std::string SelectedText(const ObjectText& objectText) const;
    std::string TextOf(const ChatElement* from, const ChatElement* to, const ObjectText& objectText) const;

    // Scrolling in content coordinates.
    void ScrollTo(int position);  // y, or x in single-line mode
    void ScrollToEnd();
    void ScrollToHome();
    // A notch scrolls kWheelLines lines of `line` pixels, wherever they stand: a row taller than
    // the view (an unfolded list row) is read through, not jumped over. Single-line: a view.
    static constexpr int kWheelLines = 3;
    void WheelUp(int line);
    void WheelDown(int line);
    // Brings the end (or the caret) into view after an append.
    void ScrollAfterAppend();
    void SetScroll(int x, int y) { scrollX_ = x, scrollY_ = y; }

    // Hit tests in content coordinates.
    ChatElement* ElementAtPoint(int x, int y) const;
    // Where a press puts the caret: the element, or the one behind it from its right half on;
    // behind a row's end its line break (or the next row); null for the end of the text.
    ChatElement* CaretElementAt(int x, int y) const;
    // The row height and top of the row holding `e`.
    int RowHeightOf(const ChatElement* e) const;

private:
    void LayoutRun(ChatElement* start, int count);
    void PlaceRow(ChatElement* rowFirst, ChatElement* end, int rowTop, int rowHeight, int startX);
    void Free(ChatElement* e);
    void ResetCursor();
    void RecountSizes();

    ChatElementPool pool_;
    FreeHook freeHook_;
    ChatElement* first_ = nullptr;
    ChatElement* last_ = nullptr;
    int count_ = 0;
    int rows_ = 0;
    int topOffset_ = 0;
    int scrollX_ = 0;
    int scrollY_ = 0;
    int contentHeight_ = 0;
    int contentWidth_ = 0;
    // Where the next element continues: the open row's first element, x, top and height.
    ChatElement* rowFirst_ = nullptr;
    int cursorX_ = 0;
    int cursorRowTop_ = 0;
    int cursorRowHeight_ = 0;
    int cursorRowX_ = 0; // where the open row starts
    int lineIndent_ = 0; // the current line's leading spaces, while hangingIndent holds
    bool lineStart_ = true; // no element but spaces yet on the current line
    int regrownTop_ = INT32_MAX;
    uint64_t generation_ = 0;
    ChatElement* caret_ = nullptr;
    ChatElement* selFrom_ = nullptr;
    ChatElement* selTo_ = nullptr;
    bool hasSelection_ = false;
};

} // namespace Lumora
