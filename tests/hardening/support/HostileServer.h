#pragma once
// A loopback server whose every connection is handed to a test's handler, so
// the handler can misbehave as it likes: say nothing, drip, reset, stream a
// huge answer generated on the fly, or speak plain text or another cipher.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

struct THostileOptions {
    bool UseTls = true;
    // The client's own settings by default; another list makes the handshake fail.
    std::string Ciphers = "ADH-AES256-SHA:@SECLEVEL=0";
    // Accept, then neither shake hands nor answer; the handler is not called.
    bool Silent = false;
};

class THostileConnection {
public:
    THostileConnection(int socket, void* ssl, const std::atomic<bool>& stop)
        : FSocket(socket), FSsl(ssl), FStop(stop) {}

    // Reads one request: the head, Content-length bytes and the CR LF after them.
    std::string ReadRequest();
    // Whatever arrives first (a plain server sees the client's TLS hello).
    std::string ReadSome();
    // False once the peer is gone or the server stops.
    bool Send(std::string_view bytes);
    // Ends the connection with a TCP reset instead of an orderly close.
    void Reset();
    // Sleeps, waking early when the server stops.
    void Sleep(std::chrono::milliseconds length) const;
    // Keeps the connection open, reading and dropping, until the peer leaves.
    void HoldOpen();
    bool Stopping() const { return FStop.load(); }

private:
    int Receive(char* buffer, int size);

    int FSocket;
    void* FSsl; // SSL*, null for a plain connection
    const std::atomic<bool>& FStop;
};

class THostileServer {
public:
    using THandler = std::function<void(THostileConnection&)>;

    explicit THostileServer(THandler handler, THostileOptions options = {});
    ~THostileServer();
    THostileServer(const THostileServer&) = delete;
    THostileServer& operator=(const THostileServer&) = delete;

    std::uint16_t Port() const { return FPort; }
    int Connections() const { return FConnections.load(); }
    // Set when the TLS handshake of a connection failed on the server's side.
    bool HandshakeFailed() const { return FHandshakeFailed.load(); }

    // "HTTP/1.0 200 OK", a few headers and the body.
    static std::string HttpAnswer(std::string_view body);

private:
    void Serve();
    void Handle(int client);

    THandler FHandler;
    THostileOptions FOptions;
    int FListen = -1;
    std::uint16_t FPort = 0;
    void* FContext = nullptr; // SSL_CTX
    std::atomic<int> FConnections{0};
    std::atomic<bool> FHandshakeFailed{false};
    std::atomic<bool> FStop{false};
    std::thread FThread;
};
