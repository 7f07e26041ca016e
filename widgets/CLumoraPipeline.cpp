#include "widgets/CLumoraPipeline.h"

#include <cstring>

namespace Lumora {

CLumoraPipeline::~CLumoraPipeline() = default;

void CLumoraPipeline::Deliver(Record record)
{
    inFlight_ = std::move(record.data);
    const uintptr_t data = inFlight_ ? reinterpret_cast<uintptr_t>(inFlight_->data()) : 0;
    const uintptr_t length = inFlight_ ? inFlight_->size() : 0;
    PostEvent({record.target, record.code, data, length});
}

void CLumoraPipeline::Push(uint32_t target, uint32_t code, const void* data, uint32_t length)
{
    Record record{target, code, nullptr};
    if (length > 0 && data) {
        record.data = std::make_unique<std::vector<uint8_t>>(length);
        std::memcpy(record.data->data(), data, length);
    }
    if (!busy_) {
        busy_ = true;
        Deliver(std::move(record));
    } else {
        queue_.push_back(std::move(record));
    }
}

void CLumoraPipeline::Next()
{
    busy_ = false;
    if (queue_.empty())
        return;
    busy_ = true;
    Record front = std::move(queue_.front());
    queue_.pop_front();
    Deliver(std::move(front));
}

} // namespace Lumora
