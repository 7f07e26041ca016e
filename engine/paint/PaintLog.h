// Where the paint side writes its error lines (the engine's daily log); tests may listen in.
#pragma once
#include <functional>
#include <string>

namespace Lumora {

void PaintLog(const std::string& line);
// Replaces the sink (null restores the daily log); returns nothing, used by tests.
void SetPaintLogSink(std::function<void(const std::string&)> sink);

} // namespace Lumora
