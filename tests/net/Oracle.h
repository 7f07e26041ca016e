#pragma once
// Runs tests/net/peers/oracle.py: independent answers from Python's zlib, hashlib, base64
// and cryptography for a batch of inputs at once.
#include <cstdint>
#include <string>
#include <vector>

namespace nettest {

using Bytes = std::vector<uint8_t>;

// Applies `op` (with `arg`, may be empty) to every input; empty result when Python failed.
std::vector<Bytes> Oracle(const std::string& op, const std::string& arg, const std::vector<Bytes>& inputs);
Bytes Oracle1(const std::string& op, const std::string& arg, const Bytes& input);

// Deterministic pseudo-random bytes for a test case.
Bytes RandomBytes(size_t n, uint32_t seed);
Bytes ToBytes(const std::string& text);
std::string Hex(const Bytes& bytes);
std::string Hex(const uint8_t* bytes, size_t n);
Bytes FromHex(const std::string& hex);

} // namespace nettest
