#pragma once
// CPackager: the two nested stages a message passes before it is cut into frames (zlib
// compression inside, AES encryption outside) and their undoing on receipt. Both stage
// headers are always written; on receipt the headers decide which stages run.
#include "net/Buffer.h"
#include "net/Message.h"
#include "net/Zlib.h"

#include <cstddef>
#include <cstdint>

namespace net {

inline constexpr uint32_t kZlibFlag = 0x400;
inline constexpr int kPackEncode = 1;
inline constexpr int kPackDecode = 2;

// [flags][input length][0][0] + [u32 payload length], then the payload.
inline constexpr size_t kStageHeaderSize = 20;

struct StageHeader {
    uint32_t flags = 0;
    uint32_t inputLength = 0;
    uint32_t payloadLength = 0;

    void Encode(uint8_t out[kStageHeaderSize]) const;
    static StageHeader Decode(const uint8_t in[kStageHeaderSize]);
};

class CPackager {
public:
    // The key is not owned and must outlive the packager.
    CPackager(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags);
    virtual ~CPackager() = default;

    // kPackEncode: compression stage then encryption stage; kPackDecode: the reverse. The
    // buffer is replaced by the result; on failure its contents are unspecified.
    virtual bool Pack(CBuffer& buffer, int direction);
    virtual bool Set(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags);
    virtual bool CompressStage(CBuffer& buffer, int mode);
    virtual bool EncryptStage(CBuffer& buffer, int mode);

    // Largest decompressed message accepted (a guard against decompression bombs).
    void SetInflateLimit(size_t bytes) { inflateLimit_ = bytes; }

private:
    const uint8_t* key_;
    uint32_t keyBits_;
    uint32_t encryptFlags_;
    uint32_t compressFlags_;
    size_t inflateLimit_ = kDefaultInflateLimit;
};

// Packs [head][u32 length][data] with the given key and flags into `body`.
bool PackMessage(const MessageHead& head, const uint8_t* data, uint32_t length, const uint8_t* key, uint32_t keyBits,
                 uint32_t encryptFlags, uint32_t compressFlags, CBuffer& body);

// Turns a reassembled message (24-byte context record, then [u32 p][piece]...) into its
// context and message records. The message data is a new heap block (FreeMessageData) or
// null for length 0. False, with nothing allocated, when the pieces, the stages or the
// message's own data length are malformed.
bool UnpackMessage(const uint8_t* bytes, size_t length, SocketContextRecord& context, SocketMessageRecord& message,
                   const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags,
                   uint32_t maxPiece, size_t inflateLimit = kDefaultInflateLimit);

// The second half of UnpackMessage: a joined body (consumed) into its message record.
bool UnpackBody(CBuffer& body, SocketMessageRecord& message, const uint8_t* key, uint32_t keyBits,
                uint32_t encryptFlags, uint32_t compressFlags, size_t inflateLimit = kDefaultInflateLimit);

} // namespace net
