// Our codec against the independent Python reference, in both directions: whole messages
// packed, cut into frames, sent as one stream and taken apart again.
#include "net/ByteOrder.h"
#include "net/ConnectionKeys.h"
#include "net/FrameReceiver.h"
#include "net/FrameSender.h"
#include "net/Oracle.h"
#include "net/Packager.h"
#include "net/Pieces.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

struct Case {
    uint32_t encrypt, compress;
    size_t dataLength;
    size_t frames; // expected
};

// Plain packing adds 68 bytes to the data, so 3932, 3933 and 7933 give bodies of exactly
// 4000, 4001 and 8001 bytes.
const Case kCases[] = {
    {0, 0, 3932, 1}, {0, 0, 3933, 2}, {0, 0, 7933, 3}, {0x100, 0, 64, 1},
    {0x100, 0, 9000, 3}, {0x100, 0x400, 20000, 0}, {0, 0x400, 1, 1},
};

const uint8_t* GameKey() { return net::ConnectionKeyBlock(net::kGameKeyBlock); }

std::string Settings(uint32_t enc, uint32_t comp)
{
    return Hex(GameKey(), 16) + ":" + std::to_string(enc) + ":" + std::to_string(comp);
}

Bytes Data(size_t n, uint32_t seed)
{
    Bytes b = RandomBytes(n, seed);
    for (size_t i = 0; i < n; i += 3)
        b[i] = 'a'; // some redundancy, so the zlib stage has work
    return b;
}

TEST(WireInterop, OurFramesDecodeInPython)
{
    net::FrameSender sender(net::kGamePieceSize);
    std::vector<Bytes> streams;
    std::vector<std::pair<uint32_t, uint32_t>> expectedIds;
    uint32_t serial = 1;
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const Case& c = kCases[i];
        const Bytes data = Data(c.dataLength, uint32_t(i));
        net::CBuffer body, pieces;
        ASSERT_TRUE(net::PackMessage(net::MessageHead::WithId(201001 + uint32_t(i)), data.data(), uint32_t(data.size()),
                                     GameKey(), 128, c.encrypt, c.compress, body));
        net::SplitBodyIntoPieces(body.GetData(), body.GetSize(), pieces, net::kGamePieceSize);
        const uint32_t messageId = sender.NextMessageId();
        std::vector<Bytes> frames;
        ASSERT_TRUE(sender.BuildFrames(pieces.GetData(), pieces.GetSize(), messageId, i % 2 == 0, true, frames));
        if (c.frames) {
            EXPECT_EQ(frames.size(), c.frames) << i;
        }
        Bytes stream;
        for (const Bytes& f : frames)
            stream.insert(stream.end(), f.begin(), f.end());
        streams.push_back(stream);
        expectedIds.push_back({messageId, serial});
        serial += uint32_t(frames.size());
    }
    const auto decoded = Oracle("decode-stream", Settings(0, 0), streams);
    ASSERT_EQ(decoded.size(), streams.size());
    for (size_t i = 0; i < decoded.size(); ++i) {
        const Bytes& d = decoded[i];
        ASSERT_GE(d.size(), 20u + 28u);
        EXPECT_EQ(net::ReadLe32(d.data()), 1u);                            // type
        EXPECT_EQ(net::ReadLe32(d.data() + 4), expectedIds[i].first);      // message id
        EXPECT_EQ(net::ReadLe32(d.data() + 8), i % 2 == 0 ? 1u : 0u);      // needs reply
        EXPECT_EQ(net::ReadLe32(d.data() + 12), expectedIds[i].second);    // first serial
        EXPECT_EQ(net::ReadLe32(d.data() + 24), 201001 + uint32_t(i));     // message head id
        EXPECT_EQ(net::ReadLe32(d.data() + 20 + 24), kCases[i].dataLength); // data length
        EXPECT_EQ(Bytes(d.begin() + 48, d.end()), Data(kCases[i].dataLength, uint32_t(i))) << i;
    }
}

TEST(WireInterop, PythonFramesDecodeHere)
{
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const Case& c = kCases[i];
        const Bytes data = Data(c.dataLength, uint32_t(100 + i));
        const uint32_t type = i % 2 ? net::kFrameTypeReply : net::kFrameTypePush;
        Bytes record(20);
        const uint32_t words[5] = {222170, uint32_t(10 + i), 1, type, 0};
        for (int w = 0; w < 5; ++w)
            net::WriteLe32(record.data() + 4 * w, words[w]);
        record.insert(record.end(), data.begin(), data.end());
        const Bytes stream = Oracle1("encode-message", Settings(c.encrypt, c.compress), record);
        ASSERT_FALSE(stream.empty());

        net::FrameReceiver receiver(net::kGamePieceSize);
        receiver.SetIdentity({5, 77});
        if (type == net::kFrameTypeReply)
            receiver.Replies().SetAwaitedReply(uint32_t(10 + i));
        net::CBuffer message;
        net::ReceiveEvent event = net::ReceiveEvent::NeedMore;
        // Fed in uneven reads, as a socket would hand them over.
        for (size_t pos = 0, step = 1; pos < stream.size(); pos += step, step = step * 7 % 1500 + 1) {
            const size_t n = std::min(step, stream.size() - pos);
            receiver.Feed(stream.data() + pos, n);
            event = receiver.Next(message);
            if (event != net::ReceiveEvent::NeedMore)
                break;
        }
        ASSERT_EQ(event, type == net::kFrameTypeReply ? net::ReceiveEvent::ReplyMessage : net::ReceiveEvent::PushMessage)
            << i;
        net::SocketContextRecord ctx;
        net::SocketMessageRecord msg;
        ASSERT_TRUE(net::UnpackMessage(message.GetData(), message.GetSize(), ctx, msg, GameKey(), 128, 0x100, 0,
                                       net::kGamePieceSize));
        EXPECT_EQ(ctx.messageId, 10 + i);
        EXPECT_EQ(ctx.tag, 77);
        EXPECT_EQ(msg.head.Id(), 222170u);
        ASSERT_EQ(size_t(msg.length), data.size());
        EXPECT_TRUE(std::equal(data.begin(), data.end(), msg.data)) << i;
        net::FreeMessageData(msg);
    }
}

} // namespace
