#include "engine/paint/PaintLog.h"

#include "engine/util/EngineLog.h"

namespace Lumora {
namespace {

std::function<void(const std::string&)>& Sink() {
    static std::function<void(const std::string&)> sink;
    return sink;
}

} // namespace

void PaintLog(const std::string& line) {
    if (Sink())
        Sink()(line);
    else
        WriteDailyLog("%s", line.c_str());
}

void SetPaintLogSink(std::function<void(const std::string&)> sink) { Sink() = std::move(sink); }

} // namespace Lumora
