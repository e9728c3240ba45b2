#pragma once
// A loopback server that presents a certificate (TLS 1.2 or later, the
// library's default ciphers, no anonymous suite) and answers every request
// with one fixed HTTP body.  Connections whose handshake fails are counted.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

class TCertTlsServer {
public:
    TCertTlsServer(const std::string& certFile, const std::string& keyFile, std::string body);
    ~TCertTlsServer();
    TCertTlsServer(const TCertTlsServer&) = delete;
    TCertTlsServer& operator=(const TCertTlsServer&) = delete;

    std::uint16_t Port() const { return FPort; }
    int Answered() const { return FAnswered.load(); }
    int FailedHandshakes() const { return FFailedHandshakes.load(); }

private:
    void Serve();
    void Handle(int client);

    std::string FBody;
    void* FContext = nullptr; // SSL_CTX
    int FListen = -1;
    std::uint16_t FPort = 0;
    std::atomic<int> FAnswered{0};
    std::atomic<int> FFailedHandshakes{0};
    std::atomic<bool> FStop{false};
    std::thread FThread;
};
