#pragma once
// The missing-resource sweep: after a scene has run, the engine's run log must hold no line
// of a picture that does not exist or of a frame a picture lacks. Mark() remembers how far the
// log has been read; Findings() returns the offending lines written since, so a test can sweep
// one stretch of a run (one size class, one hand) at a time.
//
//   testsupport::ResourceSweep sweep;   // after the engine has started (it recreates the log)
//   ... run the scene ...
//   EXPECT_THAT(sweep.Findings(), ::testing::IsEmpty());
#include "engine/util/EngineLog.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

class ResourceSweep {
public:
    ResourceSweep() { Mark(); }

    void Mark() { offset_ = ReadLog().size(); }

    // Lines of 'res "%s" does not exists!' and 'res "%s" invalid frame(%d)!' since the mark.
    std::vector<std::string> Findings() const
    {
        const std::string log = ReadLog();
        std::vector<std::string> found;
        std::istringstream lines(offset_ <= log.size() ? log.substr(offset_) : log);
        for (std::string line; std::getline(lines, line);)
            if (line.find("res \"") != std::string::npos &&
                (line.find("\" does not exists!") != std::string::npos ||
                 line.find("\" invalid frame(") != std::string::npos))
                found.push_back(line);
        return found;
    }

private:
    static std::string ReadLog()
    {
        std::ifstream in(RunLogPath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    size_t offset_ = 0;
};

} // namespace testsupport
