#include "net/Oracle.h"

#include "net/ByteOrder.h"
#include "net/Hex.h"
#include "tests/support/TiedChild.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <unistd.h>

namespace nettest {

std::vector<Bytes> Oracle(const std::string& op, const std::string& arg, const std::vector<Bytes>& inputs)
{
    std::string inPath = xltest::TempPattern("xl-oracle-in-XXXXXX");
    std::string outPath = xltest::TempPattern("xl-oracle-out-XXXXXX");
    const int inFd = mkstemp(inPath.data()), outFd = mkstemp(outPath.data());
    close(inFd);
    close(outFd);
    {
        std::ofstream in(inPath, std::ios::binary);
        for (const Bytes& b : inputs) {
            uint8_t n[4];
            net::WriteLe32(n, static_cast<uint32_t>(b.size()));
            in.write(reinterpret_cast<const char*>(n), 4);
            in.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        }
    }
    std::vector<std::string> args{op};
    if (!arg.empty())
        args.push_back(arg);
    args.insert(args.end(), {inPath, outPath});
    std::vector<Bytes> results;
    if (xltest::RunProgram(xltest::Python("tests/net/peers/oracle.py", args)).Ok()) {
        std::ifstream out(outPath, std::ios::binary);
        const Bytes all((std::istreambuf_iterator<char>(out)), std::istreambuf_iterator<char>());
        for (size_t pos = 0; pos + 4 <= all.size();) {
            const uint32_t n = net::ReadLe32(all.data() + pos);
            results.emplace_back(all.begin() + pos + 4, all.begin() + pos + 4 + n);
            pos += 4 + n;
        }
    }
    unlink(inPath.c_str());
    unlink(outPath.c_str());
    return results;
}

Bytes Oracle1(const std::string& op, const std::string& arg, const Bytes& input)
{
    auto r = Oracle(op, arg, {input});
    return r.size() == 1 ? r[0] : Bytes{};
}

Bytes RandomBytes(size_t n, uint32_t seed)
{
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& x : b)
        x = static_cast<uint8_t>(gen());
    return b;
}

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string Hex(const uint8_t* bytes, size_t n)
{
    std::string s;
    net::BytesToHex(bytes, n, s);
    return s;
}

std::string Hex(const Bytes& bytes) { return Hex(bytes.data(), bytes.size()); }

Bytes FromHex(const std::string& hex)
{
    std::string raw;
    net::HexToBytes(hex, raw);
    return Bytes(raw.begin(), raw.end());
}

} // namespace nettest
