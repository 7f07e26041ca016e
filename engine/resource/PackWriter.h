// Writes resource packs (.xyr) from named byte blocks and checks what it wrote: the library
// half of the pack builder, also used by tests to make packs.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace Lumora {

struct PackSource {
    std::string name;            // file name with extension, GBK ("btn_Ok.pps"); folders ignored
    std::vector<uint8_t> bytes;  // never empty: a size of 0 would not survive a reader
};

// The pack bytes, or empty with `error` set (empty file, duplicate key, pack past 4 GiB).
std::vector<uint8_t> BuildPack(const std::vector<PackSource>& sources, std::string& error);
// Re-reads a pack: counts, bounds, and every blob equal to its source under its key.
bool VerifyPack(const std::vector<uint8_t>& pack, const std::vector<PackSource>& sources, std::string& error);

} // namespace Lumora
