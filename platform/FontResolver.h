#pragma once
// Finds the font files for the program's face names through a fontconfig configuration of our
// own: the system's configuration plus the project's alias file, which maps the Chinese face
// names the program uses to the CJK fonts installed on the machine.
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct FontFace {
    std::string family; // first family name of the file, UTF-8
    std::string file;
    int index = 0;        // face index within a collection (.ttc)
    int weight = 0;       // fontconfig weight (80 regular, 200 bold)
    bool italic = false;  // the face itself is slanted
    const void* charset = nullptr; // owned by the resolver
};

// The faces to try for one request, best first; a character is drawn from the first face
// that has it.
struct FontChain {
    std::vector<FontFace> faces;
};

class FontResolver {
public:
    // aliasFile: the project's alias file; empty or missing leaves the system configuration
    // alone (the Chinese names then fall to the system's defaults).
    explicit FontResolver(const std::string& aliasFile);
    ~FontResolver();
    FontResolver(const FontResolver&) = delete;
    FontResolver& operator=(const FontResolver&) = delete;

    bool AliasesLoaded() const { return aliasesLoaded_; }

    // family: UTF-8. Faces unknown to the machine fall back to the Song chain (宋体).
    const FontChain& Resolve(const std::string& family, int weight, bool italic);

    // The index in the chain of the first face holding the code point, or -1.
    int FaceFor(const FontChain& chain, char32_t codePoint) const;

private:
    struct Config;
    std::unique_ptr<Config> config_;
    bool aliasesLoaded_ = false;
    std::map<std::string, FontChain> chains_;
};

// The default location of the alias file: assets/fonts/cjk-aliases.conf where ShippedFile finds it.
std::string DefaultFontAliasFile();

} // namespace platform
