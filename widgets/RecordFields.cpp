#include "widgets/RecordFields.h"

#include "engine/geometry/LittleEndian.h"
#include "platform/Charset.h"

namespace Lumora {

int32_t ReadFieldI32(const uint8_t* record, size_t recordSize, size_t offset)
{
    LeReader reader(record, recordSize);
    reader.Skip(offset);
    const uint32_t v = reader.U32();
    return reader.Ok() ? int32_t(v) : 0;
}

void WriteFieldI32(uint8_t* record, size_t recordSize, size_t offset, int32_t value)
{
    if (offset > recordSize || recordSize - offset < 4)
        return;
    for (size_t i = 0; i < 4; ++i)
        record[offset + i] = uint8_t(uint32_t(value) >> (8 * i));
}

void WriteFixedFieldText(uint8_t* field, size_t size, std::string_view text)
{
    if (size == 0)
        return;
    std::memset(field, 0, size);
    size_t n = 0;
    while (n < text.size()) {
        const bool pair = platform::IsGbkLeadByte(uint8_t(text[n])) && n + 1 < text.size();
        const size_t step = pair ? 2 : 1;
        if (n + step > size - 1)
            break;
        n += step;
    }
    std::memcpy(field, text.data(), n);
}

} // namespace Lumora
