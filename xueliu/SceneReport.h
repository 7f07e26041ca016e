#pragma once
// What the scene's report (SceneReport.cpp, for tests that play through the window) writes
// without an engine: a text's last lines as a JSON list of strings.
#include <cstddef>
#include <string>
#include <string_view>

namespace xueliu {

// The last `keep` non-empty lines of `text` (lines end at '\n') as a JSON list: quotes and
// backslashes escaped, control bytes as \u00XX, every other byte (GBK) as it is.
std::string ReportLines(std::string_view text, size_t keep);

} // namespace xueliu
