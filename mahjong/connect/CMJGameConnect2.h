#pragma once
// CMJGameConnect2: the mahjong layer's server connection. One operation per table action
// (draw, throw, pass, peng, chi, gang, flower replacement, hu, asking to see a watched hand)
// and the game message. The scene builds the records (request head first) and hands them in;
// this class fixes the id, the size sent, the wait and what it takes of the reply.
//
// Table actions (ids above 220000) wait at most 5 s. A failed one is logged to the transport's
// file log and reported as FALSE, send-only ones included (the scene then treats the action as
// not sent), and the operations that report a reply code report 10100. Replies are copied out
// only as far as they reach; the rest of the caller's record is zeroed, and a reply too short
// for the words the caller reads gives FALSE.
#include "framework/connection/CGameConnect.h"

#include <memory>
#include <span>

class CMJGameConnect2 : public CGameConnect {
public:
    static constexpr size_t kDrawRecordSize = 32;
    static constexpr size_t kGangReplySize = 48;
    static constexpr size_t kGangCardsReplySize = 32;
    static constexpr size_t kClaimRecordSize = 64;
    static constexpr size_t kThrowHeadSize = 104;
    static constexpr size_t kThrowCountOffset = 100;
    static constexpr int32_t kMaxThrowTiles = 32;
    static constexpr size_t kGameMessageHead = 20;

    CMJGameConnect2();

    bool SendRequest(std::string& text, uint32_t requestId, const void* record, uint32_t length, GameReply& reply,
                     bool wantReply) override;
    int GetRequestTimeout(uint32_t requestId) const override;
    bool Request201162(uint32_t notifyId, const uint8_t* data, int32_t length) override;
    void SaveTableData(const uint8_t* data, int32_t length) override { CGameConnect::SaveTableData(data, length); }

    virtual bool AskKanPai();
    // record: 104 + 4 × count bytes, the count at +100 (0 to 32).
    virtual bool ThrowCards(std::string& text, const uint8_t* record, uint32_t* replyCode);
    // record: 96 bytes; draw: 32 bytes out.
    virtual bool CatchCard(std::string& text, const uint8_t* record, uint8_t* draw);
    // record: 40 bytes.
    virtual bool Pass(std::string& text, const uint8_t* record);
    // records: 64 bytes.
    virtual bool AnnouncePeng(std::string& text, const uint8_t* record);
    virtual bool AnnounceGang(std::string& text, const uint8_t* record, uint8_t* reply);
    virtual bool AnnounceChi(std::string& text, const uint8_t* record);
    virtual bool SendPengCards(std::string& text, uint32_t* replyCode, const uint8_t* record);
    virtual bool SendChiCards(std::string& text, const uint8_t* record, uint32_t* replyCode);
    virtual bool SendGangCards(std::string& text, uint32_t requestId, const uint8_t* record, uint8_t* reply,
                               uint32_t* replyCode);
    // record: 44 bytes; draw: 32 bytes out.
    virtual bool ReplaceFlower(std::string& text, const uint8_t* record, uint8_t* draw);
    // record: 48 bytes. The reply code itself, 10100 when the request failed.
    virtual uint32_t Hu(std::string& text, const uint8_t* record);

    // The game message (229510): room id, user id, sub-code, 0, n, then n bytes. The reply code,
    // or 10100 when sending failed.
    uint32_t SendGameMessage(uint32_t subCode, uint32_t length, const void* data, bool wantReply);
    // The same, waiting: the reply data (the caller owns it) and its length; null, length 0 and
    // 10100 on failure.
    std::unique_ptr<uint8_t[]> SendGameMessageWait(uint32_t subCode, uint32_t* replyCode, uint32_t* length,
                                                   const void* data);

private:
    bool SendFixed(std::string& text, uint32_t id, const uint8_t* record, uint32_t size, GameReply& reply,
                   bool wantReply);
    bool SendClaimCards(std::string& text, uint32_t id, const uint8_t* record, uint32_t* replyCode);
    bool SendDraw(std::string& text, uint32_t id, const uint8_t* record, uint32_t size, uint8_t* draw);
    std::unique_ptr<uint8_t[]> GameMessageRecord(uint32_t subCode, uint32_t length, const void* data) const;
};
