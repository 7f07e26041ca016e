// Engine module 1001: one table of every resource (pack entries, single files, memory blocks)
// keyed by the three hashes of its normalised name; bytes are read on first use and cached.
#pragma once
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/BaseModule.h"
#include "engine/resource/ResourceKey.h"

namespace Lumora {

enum ResourceMessage : uint32_t {
    RESOURCE_MSG_ADD_FILE = 1038,     // wparam: const char* path
    RESOURCE_MSG_ADD_FOLDER = 1039,   // wparam: const char* folder
    RESOURCE_MSG_ADD_PACK = 1040,     // wparam: const char* path
    RESOURCE_MSG_ADD_MEM_PACK = 1041, // wparam: const MemPackImage*
};

constexpr uint32_t kSourcePackEntry = 33;
constexpr uint32_t kSourceSingle = 17;

// A pack image in memory, with its size so that it can be checked.
struct MemPackImage {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

using SharedFile = std::shared_ptr<std::FILE>;

struct ResourceRecord {
    ResourceKey key;
    uint32_t typeHash = 0;
    uint32_t category = 0;
    SharedFile file;           // null for memory blocks and pack images
    uint32_t sourceKind = kSourceSingle;
    uint32_t offset = 0;
    uint32_t size = 0;         // 0 for a single file: its whole length
    std::vector<uint8_t> data; // the bytes and a trailing 0 once read
    bool loaded = false;

    const uint8_t* Data() const { return loaded ? data.data() : nullptr; }
    uint32_t DataSize() const { return loaded ? uint32_t(data.size() - 1) : 0; }
};

class ResourceModule : public BaseModule {
public:
    ResourceModule() = default;
    ~ResourceModule() override;

    int Init() override { return 1; }
    void Shutdown() override;
    void Work() override {}
    std::optional<uint32_t> NextWorkDue() const override
    {
        return Ring().Empty() ? std::nullopt : BaseModule::NextWorkDue();
    }
    uint32_t GetId() const override { return LUMORA_MODULE_RESOURCE; }
    const char* GetName() const override { return "ResourceModule"; }
    int ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t lparam) override;

    // The key, all zero when the file does not open. `name` replaces the file's base name.
    ResourceKey AddFile(const std::string& path, const char* name = nullptr);
    // The block is copied: the caller keeps its own.
    ResourceKey AddMemory(const std::string& name, const void* data, size_t size);
    int AddFolder(const std::string& folder);
    // Entries registered; 0 on failure, which is logged and sent to the error sink.
    int AddPack(const std::string& path);
    int AddMemPack(const uint8_t* image, size_t size);

    bool Exists(const ResourceKey& key) const { return table_.count(key) != 0; }
    const uint8_t* GetData(const ResourceKey& key);
    ResourceRecord* Load(const ResourceKey& key);
    ResourceRecord* Find(const ResourceKey& key);
    // Drops the cached bytes of a record that can read them again (one with a file).
    void ReleaseData(const ResourceKey& key);
    void RemoveByName(const std::string& name);
    void Remove(const ResourceKey& key);

    size_t Count() const { return table_.size(); }
    size_t OpenFileCount() const { return files_.size(); }

private:
    void ReportPackFailure(const std::string& text);
    int RegisterPack(const class CXyFile& pack, const SharedFile& file, const class CXyMemFile* image);

    std::map<ResourceKey, ResourceRecord> table_;
    std::vector<SharedFile> files_;
};

} // namespace Lumora
