// CGameConnect: keys, proxy settings, opening the game channel, the send-and-wait operation,
// time-outs and response-time statistics.
#include "framework/connection/CGameConnect.h"

#include "framework/connection/RequestIds.h"
#include "net/ConnectionKeys.h"
#include "net/WireFrame.h"
#include "platform/Clock.h"
#include "platform/Ini.h"
#include "platform/StartTrace.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace {

constexpr uint32_t kAesStage = 0x100;
constexpr int kConnectTimeoutSeconds = 10;
constexpr int kAttachTimeoutSeconds = 5;
constexpr uint32_t kGreetingTimeoutMs = 10000;
constexpr int kProxyTimeoutSeconds = 10;

std::string Cut(const std::string& text, size_t limit) { return text.substr(0, GbkPrefixLength(text, limit)); }

} // namespace

const char* GetGameChannelGreeting() { return net::kGameGreeting; }

uint32_t GetGameChannelGreetingLength() { return net::kGameGreetingLength - 1; }

void ResponseStats::Add(uint32_t elapsedMs)
{
    ++count_;
    sum_ += elapsedMs;
    if (elapsedMs > max_)
        max_ = elapsedMs;
}

void ResponseStats::TakePulse(uint32_t& average, uint32_t& largest)
{
    average = count_ ? sum_ / count_ : 0;
    largest = count_ ? max_ : 0;
    if (average > kCapMs)
        average = kCapMs;
    if (largest > kCapMs)
        largest = kCapMs;
    sum_ = count_ = max_ = 0;
}

CGameConnect::CGameConnect(const uint8_t* key, uint32_t keyBits, uint32_t encryptFlags, uint32_t compressFlags)
    : net::CDefSocketClient(key, keyBits, encryptFlags, compressFlags)
{
}

CGameConnect::~CGameConnect() { CloseAll(); }

IClientApp& CGameConnect::App() const
{
    assert(app_ && "the connection's requests need the application");
    return *app_;
}

bool CGameConnect::SetupEncryption() { return SelectKey(net::kGameKeyBlock, kAesStage, 0); }

void CGameConnect::CloseAll()
{
    // The proxy member only ever holds a socket during a handshake: a tunnel that stands is
    // handed to the transport, which then owns and closes it once.
    proxySocket_.Close();
    Close();
}

bool CGameConnect::OpenGameChannel(const std::string& name, const std::string& host, uint16_t port, int* proxyFailed)
{
    WaitCursorScope busy(app_);
    // Both members go before a reconnect, so no half-open proxy socket outlives it.
    CloseAll();
    const uint32_t greetingLength = GetGameChannelGreetingLength() + 1;
    bool ok;
    if (!proxy_.need) {
        ok = Create(host, port, kConnectTimeoutSeconds, 0, notifyThread_, false, net::kGameGreeting, greetingLength,
                    kGreetingTimeoutMs);
    } else {
        const bool credentials = !proxy_.user.empty();
        ok = proxySocket_.ConnectThroughProxy(host, port, proxy_.kind, proxy_.host, uint32_t(proxy_.port),
                                              credentials ? &proxy_.user : nullptr,
                                              credentials ? &proxy_.password : nullptr, kProxyTimeoutSeconds, 1);
        if (!ok) {
            proxySocket_.Close();
            if (proxyFailed)
                *proxyFailed = 1;
            return false;
        }
        ok = Attach(proxySocket_.Detach(), 0, notifyThread_, false, net::kGameGreeting, greetingLength,
                    kGreetingTimeoutMs, "", 0, kAttachTimeoutSeconds);
    }
    if (!ok)
        return false;
    serverPort_ = port;
    channelName_ = Cut(name, 31);
    serverHost_ = host;
    return true;
}

void CGameConnect::LoadProxySettings(const std::string& iniPath)
{
    const platform::IniFile ini(iniPath);
    proxy_.need = ini.GetInt("PROXY", "Need", 0);
    proxy_.port = ini.GetInt("PROXY", "Port", 1080);
    proxy_.kind = ini.GetInt("PROXY", "Sock", 3);
    proxy_.host = Cut(ini.GetString("PROXY", "Host"), ProxySettings::kTextLimit);
    proxy_.user = Cut(ini.GetString("PROXY", "User"), ProxySettings::kTextLimit);
    proxy_.password = Cut(ini.GetString("PROXY", "pwd"), ProxySettings::kTextLimit);
}

int CGameConnect::GetRequestTimeout(uint32_t requestId) const
{
    switch (requestId) {
    case RequestId::EnterGame:
    case RequestId::LoginGame:
    case RequestId::TakeAllowance:
    case RequestId::TakeAllowanceEx:
    case RequestId::AllowanceConfig:
        return 30;
    case RequestId::CheckVersion:
        return 15;
    case RequestId::QueryGamePlaying:
        return 5;
    default:
        return 10;
    }
}

bool CGameConnect::SendRequest(std::string& text, uint32_t requestId, const void* record, uint32_t length,
                               GameReply& reply, bool wantReply)
{
    WaitCursorScope busy(app_);
    reply.Clear();
    if (!IsConnected()) {
        reply.code = ReplyCode::NotConnected;
        text = "与服务器连接断开。";
        return false;
    }
    net::SocketContextRecord context;
    context.socket = static_cast<uint32_t>(GetSocket());
    context.needsReply = wantReply ? 1 : 0;
    net::SocketMessageRecord request;
    request.head = net::MessageHead::WithId(requestId);
    request.length = static_cast<int32_t>(length);
    request.data = static_cast<uint8_t*>(const_cast<void*>(record));
    net::SocketMessageRecord answer;

    const int timeoutSeconds = GetRequestTimeout(requestId);
    const uint32_t start = platform::TickCount();
    int timedOut = 0;
    bool sent;
    {
        platform::StartWaitScope wait("request");
        sent =
            CSocketClient::SendRequest(context, request, &answer, &timedOut, uint32_t(timeoutSeconds) * 1000, 0, 0, 1);
    }
    if (!sent) {
        net::FreeMessageData(answer);
        if (timedOut) {
            reply.code = ReplyCode::TimedOut;
            text = "请求处理超时。";
        } else if (!IsConnected()) {
            reply.code = ReplyCode::NotConnected;
            text = "与服务器连接断开。";
        } else {
            text = "请求发送失败。";
        }
        return false;
    }
    if (wantReply)
        stats_.Add(platform::TickCount() - start);

    reply.code = answer.head.Id();
    reply.length = answer.data ? answer.length : 0;
    reply.data.reset(answer.data);
    answer.data = nullptr;

    if (reply.code == ReplyCode::ServerText) {
        // The text ends at its first zero or at the end of the reply, whichever comes first.
        text = reply.Reader().Text(0, size_t(reply.length));
        reply.Clear();
        return false;
    }
    GetReplyCodeText(text, reply.code);
    return true;
}

void WriteMachineId(RecordWriter& w, size_t offset, const std::string& id)
{
    w.Bytes(offset, id.data(), std::min(id.size(), kMachineIdSize));
}

void CGameConnect::WriteHead(RecordWriter& w) const
{
    w.U32(0, App().GetUserID());
    w.U32(4, App().GetRoomID());
    w.U32(8, App().GetTableNO());
    w.I32(12, App().GetChairNO());
}

bool CGameConnect::SendHeadOnly(std::string& text, uint32_t id, GameReply& reply, bool wantReply)
{
    FixedRecord<32> r;
    auto w = r.Writer();
    WriteHead(w);
    return SendRequest(text, id, r.bytes.data(), r.Size(), reply, wantReply);
}
