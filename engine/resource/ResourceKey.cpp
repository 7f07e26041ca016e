#include "engine/resource/ResourceKey.h"

#include "platform/GbkWalk.h"

#include <array>

namespace Lumora {

uint32_t HashStringRS(std::string_view text) {
    uint32_t h = 0, a = 63689;
    for (char ch : text) {
        h = h * a + static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(ch)));
        a *= 378551;
    }
    return h & 0x7FFFFFFF;
}

uint32_t HashStringJS(std::string_view text) {
    uint32_t h = 1315423911;
    for (char ch : text) h ^= (h << 5) + (h >> 2) + static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(ch)));
    return h & 0x7FFFFFFF;
}

uint32_t HashString31(std::string_view text) {
    uint32_t h = 0;
    for (char ch : text) h = h * 31 + static_cast<uint8_t>(ch);
    return h;
}

ResourceKey MakeResourceKey(std::string_view name) {
    // The three hashes above in one pass: every picture a layout asks for is looked up by its key.
    uint32_t rs = 0, a = 63689, js = 1315423911, h31 = 0;
    for (char ch : name) {
        const auto wide = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(ch)));
        rs = rs * a + wide;
        a *= 378551;
        js ^= (js << 5) + (js >> 2) + wide;
        h31 = h31 * 31 + static_cast<uint8_t>(ch);
    }
    return {rs & 0x7FFFFFFF, js & 0x7FFFFFFF, h31};
}

namespace {

struct KindRow {
    const char* kind;
    std::array<const char*, 13> extensions;
};

// Name normalisation knows a few more extensions than the category table below.
constexpr KindRow kNameKinds[] = {
    {".imge", {".pps", ".bmp", ".png", ".gif", ".jpg", ".jpeg", ".ico", ".tga", ".tif", ".mng", ".pcx", ".wbmp", ".wmf"}},
    {".sound", {".mp3", ".wav", ".mid", ".ogg", ".sound"}},
    {".text", {".txt", ".doc"}},
    {".ini", {".ini", ".xyi"}},
    {".vedio", {".avi", ".rm", ".rmvb", ".mpeg"}},
    {".script", {".xys", ".lua"}},
    {".flash", {".swf", ".flv"}},
    {".http", {".htm", ".html", ".asp", ".aspx", ".jsp", ".php", ".cgi"}},
};

constexpr std::pair<const char*, const char*> kCategoryRows[kExtensionKindCount] = {
    {".pps", ".imge"}, {".png", ".imge"}, {".jpg", ".imge"}, {".jpeg", ".imge"}, {".gif", ".imge"},
    {".bmp", ".imge"}, {".mng", ".imge"}, {".ico", ".imge"}, {".tga", ".imge"}, {".tif", ".imge"},
    {".pcx", ".imge"}, {".wbmp", ".imge"}, {".wmf", ".imge"}, {".mp3", ".sound"}, {".wav", ".sound"},
    {".ogg", ".sound"}, {".mid", ".sound"}, {".lua", ".script"}, {".xys", ".script"}, {".swf", ".flash"},
    {".flv", ".flash"}, {".avi", ".vedio"}, {".rm", ".vedio"}, {".rmvb", ".vedio"}, {".mpeg", ".vedio"},
    {".htm", ".http"}, {".asp", ".http"}, {".html", ".http"}, {".aspx", ".http"}, {".jsp", ".http"},
    {".php", ".http"}, {".cgi", ".http"},
};

std::string_view BaseName(std::string_view path) {
    const size_t slash = platform::GbkFindLastOf(path, "\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string FileExtensionLower(std::string_view path) {
    const std::string_view base = BaseName(path);
    const size_t dot = platform::GbkFindLastOf(base, ".");
    if (dot == std::string_view::npos) return {};
    return platform::GbkLowerAsciiCopy(base.substr(dot));
}

std::string_view ExtensionKind(std::string_view extLower) {
    for (const KindRow& row : kNameKinds)
        for (const char* e : row.extensions)
            if (e && extLower == e) return row.kind;
    return extLower;
}

std::string NormaliseResourceName(std::string_view path) {
    const std::string_view base = BaseName(path);
    const size_t dot = platform::GbkFindLastOf(base, ".");
    std::string name(base.substr(0, dot));
    name += ExtensionKind(FileExtensionLower(base));
    return name;
}

const ExtensionKindPair* ExtensionKindTable() {
    static const std::array<ExtensionKindPair, kExtensionKindCount> table = [] {
        std::array<ExtensionKindPair, kExtensionKindCount> t{};
        for (int i = 0; i < kExtensionKindCount; ++i)
            t[i] = {HashStringRS(kCategoryRows[i].first), HashStringRS(kCategoryRows[i].second)};
        return t;
    }();
    return table.data();
}

uint32_t CategoryOfType(uint32_t typeHash) {
    const ExtensionKindPair* table = ExtensionKindTable();
    for (int i = 0; i < kExtensionKindCount; ++i)
        if (table[i].extensionHash == typeHash) return table[i].kindHash;
    return typeHash;
}

} // namespace Lumora
