#include "net/NetUtils.h"

#include "net/Hex.h"
#include "platform/Charset.h"
#include "platform/GbkWalk.h"
#include "platform/Paths.h"
#include "platform/RandomBytes.h"

#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>

namespace net {

bool GetOsVersionFlags(uint32_t& flags)
{
    flags = kOsWindows10 | kOsWorkstation;
    return true;
}

bool FillRandomBytes(void* out, size_t n) { return platform::RandomBytes(out, n); }

bool FillRandomIdIfEmpty(char* text)
{
    if (text == nullptr || text[0] != '\0')
        return false;
    uint8_t bytes[32];
    if (!FillRandomBytes(bytes, sizeof bytes))
        return false;
    std::string hex;
    BytesToHex(bytes, sizeof bytes, hex);
    std::memcpy(text, hex.data(), 30);
    text[30] = '\0';
    return true;
}

int CopyEthernetAddresses(const std::optional<std::vector<platform::HardwareAddress>>& adapters, uint8_t* out)
{
    if (!adapters)
        return -1;
    constexpr size_t kMaxAdapters = 4;
    int count = 0;
    for (const auto& address : *adapters) {
        if (static_cast<size_t>(count) == kMaxAdapters)
            break;
        std::memcpy(out + 6 * count, address.data(), address.size());
        ++count;
    }
    return count;
}

int GetEthernetMacAddresses(uint8_t* out) { return CopyEthernetAddresses(platform::EthernetAdapterAddresses(), out); }

void CopyText(char* dest, const char* src, uint32_t limit)
{
    if (dest == nullptr || src == nullptr)
        return;
    if (limit == kCopyUnbounded) {
        std::strcpy(dest, src);
        return;
    }
    if (limit == 0)
        return;
    size_t n = strnlen(src, limit);
    if (n == limit) {
        // Room for the terminator, and no lone lead byte of a two-byte character at the cut.
        n = limit - 1;
        size_t lead = 0;
        for (size_t i = 0; i < n; ++i)
            lead = platform::IsGbkLeadByte(static_cast<unsigned char>(src[i])) ? i++ + 1 : lead;
        if (lead > 0 && lead == n)
            n = lead - 1;
    }
    std::memcpy(dest, src, n);
    std::memset(dest + n, 0, limit - n);
}

std::string GetModuleFolder() { return platform::ProgramFolder(); }

bool PathExists(const std::string& path, bool wantDirectory)
{
    std::error_code ec;
    const auto status = std::filesystem::status(platform::NativePath(path), ec);
    if (ec)
        return false;
    return wantDirectory ? std::filesystem::is_directory(status) : std::filesystem::is_regular_file(status);
}

std::string SplitPathParts(const std::string& path, unsigned parts)
{
    size_t start = 0;
    std::string drive;
    if (path.size() >= 2 && path[1] == ':') {
        drive = path.substr(0, 2);
        start = 2;
    }
    const size_t slash = platform::GbkFindLastOf(path, "\\/");
    const size_t nameStart = slash == std::string::npos || slash < start ? start : slash + 1;
    const std::string directory = path.substr(start, nameStart - start);
    std::string name = path.substr(nameStart);
    std::string extension;
    if (const size_t dot = platform::GbkFindLastOf(name, "."); dot != std::string::npos) {
        extension = name.substr(dot);
        name.resize(dot);
    }
    std::string out;
    if (parts & kPathDrive) out += drive;
    if (parts & kPathDirectory) out += directory;
    if (parts & kPathName) out += name;
    if (parts & kPathExtension) out += extension;
    return out;
}

std::string AnsiToUtf8(const std::string& text) { return platform::GbkToUtf8(text); }

int RandomInRange(int low, int high)
{
    if (low == high)
        return high;
    if (low > high)
        std::swap(low, high);
    static std::mutex lock;
    static std::mt19937 engine{std::random_device{}()};
    std::lock_guard guard(lock);
    return std::uniform_int_distribution<int>(low, high)(engine);
}

int SumInts(const int32_t* values, int count)
{
    // Wraps like the 32-bit sum it stands for, without signed overflow.
    uint32_t sum = 0;
    for (int i = 0; i < count; ++i)
        sum += static_cast<uint32_t>(values[i]);
    return static_cast<int32_t>(sum);
}

void SetIntsToMinusOne(int32_t* values, int count)
{
    for (int i = 0; i < count; ++i)
        values[i] = -1;
}

} // namespace net
