#include "net/Packager.h"

#include "net/AesCryptBuffer.h"
#include "net/ByteOrder.h"
#include "net/Pieces.h"

#include <memory>
#include <vector>

namespace net {
namespace {

void ReplaceWithStage(CBuffer& buffer, const StageHeader& header, const uint8_t* payload)
{
    uint8_t raw[kStageHeaderSize];
    header.Encode(raw);
    if (payload == nullptr) {
        buffer.Insert(raw, sizeof raw); // the payload is the buffer itself
        return;
    }
    buffer.Reset();
    buffer.Append(raw, sizeof raw);
    buffer.Append(payload, header.payloadLength);
}

enum class Stage { Malformed, Plain, Applied };

// Takes a stage header off the front for decoding; a plain stage is unwrapped at once (its
// payload length is not consulted). An applied stage's payload must fill the rest exactly.
Stage OpenStage(CBuffer& buffer, int mode, StageHeader& h)
{
    if (mode != kPackDecode || buffer.GetSize() < kStageHeaderSize)
        return Stage::Malformed;
    h = StageHeader::Decode(buffer.GetData());
    if (h.flags == 0) {
        buffer.Consume(kStageHeaderSize);
        return Stage::Plain;
    }
    return buffer.GetSize() - kStageHeaderSize == h.payloadLength ? Stage::Applied : Stage::Malformed;
}

void ReplaceWith(CBuffer& buffer, const uint8_t* bytes, size_t length)
{
    buffer.Reset();
    buffer.Append(bytes, length);
}

} // namespace

void StageHeader::Encode(uint8_t out[kStageHeaderSize]) const
{
    WriteLe32(out, flags);
    WriteLe32(out + 4, inputLength);
    WriteLe32(out + 8, 0);
    WriteLe32(out + 12, 0);
    WriteLe32(out + 16, payloadLength);
}

StageHeader StageHeader::Decode(const uint8_t in[kStageHeaderSize])
{
    return {ReadLe32(in), ReadLe32(in + 4), ReadLe32(in + 16)};
}

CPackager::CPackager(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags)
    : key_(key), keyBits_(keyBits), encryptFlags_(encryptFlags), compressFlags_(compressFlags)
{
}

bool CPackager::Set(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags)
{
    key_ = key;
    keyBits_ = keyBits;
    encryptFlags_ = encryptFlags;
    compressFlags_ = compressFlags;
    return true;
}

bool CPackager::Pack(CBuffer& buffer, int direction)
{
    if (direction == kPackEncode)
        return CompressStage(buffer, kPackEncode) && EncryptStage(buffer, kPackEncode);
    if (direction == kPackDecode)
        return EncryptStage(buffer, kPackDecode) && CompressStage(buffer, kPackDecode);
    return false;
}

bool CPackager::CompressStage(CBuffer& buffer, int mode)
{
    const size_t n = buffer.GetSize();
    if (mode == kPackEncode) {
        std::vector<uint8_t> packed;
        if ((compressFlags_ & kZlibFlag) && ZlibCompress(buffer.GetData(), n, packed)) {
            ReplaceWithStage(buffer, {compressFlags_, uint32_t(n), uint32_t(packed.size())}, packed.data());
            return true;
        }
        // Not asked for, or nothing came of it: the input travels unchanged.
        ReplaceWithStage(buffer, {0, uint32_t(n), uint32_t(n)}, nullptr);
        return true;
    }
    StageHeader h;
    if (const Stage stage = OpenStage(buffer, mode, h); stage != Stage::Applied)
        return stage == Stage::Plain;
    const size_t left = h.payloadLength;
    if (!(h.flags & kZlibFlag))
        return false;
    std::vector<uint8_t> plain;
    if (!ZlibDecompress(buffer.GetData(kStageHeaderSize), left, plain, inflateLimit_))
        return false;
    ReplaceWith(buffer, plain.data(), plain.size());
    return true;
}

bool CPackager::EncryptStage(CBuffer& buffer, int mode)
{
    const size_t n = buffer.GetSize();
    if (mode == kPackEncode) {
        if (encryptFlags_ == 0) {
            ReplaceWithStage(buffer, {0, uint32_t(n), uint32_t(n)}, nullptr);
            return true;
        }
        const size_t c = AesPaddedLength(n);
        auto cipher = std::make_unique_for_overwrite<uint8_t[]>(c);
        size_t produced = 0;
        if (!AesCryptBuffer(key_, keyBits_, buffer.GetData(), n, cipher.get(), &produced, encryptFlags_ | kCryptEncode))
            return false;
        ReplaceWithStage(buffer, {encryptFlags_, uint32_t(n), uint32_t(produced)}, cipher.get());
        return true;
    }
    // A plain stage is accepted even on an encrypting connection: the headers decide.
    StageHeader h;
    if (const Stage stage = OpenStage(buffer, mode, h); stage != Stage::Applied)
        return stage == Stage::Plain;
    const size_t left = h.payloadLength;
    if (h.inputLength > left || left % 16 != 0)
        return false;
    auto plain = std::make_unique_for_overwrite<uint8_t[]>(left ? left : 1);
    size_t produced = 0;
    if (!AesCryptBuffer(key_, keyBits_, buffer.GetData(kStageHeaderSize), left, plain.get(), &produced,
                        (h.flags & ~(kCryptEncode | kCryptDecode)) | kCryptDecode))
        return false;
    ReplaceWith(buffer, plain.get(), h.inputLength);
    return true;
}

bool PackMessage(const MessageHead& head, const uint8_t* data, uint32_t length, const uint8_t* key, uint32_t keyBits,
                 uint32_t encryptFlags, uint32_t compressFlags, CBuffer& body)
{
    body.Reset();
    AppendMessageBytes(head, data, length, body);
    CPackager packager(key, keyBits, encryptFlags, compressFlags);
    return packager.Pack(body, kPackEncode);
}

bool UnpackMessage(const uint8_t* bytes, size_t length, SocketContextRecord& context, SocketMessageRecord& message,
                   const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags,
                   uint32_t maxPiece, size_t inflateLimit)
{
    if (bytes == nullptr || length < kContextRecordSize)
        return false;
    CBuffer body;
    if (JoinPieces(bytes + kContextRecordSize, length - kContextRecordSize, body, maxPiece) == 0)
        return false;
    if (!UnpackBody(body, message, key, keyBits, encryptFlags, compressFlags, inflateLimit))
        return false;
    context = SocketContextRecord::Decode(bytes);
    return true;
}

bool UnpackBody(CBuffer& body, SocketMessageRecord& message, const uint8_t* key, uint32_t keyBits,
                uint32_t encryptFlags, uint32_t compressFlags, size_t inflateLimit)
{
    CPackager packager(key, keyBits, encryptFlags, compressFlags);
    packager.SetInflateLimit(inflateLimit);
    if (!packager.Pack(body, kPackDecode) || body.GetSize() < kMessagePrefixSize)
        return false;
    const uint8_t* raw = body.GetData();
    const int32_t dataLength = ReadLe32Signed(raw + kMessageHeadSize);
    // The claimed length must lie within the bytes present; a surplus after it is ignored.
    if (dataLength < 0 || static_cast<size_t>(dataLength) > body.GetSize() - kMessagePrefixSize)
        return false;
    SocketMessageRecord out;
    out.head = MessageHead::Decode(raw);
    out.length = dataLength;
    if (dataLength > 0) {
        out.data = new uint8_t[static_cast<size_t>(dataLength)];
        std::copy(raw + kMessagePrefixSize, raw + kMessagePrefixSize + dataLength, out.data);
    }
    message = out;
    return true;
}

} // namespace net
