#pragma once
// Serialises events: queued records are delivered one at a time, and the next only after the
// receiver calls Next. Each record carries a copy of its data (param1 = the bytes, param2 =
// their length). The queued record names only the pipeline itself; on that later tick the
// pipeline sends the record to its receiver at once and frees the copy when the handler has
// returned. So a receiver may call Next before it reads the data, copies what it keeps, and
// never sees a freed copy when the pipeline went away before the tick; nothing leaks either.
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

    int OnEvent(const EventRecord& record) override;

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
    std::deque<Record> posted_;  // posted to itself, not yet handed to their receivers
    bool busy_ = false;
};

} // namespace Lumora
