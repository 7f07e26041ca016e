#pragma once
// Whole-buffer zlib compression, as the replay bodies are stored.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The zlib stream of the bytes; nothing only when zlib itself fails (out of memory).
std::optional<std::vector<uint8_t>> CompressBuffer(const void* bytes, size_t size);
// The plain bytes, or nothing when the stream is damaged or does not inflate to exactly
// `plainLength` bytes, or when `plainLength` is more than any stream of `size` bytes can give:
// callers treat that as a damaged file.
std::optional<std::vector<uint8_t>> UncompressBuffer(const void* bytes, size_t size, size_t plainLength);
