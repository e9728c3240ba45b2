#pragma once
// The client side of a TLS 1.2 connection with anonymous Diffie-Hellman
// (the service presents no certificate; the link is encrypted only).
// OpenSSL works on memory buffers and this class moves the bytes over the
// socket itself, so every wait honours a deadline.
#include "xmlrpc/TcpSocket.h"

#include <cstddef>
#include <optional>

struct ssl_ctx_st;
struct ssl_st;
struct bio_st;

class TTlsClient {
public:
    using TClock = TTcpSocket::TClock;

    explicit TTlsClient(TTcpSocket& socket);
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
    bool Flush(TClock::time_point deadline);
    bool Fill(TClock::time_point deadline);

    TTcpSocket& FSocket;
    ssl_ctx_st* FContext = nullptr;
    ssl_st* FSsl = nullptr;
    bio_st* FIn = nullptr;  // owned by FSsl
    bio_st* FOut = nullptr; // owned by FSsl
    bool FPeerClosed = false;
};
