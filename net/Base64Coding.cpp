#include "net/Base64Coding.h"

#include <cstring>

namespace net {
namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineLength = 72;
} // namespace

CBase64Coding::CBase64Coding() { BuildDecodeTable(); }

void CBase64Coding::BuildDecodeTable()
{
    std::memset(decode_, kInvalid, sizeof decode_);
    for (uint8_t i = 0; i < 64; ++i)
        decode_[static_cast<uint8_t>(kAlphabet[i])] = i;
    for (unsigned char blank : {'\t', '\n', '\r', ' '})
        decode_[blank] = kSkip;
}

std::vector<uint8_t> CBase64Coding::Decode(const uint8_t* text, size_t length) const
{
    std::vector<uint8_t> out;
    out.reserve(length / 4 * 3 + 3);
    uint32_t group = 0;
    int count = 0;
    for (size_t i = 0; i < length && text[i] != '='; ++i) {
        const uint8_t v = decode_[text[i]];
        if (v == kSkip)
            continue;
        if (v == kInvalid)
            return {};
        group = group << 6 | v;
        if (++count == 4) {
            out.push_back(uint8_t(group >> 16));
            out.push_back(uint8_t(group >> 8));
            out.push_back(uint8_t(group));
            group = 0;
            count = 0;
        }
    }
    // A short final group carries one byte per six bits beyond the first.
    if (count == 2) {
        out.push_back(uint8_t(group >> 4));
    } else if (count == 3) {
        out.push_back(uint8_t(group >> 10));
        out.push_back(uint8_t(group >> 2));
    }
    return out;
}

std::string CBase64Coding::Encode(const uint8_t* bytes, size_t length, bool lineBreaks) const
{
    std::string out;
    out.reserve((length + 2) / 3 * 4 * 74 / 72 + 2);
    size_t column = 0;
    auto put = [&](char c) {
        out.push_back(c);
        if (lineBreaks && ++column == kLineLength) {
            out += "\r\n";
            column = 0;
        }
    };
    size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        const uint32_t g = uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
        put(kAlphabet[g >> 18]);
        put(kAlphabet[(g >> 12) & 63]);
        put(kAlphabet[(g >> 6) & 63]);
        put(kAlphabet[g & 63]);
    }
    if (length - i == 1) {
        const uint32_t g = uint32_t(bytes[i]) << 16;
        put(kAlphabet[g >> 18]);
        put(kAlphabet[(g >> 12) & 63]);
        put('=');
        put('=');
    } else if (length - i == 2) {
        const uint32_t g = uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8;
        put(kAlphabet[g >> 18]);
        put(kAlphabet[(g >> 12) & 63]);
        put(kAlphabet[(g >> 6) & 63]);
        put('=');
    }
    return out;
}

std::vector<uint8_t> CBase64Coding::DecodeText(const std::string& text) const
{
    return Decode(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::vector<uint8_t> CBase64Coding::DecodeBytes(const std::vector<uint8_t>& bytes) const
{
    return Decode(bytes.data(), bytes.size());
}

std::string CBase64Coding::EncodeToText(const std::vector<uint8_t>& bytes) const
{
    return Encode(bytes.data(), bytes.size(), true);
}

std::vector<uint8_t> CBase64Coding::EncodeToBytes(const std::vector<uint8_t>& bytes) const
{
    const std::string text = Encode(bytes.data(), bytes.size(), false);
    return {text.begin(), text.end()};
}

} // namespace net
