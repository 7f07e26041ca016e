#pragma once
// The records a message travels in: the 24-byte message head, the message as sent
// ([head][u32 length][data]), and the context and message records handed to the owner of a
// connection with every received message.
#include "net/Buffer.h"

#include <cstddef>
#include <cstdint>

namespace net {

inline constexpr size_t kMessageHeadSize = 24;
inline constexpr size_t kMessagePrefixSize = kMessageHeadSize + 4;
inline constexpr size_t kContextRecordSize = 24;

// Six words; the second is the request id, the reply's response code or the notification id.
// The others are sent as zero and never read.
struct MessageHead {
    uint32_t words[6] = {};

    uint32_t Id() const { return words[1]; }
    static MessageHead WithId(uint32_t id)
    {
        MessageHead h;
        h.words[1] = id;
        return h;
    }
    void Encode(uint8_t out[kMessageHeadSize]) const;
    static MessageHead Decode(const uint8_t in[kMessageHeadSize]);
};
static_assert(sizeof(MessageHead) == kMessageHeadSize);

// In-process record of a message; data is a heap block (new[]) that FreeMessageData releases.
struct SocketMessageRecord {
    MessageHead head;
    int32_t length = 0;
    uint8_t* data = nullptr;
};
void FreeMessageData(SocketMessageRecord& record);

// Which connection and message a received message belongs to; the first 24 bytes of every
// reassembled message.
struct SocketContextRecord {
    uint32_t socket = 0;
    uint32_t messageId = 0;
    uint32_t needsReply = 0;
    int32_t tag = 0;
    uint32_t reserved[2] = {};

    void Encode(uint8_t out[kContextRecordSize]) const;
    static SocketContextRecord Decode(const uint8_t in[kContextRecordSize]);
};
static_assert(sizeof(SocketContextRecord) == kContextRecordSize);

// Appends [head][u32 length][length bytes of data] to out.
void AppendMessageBytes(const MessageHead& head, const uint8_t* data, uint32_t length, CBuffer& out);

} // namespace net
