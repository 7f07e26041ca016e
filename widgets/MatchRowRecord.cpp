#include "widgets/MatchRowRecord.h"

#include "widgets/RecordFields.h"

#include <cstring>

namespace Lumora {

bool MatchRowRecord::Assign(const uint8_t* data, size_t size)
{
    bytes_.fill(0);
    if (data == nullptr || size < kSize)
        return false;
    std::memcpy(bytes_.data(), data, kSize);
    return true;
}

int32_t MatchRowRecord::I32(size_t offset) const { return ReadFieldI32(bytes_.data(), bytes_.size(), offset); }

std::string_view MatchRowRecord::Name() const { return FixedFieldText(bytes_.data() + OFF_NAME, kNameSize); }

std::string MatchRowRecord::ScoreText() const
{
    if (Out() == 0 || Mark() == kShowScoreMark)
        return std::to_string(Score());
    return "出局";
}

void MatchRowRecord::SetI32(size_t offset, int32_t value) { WriteFieldI32(bytes_.data(), bytes_.size(), offset, value); }

void MatchRowRecord::SetName(std::string_view name) { WriteFixedFieldText(bytes_.data() + OFF_NAME, kNameSize, name); }

} // namespace Lumora
