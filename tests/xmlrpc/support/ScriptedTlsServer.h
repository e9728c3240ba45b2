#pragma once
// A loopback server that speaks the service's TLS settings and answers each
// connection with a script: bytes, pauses, a byte-by-byte drip, and a close
// with or without close_notify.  It records every request it read.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct TServerStep {
    enum TKind { skSend, skDrip, skPause };
    TKind Kind = skSend;
    std::string Bytes;
    std::chrono::milliseconds Interval{0}; // pause length, or the gap between dripped bytes

    static TServerStep Send(std::string bytes) { return {skSend, std::move(bytes), {}}; }
    static TServerStep Drip(std::string bytes, std::chrono::milliseconds gap) {
        return {skDrip, std::move(bytes), gap};
    }
    static TServerStep Pause(std::chrono::milliseconds length) { return {skPause, {}, length}; }
};

struct TServerScript {
    std::vector<TServerStep> Steps;
    bool CloseNotify = false; // end with close_notify, else just close the socket
    bool Silent = false;      // accept, then say nothing at all (no TLS handshake)
};

class TScriptedTlsServer {
public:
    explicit TScriptedTlsServer(bool useTls = true);
    ~TScriptedTlsServer();

    std::uint16_t Port() const { return FPort; }
    // Every connection runs this script after reading one request.
    void SetScript(TServerScript script);
    // Shorthand: an HTTP/1.0 answer with the body, then close.
    void AnswerBody(const std::string& body, const std::string& status = "200 OK");
    std::vector<std::string> Requests() const;
    int Connections() const { return FConnections.load(); }

    static std::string HttpAnswer(const std::string& body, const std::string& status = "200 OK");

private:
    void Serve();
    void Handle(int client);
    bool Stopping() const { return FStop.load(); }
    void Sleep(std::chrono::milliseconds length) const;

    bool FUseTls;
    int FListen = -1;
    std::uint16_t FPort = 0;
    void* FContext = nullptr; // SSL_CTX
    mutable std::mutex FLock;
    TServerScript FScript;
    std::vector<std::string> FRequests;
    std::atomic<int> FConnections{0};
    std::atomic<bool> FStop{false};
    std::thread FThread;
};
