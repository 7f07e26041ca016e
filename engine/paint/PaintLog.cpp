#include "engine/paint/PaintLog.h"

namespace Lumora {
namespace {

std::function<void(const std::string&)>& Sink() {
    static std::function<void(const std::string&)> sink;
    return sink;
}

} // namespace

void PaintLog(const std::string& line) {
    if (Sink()) Sink()(line);
}

void SetPaintLogSink(std::function<void(const std::string&)> sink) { Sink() = std::move(sink); }

} // namespace Lumora
