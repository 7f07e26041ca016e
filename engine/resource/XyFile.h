// Readers of resource packs (.xyr): the 176-byte header, the 32-byte directory entries and the
// resource bytes they point at, from a file (CXyFile) or a pack image in memory (CXyMemFile).
// Every count, offset and size is checked against the bytes present when the pack is opened.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/resource/ResourceKey.h"

namespace Lumora {

constexpr size_t kPackHeaderSize = 176;
constexpr size_t kPackEntrySize = 32;
constexpr size_t kPackEntryCountAt = 100;
constexpr size_t kPackDirectoryCountAt = 104;

struct PackEntry {
    ResourceKey key;
    uint32_t offset = 0;
    uint32_t size = 0;
    uint32_t typeHash = 0;
};

class CXyFile {
public:
    CXyFile() = default;
    explicit CXyFile(const std::string& path);
    virtual ~CXyFile() = default;

    virtual bool ReadEntry(uint32_t index, uint8_t* buffer, size_t bufferSize) const;
    // The entry's bytes; empty when the pack is not open or the index is out of range.
    virtual std::vector<uint8_t> ReadEntryAlloc(uint32_t index) const;
    virtual bool IsOpen() const { return open_; }

    void Rewind() { current_ = 0; }
    PackEntry GetEntry() const { return current_ < directory_.size() ? directory_[current_] : PackEntry{}; }
    uint32_t GetIndex() const { return current_; }
    // Advances to the next entry (of that type hash unless 0); false past the last entry.
    bool NextEntry(uint32_t type = 0);
    uint32_t GetEntryCount() const { return entryCount_; }
    uint32_t GetDirectoryCount() const { return directoryCount_; }
    const std::string& GetPath() const { return path_; }
    const std::vector<PackEntry>& Directory() const { return directory_; }

protected:
    // Parses header and directory from the first bytes of a pack of totalSize bytes.
    bool Parse(const uint8_t* bytes, size_t available, uint64_t totalSize);

    std::string path_;
    bool open_ = false;
    uint32_t entryCount_ = 0;
    uint32_t directoryCount_ = 0;
    std::vector<PackEntry> directory_;
    uint32_t current_ = 0;
};

class CXyMemFile : public CXyFile {
public:
    CXyMemFile(const uint8_t* data, size_t size);
    ~CXyMemFile() override = default;
    bool ReadEntry(uint32_t index, uint8_t* buffer, size_t bufferSize) const override;
    std::vector<uint8_t> ReadEntryAlloc(uint32_t index) const override;

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

} // namespace Lumora
