#pragma once
// The client side of a TLS connection to the stock service.  Anonymous: TLS
// 1.2 with anonymous Diffie-Hellman (the service presents no certificate; the
// link is encrypted only).  Verified: TLS 1.2 or later, the service's
// certificate checked against the CA file or the platform's trust store, and
// its name against the host.  OpenSSL works on memory buffers and this class
// moves the bytes over the socket itself, so every wait honours a deadline.
#include "xmlrpc/TcpSocket.h"
#include "xmlrpc/TlsOptions.h"

#include <cstddef>
#include <optional>
#include <string>

struct ssl_ctx_st;
struct ssl_st;
struct bio_st;

class TTlsClient {
public:
    using TClock = TTcpSocket::TClock;

    // Touches neither the socket nor the network.  Raises ETlsSetupError when
    // the CA file cannot be read, ETransportError when OpenSSL fails.
    // `host` is the name (or address) the certificate must be issued for.
    TTlsClient(TTcpSocket& socket, const TTlsOptions& options = {}, const std::string& host = {});
    ~TTlsClient();
    TTlsClient(const TTlsClient&) = delete;
    TTlsClient& operator=(const TTlsClient&) = delete;

    // False when the deadline passed first; raises ETransportError on failure.
    bool Handshake(TClock::time_point deadline);
    bool Write(const char* data, std::size_t size, TClock::time_point deadline);
    // Decrypted bytes (0 at the end of the stream, with or without the peer's
    // close_notify), or nothing when the deadline passed first.
    std::optional<std::size_t> Read(char* buffer, std::size_t size, TClock::time_point deadline);
    // Sends close_notify if possible; never fails.
    void Shutdown();

private:
    template <class TOperation>
    std::optional<int> Drive(TOperation operation, TClock::time_point deadline);
    [[noreturn]] void RaiseFailure(int sslError);
    bool Flush(TClock::time_point deadline);
    bool Fill(TClock::time_point deadline);

    TTcpSocket& FSocket;
    ssl_ctx_st* FContext = nullptr;
    ssl_st* FSsl = nullptr;
    bio_st* FIn = nullptr;  // owned by FSsl
    bio_st* FOut = nullptr; // owned by FSsl
    bool FPeerClosed = false;
    TTlsOptions FOptions;
    std::string FHost;
};
