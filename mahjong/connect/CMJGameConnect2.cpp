// The mahjong table's requests.
#include "mahjong/connect/CMJGameConnect2.h"

#include "framework/connection/RequestIds.h"
#include "net/FileLogger.h"

#include <cstring>

namespace {

constexpr uint32_t kGameMessageNotify = 229500;
constexpr size_t kDrawTileOffset = 4;
// A draw or replacement reply must carry the drawn tile's word.
constexpr size_t kDrawWordsRead = 8;

// Copies what the reply holds of `size` bytes and zeroes the rest; false when it is shorter
// than `needed`.
bool CopyReply(const GameReply& reply, uint8_t* out, size_t size, size_t needed)
{
    if (!out)
        return false;
    reply.Reader().CopyTo(out, size);
    return reply.Reader().Size() >= needed;
}

} // namespace

CMJGameConnect2::CMJGameConnect2() : CGameConnect(nullptr, 0, 0, 0) {}

int CMJGameConnect2::GetRequestTimeout(uint32_t requestId) const
{
    return requestId > RequestId::MahjongFirst ? 5 : CGameConnect::GetRequestTimeout(requestId);
}

bool CMJGameConnect2::SendRequest(std::string& text, uint32_t requestId, const void* record, uint32_t length,
                                  GameReply& reply, bool wantReply)
{
    const bool ok = CGameConnect::SendRequest(text, requestId, record, length, reply, wantReply);
    if (requestId <= RequestId::MahjongFirst || ok)
        return ok;
    // A table action that did not go out is reported, waited or not: the scene must not act
    // as if the server had it.
    net::OxtLog("ProcoessRequest Faild,ReQuestid:%ld,nResponse:%ld", long(requestId), long(reply.code));
    return false;
}

bool CMJGameConnect2::SendFixed(std::string& text, uint32_t id, const uint8_t* record, uint32_t size, GameReply& reply,
                                bool wantReply)
{
    text.clear();
    if (!record)
        return false;
    return SendRequest(text, id, record, size, reply, wantReply);
}

bool CMJGameConnect2::AskKanPai()
{
    FixedRecord<32> r;
    auto w = r.Writer();
    WriteHead(w);
    return SendOnly(RequestId::AskKanPai, r);
}

bool CMJGameConnect2::ThrowCards(std::string& text, const uint8_t* record, uint32_t* replyCode)
{
    const int32_t count = record ? RecordReader(record, kThrowHeadSize).I32(kThrowCountOffset) : -1;
    GameReply reply;
    bool ok = count >= 0 && count <= kMaxThrowTiles;
    if (ok)
        ok = SendFixed(text, RequestId::ThrowCards, record, uint32_t(kThrowHeadSize + 4 * count), reply, true);
    if (replyCode)
        *replyCode = ok ? reply.code : ReplyCode::RequestFailed;
    return ok;
}

bool CMJGameConnect2::SendDraw(std::string& text, uint32_t id, const uint8_t* record, uint32_t size, uint8_t* draw)
{
    GameReply reply;
    if (!SendFixed(text, id, record, size, reply, true))
        return false;
    if (reply.code == ReplyCode::Success)
        return CopyReply(reply, draw, kDrawRecordSize, kDrawWordsRead);
    if (reply.code == ReplyCode::NoTile && draw)
        RecordWriter({draw + kDrawTileOffset, 4}).I32(0, -1);
    return false;
}

bool CMJGameConnect2::CatchCard(std::string& text, const uint8_t* record, uint8_t* draw)
{
    return SendDraw(text, RequestId::CatchCard, record, 96, draw);
}

bool CMJGameConnect2::ReplaceFlower(std::string& text, const uint8_t* record, uint8_t* draw)
{
    return SendDraw(text, RequestId::ReplaceFlower, record, 44, draw);
}

bool CMJGameConnect2::Pass(std::string& text, const uint8_t* record)
{
    GameReply reply;
    return SendFixed(text, RequestId::Pass, record, 40, reply, false);
}

bool CMJGameConnect2::AnnouncePeng(std::string& text, const uint8_t* record)
{
    GameReply reply;
    return SendFixed(text, RequestId::AnnouncePeng, record, kClaimRecordSize, reply, false);
}

bool CMJGameConnect2::AnnounceChi(std::string& text, const uint8_t* record)
{
    GameReply reply;
    return SendFixed(text, RequestId::AnnounceChi, record, kClaimRecordSize, reply, false);
}

bool CMJGameConnect2::AnnounceGang(std::string& text, const uint8_t* record, uint8_t* out)
{
    GameReply reply;
    if (!SendFixed(text, RequestId::AnnounceGang, record, kClaimRecordSize, reply, true) ||
        reply.code != ReplyCode::Success)
        return false;
    // The caller reads the kind and the tile.
    return CopyReply(reply, out, kGangReplySize, 8);
}

bool CMJGameConnect2::SendClaimCards(std::string& text, uint32_t id, const uint8_t* record, uint32_t* replyCode)
{
    GameReply reply;
    const bool ok = SendFixed(text, id, record, kClaimRecordSize, reply, true);
    if (replyCode)
        *replyCode = ok ? reply.code : ReplyCode::RequestFailed;
    return ok && reply.code == ReplyCode::Success;
}

bool CMJGameConnect2::SendPengCards(std::string& text, uint32_t* replyCode, const uint8_t* record)
{
    return SendClaimCards(text, RequestId::PengCards, record, replyCode);
}

bool CMJGameConnect2::SendChiCards(std::string& text, const uint8_t* record, uint32_t* replyCode)
{
    return SendClaimCards(text, RequestId::ChiCards, record, replyCode);
}

bool CMJGameConnect2::SendGangCards(std::string& text, uint32_t requestId, const uint8_t* record, uint8_t* out,
                                    uint32_t* replyCode)
{
    GameReply reply;
    const bool ok = SendFixed(text, requestId, record, kClaimRecordSize, reply, true);
    if (replyCode)
        *replyCode = ok ? reply.code : ReplyCode::RequestFailed;
    if (!ok || reply.code != ReplyCode::Success)
        return false;
    return CopyReply(reply, out, kGangCardsReplySize, kDrawWordsRead);
}

uint32_t CMJGameConnect2::Hu(std::string& text, const uint8_t* record)
{
    GameReply reply;
    return SendFixed(text, RequestId::Hu, record, 48, reply, true) ? reply.code : ReplyCode::RequestFailed;
}

std::unique_ptr<uint8_t[]> CMJGameConnect2::GameMessageRecord(uint32_t subCode, uint32_t length, const void* data) const
{
    const size_t size = kGameMessageHead + length;
    auto record = std::make_unique<uint8_t[]>(size);
    RecordWriter w({record.get(), size});
    w.U32(0, App().GetRoomID());
    w.U32(4, App().GetUserID());
    w.U32(8, subCode);
    w.U32(16, length);
    w.Bytes(kGameMessageHead, data, length);
    return record;
}

uint32_t CMJGameConnect2::SendGameMessage(uint32_t subCode, uint32_t length, const void* data, bool wantReply)
{
    if (length && !data)
        return ReplyCode::RequestFailed;
    const auto record = GameMessageRecord(subCode, length, data);
    std::string text;
    GameReply reply;
    return SendRequest(text, RequestId::GameMessage, record.get(), uint32_t(kGameMessageHead + length), reply,
                       wantReply)
        ? reply.code
        : ReplyCode::RequestFailed;
}

std::unique_ptr<uint8_t[]> CMJGameConnect2::SendGameMessageWait(uint32_t subCode, uint32_t* replyCode, uint32_t* length,
                                                                const void* data)
{
    const uint32_t n = length ? *length : 0;
    std::string text;
    GameReply reply;
    const bool ok = (n == 0 || data) &&
        SendRequest(text, RequestId::GameMessage, GameMessageRecord(subCode, n, data).get(),
                    uint32_t(kGameMessageHead + n), reply, true);
    if (replyCode)
        *replyCode = ok ? reply.code : ReplyCode::RequestFailed;
    if (length)
        *length = ok ? uint32_t(reply.length) : 0;
    if (!ok)
        return nullptr;
    return std::move(reply.data);
}

bool CMJGameConnect2::Request201162(uint32_t notifyId, const uint8_t* data, int32_t length)
{
    const uint32_t subCode =
        notifyId == kGameMessageNotify && data && length > 0 ? RecordReader(data, size_t(length)).U32(8) : 0;
    return SendNotifyFailure(notifyId, subCode, length);
}
