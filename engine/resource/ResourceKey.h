// Keys by which resources are found: three hashes of a normalised name, and the table that
// maps a file extension to its kind text.
#pragma once
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace Lumora {

struct ResourceKey {
    uint32_t h1 = 0, h2 = 0, h3 = 0;
    auto operator<=>(const ResourceKey&) const = default;
    bool IsZero() const { return (h1 | h2 | h3) == 0; }
    // Hash 1 in the low half, hash 2 in the high half, as key-taking calls pass it.
    uint64_t Low64() const { return uint64_t(h1) | (uint64_t(h2) << 32); }
};

uint32_t HashStringRS(std::string_view text);
uint32_t HashStringJS(std::string_view text);
uint32_t HashString31(std::string_view text);
ResourceKey MakeResourceKey(std::string_view name);

// Lower-cased extension with its dot ("" when the name has none), from the last '.' of the
// file name (folders stripped, '\\' and '/' both separate).
std::string FileExtensionLower(std::string_view path);
// "skins\\btn_Ok.PNG" -> "btn_Ok.imge": base name (case kept) followed by the extension's kind.
std::string NormaliseResourceName(std::string_view path);
// Kind text of a lower-cased extension (".png" -> ".imge"); the extension itself when unknown.
std::string_view ExtensionKind(std::string_view extLower);

// One row of the extension table: RS hash of an extension, RS hash of its kind text.
struct ExtensionKindPair {
    uint32_t extensionHash;
    uint32_t kindHash;
};
// The 32 rows, searched from the first; built once on first use.
const ExtensionKindPair* ExtensionKindTable();
constexpr int kExtensionKindCount = 32;
// Category of a resource: the kind hash of its extension hash, else the extension hash itself.
uint32_t CategoryOfType(uint32_t typeHash);

} // namespace Lumora
