#pragma once
// Serialises events: queued records are delivered one at a time, and the next only after the
// receiver calls Next. Each record carries a copy of its data (param1 = the bytes, param2 =
// their length). The pipeline keeps the copy of the record in flight until Next or its own
// end, so a receiver reads it during its handler and copies what it keeps; nothing leaks when
// the receiver is gone before the record arrives.
#include "engine/gui/CLumoraGui.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace Lumora {

class CLumoraPipeline : public CLumoraGui {
public:
    ~CLumoraPipeline() override;

    // Virtual operations, in slot order.
    virtual void Push(uint32_t target, uint32_t code, const void* data, uint32_t length);
    virtual void Next();
    virtual void SetBusy() { busy_ = true; }

    bool IsBusy() const { return busy_; }
    size_t Queued() const { return queue_.size(); }

private:
    struct Record {
        uint32_t target = 0;
        uint32_t code = 0;
        std::unique_ptr<std::vector<uint8_t>> data;  // none for a length of 0
    };
    void Deliver(Record record);

    std::deque<Record> queue_;
    std::unique_ptr<std::vector<uint8_t>> inFlight_;
    bool busy_ = false;
};

} // namespace Lumora
