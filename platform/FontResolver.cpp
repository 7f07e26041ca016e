#include "platform/FontResolver.h"

#include "platform/Paths.h"

#include <cstdlib>
#include <mutex>
#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

namespace platform {
namespace {

// Enough faces to cover Latin, CJK and a few symbols; the rest of a full sort is never reached.
constexpr size_t kMaxChain = 12;

bool FileExists(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// One fontconfig configuration per alias file for the whole process: parsing the system's
// configuration is the slow part, and fontconfig's parser keeps blocks that only a live
// configuration refers to.
FcConfig* SharedConfig(const std::string& aliasFile, bool& aliasesLoaded)
{
    static std::mutex mutex;
    static auto& configs = *new std::map<std::string, std::pair<FcConfig*, bool>>; // lives to the end
    std::lock_guard lock(mutex);
    auto found = configs.find(aliasFile);
    if (found == configs.end()) {
        FcConfig* fc = FcConfigCreate();
        // The system's configuration first (fonts, caches, defaults), then our aliases on top.
        if (FcChar8* systemFile = FcConfigFilename(nullptr)) {
            FcConfigParseAndLoad(fc, systemFile, FcFalse);
            FcStrFree(systemFile);
        }
        bool loaded = FileExists(aliasFile) &&
                      FcConfigParseAndLoad(fc, reinterpret_cast<const FcChar8*>(aliasFile.c_str()), FcTrue) == FcTrue;
        FcConfigBuildFonts(fc);
        found = configs.emplace(aliasFile, std::make_pair(fc, loaded)).first;
    }
    aliasesLoaded = found->second.second;
    return found->second.first;
}

} // namespace

struct FontResolver::Config {
    FcConfig* fc = nullptr; // shared, never destroyed
    std::vector<FcCharSet*> charsets;
    ~Config()
    {
        for (FcCharSet* cs : charsets)
            FcCharSetDestroy(cs);
    }
};

FontResolver::FontResolver(const std::string& aliasFile) : config_(std::make_unique<Config>())
{
    config_->fc = SharedConfig(aliasFile, aliasesLoaded_);
}

FontResolver::~FontResolver() = default;

const FontChain& FontResolver::Resolve(const std::string& family, int weight, bool italic)
{
    std::string key = Lower(family) + '\x1f' + std::to_string(weight >= 600 ? 700 : 400) + (italic ? "i" : "r");
    auto found = chains_.find(key);
    if (found != chains_.end())
        return found->second;

    FontChain& chain = chains_[key];
    FcPattern* pattern = FcPatternCreate();
    if (!family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    // Unknown names end up on the Song chain rather than on a Latin-only default.
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(u8"宋体"));
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcPatternAddInteger(pattern, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(config_->fc, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    FcResult result = FcResultNoMatch;
    FcFontSet* set = FcFontSort(config_->fc, pattern, FcTrue, nullptr, &result);
    if (set) {
        for (int i = 0; i < set->nfont && chain.faces.size() < kMaxChain; ++i) {
            FcPattern* font = set->fonts[i];
            FcChar8* file = nullptr;
            if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
                continue;
            FontFace face;
            face.file = reinterpret_cast<const char*>(file);
            FcChar8* fam = nullptr;
            if (FcPatternGetString(font, FC_FAMILY, 0, &fam) == FcResultMatch)
                face.family = reinterpret_cast<const char*>(fam);
            FcPatternGetInteger(font, FC_INDEX, 0, &face.index);
            FcPatternGetInteger(font, FC_WEIGHT, 0, &face.weight);
            int slant = FC_SLANT_ROMAN;
            FcPatternGetInteger(font, FC_SLANT, 0, &slant);
            face.italic = slant != FC_SLANT_ROMAN;
            FcCharSet* cs = nullptr;
            if (FcPatternGetCharSet(font, FC_CHARSET, 0, &cs) == FcResultMatch && cs) {
                FcCharSet* copy = FcCharSetCopy(cs);
                config_->charsets.push_back(copy);
                face.charset = copy;
            }
            chain.faces.push_back(std::move(face));
        }
        FcFontSetDestroy(set);
    }
    FcPatternDestroy(pattern);
    return chain;
}

int FontResolver::FaceFor(const FontChain& chain, char32_t codePoint) const
{
    for (size_t i = 0; i < chain.faces.size(); ++i) {
        auto* cs = static_cast<const FcCharSet*>(chain.faces[i].charset);
        if (cs && FcCharSetHasChar(cs, codePoint))
            return static_cast<int>(i);
    }
    return -1;
}

std::string DefaultFontAliasFile() { return ShippedFile("assets/fonts/cjk-aliases.conf"); }

} // namespace platform

#if defined(__SANITIZE_ADDRESS__)
// fontconfig 2.14's configuration parser loses a few small blocks per file it reads; they are
// not ours to free. Programs that use the resolver tell the leak checker so.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           // libdbus keeps a block when the display library's input-method probe finds no bus.
           "leak:libdbus-1.so\n";
}
#endif
