#include "net/Message.h"

#include "net/ByteOrder.h"

namespace net {

void MessageHead::Encode(uint8_t out[kMessageHeadSize]) const
{
    for (int i = 0; i < 6; ++i)
        WriteLe32(out + 4 * i, words[i]);
}

MessageHead MessageHead::Decode(const uint8_t in[kMessageHeadSize])
{
    MessageHead h;
    for (int i = 0; i < 6; ++i)
        h.words[i] = ReadLe32(in + 4 * i);
    return h;
}

void FreeMessageData(SocketMessageRecord& record)
{
    delete[] record.data;
    record.data = nullptr;
}

void SocketContextRecord::Encode(uint8_t out[kContextRecordSize]) const
{
    const uint32_t w[6] = {socket, messageId, needsReply, static_cast<uint32_t>(tag), reserved[0], reserved[1]};
    for (int i = 0; i < 6; ++i)
        WriteLe32(out + 4 * i, w[i]);
}

SocketContextRecord SocketContextRecord::Decode(const uint8_t in[kContextRecordSize])
{
    SocketContextRecord r;
    r.socket = ReadLe32(in);
    r.messageId = ReadLe32(in + 4);
    r.needsReply = ReadLe32(in + 8);
    r.tag = ReadLe32Signed(in + 12);
    r.reserved[0] = ReadLe32(in + 16);
    r.reserved[1] = ReadLe32(in + 20);
    return r;
}

void AppendMessageBytes(const MessageHead& head, const uint8_t* data, uint32_t length, CBuffer& out)
{
    uint8_t prefix[kMessagePrefixSize];
    head.Encode(prefix);
    WriteLe32(prefix + kMessageHeadSize, length);
    out.Append(prefix, sizeof prefix);
    out.Append(data, length);
}

} // namespace net
