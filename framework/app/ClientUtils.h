#pragma once
// Free helpers the framework and the game layers share: text helpers, the colour parser of the
// skin files, the wealth title of an amount of silver, the hall's folder and the per-machine ini,
// the machine id sent with requests, the sounds of the program's own resources, the in-place '|'
// split of the hall's command line and a small record sort. Texts are GBK bytes. None of them
// keeps state between calls, except the machine id, which may be stored in the per-machine ini,
// and the sound player that the window installs.
#include "platform/NetAdapters.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Lumora {
class MusicModule;
}

// The 32 lower-case hex digits of the MD5 digest of the bytes.
std::string MD5HexString(std::string_view text);

// Removes the space character (only it) at both ends, in place; returns the text.
std::string& TrimBlanks(std::string& text);

std::string IntToCString(int value);

// Three decimal numbers separated by blanks: red, green, blue, each cut to 8 bits, as a colour
// value 0x00BBGGRR. Missing numbers read as 0; an empty text gives the default.
uint32_t ParseColorText(std::string_view text, uint32_t defaultColour);

// The title of an amount of silver ("待业" from 0, "负债" below 0).
std::string GetWealthTitle(int32_t silver);

// The per-machine ini ("vemk.ini" in the per-machine folder; empty, a file that keeps nothing, when
// there is no such folder) and its keys.
std::string GetMachineIniPath();
// "ExePath" of the per-machine ini: the hall program, empty when not set.
std::string GetHallExePath();
// The folder of the hall program, ending in '/'; empty when the hall path is not set.
std::string GetProgramDir();
// "<hall folder>Share/advert/domain.dat".
std::string GetAdvertDomainFile();

// The machine id from the Ethernet adapters' hardware addresses (at most 4, in the given order):
// the first 31 hex digits of the 128-byte address buffer; nullopt when no adapter was given.
std::optional<std::string> MachineIdFromAdapters(std::span<const platform::HardwareAddress> adapters);
// The machine id: from the adapters when there are any, else "UniqueID" of the per-machine ini,
// else 30 hex digits of random bytes, then stored there. Tests pass the adapters.
std::string GetMachineID(const std::optional<std::vector<platform::HardwareAddress>>& adapters);
std::string GetMachineID();

// The program's WAVE resources: ids 29010 to 29015 play the sound pack's "wave29010" ... through
// the music module installed by the window. An unknown id, no module or a missing sound is
// silent (a missing one is logged once). False when nothing plays.
inline constexpr int kFirstWaveResource = 29010;
inline constexpr int kLastWaveResource = 29015;
bool PlaySoundResource(int resourceId, int flags);
// The window installs its music module (UI thread); null removes it.
void SetSoundResourcePlayer(Lumora::MusicModule* music);

// Splits `text` in place at '|' into at most fields.size() fields (each bar cut to a zero);
// when the maximum is reached the rest stays unsplit and `rest` points after the bar that ended
// the last field, else it is null. A null text gives 0 fields; an empty one, one empty field.
int SplitOnBar(char* text, std::span<char*> fields, char** rest);

// Letters and digits (ASCII) stay, ASCII white space becomes '+', every other byte "%XX".
std::string UrlEncode(std::string_view text);

// Orders 64-byte records by a parallel array of keys, ascending, record and key together.
void SortRecordsByKey(std::span<uint8_t> records, std::span<int32_t> keys);
