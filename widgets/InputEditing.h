#pragma once
// The editing rules of input boxes over their laid-out content: lengths counted in GBK bytes,
// the text handed to the owner, what an append may still add, digits-only filtering, the
// caret's place and its moves with the scrolling that follows them.
#include "widgets/ChatLayout.h"

#include <optional>
#include <string>
#include <string_view>

namespace Lumora {

inline constexpr int kObjectLength = 6;  // an embedded object counts as "[控件]"

// 2 per two-byte character, 1 per one-byte character, 6 per embedded object.
int EditLength(const ChatLayout& layout);
// The characters' bytes in order, "[控件]" for each embedded object.
std::string EditText(const ChatLayout& layout);

// The longest head of `text` that fits in `room` bytes without splitting a two-byte pair (a
// lead byte at the very end, with no trail, is dropped too). A full box (room <= 0) takes nothing.
std::string_view CutToRoom(std::string_view text, int room);
// What an append to a box that holds `length` bytes may add under `maxLength` (<= 0: no
// limit): the text cut to the room left, before any markup is read, so an insertion in the
// middle never pushes existing text out. Nothing when the box is already full.
std::optional<std::string_view> AppendAllowance(std::string_view text, int length, int maxLength);
// Only the decimal digits of a text.
std::string DigitsOnly(std::string_view text);

// Where the caret stands before `caret` (null: at the end): content x, row top and height.
struct CaretPlace {
    int x = 0;
    int rowTop = 0;
    int height = 0;
};
CaretPlace PlaceOfCaret(const ChatLayout& layout, const ChatElement* caret, int emptyHeight);

enum class CaretMove { Left, Right, Up, Down };
// Moves the caret (a selection collapses to its start instead) and scrolls when the caret
// leaves the view. False when nothing moved.
bool MoveCaret(ChatLayout& layout, CaretMove move, int emptyHeight);

} // namespace Lumora
