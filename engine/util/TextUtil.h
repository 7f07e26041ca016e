#pragma once
// Small text helpers of the engine. Texts are GBK bytes: a lead byte of 0x81-0xFE and the
// byte after it form one character, which no helper ever splits.
#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

// "TRUE" is 1, "FALSE" 0, any other text its integer value (0 when it is no number).
int ParseBool(const std::string& text);
// A-Z become a-z; double-byte characters are left alone.
void LowerAscii(std::string& text);
// Fits `source` into `size` bytes with its terminating zero: whole when it fits, else cut and
// ended with "..." (no dots when size < 4; nothing at all when size is 0).
void EllipsizeText(std::string_view source, char* destination, size_t size);
std::string EllipsizeText(std::string_view source, size_t size);
// The pieces between commas, in order; a text ending in a comma has no empty last piece.
int SplitText(std::string_view text, std::vector<std::string>& out);
int SplitAtCommas(std::string_view text, std::list<std::string>& out);
// Each of the three 8-bit channels of a 0x00BBGGRR colour inverted.
constexpr uint32_t InvertColor(uint32_t colour) { return colour ^ 0x00FFFFFFu; }
int CStringToInt(const std::string& text);
std::string MakeCString(const char* text);
