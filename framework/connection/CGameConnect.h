#pragma once
// CGameConnect: the framework's one link to the game server. It keys the transport with block 2
// of the key table, reads the hall's proxy settings, opens the game channel (directly or
// through the proxy) with its greeting, and carries every request through one send-and-wait
// operation with a time-out per request id; reply codes become texts from three tables. Each
// request is one virtual operation (the request catalogue) that builds its record, sends it,
// reads what it needs of the reply through the bounded RecordReader and reports a BOOL-style
// result and a text.
//
// Only one request waits at a time; the caller (the UI thread) is blocked up to the id's time-out
// while the transport's socket thread delivers the reply. Pushed messages never pass through
// here: the socket thread posts them to the notify thread.
//
// The mahjong and game layers derive from it (CMJGameConnect2, CGameRequest) and override
// SendRequest and GetRequestTimeout.
#include "framework/connection/ClientApp.h"
#include "framework/connection/Record.h"
#include "net/SocketClient.h"
#include "net/SyncProxySocket.h"

#include <cstdint>
#include <memory>
#include <string>

// The greeting of the game channel; the terminating zero is sent too.
const char* GetGameChannelGreeting();
uint32_t GetGameChannelGreetingLength();

// A reply as SendRequest hands it out: the code (in: what the caller set, kept when sending
// fails), the data (owned; freed with the reply on every path) and its length.
struct GameReply {
    uint32_t code = 0;
    int32_t length = 0;
    std::unique_ptr<uint8_t[]> data;

    RecordReader Reader() const { return RecordReader(data.get(), length > 0 ? size_t(length) : 0); }
    bool HasData() const { return data && length > 0; }
    void Clear()
    {
        data.reset();
        length = 0;
    }
};

// Response times of waited requests, reported and reset by the pulse.
class ResponseStats {
public:
    static constexpr uint32_t kCapMs = 60000;
    void Add(uint32_t elapsedMs);
    // Average and largest response time, each capped; both 0 without a timed reply. Resets.
    void TakePulse(uint32_t& average, uint32_t& largest);
    uint32_t Sum() const { return sum_; }
    uint32_t Count() const { return count_; }
    uint32_t Max() const { return max_; }

private:
    uint32_t sum_ = 0;
    uint32_t count_ = 0;
    uint32_t max_ = 0;
};

// Section "PROXY" of the hall's ini.
struct ProxySettings {
    static constexpr size_t kTextLimit = 31; // 32-character fields
    int need = 0;
    int port = 1080;
    int kind = 3; // 0 none, 1 SOCKS4, 2 SOCKS4A, 3 SOCKS5, 4 HTTP CONNECT
    std::string host;
    std::string user;
    std::string password;
};

// The out record of the feature-button configuration (201308).
inline constexpr size_t kFeatureReplySize = 1104;
inline constexpr size_t kFeatureIndexLimit = 10;
inline constexpr size_t kEnterRecordSize = 108;
inline constexpr size_t kUserBriefSize = 136;
inline constexpr size_t kLoginRecordSize = 176;
inline constexpr size_t kMachineIdSize = 32;

// The 32-character machine id fills its 32-byte field; no terminating zero is kept.
void WriteMachineId(RecordWriter& w, size_t offset, const std::string& id);

class CGameConnect : public net::CDefSocketClient {
public:
    CGameConnect(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags);
    ~CGameConnect() override;

    // The application whose accessors the requests read; must outlive the connection's use.
    void SetApp(IClientApp* app) { app_ = app; }
    IClientApp* GetApp() const { return app_; }

    // --- the connection --------------------------------------------------------------------
    virtual bool SetupEncryption();
    // Closes the proxy socket member, then the connection.
    virtual void CloseAll();
    // Opens the channel; on a proxy failure sets *proxyFailed to 1. Closes both members first.
    virtual bool OpenGameChannel(const std::string& name, const std::string& host, uint16_t port, int* proxyFailed);
    virtual std::string GetProxyHost() const { return proxy_.host; }
    virtual void SetNotifyThreadId(platform::ThreadId thread) { notifyThread_ = thread; }
    virtual void LoadProxySettings(const std::string& iniPath);
    // The send-and-wait operation every request goes through. length is the record's; the
    // reply is handed out in `reply`. False when not connected (1031), timed out (1030), the
    // send failed (code unchanged) or the server sent a text (60031, the text in `text`).
    virtual bool SendRequest(std::string& text, uint32_t requestId, const void* record, uint32_t length,
                             GameReply& reply, bool wantReply);
    virtual int GetRequestTimeout(uint32_t requestId) const;
    // Sets the text of a game-server code; leaves it unchanged for other codes.
    virtual void GetReplyCodeText(std::string& text, uint32_t code) const;

    // --- the request catalogue -------------------------------------------------------------
    virtual bool QueryGamePlaying();
    virtual bool GetTableGameData();
    virtual bool CheckVersion(std::string& text, int* serverMajor, int* serverMinor);
    virtual bool GetFeatureConfig(std::string& text);
    virtual bool LoginGame(std::string& text);
    virtual bool EnterGame(std::string& text);
    virtual bool StartGameEx(std::string& text);
    virtual bool TakeSilverReward(std::string& text, int32_t value);
    virtual bool StartGame(std::string& text);
    virtual bool Request201161(std::string& text);
    virtual bool QuitGame(uint32_t userId, int32_t chair);
    virtual bool LeaveGame(std::string& text, uint32_t userId, int32_t chair);
    virtual bool SendChat(const std::string& chat);
    virtual bool SendChatEx(const std::string& chat);
    virtual bool SendAhoo(uint32_t userId);
    virtual bool Request201180(int32_t value);
    virtual bool SendPulse();
    virtual bool Request201221();
    virtual bool Request201162(uint32_t notifyId, const uint8_t* data, int32_t length);
    virtual bool Request201230(int32_t value);
    virtual bool Request201231();
    virtual bool Request201232();
    virtual bool AskExit(const std::string& reason);
    virtual bool ReplyAskExit(uint32_t askingUserId, int32_t answer);
    virtual bool Request229560(int32_t first, int32_t second);
    virtual bool Request214102();
    virtual bool Request214104();
    virtual bool Request214110(int32_t value);
    virtual bool PassOwnUserRecord(uint8_t out[kUserBriefSize]);
    virtual bool FillEnterInfo(uint8_t out[kEnterRecordSize]);
    virtual bool FillLoginInfo(uint8_t out[kLoginRecordSize]);
    virtual void SaveTableData(const uint8_t* data, int32_t length);
    virtual void SaveLookOnData(const uint8_t* data, int32_t length);
    virtual void SaveGameData(const uint8_t* data, int32_t length);
    virtual bool ChangeTable(std::string& text);
    virtual bool StartGameNew(std::string& text);
    virtual bool Request200040(std::string& text, uint8_t out[32]);
    virtual bool SaveDeposit(std::string& text, int32_t* amount, uint32_t* code);
    virtual bool TakeDeposit(std::string& text, int32_t amount, int32_t extra);
    virtual bool Request200043(std::string& text, uint8_t out[24], uint32_t* code);
    virtual void GetHallCodeText(std::string& text, uint32_t code) const;
    virtual void GetDepositCodeText(std::string& text, uint32_t code) const;
    virtual bool GetAllowanceConfig(std::string& text, int32_t value, uint8_t out[124]);
    virtual bool TakeAllowance(std::string& text, int32_t value, int32_t kind, int32_t* out);
    virtual bool TakeAllowanceEx(std::string& text, int32_t value, int32_t kind, int32_t* out);

    // The statistics the pulse reports.
    ResponseStats& Stats() { return stats_; }
    const ProxySettings& Proxy() const { return proxy_; }
    uint16_t ServerPort() const { return serverPort_; }
    const std::string& ServerHost() const { return serverHost_; }
    const std::string& ChannelName() const { return channelName_; }

protected:
    // The transport's own send step stays reachable for the layers above.
    using net::CDefSocketClient::SendRequest;
    // Writes the request head (user, room, table, chair) at +0.
    void WriteHead(RecordWriter& w) const;
    IClientApp& App() const;
    // Sends a record of the fixed layouts above; the common body of the send-only requests.
    template <size_t N>
    bool SendOnly(uint32_t id, FixedRecord<N>& record)
    {
        std::string text;
        GameReply reply;
        return SendRequest(text, id, record.bytes.data(), N, reply, false);
    }
    bool SendHeadOnly(std::string& text, uint32_t id, GameReply& reply, bool wantReply);
    bool SendStart(std::string& text, uint32_t id);
    // The 56-byte notification-failure report; the sub-code goes to +24.
    bool SendNotifyFailure(uint32_t notifyId, uint32_t subCode, int32_t length);
    bool SendNameReport(uint32_t id);
    // Head, then two words at +16 and +20 (40 bytes), sent without a wait.
    bool SendHeadAndTwo(uint32_t id, uint32_t first, uint32_t second);
    // The texts both deposit directions share; false for a code they do not know.
    bool CommonDepositText(std::string& text, uint32_t code) const;
    std::string OwnName() const;
    bool SendAllowance(uint32_t id, size_t size, std::string& text, int32_t value, int32_t kind, int32_t* out);

private:
    IClientApp* app_ = nullptr;
    uint16_t serverPort_ = 0;
    std::string channelName_;
    std::string serverHost_;
    ProxySettings proxy_;
    platform::ThreadId notifyThread_ = 0;
    net::CSyncProxySocket proxySocket_;
    ResponseStats stats_;
};
