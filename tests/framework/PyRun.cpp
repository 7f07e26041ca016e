#include "framework/PyRun.h"
#include "tests/support/TiedChild.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace fwtest {

namespace {

std::string TempFile(const std::string& contents)
{
    std::string path = xltest::TempPattern("xl-fwtest-XXXXXX");
    int fd = mkstemp(path.data());
    close(fd);
    std::ofstream(path, std::ios::binary).write(contents.data(), static_cast<std::streamsize>(contents.size()));
    return path;
}

} // namespace

std::optional<std::string> RunCommand(const std::vector<std::string>& argv, const std::string& input,
                                      const std::vector<std::string>& env)
{
    std::string in = TempFile(input);
    std::string out = TempFile({});
    const int status = xltest::RunProgram(argv, {env, in, out, false, false}).status;
    std::ifstream f(out, std::ios::binary);
    std::string result((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    unlink(in.c_str());
    unlink(out.c_str());
    if (status != 0)
        return std::nullopt;
    return result;
}

std::optional<std::string> RunPython(const std::string& script, const std::string& input,
                                     const std::vector<std::string>& arguments)
{
    // The test sources compile their literals to GBK, so the script is GBK too.
    std::string file = TempFile("# -*- coding: gbk -*-\n" + script);
    std::vector<std::string> argv{"/usr/bin/python3", file};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    auto r = RunCommand(argv, input, {std::string("PYTHONPATH=") + XL_SOURCE_DIR + "/tools/py"});
    unlink(file.c_str());
    return r;
}

} // namespace fwtest
