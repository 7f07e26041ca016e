#pragma once
// Small services of the transport that the game shares: system version flags, random bytes
// and tokens, adapter addresses, bounded text copy, path pieces and integer-array helpers.
#include "platform/NetAdapters.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace net {

// System version bits as the game's callers test them.
inline constexpr uint32_t kOsWindows10 = 0x200000;
inline constexpr uint32_t kOsWorkstation = 0x30000;

// Always true: this build reports a current workstation system (a code of 16 or more, so
// callers take their modern paths).
bool GetOsVersionFlags(uint32_t& flags);

// Fills n bytes from the kernel's random source; false when it cannot.
bool FillRandomBytes(void* out, size_t n);
inline bool MakeRandomBytes(void* out, size_t n) { return FillRandomBytes(out, n); }

// When text (a buffer of at least 31 bytes) holds an empty string: 30 random lower-case hex
// digits and a terminating zero, true. Otherwise untouched, false.
bool FillRandomIdIfEmpty(char* text);

// Copies the hardware addresses of at most 4 Ethernet adapters back to back into out (room
// for 128 bytes); returns their count, -1 when the adapter list cannot be read.
int GetEthernetMacAddresses(uint8_t* out);
// The same over a given adapter list.
int CopyEthernetAddresses(const std::optional<std::vector<platform::HardwareAddress>>& adapters, uint8_t* out);

inline constexpr uint32_t kCopyUnbounded = 0xFFFFFFFF;
// Copies src into a field of `limit` bytes, zero-filling the rest of the field like strncpy;
// unlike strncpy the field always ends in a zero (a long text is cut, never in the middle of
// a two-byte character) and src is never read past the limit. kCopyUnbounded copies the
// whole text. Nothing happens when either pointer is null.
void CopyText(char* dest, const char* src, uint32_t limit);

// The program's folder, ending in a separator.
std::string GetModuleFolder();

// True for an existing directory when wantDirectory is set, for an existing file otherwise.
bool PathExists(const std::string& path, bool wantDirectory);

enum PathPart : unsigned { kPathDrive = 1, kPathDirectory = 2, kPathName = 4, kPathExtension = 8 };
// The parts of a path selected by `parts`, concatenated ("C:" + "\dir\" + "name" + ".ext").
// Both '\' and '/' separate folders.
std::string SplitPathParts(const std::string& path, unsigned parts);

// The program's narrow text (GBK) as UTF-8.
std::string AnsiToUtf8(const std::string& text);

// A uniform value from low to high inclusive (the bounds may come in either order); equal
// bounds return high.
int RandomInRange(int low, int high);

int SumInts(const int32_t* values, int count);
void SetIntsToMinusOne(int32_t* values, int count);

} // namespace net
