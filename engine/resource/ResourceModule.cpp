#include "engine/resource/ResourceModule.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

#include "engine/GameCore.h"
#include "engine/resource/XyFile.h"
#include "engine/util/EngineLog.h"
#include "platform/GbkWalk.h"
#include "platform/Paths.h"

namespace Lumora {
namespace {

SharedFile OpenShared(const std::string& path) {
    std::FILE* f = std::fopen(platform::NativePath(path).c_str(), "rb");
    if (!f) return nullptr;
    return SharedFile(f, [](std::FILE* p) { std::fclose(p); });
}

std::string BaseTitle(const std::string& path) {
    const std::string native = platform::NativePath(path);
    const size_t slash = platform::GbkFindLastOf(native, "/");
    std::string base = slash == std::string::npos ? native : native.substr(slash + 1);
    const size_t dot = platform::GbkFindLastOf(base, ".");
    return dot == std::string::npos ? base : base.substr(0, dot);
}

} // namespace

ResourceModule::~ResourceModule() { Shutdown(); }

void ResourceModule::Shutdown() {
    table_.clear();
    files_.clear();
}

int ResourceModule::ProcessMessage(uint32_t message, uintptr_t wparam, uintptr_t) {
    const char* text = reinterpret_cast<const char*>(wparam);
    switch (message) {
    case RESOURCE_MSG_ADD_FILE:
        if (text) AddFile(text);
        return 0;
    case RESOURCE_MSG_ADD_FOLDER:
        return text ? AddFolder(text) : 0;
    case RESOURCE_MSG_ADD_PACK:
        return text ? AddPack(text) : 0;
    case RESOURCE_MSG_ADD_MEM_PACK: {
        const auto* image = reinterpret_cast<const MemPackImage*>(wparam);
        return image ? AddMemPack(image->data, image->size) : 0;
    }
    default:
        return LUMORA_MSG_OK;
    }
}

ResourceKey ResourceModule::AddFile(const std::string& path, const char* name) {
    SharedFile file = OpenShared(path);
    if (!file) return {};
    files_.push_back(file);
    const std::string ext = FileExtensionLower(platform::NativePath(path));
    const std::string title = name ? std::string(name) : BaseTitle(path);
    ResourceRecord rec;
    rec.key = MakeResourceKey(title + std::string(ExtensionKind(ext)));
    rec.typeHash = HashStringRS(ext);
    rec.category = CategoryOfType(rec.typeHash);
    rec.file = file;
    rec.sourceKind = kSourceSingle;
    Remove(rec.key);
    const ResourceKey key = rec.key;
    table_.emplace(key, std::move(rec));
    return key;
}

ResourceKey ResourceModule::AddMemory(const std::string& name, const void* data, size_t size) {
    ResourceRecord rec;
    rec.key = MakeResourceKey(NormaliseResourceName(name));
    const std::string ext = FileExtensionLower(name);
    rec.typeHash = HashStringRS(ext);
    rec.category = CategoryOfType(rec.typeHash);
    rec.sourceKind = kSourceSingle;
    rec.size = uint32_t(size);
    rec.data.resize(size + 1);
    if (size) std::memcpy(rec.data.data(), data, size);
    rec.loaded = true;
    Remove(rec.key);
    const ResourceKey key = rec.key;
    table_.emplace(key, std::move(rec));
    return key;
}

int ResourceModule::AddFolder(const std::string& folder) {
    std::string dir = platform::NativePath(folder);
    if (dir.empty() || dir.back() != '/') dir += '/';
    DIR* d = opendir(dir.c_str());
    if (!d) return 0;
    std::vector<std::string> names;
    while (dirent* e = readdir(d)) {
        const std::string path = dir + e->d_name;
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(path);
    }
    closedir(d);
    int count = 0;
    for (const std::string& path : names)
        if (!AddFile(path).IsZero()) ++count;
    return count;
}

void ResourceModule::ReportPackFailure(const std::string& text) {
    WriteDailyLog("%s", text.c_str());
    SendMessage(LUMORA_MODULE_ERROR_SINK, LUMORA_MSG_MODULE_FAULT, reinterpret_cast<uintptr_t>(text.c_str()), 0);
}

int ResourceModule::RegisterPack(const CXyFile& pack, const SharedFile& file, const CXyMemFile* image) {
    int visited = 0;
    for (uint32_t i = 0; i < pack.GetEntryCount(); ++i, ++visited) {
        const PackEntry& e = pack.Directory()[i];
        if (table_.count(e.key)) continue;  // the first registration wins
        ResourceRecord rec;
        rec.key = e.key;
        rec.typeHash = e.typeHash;
        rec.category = CategoryOfType(e.typeHash);
        rec.file = file;
        rec.sourceKind = kSourcePackEntry;
        rec.offset = e.offset;
        rec.size = e.size;
        if (image) {
            rec.data = image->ReadEntryAlloc(i);
            rec.data.push_back(0);
            rec.loaded = true;
        }
        table_.emplace(e.key, std::move(rec));
    }
    return visited;
}

int ResourceModule::AddPack(const std::string& path) {
    CXyFile pack(path);
    SharedFile file = pack.IsOpen() ? OpenShared(path) : nullptr;
    if (!file) {
        char text[1100];
        std::snprintf(text, sizeof text, "资源包%s加载失败!", path.c_str());
        ReportPackFailure(text);
        return 0;
    }
    files_.push_back(file);
    return RegisterPack(pack, file, nullptr);
}

int ResourceModule::AddMemPack(const uint8_t* image, size_t size) {
    CXyMemFile pack(image, size);
    if (!pack.IsOpen()) {
        char text[64];
        std::snprintf(text, sizeof text, "资源包%p加载失败!", static_cast<const void*>(image));
        ReportPackFailure(text);
        return 0;
    }
    return RegisterPack(pack, nullptr, &pack);
}

ResourceRecord* ResourceModule::Find(const ResourceKey& key) {
    auto it = table_.find(key);
    return it == table_.end() ? nullptr : &it->second;
}

ResourceRecord* ResourceModule::Load(const ResourceKey& key) {
    ResourceRecord* rec = Find(key);
    if (!rec) return nullptr;
    if (rec->loaded) return rec;
    if (!rec->file) return nullptr;
    std::FILE* f = rec->file.get();
    uint64_t size = rec->size;
    // Only a single file means "whole file" by 0; an empty pack entry stays empty.
    if (size == 0 && rec->sourceKind == kSourceSingle) {
        if (std::fseek(f, 0, SEEK_END) != 0) return nullptr;
        const long n = std::ftell(f);
        if (n < 0) return nullptr;
        size = uint64_t(n);
    }
    std::vector<uint8_t> data(size + 1);
    if (std::fseek(f, long(rec->offset), SEEK_SET) != 0) return nullptr;
    if (size && std::fread(data.data(), 1, size, f) != size) return nullptr;
    data[size] = 0;
    rec->data = std::move(data);
    rec->loaded = true;
    return rec;
}

const uint8_t* ResourceModule::GetData(const ResourceKey& key) {
    ResourceRecord* rec = Load(key);
    return rec ? rec->Data() : nullptr;
}

void ResourceModule::ReleaseData(const ResourceKey& key) {
    ResourceRecord* rec = Find(key);
    if (!rec || !rec->file) return;  // memory-only bytes could never be read again
    rec->data.clear();
    rec->data.shrink_to_fit();
    rec->loaded = false;
}

void ResourceModule::RemoveByName(const std::string& name) { Remove(MakeResourceKey(NormaliseResourceName(name))); }

void ResourceModule::Remove(const ResourceKey& key) {
    auto it = table_.find(key);
    if (it == table_.end()) return;
    if (it->second.sourceKind == kSourceSingle && it->second.file) {
        const SharedFile file = it->second.file;
        std::erase(files_, file);
    }
    table_.erase(it);
}

} // namespace Lumora
