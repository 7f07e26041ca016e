#include "engine/resource/PackWriter.h"

#include <cstring>
#include <limits>
#include <map>

#include "engine/geometry/LittleEndian.h"
#include "engine/resource/XyFile.h"

namespace Lumora {

std::vector<uint8_t> BuildPack(const std::vector<PackSource>& sources, std::string& error) {
    std::map<ResourceKey, std::string> seen;
    uint64_t offset = kPackHeaderSize + uint64_t(sources.size()) * kPackEntrySize;
    LeWriter w;
    w.Zeros(kPackEntryCountAt);
    w.U32(uint32_t(sources.size()));
    w.U32(uint32_t(sources.size()));
    w.Zeros(kPackHeaderSize - kPackDirectoryCountAt - 4);
    for (const PackSource& s : sources) {
        const std::string normalised = NormaliseResourceName(s.name);
        const ResourceKey key = MakeResourceKey(normalised);
        if (s.bytes.empty()) {
            error = "empty file: " + s.name;
            return {};
        }
        if (auto [it, fresh] = seen.emplace(key, s.name); !fresh) {
            error = "same resource name " + normalised + ": " + it->second + " and " + s.name;
            return {};
        }
        if (offset + s.bytes.size() > std::numeric_limits<uint32_t>::max()) {
            error = "pack would pass 4 GiB at " + s.name;
            return {};
        }
        w.U32(key.h1);
        w.U32(key.h2);
        w.U32(key.h3);
        w.U32(uint32_t(offset));
        w.U32(uint32_t(s.bytes.size()));
        w.U32(HashStringRS(FileExtensionLower(s.name)));
        w.Zeros(8);
        offset += s.bytes.size();
    }
    for (const PackSource& s : sources) w.Bytes(s.bytes.data(), s.bytes.size());
    return w.Take();
}

bool VerifyPack(const std::vector<uint8_t>& pack, const std::vector<PackSource>& sources, std::string& error) {
    CXyMemFile file(pack.data(), pack.size());
    if (!file.IsOpen()) {
        error = "pack does not open";
        return false;
    }
    if (file.GetEntryCount() != sources.size() || file.GetDirectoryCount() != sources.size()) {
        error = "entry counts differ";
        return false;
    }
    std::map<ResourceKey, uint32_t> index;
    for (uint32_t i = 0; i < file.GetEntryCount(); ++i) index[file.Directory()[i].key] = i;
    for (const PackSource& s : sources) {
        const ResourceKey key = MakeResourceKey(NormaliseResourceName(s.name));
        auto it = index.find(key);
        if (it == index.end()) {
            error = "missing: " + s.name;
            return false;
        }
        const PackEntry& e = file.Directory()[it->second];
        if (e.typeHash != HashStringRS(FileExtensionLower(s.name)) || file.ReadEntryAlloc(it->second) != s.bytes) {
            error = "differs: " + s.name;
            return false;
        }
    }
    return true;
}

} // namespace Lumora
