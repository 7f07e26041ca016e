#include "widgets/CLumoraPipeline.h"

#include <cstring>

namespace Lumora {

CLumoraPipeline::~CLumoraPipeline() = default;

namespace {
// Private to the pipeline: it is the only target of this code.
constexpr uint32_t kDeliverInFlight = 80000001;
} // namespace

void CLumoraPipeline::Deliver(Record record)
{
    posted_.push_back(std::move(record));
    PostEvent({GetId(), kDeliverInFlight, 0, 0});
}

int CLumoraPipeline::OnEvent(const EventRecord& record)
{
    if (record.code != kDeliverInFlight)
        return CLumoraGui::OnEvent(record);
    if (posted_.empty())
        return 1;
    // The copy stays here until the handler returns, even when it calls Next first.
    const Record current = std::move(posted_.front());
    posted_.pop_front();
    const uintptr_t data = current.data ? reinterpret_cast<uintptr_t>(current.data->data()) : 0;
    const uintptr_t length = current.data ? current.data->size() : 0;
    SendEvent({current.target, current.code, data, length});
    return 1;
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
