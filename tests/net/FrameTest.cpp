#include "net/ByteOrder.h"
#include "net/FrameReceiver.h"
#include "net/FrameSender.h"
#include "net/Oracle.h"
#include "net/WireFrame.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

Bytes Frame(uint32_t type, uint32_t messageId, uint32_t index, bool last, const Bytes& piece, bool crc = true,
            uint32_t needsReply = 0)
{
    net::ChunkHeader h;
    h.type = type;
    h.serial = 1;
    h.messageId = messageId;
    h.pieceIndex = index;
    h.lastPiece = last;
    h.needsReply = needsReply;
    return net::BuildFrame(h, piece.data(), uint32_t(piece.size()), crc);
}

TEST(WireFrame, GreetingBytes)
{
    const auto block = net::BuildRawBlock(net::kGameGreeting, net::kGameGreetingLength);
    EXPECT_EQ(Hex(block), "15000000" "48656c6c6f212047616d65204368616e6e656c2e00");
}

TEST(WireFrame, LayoutAndChecksum)
{
    const Bytes piece = ToBytes("abc");
    net::ChunkHeader h;
    h.serial = 5;
    h.messageId = 9;
    h.pieceIndex = 2;
    h.lastPiece = 1;
    h.needsReply = 1;
    const Bytes frame = net::BuildFrame(h, piece.data(), 3, true);
    ASSERT_EQ(frame.size(), 63u);
    EXPECT_EQ(Hex(Bytes(frame.begin(), frame.begin() + 12)), "3b000000" "01000000" "05000000");
    EXPECT_EQ(net::ReadLe32(frame.data() + 12), 1u);
    // The CRC covers the frame with both checksum words zeroed.
    Bytes zeroed = frame;
    std::fill(zeroed.begin() + 12, zeroed.begin() + 20, 0);
    EXPECT_EQ(net::ReadLe32(frame.data() + 16), net::ReadLe32(Oracle1("crc32", "", zeroed).data()));
    EXPECT_EQ(Hex(Bytes(frame.begin() + 20, frame.end())),
              "00000000" "00000000" "09000000" "02000000" "01000000" "00000000" "01000000" "00000000" "00000000"
              "03000000" "616263");
    const net::ChunkHeader back = net::ChunkHeader::Decode(frame.data() + 4);
    EXPECT_EQ(back.messageId, 9u);
    EXPECT_EQ(back.pieceIndex, 2u);
    EXPECT_EQ(back.needsReply, 1u);
    // Without a checksum both words stay zero.
    const Bytes plain = net::BuildFrame(h, piece.data(), 3, false);
    EXPECT_EQ(net::ReadLe32(plain.data() + 12) | net::ReadLe32(plain.data() + 16), 0u);
}

TEST(WireFrame, ValidationRules)
{
    using V = net::FrameVerdict;
    auto verdict = [](const Bytes& f) { return net::ValidateFrame(f.data(), f.size(), 4000); };
    EXPECT_EQ(verdict(Frame(1, 1, 1, true, Bytes(1, 7))), V::Accept);
    EXPECT_EQ(verdict(Frame(1, 1, 1, true, Bytes(4000, 7))), V::Accept);
    EXPECT_EQ(verdict(Frame(1, 1, 1, true, Bytes(4001, 7))), V::BadLength);
    EXPECT_EQ(verdict(Frame(1, 1, 1, true, Bytes())), V::BadLength); // L = 56
    for (uint32_t length : {0u, 1u, 23u, 25u, 40u, 56u, 4057u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        EXPECT_FALSE(net::FrameLengthAcceptable(length, 4000)) << length;
    for (uint32_t length : {24u, 57u, 4056u})
        EXPECT_TRUE(net::FrameLengthAcceptable(length, 4000)) << length;
    // A damaged byte breaks a flagged frame; an unflagged one is accepted whatever its CRC.
    Bytes damaged = Frame(1, 1, 1, true, Bytes(100, 7));
    damaged[80] ^= 1;
    EXPECT_EQ(verdict(damaged), V::BadChecksum);
    Bytes unflagged = Frame(1, 1, 1, true, Bytes(100, 7), false);
    net::WriteLe32(unflagged.data() + 16, 0xDEADBEEF);
    EXPECT_EQ(verdict(unflagged), V::Accept);
    // Piece length word must agree with L.
    Bytes lying = Frame(1, 1, 1, true, Bytes(100, 7), false);
    net::WriteLe32(lying.data() + 56, 101);
    EXPECT_EQ(verdict(lying), V::BadPieceLength);
    // The 28-byte frame: CRC-tested within its own bytes, then dropped.
    Bytes shortFrame(28, 0);
    net::WriteLe32(shortFrame.data(), 24);
    EXPECT_EQ(verdict(shortFrame), V::DropShort);
    net::WriteLe32(shortFrame.data() + 12, 1);
    EXPECT_EQ(verdict(shortFrame), V::BadChecksum);
    net::WriteLe32(shortFrame.data() + 16, net::FrameChecksum(shortFrame.data(), 28));
    EXPECT_EQ(verdict(shortFrame), V::DropShort);
    // A size that disagrees with the length word.
    EXPECT_EQ(net::ValidateFrame(shortFrame.data(), 27, 4000), V::BadLength);
}

TEST(FrameSender, NumbersFramesAndRefusesBadPieceLists)
{
    net::FrameSender sender(4000);
    EXPECT_EQ(sender.NextMessageId(), 1u);
    EXPECT_EQ(sender.NextMessageId(), 2u);
    Bytes pieces;
    for (uint32_t p : {4000u, 4000u, 1u}) {
        pieces.resize(pieces.size() + 4);
        net::WriteLe32(pieces.data() + pieces.size() - 4, p);
        pieces.resize(pieces.size() + p, static_cast<uint8_t>(p));
    }
    std::vector<Bytes> frames;
    ASSERT_TRUE(sender.BuildFrames(pieces.data(), pieces.size(), 2, true, true, frames));
    ASSERT_EQ(frames.size(), 3u);
    for (uint32_t i = 0; i < 3; ++i) {
        const auto h = net::ChunkHeader::Decode(frames[i].data() + 4);
        EXPECT_EQ(h.serial, i + 1);
        EXPECT_EQ(h.pieceIndex, i + 1);
        EXPECT_EQ(h.lastPiece, i == 2 ? 1u : 0u);
        EXPECT_EQ(h.messageId, 2u);
        EXPECT_EQ(h.needsReply, 1u);
        EXPECT_EQ(net::ValidateFrame(frames[i].data(), frames[i].size(), 4000), net::FrameVerdict::Accept);
    }
    // Serials run on across messages.
    ASSERT_TRUE(sender.BuildFrames(pieces.data(), 4005, 3, false, true, frames));
    EXPECT_EQ(net::ChunkHeader::Decode(frames[0].data() + 4).serial, 4u);
    // Fewer than five bytes: nothing to send, not an error.
    EXPECT_TRUE(sender.BuildFrames(pieces.data(), 4, 4, false, true, frames));
    EXPECT_TRUE(frames.empty());
    // A length word past the end, or beyond the maximum: nothing at all is built.
    EXPECT_FALSE(sender.BuildFrames(pieces.data(), 4003, 5, false, true, frames));
    EXPECT_TRUE(frames.empty());
    net::FrameSender small(100);
    EXPECT_FALSE(small.BuildFrames(pieces.data(), pieces.size(), 1, false, true, frames));
}

class ReceiverTest : public ::testing::Test {
protected:
    net::ReceiveEvent Feed(const Bytes& bytes)
    {
        receiver_.Feed(bytes.data(), bytes.size());
        return receiver_.Next(message_);
    }
    // The pieces of the reassembled form, joined.
    Bytes Payload() const
    {
        Bytes out;
        for (size_t pos = 24; pos + 4 <= message_.GetSize();) {
            const uint32_t p = net::ReadLe32(message_.GetData(pos));
            out.insert(out.end(), message_.GetData(pos + 4), message_.GetData(pos + 4 + p));
            pos += 4 + p;
        }
        return out;
    }
    net::FrameReceiver receiver_{4000};
    net::CBuffer message_;
};

TEST_F(ReceiverTest, PushMessagesInPiecesAndOutOfOrder)
{
    using E = net::ReceiveEvent;
    receiver_.SetIdentity({33, 7});
    EXPECT_EQ(Feed(Frame(1, 5, 1, false, ToBytes("ab"), true, 1)), E::NeedMore);
    EXPECT_EQ(Feed(Frame(1, 5, 2, true, ToBytes("cd"))), E::PushMessage);
    EXPECT_EQ(Payload(), ToBytes("abcd"));
    const auto ctx = net::SocketContextRecord::Decode(message_.GetData());
    EXPECT_EQ(ctx.socket, 33u);
    EXPECT_EQ(ctx.messageId, 5u);
    EXPECT_EQ(ctx.needsReply, 1u); // from the first piece
    EXPECT_EQ(ctx.tag, 7);
    // A message whose first piece is lost is skipped until a new piece 1.
    EXPECT_EQ(Feed(Frame(1, 6, 2, true, ToBytes("x"))), E::NeedMore);
    // A gap discards the partial message and the frame itself.
    EXPECT_EQ(Feed(Frame(1, 7, 1, false, ToBytes("x"))), E::NeedMore);
    EXPECT_EQ(Feed(Frame(1, 7, 3, true, ToBytes("z"))), E::NeedMore);
    EXPECT_EQ(receiver_.Pushes().MessageId(), 0u);
    EXPECT_EQ(Feed(Frame(1, 8, 1, true, ToBytes("one"))), E::PushMessage);
    EXPECT_EQ(Payload(), ToBytes("one"));
    // Two whole messages in one read come out one call at a time; so do byte-sized reads.
    Bytes both = Frame(1, 9, 1, true, ToBytes("p"));
    const Bytes second = Frame(1, 10, 1, true, ToBytes("q"));
    both.insert(both.end(), second.begin(), second.end());
    EXPECT_EQ(Feed(both), E::PushMessage);
    EXPECT_EQ(Payload(), ToBytes("p"));
    EXPECT_EQ(receiver_.Next(message_), E::PushMessage);
    EXPECT_EQ(Payload(), ToBytes("q"));
    const Bytes third = Frame(1, 11, 1, true, ToBytes("r"));
    for (size_t i = 0; i + 1 < third.size(); ++i)
        EXPECT_EQ(Feed(Bytes{third[i]}), E::NeedMore);
    EXPECT_EQ(Feed(Bytes{third.back()}), E::PushMessage);
    // The 28-byte frame is passed over.
    Bytes shortFrame(28, 0);
    net::WriteLe32(shortFrame.data(), 24);
    EXPECT_EQ(Feed(shortFrame), E::NeedMore);
    EXPECT_EQ(receiver_.Buffered(), 0u);
}

TEST_F(ReceiverTest, ReplyStateMachine)
{
    using E = net::ReceiveEvent;
    // Nothing awaited: a reply piece breaks the stream.
    EXPECT_EQ(Feed(Frame(2, 1, 1, true, ToBytes("r"))), E::Error);
    EXPECT_EQ(receiver_.LastError(), net::FrameError::UnexpectedReply);
    receiver_.Replies().SetAwaitedReply(4);
    EXPECT_EQ(Feed(Frame(2, 4, 1, false, ToBytes("r1"))), E::NeedMore);
    EXPECT_EQ(Feed(Frame(2, 3, 1, true, ToBytes("old"))), E::NeedMore); // stale id
    EXPECT_EQ(Feed(Frame(2, 4, 1, false, ToBytes("r1"))), E::NeedMore); // repeated piece
    // A push may arrive between reply pieces.
    EXPECT_EQ(Feed(Frame(1, 9, 1, true, ToBytes("push"))), E::PushMessage);
    EXPECT_EQ(Feed(Frame(2, 4, 2, true, ToBytes("r2"))), E::ReplyMessage);
    EXPECT_EQ(Payload(), ToBytes("r1r2"));
    // Awaited until taken, so that a repeat of a reply that could not be unpacked is ignored.
    uint32_t id = 9, last = 9;
    receiver_.Replies().GetAwaitedReply(id, last);
    EXPECT_EQ(id, 4u);
    EXPECT_EQ(Feed(Frame(2, 4, 1, true, ToBytes("again"))), E::NeedMore);
    EXPECT_EQ(receiver_.Replies().ReplyTaken(), 4u); // the id the pieces carried
    receiver_.Replies().GetAwaitedReply(id, last);
    EXPECT_EQ(id, 0u);
    EXPECT_EQ(Feed(Frame(2, 4, 1, true, ToBytes("again"))), E::Error) << "a copy of a reply taken";
    // Taken after a newer request awaits its own reply: that one stays awaited.
    receiver_.Replies().SetAwaitedReply(8);
    EXPECT_EQ(Feed(Frame(2, 8, 1, true, ToBytes("s"))), E::ReplyMessage);
    receiver_.Replies().SetAwaitedReply(9);
    EXPECT_EQ(receiver_.Replies().ReplyTaken(), 8u);
    receiver_.Replies().GetAwaitedReply(id, last);
    EXPECT_EQ(id, 9u);
    // Ahead of the awaited id or piece: abandoned, error.
    receiver_.Replies().SetAwaitedReply(5);
    EXPECT_EQ(Feed(Frame(2, 6, 1, true, ToBytes("x"))), E::Error);
    receiver_.Replies().GetAwaitedReply(id, last);
    EXPECT_EQ(id, 0u);
    receiver_.Replies().SetAwaitedReply(7);
    EXPECT_EQ(Feed(Frame(2, 7, 2, true, ToBytes("x"))), E::Error);
}

TEST_F(ReceiverTest, MessagesPastTheCapBreakTheStream)
{
    using E = net::ReceiveEvent;
    const Bytes piece(4000, 0x5A);
    const uint32_t pieces = uint32_t(net::kMaxMessageBody / piece.size()); // the last one passes it
    struct Case {
        uint32_t type;
    } cases[] = {{net::kFrameTypePush}, {net::kFrameTypeReply}};
    for (const Case& c : cases) {
        net::FrameReceiver receiver(4000);
        receiver.Replies().SetAwaitedReply(3);
        E event = E::NeedMore;
        uint32_t i = 0;
        while (event == E::NeedMore && i <= pieces) {
            const Bytes f = Frame(c.type, 3, ++i, false, piece, false);
            receiver.Feed(f.data(), f.size());
            event = receiver.Next(message_);
        }
        EXPECT_EQ(event, E::Error) << c.type;
        EXPECT_EQ(i, pieces + 1);
        EXPECT_EQ(receiver.LastError(), net::FrameError::MessageTooLarge);
        uint32_t id = 9, last = 9;
        receiver.Replies().GetAwaitedReply(id, last);
        EXPECT_EQ(id, c.type == net::kFrameTypeReply ? 0u : 3u);
        EXPECT_EQ(receiver.Pushes().MessageId(), 0u);
    }
    // Exactly at the cap is whole.
    E event = E::NeedMore;
    const uint32_t full = uint32_t(net::kMaxMessageBody / 4096);
    const Bytes big(4096, 1);
    net::FrameReceiver wide(4096);
    for (uint32_t i = 1; i <= full && event == E::NeedMore; ++i) {
        const Bytes f = Frame(1, 8, i, i == full, big, false);
        wide.Feed(f.data(), f.size());
        event = wide.Next(message_);
    }
    EXPECT_EQ(event, E::PushMessage);
    EXPECT_EQ(message_.GetSize(), 24 + full * (4 + 4096u));
}

TEST_F(ReceiverTest, StreamErrors)
{
    using E = net::ReceiveEvent;
    using F = net::FrameError;
    // A hostile length is refused from its four bytes alone, and nothing is kept.
    EXPECT_EQ(Feed(FromHex("f0ffff7f")), E::Error);
    EXPECT_EQ(receiver_.LastError(), F::BadLength);
    EXPECT_EQ(receiver_.Buffered(), 0u);
    EXPECT_EQ(Feed(FromHex("38000000")), E::Error); // 56: an empty piece
    EXPECT_EQ(Feed(FromHex("00000000")), E::Error);
    // Each bad frame is removed; the bytes after it stay for the next call.
    Bytes bad = Frame(3, 1, 1, true, ToBytes("t"));
    const Bytes good = Frame(1, 2, 1, true, ToBytes("ok"));
    bad.insert(bad.end(), good.begin(), good.end());
    EXPECT_EQ(Feed(bad), E::Error);
    EXPECT_EQ(receiver_.LastError(), F::BadType);
    EXPECT_EQ(receiver_.Next(message_), E::PushMessage);
    EXPECT_EQ(Feed(Frame(1, 0, 1, true, ToBytes("t"))), E::Error);
    EXPECT_EQ(receiver_.LastError(), F::BadIds);
    EXPECT_EQ(Feed(Frame(1, 1, 0x80000000u, true, ToBytes("t"))), E::Error);
    Bytes damaged = Frame(1, 1, 1, true, ToBytes("t"));
    damaged.back() ^= 1;
    EXPECT_EQ(Feed(damaged), E::Error);
    EXPECT_EQ(receiver_.LastError(), F::BadChecksum);
    Bytes lying = Frame(1, 1, 1, true, ToBytes("tt"), false);
    net::WriteLe32(lying.data() + 56, 1);
    EXPECT_EQ(Feed(lying), E::Error);
    EXPECT_EQ(receiver_.LastError(), F::BadPieceLength);
    EXPECT_EQ(receiver_.Buffered(), 0u);
}

} // namespace
