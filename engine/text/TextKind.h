#pragma once
// How a text call of the engine reads its text. The skins' and the program's own texts are
// markup; a text from outside (a player's name, second name or level, a game, room or area name)
// is data and is drawn Plain, so that no tag, line break or stray byte in it steers the drawing.
#include <string>
#include <string_view>

namespace Lumora {

// Markup: tags in angle brackets are read and a '\n' starts a new line.
// Plain: the characters are drawn as written, in the call's style: no tag is read, and what is no
// character (a control byte, 0x80, 0xFF, a GBK lead byte with no trail byte after it) is dropped
// rather than drawn or joined with the byte after it. Measuring and fitting go the same way.
enum class TextKind { Markup, Plain };

// What a Plain call draws of a text: its printable ASCII and whole two-byte characters, in order.
std::string PlainCharacters(std::string_view text);

} // namespace Lumora
