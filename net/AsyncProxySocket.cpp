#include "net/AsyncProxySocket.h"

#include "net/ProxyRequests.h"
#include "platform/BusyPump.h"

#include <cerrno>
#include <cstring>

namespace net {

using platform::IoResult;
using platform::IoStatus;

namespace {

// A proxy that never ends its header would otherwise grow the reply for the whole wait.
constexpr size_t kMaxHttpReply = 8192;
constexpr uint8_t kSocks4Granted = 90;
constexpr int kListenBacklog = 5;

} // namespace

void CAsyncProxySocket::SetProxy(int type, const std::string& host, uint32_t port)
{
    proxyType_ = type;
    proxyHost_ = host;
    proxyPort_ = port;
    user_.clear();
    password_.clear();
    useCredentials_ = false;
}

void CAsyncProxySocket::SetProxy(int type, const std::string& host, uint32_t port, const std::string& user,
                                 const std::string& password)
{
    SetProxy(type, host, port);
    user_ = user;
    password_ = password;
    useCredentials_ = true;
}

bool CAsyncProxySocket::Create()
{
    Close();
    socket_ = platform::TcpSocket::Open();
    lastSocketError_ = socket_.Valid() ? 0 : errno;
    phase_ = Phase::Idle;
    return socket_.Valid();
}

void CAsyncProxySocket::Close()
{
    reply_.clear();
    replyExpected_ = replyReceived_ = 0;
    httpReply_.clear();
    httpStatusChecked_ = false;
    targetHost_.clear();
    step_ = 0;
    requestKind_ = PROXYREQUEST_NONE;
    connecting_ = false;
    lookupLimited_ = false;
    socket_.Close();
    listener_.reset();
}

platform::TcpSocket CAsyncProxySocket::Detach()
{
    connecting_ = false;
    return std::move(socket_);
}

void CAsyncProxySocket::StartLookups(uint32_t lookupMs)
{
    lookupLimited_ = lookupMs != platform::kInfinite;
    lookupDeadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(lookupLimited_ ? lookupMs : 0);
}

std::optional<uint32_t> CAsyncProxySocket::LookUp(const std::string& host)
{
    const auto address =
        platform::ResolveBusy(host, lookupLimited_ ? platform::MsUntil(lookupDeadline_) : platform::kInfinite);
    if (!address && lookupLimited_ && platform::MsUntil(lookupDeadline_) == 0)
        lastSocketError_ = ETIMEDOUT;
    return address;
}

bool CAsyncProxySocket::Connect(const std::string& host, uint16_t port, uint32_t lookupMs)
{
    lastProxyError_ = PROXYERROR_NOERROR;
    lastSocketError_ = 0;
    StartLookups(lookupMs);
    const auto resolved = LookUp(host);
    if (!resolved && lastSocketError_ == ETIMEDOUT)
        return false; // the time is up: nothing is sent to the proxy
    if (proxyType_ == PROXYTYPE_NOPROXY || resolved) {
        if (!resolved) {
            lastSocketError_ = EINVAL;
            return false;
        }
        if (!ConnectToAddress({*resolved, port}))
            return false;
        targetHost_ = host;
        return true;
    }
    if (proxyType_ == PROXYTYPE_SOCKS4) {
        lastProxyError_ = PROXYERROR_CANTRESOLVEHOST;
        lastSocketError_ = EINVAL;
        return false;
    }
    targetHost_ = host;
    targetPort_ = port;
    targetAddress_ = 0;
    return StartProxyConnect(PROXYREQUEST_CONNECT);
}

bool CAsyncProxySocket::ConnectToAddress(const platform::Ipv4Endpoint& target)
{
    if (proxyType_ == PROXYTYPE_NOPROXY) {
        const IoResult r = socket_.StartConnect(target);
        lastSocketError_ = r.error;
        connecting_ = r.status != IoStatus::Failed;
        phase_ = connecting_ ? Phase::Handshaking : Phase::Failed;
        return connecting_;
    }
    targetHost_.clear();
    targetAddress_ = target.address;
    targetPort_ = target.port;
    return StartProxyConnect(PROXYREQUEST_CONNECT);
}

bool CAsyncProxySocket::ListenThroughProxy(const platform::Ipv4Endpoint& address, uint32_t lookupMs)
{
    if (proxyType_ == PROXYTYPE_NOPROXY || proxyType_ == PROXYTYPE_HTTP11)
        return false;
    StartLookups(lookupMs);
    targetHost_.clear();
    targetAddress_ = address.address;
    targetPort_ = 0;
    return StartProxyConnect(PROXYREQUEST_BIND);
}

bool CAsyncProxySocket::Listen(uint16_t port)
{
    Close();
    auto listener = std::make_unique<platform::SocketListener>(port, kListenBacklog);
    if (!listener->Valid()) {
        lastSocketError_ = errno;
        return false;
    }
    listener_ = std::move(listener);
    lastSocketError_ = 0;
    phase_ = Phase::Idle;
    return true;
}

uint16_t CAsyncProxySocket::ListenPort() const
{
    return listener_ ? listener_->Port() : 0;
}

bool CAsyncProxySocket::AcceptThroughProxy(CAsyncProxySocket& other)
{
    if (listener_) {
        platform::TcpSocket incoming = listener_->Accept(0);
        if (!incoming.Valid())
            return false;
        other.Close();
        other.socket_ = std::move(incoming);
        other.phase_ = Phase::Done;
        return true;
    }
    if (proxyType_ == PROXYTYPE_NOPROXY || !HandshakeDone())
        return false;
    other.Close();
    other.socket_ = std::move(socket_);
    other.phase_ = Phase::Done;
    return true;
}

// Requests that could not be sent intact are refused before anything goes out, so that a
// malformed request (a length byte wrapped past 255, a header broken by CR LF) never reaches
// the proxy.
bool CAsyncProxySocket::CheckTarget()
{
    const bool byName = targetAddress_ == 0;
    switch (proxyType_) {
    case PROXYTYPE_SOCKS4A:
        return !byName || (!targetHost_.empty() && targetHost_.find('\0') == std::string::npos);
    case PROXYTYPE_SOCKS5:
        return (!byName || (!targetHost_.empty() && targetHost_.size() <= 255)) &&
               (!useCredentials_ || BuildSocks5Auth(user_, password_).has_value());
    case PROXYTYPE_HTTP11: {
        const std::string host = targetHost_.empty() ? platform::AddressText(targetAddress_) : targetHost_;
        return BuildHttpConnect(host, targetPort_, nullptr, "").has_value();
    }
    default:
        return true;
    }
}

bool CAsyncProxySocket::StartProxyConnect(int requestKind)
{
    if (proxyType_ < PROXYTYPE_SOCKS4 || proxyType_ > PROXYTYPE_HTTP11 || !CheckTarget()) {
        lastProxyError_ = PROXYERROR_REQUESTFAILED;
        return false;
    }
    const auto proxyAddress = LookUp(proxyHost_);
    if (!proxyAddress || proxyPort_ == 0 || proxyPort_ > 65535) {
        lastProxyError_ = PROXYERROR_NOCONN;
        if (lastSocketError_ != ETIMEDOUT)
            lastSocketError_ = EINVAL;
        return false;
    }
    const IoResult r = socket_.StartConnect({*proxyAddress, uint16_t(proxyPort_)});
    lastSocketError_ = r.error;
    if (r.status == IoStatus::Failed) {
        lastProxyError_ = PROXYERROR_NOCONN;
        return false;
    }
    connecting_ = true;
    requestKind_ = requestKind;
    step_ = 0;
    phase_ = Phase::Handshaking;
    return true;
}

IoResult CAsyncProxySocket::Receive(void* data, size_t size)
{
    if (step_ != 0)
        return {IoStatus::WouldBlock, 0, EWOULDBLOCK};
    return socket_.Receive(data, size);
}

IoResult CAsyncProxySocket::Send(const void* data, size_t size)
{
    if (step_ != 0)
        return {IoStatus::WouldBlock, 0, EWOULDBLOCK};
    return socket_.Send(data, size);
}

void CAsyncProxySocket::OnNotice(const platform::SocketNotice& notice)
{
    if (listener_) {
        if (notice.event == platform::SocketEvent::Read)
            OnAccept(0);
        return;
    }
    if (!socket_.Valid())
        return;
    switch (notice.event) {
    case platform::SocketEvent::Write:
        if (connecting_) {
            connecting_ = false;
            const int error = socket_.TakePendingError();
            OnConnect(error);
            if (error != 0 || !socket_.Valid())
                return;
        }
        OnSend(0);
        break;
    case platform::SocketEvent::Read:
        if (!connecting_) // a failing connect also polls readable; its error notice follows
            OnReceive(0);
        break;
    case platform::SocketEvent::Close:
    case platform::SocketEvent::Error:
        if (connecting_) {
            connecting_ = false;
            OnConnect(notice.error ? notice.error : ECONNREFUSED);
        } else if (requestKind_ != PROXYREQUEST_NONE) {
            lastSocketError_ = notice.error;
            Fail(PROXYERROR_REQUESTFAILED); // the proxy went away in the middle of the handshake
        } else {
            OnClose(notice.error);
        }
        break;
    }
}

void CAsyncProxySocket::Fail(int proxyError)
{
    const int kind = requestKind_;
    lastProxyError_ = proxyError;
    phase_ = Phase::Failed;
    Close();
    OnProxyFailed(kind);
}

void CAsyncProxySocket::Finish()
{
    const int kind = requestKind_;
    step_ = 0;
    requestKind_ = PROXYREQUEST_NONE;
    reply_.clear();
    phase_ = Phase::Done;
    if (kind == PROXYREQUEST_BIND)
        OnAccept(0);
    else
        OnSend(0);
}

bool CAsyncProxySocket::SendRequest(const uint8_t* data, size_t size)
{
    // Handshake requests are small and go to a fresh socket, so all of them fit at once.
    const IoResult r = socket_.Send(data, size);
    if (r.status != IoStatus::Done || r.bytes != size) {
        lastSocketError_ = r.error;
        Fail(PROXYERROR_REQUESTFAILED);
        return false;
    }
    return true;
}

void CAsyncProxySocket::ExpectReply(size_t size)
{
    reply_.assign(size, 0);
    replyExpected_ = size;
    replyReceived_ = 0;
}

void CAsyncProxySocket::OnConnect(int error)
{
    if (requestKind_ == PROXYREQUEST_NONE) { // a direct connection: nothing to negotiate
        if (phase_ == Phase::Handshaking)
            phase_ = error ? Phase::Failed : Phase::Done;
        lastSocketError_ = error;
        return;
    }
    if (error != 0) {
        lastSocketError_ = error;
        Fail(PROXYERROR_NOCONN);
        return;
    }
    if (step_ != 0)
        return;
    httpReply_.clear();
    httpStatusChecked_ = false;
    reply_.clear();
    replyExpected_ = replyReceived_ = 0;
    const uint8_t command = uint8_t(requestKind_);
    switch (proxyType_) {
    case PROXYTYPE_SOCKS4:
    case PROXYTYPE_SOCKS4A: {
        const ProxyBytes b = BuildSocks4Request(command, targetPort_, targetAddress_, targetHost_);
        if (SendRequest(b.data(), b.size()))
            ExpectReply(8);
        break;
    }
    case PROXYTYPE_SOCKS5: {
        const ProxyBytes b = BuildSocks5Greeting(useCredentials_);
        if (SendRequest(b.data(), b.size()))
            ExpectReply(2);
        break;
    }
    case PROXYTYPE_HTTP11: {
        const std::string host = targetHost_.empty() ? platform::AddressText(targetAddress_) : targetHost_;
        const auto text = BuildHttpConnect(host, targetPort_, useCredentials_ ? &user_ : nullptr, password_);
        if (!text) {
            Fail(PROXYERROR_REQUESTFAILED);
            return;
        }
        SendRequest(reinterpret_cast<const uint8_t*>(text->data()), text->size());
        break;
    }
    default:
        Fail(PROXYERROR_REQUESTFAILED);
        return;
    }
    if (socket_.Valid())
        step_ = 1;
}

void CAsyncProxySocket::OnReceive(int error)
{
    if (requestKind_ == PROXYREQUEST_NONE)
        return;
    if (error != 0 || step_ == 0) {
        Fail(PROXYERROR_REQUESTFAILED);
        return;
    }
    if (proxyType_ == PROXYTYPE_HTTP11) {
        ReadHttpReply();
        return;
    }
    while (requestKind_ != PROXYREQUEST_NONE) {
        const IoResult r = socket_.Receive(reply_.data() + replyReceived_, replyExpected_ - replyReceived_);
        if (r.status == IoStatus::WouldBlock)
            return;
        if (r.status != IoStatus::Done) {
            lastSocketError_ = r.error;
            Fail(PROXYERROR_REQUESTFAILED);
            return;
        }
        replyReceived_ += r.bytes;
        if (replyReceived_ == replyExpected_ && !OnReplyComplete())
            return;
    }
}

void CAsyncProxySocket::ReadHttpReply()
{
    static const char prefix[] = "HTTP/";
    for (;;) {
        char c;
        const IoResult r = socket_.Receive(&c, 1);
        if (r.status == IoStatus::WouldBlock)
            return;
        if (r.status != IoStatus::Done || httpReply_.size() >= kMaxHttpReply) {
            lastSocketError_ = r.error;
            Fail(PROXYERROR_REQUESTFAILED);
            return;
        }
        httpReply_ += c;
        const size_t n = httpReply_.size();
        if (n <= 5 && httpReply_.compare(0, n, prefix, n) != 0) {
            Fail(PROXYERROR_REQUESTFAILED);
            return;
        }
        if (!httpStatusChecked_ && n >= 2 && httpReply_.compare(n - 2, 2, "\r\n") == 0) {
            httpStatusChecked_ = true;
            const size_t blank = httpReply_.find(' ');
            if (blank == std::string::npos || blank + 1 >= n - 2 || httpReply_[blank + 1] != '2') {
                Fail(PROXYERROR_REQUESTFAILED);
                return;
            }
        }
        if (n >= 4 && httpReply_.compare(n - 4, 4, "\r\n\r\n") == 0) {
            httpReply_.clear();
            Finish();
            return;
        }
    }
}

bool CAsyncProxySocket::OnReplyComplete()
{
    if (proxyType_ == PROXYTYPE_SOCKS4 || proxyType_ == PROXYTYPE_SOCKS4A)
        return OnSocks4Reply();
    return OnSocks5Reply();
}

bool CAsyncProxySocket::OnSocks4Reply()
{
    if (reply_[0] != 0 || reply_[1] != kSocks4Granted) {
        Fail(PROXYERROR_REQUESTFAILED);
        return false;
    }
    if (requestKind_ == PROXYREQUEST_BIND && step_ == 1) {
        uint32_t address;
        std::memcpy(&address, &reply_[4], 4);
        if (address == 0)
            address = socket_.PeerEndpoint().address;
        const uint16_t port = uint16_t(reply_[2] << 8 | reply_[3]);
        step_ = 2;
        ExpectReply(8);
        OnProxyListenReady(address, port);
        return true;
    }
    Finish();
    return false;
}

bool CAsyncProxySocket::SendSocks5Request()
{
    const auto b = BuildSocks5Request(uint8_t(requestKind_), targetAddress_, targetHost_, targetPort_);
    if (!b) {
        Fail(PROXYERROR_REQUESTFAILED);
        return false;
    }
    if (!SendRequest(b->data(), b->size()))
        return false;
    step_ = 3;
    ExpectReply(5);
    return true;
}

bool CAsyncProxySocket::OnSocks5Reply()
{
    switch (step_) {
    case 1: // method choice
        if (reply_[0] != 5 || reply_[1] == 0xFF) {
            Fail(PROXYERROR_AUTHTYPEUNKNOWN);
            return false;
        }
        if (reply_[1] == 0)
            return SendSocks5Request();
        if (reply_[1] != 2) {
            Fail(PROXYERROR_AUTHNOTSUPPORTED);
            return false;
        }
        if (!useCredentials_) {
            Fail(PROXYERROR_AUTHNOLOGON);
            return false;
        }
        if (const auto auth = BuildSocks5Auth(user_, password_); !auth) {
            Fail(PROXYERROR_REQUESTFAILED);
            return false;
        } else if (!SendRequest(auth->data(), auth->size())) {
            return false;
        }
        step_ = 2;
        ExpectReply(2);
        return true;
    case 2: // user and password
        if (reply_[1] != 0) {
            Fail(PROXYERROR_AUTHFAILED);
            return false;
        }
        return SendSocks5Request();
    case 3: // request reply
    case 4: { // bind: the reply on the incoming connection
        if (replyExpected_ == 5) { // five bytes tell the length of the rest
            const size_t whole = Socks5ReplyLength(reply_.data());
            if (reply_[0] != 5 || reply_[1] != 0 || whole == 0) {
                Fail(PROXYERROR_REQUESTFAILED);
                return false;
            }
            reply_.resize(whole);
            replyExpected_ = whole;
            return true;
        }
        if (requestKind_ == PROXYREQUEST_BIND && step_ == 3) {
            const auto bound = ParseSocks5Endpoint(reply_.data(), replyReceived_);
            if (!bound) {
                Fail(PROXYERROR_REQUESTFAILED);
                return false;
            }
            // A name or an IPv6 address says nothing this socket can use: the proxy's own.
            const uint32_t address = bound->address ? bound->address : socket_.PeerEndpoint().address;
            step_ = 4;
            ExpectReply(5);
            OnProxyListenReady(address, bound->port);
            return true;
        }
        Finish();
        return false;
    }
    default:
        Fail(PROXYERROR_REQUESTFAILED);
        return false;
    }
}

} // namespace net
