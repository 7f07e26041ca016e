// The shared text, colour, title, folder, machine-id and split helpers.
#include "framework/app/ClientUtils.h"

#include "engine/music/MusicModule.h"
#include "net/FileLogger.h"
#include "net/Hex.h"
#include "net/Md5.h"
#include "platform/Ini.h"
#include "platform/Paths.h"
#include "platform/RandomBytes.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

namespace {

constexpr const char* kMachineIni = "vemk.ini";
constexpr const char* kSystemSection = "SYSTEM";
constexpr const char* kExePathKey = "ExePath";
constexpr const char* kUniqueIdKey = "UniqueID";
constexpr size_t kMachineIdLength = 31;
constexpr size_t kRandomIdLength = 30;
constexpr size_t kAdapterBufferSize = 128;
constexpr size_t kMaxAdapters = 4;
constexpr size_t kRecordSize = 64;

struct WealthRow {
    int32_t from;
    const char* title;
};

// Each bound is 100 × 2^k.
constexpr WealthRow kWealthTitles[] = {
    {26214400, "世界首富"}, {13107200, "超级大富豪"}, {6553600, "超级富豪"}, {3276800, "大富豪"},
    {1638400, "富豪"},      {819200, "董事长"},       {409600, "副董事长"},  {204800, "董事"},
    {102400, "总裁"},       {51200, "副总裁"},        {25600, "总经理"},     {12800, "副总经理"},
    {6400, "经理"},         {3200, "副经理"},         {1600, "主管"},        {800, "副主管"},
    {400, "正式工"},        {200, "合同工"},          {100, "临时工"},       {0, "待业"},
};
constexpr const char* kDebtTitle = "负债";

std::atomic<Lumora::MusicModule*> g_soundPlayer{nullptr};

bool IsAsciiAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiSpace(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

std::string MD5HexString(std::string_view text)
{
    auto digest = net::MD5Digest(text.data(), text.size());
    std::string out;
    net::BytesToHex(digest.data(), digest.size(), out);
    return out;
}

std::string& TrimBlanks(std::string& text)
{
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return text;
    }
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, first);
    return text;
}

std::string IntToCString(int value)
{
    return std::to_string(value);
}

uint32_t ParseColorText(std::string_view text, uint32_t defaultColour)
{
    if (text.empty())
        return defaultColour;
    // Each number is read after the previous blank; a component that is missing reads as 0
    // rather than whatever lies past the text.
    uint32_t channels[3] = {0, 0, 0};
    size_t pos = 0;
    for (int i = 0; i < 3 && pos <= text.size(); ++i) {
        size_t p = pos;
        while (p < text.size() && text[p] == ' ')
            ++p;
        bool negative = false;
        if (p < text.size() && (text[p] == '-' || text[p] == '+'))
            negative = text[p++] == '-';
        int64_t value = 0;
        while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
            value = value * 10 + (text[p++] - '0');
            if (value > 0x7FFFFFFF)
                value = 0x7FFFFFFF;
        }
        channels[i] = static_cast<uint32_t>(negative ? -value : value) & 0xFF;
        size_t blank = text.find(' ', pos);
        if (blank == std::string_view::npos)
            break;
        pos = blank + 1;
    }
    return channels[0] | channels[1] << 8 | channels[2] << 16;
}

std::string GetWealthTitle(int32_t silver)
{
    for (const auto& row : kWealthTitles)
        if (silver >= row.from)
            return row.title;
    return kDebtTitle;
}

std::string GetMachineIniPath()
{
    const std::string folder = platform::MachineFolder();
    return folder.empty() ? std::string() : folder + kMachineIni;
}

std::string GetHallExePath()
{
    std::string path = platform::IniFile(GetMachineIniPath()).GetString(kSystemSection, kExePathKey);
    if (path.size() > 259)
        path.resize(259);
    return platform::NativePath(path);
}

std::string GetProgramDir()
{
    std::string exe = GetHallExePath();
    size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
}

std::string GetAdvertDomainFile()
{
    return GetProgramDir() + "Share/advert/domain.dat";
}

std::optional<std::string> MachineIdFromAdapters(std::span<const platform::HardwareAddress> adapters)
{
    if (adapters.empty())
        return std::nullopt;
    uint8_t buffer[kAdapterBufferSize] = {};
    size_t used = 0;
    for (size_t i = 0; i < adapters.size() && i < kMaxAdapters; ++i) {
        std::memcpy(buffer + used, adapters[i].data(), adapters[i].size());
        used += adapters[i].size();
    }
    std::string hex;
    net::BytesToHex(buffer, sizeof buffer, hex);
    hex.resize(kMachineIdLength);
    return hex;
}

std::string GetMachineID(const std::optional<std::vector<platform::HardwareAddress>>& adapters)
{
    if (adapters) {
        if (auto id = MachineIdFromAdapters(*adapters))
            return *id;
    }
    platform::IniFile ini(GetMachineIniPath());
    std::string id = ini.GetString(kSystemSection, kUniqueIdKey);
    if (id.size() > kMachineIdLength)
        id.resize(kMachineIdLength);
    TrimBlanks(id);
    if (!id.empty())
        return id;
    uint8_t random[32];
    if (!platform::RandomBytes(random, sizeof random))
        return {};
    std::string hex;
    net::BytesToHex(random, sizeof random, hex);
    hex.resize(kRandomIdLength);
    ini.WriteString(kSystemSection, kUniqueIdKey, hex);
    return hex;
}

std::string GetMachineID()
{
    return GetMachineID(platform::EthernetAdapterAddresses());
}

bool PlaySoundResource(int resourceId, int /*flags*/)
{
    static std::mutex missingLock;
    static std::set<int> missingLogged;
    Lumora::MusicModule* music = g_soundPlayer.load();
    if (!music || resourceId < kFirstWaveResource || resourceId > kLastWaveResource)
        return false;
    char name[16];
    std::snprintf(name, sizeof name, "wave%d", resourceId);
    if (music->PlaySound(name, 1, nullptr) != 0)
        return true;
    std::lock_guard lock(missingLock);
    if (missingLogged.insert(resourceId).second)
        net::OxtLog("sound resource %s missing", name);
    return false;
}

void SetSoundResourcePlayer(Lumora::MusicModule* music)
{
    g_soundPlayer.store(music);
}

int SplitOnBar(char* text, std::span<char*> fields, char** rest)
{
    if (rest)
        *rest = nullptr;
    if (!text || fields.empty())
        return 0;
    int count = 0;
    char* p = text;
    for (;;) {
        fields[count++] = p;
        while (*p && *p != '|')
            ++p;
        if (!*p)
            return count;
        *p++ = '\0';
        if (static_cast<size_t>(count) == fields.size()) {
            if (rest)
                *rest = p;
            return count;
        }
    }
}

std::string UrlEncode(std::string_view text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    // Unsigned bytes and ASCII classes only: GBK lead bytes are negative chars, which the C
    // classification functions must not see.
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (IsAsciiAlnum(c)) {
            out += static_cast<char>(c);
        } else if (IsAsciiSpace(c)) {
            out += '+';
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

void SortRecordsByKey(std::span<uint8_t> records, std::span<int32_t> keys)
{
    size_t count = std::min(keys.size(), records.size() / kRecordSize);
    uint8_t swap[kRecordSize];
    for (size_t i = 0; i < count; ++i) {
        for (size_t j = i + 1; j < count; ++j) {
            if (keys[j] < keys[i]) {
                std::swap(keys[i], keys[j]);
                std::memcpy(swap, &records[i * kRecordSize], kRecordSize);
                std::memcpy(&records[i * kRecordSize], &records[j * kRecordSize], kRecordSize);
                std::memcpy(&records[j * kRecordSize], swap, kRecordSize);
            }
        }
    }
}
