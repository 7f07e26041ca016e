#pragma once
// Fields of fixed-layout records that came from outside (the hall, the server): 32-bit words
// read and written little-endian within the record, and texts that end at the first zero byte
// or at the end of their field, whichever comes first, so that a field lacking its zero is
// never read past.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace Lumora {

// 0 when the word does not lie wholly inside the record.
int32_t ReadFieldI32(const uint8_t* record, size_t recordSize, size_t offset);
// Nothing when the word does not lie wholly inside the record.
void WriteFieldI32(uint8_t* record, size_t recordSize, size_t offset, int32_t value);

inline std::string_view FixedFieldText(const uint8_t* field, size_t size)
{
    const char* text = reinterpret_cast<const char*>(field);
    return std::string_view(text, strnlen(text, size));
}

// Writes `text` into the field, cut to size - 1 bytes without splitting a two-byte character,
// and zero-fills the rest.
void WriteFixedFieldText(uint8_t* field, size_t size, std::string_view text);

} // namespace Lumora
