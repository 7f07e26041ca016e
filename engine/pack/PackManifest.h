// Builds a resource pack from a folder of artwork and a manifest: pictures with several frames,
// delays, an anchor or a key colour become pps pictures, other files are packed as they are;
// the result is read back and checked before it is returned.
//
// The manifest is a UTF-8 ini file, one section per resource, named after the resource:
//   [btn_Ok]
//   source = ok.png            ; or "a.png, b.png, c.png" for one frame per file
//   frames = 4                 ; a vertically stacked sheet of 4 frames
//   delays_ms = 100            ; one value for every frame, or one per frame (each >= 1)
//   anchor = 3, -2             ; optional
//   key_colour = FF00FF        ; optional RRGGBB: pixels of that colour become transparent
//   method = 6                 ; pps coding method
//   output = pps | copy        ; default: pps when any of the above asks for it, else copy
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/resource/PackWriter.h"

namespace Lumora {

struct ManifestEntry {
    std::string name;                 // UTF-8, as written in the manifest
    std::vector<std::string> sources; // relative to the manifest's folder
    uint32_t frames = 1;
    std::vector<uint32_t> delays;
    bool hasAnchor = false;
    int anchorFirst = 0, anchorSecond = 0;
    bool hasKey = false;
    uint32_t keyRgb = 0;              // 0xRRGGBB
    uint8_t method = 6;
    std::string output;               // "pps", "copy" or "" (decided from the rest)
};

// Parses the manifest text; false with `error` naming the line at fault.
bool ParseManifest(const std::string& text, std::vector<ManifestEntry>& entries, std::string& error);
// The sources of a whole manifest, ready for BuildPack: names in GBK, pictures coded.
bool PrepareSources(const std::string& folder, const std::vector<ManifestEntry>& entries,
                    std::vector<PackSource>& sources, std::string& error);
// Manifest file to pack bytes, with every self-check applied.
bool BuildPackFromManifest(const std::string& manifestPath, std::vector<uint8_t>& pack, std::string& error);

} // namespace Lumora
