#pragma once
// A non-blocking socket that reaches its destination through a SOCKS4, SOCKS4A, SOCKS5 or
// HTTP CONNECT proxy. The handshake runs inside the socket's readiness notices (OnNotice);
// the owner learns the end of it from OnSend (connect), OnAccept (bind) or OnProxyFailed.
// Without a proxy it can also listen on the loopback address itself (Listen); a connection
// that comes in is announced by OnAccept and taken with AcceptThroughProxy.
#include "net/ProxyTypes.h"
#include "platform/Event.h"
#include "platform/Socket.h"
#include "platform/SocketListener.h"
#include "platform/SocketPoller.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace net {

class CAsyncProxySocket {
public:
    CAsyncProxySocket() = default;
    virtual ~CAsyncProxySocket() = default;
    CAsyncProxySocket(const CAsyncProxySocket&) = delete;
    CAsyncProxySocket& operator=(const CAsyncProxySocket&) = delete;

    // Without credentials, and with them (use-credentials set).
    void SetProxy(int type, const std::string& host, uint32_t port);
    void SetProxy(int type, const std::string& host, uint32_t port, const std::string& user,
                  const std::string& password);

    // A new non-blocking socket in place of any previous one.
    bool Create();
    // Ends any handshake and closes the socket; safe to repeat.
    virtual void Close();

    // Starts the connection to host:port, through the proxy when one is set. False when it
    // failed at once (see GetLastProxyError and GetLastSocketError); else the outcome comes
    // through the notices. The names (the target's and the proxy's) are looked up as
    // platform::ResolveBusy does, all within `lookupMs` (ETIMEDOUT past it).
    bool Connect(const std::string& host, uint16_t port, uint32_t lookupMs = platform::kInfinite);
    bool ConnectToAddress(const platform::Ipv4Endpoint& target);
    // Asks the proxy to listen for one incoming connection from the given address.
    bool ListenThroughProxy(const platform::Ipv4Endpoint& address, uint32_t lookupMs = platform::kInfinite);
    // Listens on 127.0.0.1 at the port (0 picks a free one) with a backlog of 5, in place of
    // any socket this object had. False when the port cannot be had.
    virtual bool Listen(uint16_t port = 0);
    // The port Listen got, 0 when not listening.
    uint16_t ListenPort() const;
    // After a bind handshake the connected socket moves to the other object; while listening,
    // one waiting connection is accepted into it. False when there is nothing to take.
    bool AcceptThroughProxy(CAsyncProxySocket& other);

    // Plain I/O; both would block while a handshake is in progress.
    platform::IoResult Receive(void* data, size_t size);
    platform::IoResult Send(const void* data, size_t size);

    // One readiness notice of this socket (from whoever watches it).
    void OnNotice(const platform::SocketNotice& notice);

    int GetLastProxyError() const { return lastProxyError_; }
    int GetLastSocketError() const { return lastSocketError_; }
    bool HandshakeDone() const { return phase_ == Phase::Done; }
    bool HandshakeFailed() const { return phase_ == Phase::Failed; }
    bool Valid() const { return socket_.Valid() || listener_; }
    // The descriptor to watch: the listening one while listening.
    int Fd() const { return listener_ ? listener_->Fd() : socket_.Fd(); }
    // Hands the socket over; this object keeps nothing to close.
    platform::TcpSocket Detach();

protected:
    virtual void OnConnect(int error);
    virtual void OnReceive(int error);
    virtual void OnSend(int) {}
    virtual void OnAccept(int) {}
    virtual void OnClose(int) {}
    virtual void OnProxyFailed(int) {}
    virtual void OnProxyListenReady(uint32_t, uint16_t) {}

private:
    enum class Phase { Idle, Handshaking, Done, Failed };

    bool StartProxyConnect(int requestKind);
    // The names of one connect share its lookup limit.
    void StartLookups(uint32_t lookupMs);
    std::optional<uint32_t> LookUp(const std::string& host);
    bool CheckTarget();
    void Fail(int proxyError);
    void Finish();
    bool SendRequest(const uint8_t* data, size_t size);
    void ExpectReply(size_t size);
    void ReadHttpReply();
    // One whole reply of the expected size is in; false when the handshake ended.
    bool OnReplyComplete();
    bool OnSocks4Reply();
    bool OnSocks5Reply();
    bool SendSocks5Request();

    platform::TcpSocket socket_;
    std::unique_ptr<platform::SocketListener> listener_;
    bool connecting_ = false;
    Phase phase_ = Phase::Idle;

    std::chrono::steady_clock::time_point lookupDeadline_{};
    bool lookupLimited_ = false;
    std::string targetHost_;
    std::vector<uint8_t> reply_;
    size_t replyExpected_ = 0;
    size_t replyReceived_ = 0;
    std::string httpReply_;
    bool httpStatusChecked_ = false;
    int step_ = 0;
    int requestKind_ = PROXYREQUEST_NONE;
    uint16_t targetPort_ = 0;  // host order
    uint32_t targetAddress_ = 0; // network order; 0 when the proxy resolves the name
    int lastProxyError_ = PROXYERROR_NOERROR;
    int lastSocketError_ = 0;

    int proxyType_ = PROXYTYPE_NOPROXY;
    std::string proxyHost_;
    uint32_t proxyPort_ = 0;
    std::string user_;
    std::string password_;
    bool useCredentials_ = false;
};

} // namespace net
