#include "engine/resource/XyFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/geometry/LittleEndian.h"
#include "platform/Paths.h"

namespace Lumora {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

uint64_t FileLength(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0) return 0;
    const long n = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    return n < 0 ? 0 : uint64_t(n);
}

} // namespace

CXyFile::CXyFile(const std::string& path) {
    FilePtr f(std::fopen(platform::NativePath(path).c_str(), "rb"));
    if (!f) return;
    const uint64_t total = FileLength(f.get());
    uint8_t header[kPackHeaderSize];
    if (total < kPackHeaderSize || std::fread(header, 1, sizeof header, f.get()) != sizeof header) return;
    LeReader r(header, sizeof header);
    r.Skip(kPackDirectoryCountAt);
    const uint64_t dirBytes = uint64_t(r.U32()) * kPackEntrySize;
    if (kPackHeaderSize + dirBytes > total) return;  // also bounds the allocation below
    std::vector<uint8_t> head(kPackHeaderSize + dirBytes);
    std::memcpy(head.data(), header, kPackHeaderSize);
    if (dirBytes && std::fread(head.data() + kPackHeaderSize, 1, dirBytes, f.get()) != dirBytes) return;
    if (!Parse(head.data(), head.size(), total)) return;
    path_ = path;
}

bool CXyFile::Parse(const uint8_t* bytes, size_t available, uint64_t totalSize) {
    LeReader r(bytes, available);
    r.Skip(kPackEntryCountAt);
    const uint32_t entries = r.U32(), dirs = r.U32();
    r.Skip(kPackHeaderSize - kPackDirectoryCountAt - 4);
    if (!r.Ok() || entries > dirs) return false;
    if (kPackHeaderSize + uint64_t(dirs) * kPackEntrySize > std::min<uint64_t>(available, totalSize)) return false;
    std::vector<PackEntry> dir(dirs);
    for (uint32_t i = 0; i < dirs; ++i) {
        PackEntry& e = dir[i];
        e.key.h1 = r.U32();
        e.key.h2 = r.U32();
        e.key.h3 = r.U32();
        e.offset = r.U32();
        e.size = r.U32();
        e.typeHash = r.U32();
        r.Skip(8);
        if (i < entries && uint64_t(e.offset) + e.size > totalSize) return false;
    }
    if (!r.Ok()) return false;
    directory_ = std::move(dir);
    entryCount_ = entries;
    directoryCount_ = dirs;
    current_ = 0;
    open_ = true;
    return true;
}

bool CXyFile::NextEntry(uint32_t type) {
    if (entryCount_ == 0 || current_ + 1 >= entryCount_) return false;
    ++current_;
    if (type == 0) return true;
    for (; current_ < entryCount_; ++current_)
        if (directory_[current_].typeHash == type) return true;
    current_ = entryCount_ - 1;
    return false;
}

bool CXyFile::ReadEntry(uint32_t index, uint8_t* buffer, size_t bufferSize) const {
    if (!open_ || index >= entryCount_) return false;
    const PackEntry& e = directory_[index];
    if (bufferSize < e.size) return false;
    FilePtr f(std::fopen(platform::NativePath(path_).c_str(), "rb"));
    if (!f || std::fseek(f.get(), long(e.offset), SEEK_SET) != 0) return false;
    return std::fread(buffer, 1, e.size, f.get()) == e.size;
}

std::vector<uint8_t> CXyFile::ReadEntryAlloc(uint32_t index) const {
    if (!open_ || index >= entryCount_) return {};
    std::vector<uint8_t> out(directory_[index].size);
    if (!ReadEntry(index, out.data(), out.size())) return {};
    return out;
}

CXyMemFile::CXyMemFile(const uint8_t* data, size_t size) : data_(data), size_(size) {
    if (!data || !Parse(data, size, size)) return;
}

bool CXyMemFile::ReadEntry(uint32_t index, uint8_t* buffer, size_t bufferSize) const {
    if (!open_ || index >= entryCount_) return false;
    const PackEntry& e = directory_[index];
    if (bufferSize < e.size) return false;
    if (e.size) std::memcpy(buffer, data_ + e.offset, e.size);
    return true;
}

std::vector<uint8_t> CXyMemFile::ReadEntryAlloc(uint32_t index) const {
    if (!open_ || index >= entryCount_) return {};
    const PackEntry& e = directory_[index];
    return {data_ + e.offset, data_ + e.offset + e.size};
}

} // namespace Lumora
