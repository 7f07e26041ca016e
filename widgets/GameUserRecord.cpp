#include "widgets/GameUserRecord.h"

#include "widgets/RecordFields.h"

#include <cstring>

namespace Lumora {

bool GameUserRecord::Assign(const uint8_t* data, size_t size)
{
    bytes_.fill(0);
    if (data == nullptr || size < kSize)
        return false;
    std::memcpy(bytes_.data(), data, kSize);
    return true;
}

int32_t GameUserRecord::I32(size_t offset) const { return ReadFieldI32(bytes_.data(), bytes_.size(), offset); }

std::string_view GameUserRecord::Text(size_t offset, size_t size) const
{
    if (offset > kSize || size > kSize - offset)
        return {};
    return FixedFieldText(bytes_.data() + offset, size);
}

void GameUserRecord::SetI32(size_t offset, int32_t value) { WriteFieldI32(bytes_.data(), bytes_.size(), offset, value); }

void GameUserRecord::SetText(size_t offset, size_t size, std::string_view text)
{
    if (offset > kSize || size > kSize - offset)
        return;
    WriteFixedFieldText(bytes_.data() + offset, size, text);
}

} // namespace Lumora
