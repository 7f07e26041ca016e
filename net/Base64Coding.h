#pragma once
// Base64 with the standard alphabet and '=' padding; proxy credentials travel in it.
#include <cstdint>
#include <string>
#include <vector>

namespace net {

class CBase64Coding {
public:
    CBase64Coding();
    virtual ~CBase64Coding() = default;

    // Fills the decode table: alphabet values, kSkip for blanks, kInvalid for the rest.
    virtual void BuildDecodeTable();
    // Blanks (tab, LF, CR, space) are skipped and '=' ends the data; any other character
    // outside the alphabet fails with an empty result.
    virtual std::vector<uint8_t> DecodeText(const std::string& text) const;
    virtual std::vector<uint8_t> DecodeBytes(const std::vector<uint8_t>& bytes) const;
    // CR LF after every 72 characters of output.
    virtual std::string EncodeToText(const std::vector<uint8_t>& bytes) const;
    // No line breaks.
    virtual std::vector<uint8_t> EncodeToBytes(const std::vector<uint8_t>& bytes) const;

    static constexpr uint8_t kSkip = 254;
    static constexpr uint8_t kInvalid = 255;

private:
    std::vector<uint8_t> Decode(const uint8_t* text, size_t length) const;
    std::string Encode(const uint8_t* bytes, size_t length, bool lineBreaks) const;

    uint8_t decode_[256];
};

} // namespace net
