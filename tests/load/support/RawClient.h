#pragma once
// One connection to the service that behaves as a test tells it to: shake
// hands or not, write bytes at any pace, stop half-way, hang up with a reset.
// Every wait gives up early when `stop` is set.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

struct ssl_ctx_st;
struct ssl_st;

struct TRawReply {
    std::string Received;
    bool ClosedByService = false;
    std::chrono::milliseconds Elapsed{0}; // from the connect
};

class TRawClient {
public:
    TRawClient(std::uint16_t port, const std::atomic<bool>& stop); // connects over TCP
    ~TRawClient();
    TRawClient(const TRawClient&) = delete;
    TRawClient& operator=(const TRawClient&) = delete;

    void Handshake(); // throws std::runtime_error when TLS cannot be set up
    // False once the service no longer takes bytes (or the run stops).
    bool Send(std::string_view bytes);
    bool SendSlowly(std::string_view bytes, std::chrono::milliseconds pace);
    // Reads until the service closes, `giveUp` passes or the run stops.
    TRawReply ReadToEnd(std::chrono::milliseconds giveUp);
    // Drops the connection with a TCP reset, as a crashed client would.
    void Reset();

private:
    bool Wait(short events, std::chrono::milliseconds limit);

    const std::atomic<bool>& FStop;
    int FFd = -1;
    ssl_ctx_st* FContext = nullptr;
    ssl_st* FSsl = nullptr;
    std::chrono::steady_clock::time_point FStart;
};
