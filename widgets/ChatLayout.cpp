#include "widgets/ChatLayout.h"

#include <algorithm>
#include <string_view>

namespace Lumora {

using namespace chat_flag;

ChatLayout::~ChatLayout() = default;

int ChatLayout::TakeRegrownTop()
{
    const int top = regrownTop_;
    regrownTop_ = INT32_MAX;
    return top;
}

int ChatLayout::RowGapFor(int rowHeight) const
{
    return rowGap >= 0 ? int(rowHeight * rowGap) : int(-rowGap);
}

void ChatLayout::ResetCursor()
{
    rowFirst_ = nullptr;
    cursorX_ = 0;
    cursorRowTop_ = topOffset_;
    cursorRowHeight_ = 0;
    cursorRowX_ = 0;
    lineIndent_ = 0;
    lineStart_ = true;
}

void ChatLayout::Commit(const std::vector<ChatElement>& elements)
{
    if (elements.empty())
        return;
    ChatElement* head = nullptr;
    ChatElement* tail = nullptr;
    for (const ChatElement& value : elements) {
        ChatElement* e = pool_.Take(value);
        (tail ? tail->next : head) = e;
        tail = e;
    }
    const int n = int(elements.size());
    count_ += n;
    if (caret_ && first_) {
        // Typing in the middle: the piece goes in before the caret and everything is laid
        // out again (rows behind the caret move).
        ChatElement* before = Predecessor(caret_);
        (before ? before->next : first_) = head;
        tail->next = caret_;
        RelayoutElements();
        return;
    }
    (last_ ? last_->next : first_) = head;
    last_ = tail;
    LayoutRun(head, n);
    contentHeight_ = std::max(0, last_->Bottom() - topOffset_);
    TrimRows();
}

void ChatLayout::RelayoutElements()
{
    ++generation_;
    rows_ = 0;
    contentWidth_ = 0;
    ResetCursor();
    if (first_)
        LayoutRun(first_, count_);
    RecountSizes();
}

void ChatLayout::Reflow()
{
    const ChatElement* top = nullptr;
    for (const ChatElement* e = first_; e; e = e->next)
        if (!e->Is(kHidden) && e->Bottom() > scrollY_) {
            top = e;
            break;
        }
    RelayoutElements();
    if (top && !singleLine)
        scrollY_ = std::max(topOffset_, top->y);
    TrimRows();
}

void ChatLayout::RecountSizes()
{
    contentHeight_ = last_ ? std::max(0, last_->Bottom() - topOffset_) : 0;
}

namespace {

// A space: at the end of a row it hangs past the edge rather than open a row of its own.
bool IsBlank(const ChatElement& e)
{
    return e.Is(kOneByte) && !e.Is(kLineBreak) && (e.code & 0xFF) == ' ';
}

} // namespace

void ChatLayout::PlaceRow(ChatElement* rowFirst, ChatElement* end, int rowTop, int rowHeight, int startX)
{
    int x = startX, drawnRight = startX;
    const ChatElement* prev = nullptr;
    for (ChatElement* e = rowFirst; e && e != end; e = e->next) {
        e->rowTop = rowTop;
        if (e->Is(kHidden)) {
            e->x = prev ? prev->x : x;
            e->y = prev ? prev->y : rowTop;
            continue;
        }
        e->x = x;
        e->y = rowTop + rowHeight - e->height;
        x += e->width + e->gap;
        if (!IsBlank(*e) && !e->Is(kLineBreak))
            drawnRight = x;
        prev = e;
    }
    // Spaces hanging past the edge show nothing: they widen no view.
    contentWidth_ = std::max(contentWidth_, std::max(drawnRight, std::min(x, viewWidth)));
}

namespace {

bool IsDigit(const ChatElement& e)
{
    const uint32_t c = e.code & 0xFF;
    return e.Is(kOneByte) && !e.Is(kLineBreak) && c >= '0' && c <= '9';
}

// "×" as the chat holds it (two bytes, the lead byte low): the multiplier before a count.
constexpr std::string_view kTimes = "×";
static_assert(kTimes.size() == 2);
constexpr uint32_t kTimesCode = uint32_t(uint8_t(kTimes[0])) | uint32_t(uint8_t(kTimes[1])) << 8;

// A sign or "×" before a digit ("+300", "-800", "×2") opens a run of its own, even right behind
// letters.
bool IsSign(const ChatElement& e)
{
    const uint32_t c = e.code & 0xFF;
    const bool sign =
        e.Is(kOneByte) ? !e.Is(kLineBreak) && (c == '+' || c == '-') : e.Is(kTwoByte) && e.code == kTimesCode;
    if (!sign || e.Is(kUnbroken))
        return false;
    const ChatElement* next = e.next;
    while (next && next->Is(kHidden))
        next = next->next;
    return next && IsDigit(*next);
}

// Part of a run that wraps whole: Latin letters and digits, a sign before a digit, and characters
// marked unbroken (a name). Other characters, CJK among them, break anywhere.
bool InWord(const ChatElement& e)
{
    if (e.Is(kLineBreak))
        return false;
    if (e.Is(kUnbroken) || IsSign(e))
        return true;
    const uint32_t c = e.code & 0xFF;
    return e.Is(kOneByte) && (IsDigit(e) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
}

} // namespace

void ChatLayout::LayoutRun(ChatElement* e, int count)
{
    if (singleLine) {
        int x = cursorX_;
        const ChatElement* prev = nullptr;
        for (; count > 0 && e; --count, e = e->next) {
            e->rowTop = cursorRowTop_;
            if (e->Is(kHidden)) {
                e->x = prev ? prev->x : x;
                e->y = prev ? prev->y : cursorRowTop_;
                continue;
            }
            e->x = x;
            e->y = std::max(0, cursorRowTop_ - 1 + viewHeight - e->height);
            x += e->width + e->gap;
            prev = e;
        }
        cursorX_ = x;
        contentWidth_ = x;
        return;
    }
    int x = cursorX_, rowTop = cursorRowTop_, rowHeight = cursorRowHeight_, rowX = cursorRowX_;
    const int heightAtStart = rowHeight;
    const bool continued = rowFirst_ != nullptr;
    bool firstRow = true;
    ChatElement* rowFirst = rowFirst_ ? rowFirst_ : e;
    // A wrapped row starts at the line's indent, the row after a line break at the edge.
    auto closeRow = [&](ChatElement* end, bool lineEnds) {
        PlaceRow(rowFirst, end, rowTop, rowHeight, rowX);
        if (firstRow && continued && rowHeight > heightAtStart)
            regrownTop_ = std::min(regrownTop_, rowTop);
        firstRow = false;
        ++rows_;
        rowTop += rowHeight + RowGapFor(rowHeight);
        if (lineEnds) {
            lineIndent_ = 0;
            lineStart_ = true;
        }
        // An indent that leaves less than half the view is not kept.
        rowX = hangingIndent && lineIndent_ * 2 < viewWidth ? lineIndent_ : 0;
        x = rowX;
        rowHeight = 0;
        rowFirst = end;
    };
    // A run (InWord: "+200", "x16", a name) moves to the next row whole when it started behind
    // other elements of the row: its first element, its x and the row's height before it. A name
    // opens a run of its own, even right behind letters.
    ChatElement* word = nullptr;
    int wordX = 0, heightBeforeWord = 0;
    bool inName = false;
    for (; count > 0 && e; --count, e = e->next) {
        if (e->Is(kHidden))
            continue;
        const int advance = e->width + e->gap;
        const bool blank = IsBlank(*e);
        if (lineStart_ && blank)
            lineIndent_ += advance;
        else
            lineStart_ = false;
        const bool nameStarts = e->Is(kUnbroken) && !inName;
        inName = e->Is(kUnbroken);
        if (!InWord(*e)) {
            word = nullptr;
        } else if (!word || IsSign(*e) || nameStarts) {
            word = e;
            wordX = x;
            heightBeforeWord = rowHeight;
        }
        // A line break never wraps, and a space of read text hangs past the edge: a row that
        // ends where the view does is followed by no empty one. Editing keeps the caret inside.
        const bool hangs = e->Is(kLineBreak) || (blank && !editable);
        if (x > rowX && !hangs && x + advance > viewWidth) {
            if (word && word != e && wordX > rowX) {
                int carriedHeight = 0;
                for (const ChatElement* c = word; c != e; c = c->next)
                    if (!c->Is(kHidden))
                        carriedHeight = std::max<int>(carriedHeight, c->height);
                const int carried = x - wordX;
                rowHeight = heightBeforeWord;
                closeRow(word, false);
                x = rowX + carried;
                rowHeight = carriedHeight;
            } else {
                closeRow(e, false);
            }
            wordX = heightBeforeWord = 0;
        }
        x += advance;
        rowHeight = std::max<int>(rowHeight, e->height);
        // A line break ends its row; an element wider than the view stands alone on its row
        // (clipped), so nothing behind it runs past the edge.
        if (e->Is(kLineBreak) || (!hangs && x > viewWidth)) {
            closeRow(e->next, e->Is(kLineBreak));
            word = nullptr;
        }
    }
    if (rowFirst && rowFirst != e) {
        PlaceRow(rowFirst, e, rowTop, rowHeight, rowX);
        if (firstRow && continued && rowHeight > heightAtStart)
            regrownTop_ = std::min(regrownTop_, rowTop);
    }
    cursorX_ = x;
    cursorRowTop_ = rowTop;
    cursorRowHeight_ = rowHeight;
    cursorRowX_ = rowX;
    rowFirst_ = x > rowX ? rowFirst : nullptr;
}

void ChatLayout::Free(ChatElement* e)
{
    if (e == selFrom_ || e == selTo_)
        ClearSelection();
    if (e == caret_)
        caret_ = nullptr;
    if (e == rowFirst_)
        rowFirst_ = nullptr;
    if (freeHook_)
        freeHook_(*e);
    pool_.Give(e);
    --count_;
}

void ChatLayout::TrimRows()
{
    while (rows_ > 1 && rows_ > maxRows && first_) {
        const int rowTop = first_->rowTop;
        int rowBottom = first_->Bottom();
        bool caretGone = false;
        while (first_ && first_->rowTop == rowTop && first_ != rowFirst_) {
            ChatElement* e = first_;
            rowBottom = std::max(rowBottom, e->Bottom());
            caretGone |= e == caret_;
            first_ = e->next;
            Free(e);
        }
        if (!first_)
            last_ = nullptr;
        if (caretGone)
            caret_ = first_;
        contentHeight_ = std::max(0, contentHeight_ - (rowBottom - topOffset_));
        topOffset_ = rowBottom;
        scrollY_ = std::max(scrollY_, topOffset_);
        --rows_;
    }
    if (contentHeight_ > viewHeight && last_) {
        if (!editable)
            contentHeight_ += bottomSpace;
        else
            contentHeight_ += std::max(bottomSpace, RowHeightOf(last_) + RowGapFor(RowHeightOf(last_)));
    }
    if (contentHeight_ < viewHeight)
        scrollY_ = topOffset_;
}

void ChatLayout::Clear()
{
    ChatElement* e = first_;
    first_ = last_ = nullptr;
    while (e) {
        ChatElement* next = e->next;
        Free(e);
        e = next;
    }
    ++generation_;
    count_ = rows_ = 0;
    topOffset_ = scrollX_ = scrollY_ = 0;
    contentHeight_ = contentWidth_ = 0;
    caret_ = nullptr;
    ClearSelection();
    regrownTop_ = INT32_MAX;
    ResetCursor();
}

ChatElement* ChatLayout::ElementAt(int index) const
{
    if (index < 0 || index >= count_)
        return nullptr;
    ChatElement* e = first_;
    while (index-- > 0 && e)
        e = e->next;
    return e;
}

ChatElement* ChatLayout::Predecessor(const ChatElement* target) const
{
    ChatElement* prev = nullptr;
    for (ChatElement* e = first_; e && e != target; e = e->next)
        prev = e;
    return prev;
}

int ChatLayout::IndexOf(const ChatElement* target) const
{
    int i = 0;
    for (const ChatElement* e = first_; e && e != target; e = e->next)
        ++i;
    return i;
}

int ChatLayout::RemoveRange(ChatElement* from, ChatElement* to)
{
    if (!from || from == to)
        return 0;
    ChatElement* before = Predecessor(from);
    int freed = 0;
    for (ChatElement* e = from; e && e != to;) {
        ChatElement* next = e->next;
        Free(e);
        ++freed;
        e = next;
    }
    (before ? before->next : first_) = to;
    if (!to)
        last_ = before;
    caret_ = to;
    RelayoutElements();
    return freed;
}

bool ChatLayout::MoveBefore(ChatElement* e, ChatElement* before)
{
    if (!e || e == before || e->next == before || IndexOf(e) == count_ || (before && IndexOf(before) == count_))
        return false;
    ChatElement* prev = Predecessor(e);
    (prev ? prev->next : first_) = e->next;
    if (last_ == e)
        last_ = prev;
    ChatElement* after = before ? Predecessor(before) : last_;
    e->next = after ? after->next : first_;
    (after ? after->next : first_) = e;
    if (!e->next)
        last_ = e;
    RelayoutElements();
    return true;
}

void ChatLayout::Select(ChatElement* a, ChatElement* b)
{
    selFrom_ = a;
    selTo_ = b;
    hasSelection_ = true;
}

bool ChatLayout::DeleteSelection()
{
    if (!HasSelection())
        return false;
    ChatElement* a = selFrom_;
    ChatElement* b = selTo_;
    if (IndexOf(a) > IndexOf(b))
        std::swap(a, b);
    ClearSelection();
    RemoveRange(a, b);
    return true;
}

bool ChatLayout::Backspace()
{
    if (DeleteSelection())
        return true;
    ChatElement* target = caret_ ? Predecessor(caret_) : last_;
    if (!target)
        return false;
    const int width = target->width + target->gap;
    RemoveRange(target, target->next);
    if (singleLine)
        scrollX_ = std::max(0, scrollX_ - width);
    return true;
}

bool ChatLayout::DeleteForward()
{
    if (DeleteSelection())
        return true;
    if (!caret_)
        return false;
    RemoveRange(caret_, caret_->next);
    return true;
}

std::string ChatLayout::TextOf(const ChatElement* from, const ChatElement* to, const ObjectText& objectText) const
{
    std::string text;
    for (const ChatElement* e = from; e && e != to; e = e->next) {
        if (e->Is(kHidden))
            continue;
        if (e->Is(kObject))
            text += objectText ? objectText(e->code) : std::string();
        else
            text += e->Text();
    }
    return text;
}

std::string ChatLayout::SelectedText(const ObjectText& objectText) const
{
    if (!HasSelection())
        return {};
    const ChatElement* a = selFrom_;
    const ChatElement* b = selTo_;
    if (IndexOf(a) > IndexOf(b))
        std::swap(a, b);
    return TextOf(a, b, objectText);
}

void ChatLayout::ScrollTo(int position)
{
    if (singleLine) {
        scrollX_ = std::clamp(position, 0, std::max(0, contentWidth_ - viewWidth));
        return;
    }
    int y = std::max(position, topOffset_);
    if (contentHeight_ < viewHeight)
        y = topOffset_;
    else if (topOffset_ + contentHeight_ <= y + viewHeight)
        y = topOffset_ + contentHeight_ - viewHeight;
    scrollY_ = y;
}

void ChatLayout::ScrollToEnd()
{
    if (singleLine)
        scrollX_ = std::max(0, contentWidth_ - viewWidth);
    else if (contentHeight_ >= viewHeight)
        scrollY_ = topOffset_ + contentHeight_ - viewHeight;
}

void ChatLayout::ScrollToHome()
{
    scrollY_ = topOffset_;
}

int ChatLayout::RowHeightOf(const ChatElement* e) const
{
    return e ? e->Bottom() - e->rowTop : 0;
}

void ChatLayout::WheelUp(int line)
{
    if (singleLine) {
        scrollX_ = std::max(0, scrollX_ - viewWidth);
        return;
    }
    if (scrollY_ <= topOffset_)
        return;
    scrollY_ = std::max(topOffset_, scrollY_ - kWheelLines * std::max(1, line));
}

void ChatLayout::WheelDown(int line)
{
    if (singleLine) {
        scrollX_ = std::min(scrollX_ + viewWidth, std::max(0, contentWidth_ - viewWidth));
        return;
    }
    const int bottom = std::max(topOffset_, topOffset_ + contentHeight_ - viewHeight);
    scrollY_ = std::max(scrollY_, std::min(scrollY_ + kWheelLines * std::max(1, line), bottom));
}

void ChatLayout::ScrollAfterAppend()
{
    if (singleLine) {
        const int end = caret_ ? caret_->Right() : contentWidth_;
        if (end - scrollX_ >= viewWidth)
            scrollX_ = end - viewWidth + 2;
        return;
    }
    if (!caret_)
        ScrollToEnd();
    else if (caret_->rowTop < scrollY_ || caret_->rowTop + caret_->height >= scrollY_ + viewHeight)
        ScrollTo(caret_->rowTop);
}

ChatElement* ChatLayout::ElementAtPoint(int px, int py) const
{
    for (ChatElement* e = first_; e; e = e->next) {
        if (e->Is(kHidden))
            continue;
        const int below = rowGap < 0 ? int(-rowGap) : int(rowGap * (e->Bottom() - e->rowTop));
        if (e->x <= px && px < e->x + e->width + e->gap && e->rowTop <= py && py < e->Bottom() + below)
            return e;
    }
    return nullptr;
}

ChatElement* ChatLayout::CaretElementAt(int px, int py) const
{
    if (ChatElement* e = ElementAtPoint(px, py))
        return px - e->x < (e->width + e->gap + 1) / 2 ? e : e->next;
    if (!first_)
        return nullptr;
    if (singleLine)
        return px < 0 ? first_ : nullptr;
    ChatElement* rowLast = nullptr;
    for (ChatElement* e = first_; e; e = e->next) {
        if (e->Is(kHidden))
            continue;
        const int below = RowGapFor(RowHeightOf(e));
        if (e->rowTop <= py && py < e->Bottom() + below) {
            if (rowLast && rowLast->rowTop != e->rowTop)
                break;
            rowLast = e;
        } else if (rowLast) {
            break;
        }
    }
    if (rowLast)
        return rowLast->Is(kLineBreak) ? rowLast : rowLast->next;
    return py < first_->rowTop ? first_ : nullptr;
}

} // namespace Lumora
