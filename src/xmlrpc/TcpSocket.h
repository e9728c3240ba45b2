#pragma once
// A client TCP socket with deadlines on every wait.  Sends never raise
// SIGPIPE, so a peer that goes away ends in an error, not in a dead process.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

class TTcpSocket {
public:
    using TClock = std::chrono::steady_clock;

    TTcpSocket() = default;
    ~TTcpSocket();
    TTcpSocket(const TTcpSocket&) = delete;
    TTcpSocket& operator=(const TTcpSocket&) = delete;

    // Resolves the host and connects to the first address that answers before
    // `deadline`.  Raises ETransportError.
    void Connect(const std::string& host, std::uint16_t port, TClock::time_point deadline);
    // Sends every byte; false when `deadline` passed first.  Raises
    // ETransportError on a socket error.
    bool Send(const char* data, std::size_t size, TClock::time_point deadline);
    // Waits for data: the count received (0 when the peer closed), or nothing
    // when `deadline` passed first.  Raises ETransportError on a socket error.
    std::optional<std::size_t> Receive(char* buffer, std::size_t size, TClock::time_point deadline);
    void Close();

private:
    // False when the deadline passed before the socket was ready.
    bool WaitUntil(short events, TClock::time_point deadline);

    int FHandle = -1;
};
