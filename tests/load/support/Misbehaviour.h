#pragma once
// A client that misbehaves in one way over and over, on a thread of its own,
// until stopped, and tallies what the service made of each attempt.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <thread>

enum class TMisbehaviourKind {
    mbDrip,          // a valid request, one byte every 10 ms
    mbSilent,        // connects and says nothing, not even the TLS hello
    mbOversizedBody, // a body one byte over the service's limit, sent in full
    mbHugeLength,    // announces a terabyte and sends a few bytes
    mbHangUp,        // stops half-way through the body and resets the connection
};

struct TMisbehaviourOutcome {
    int Count = 0;
    long long MaxMs = 0; // longest attempt, from connect to its end
};

struct TMisbehaviourReport {
    std::string Name;
    int Attempts = 0;
    std::map<std::string, TMisbehaviourOutcome> Outcomes; // "answered", "refused 413", ...
};

class TMisbehavingClient {
public:
    TMisbehavingClient(TMisbehaviourKind kind, std::uint16_t port, std::size_t maxRequestBytes);
    ~TMisbehavingClient(); // stops
    TMisbehavingClient(const TMisbehavingClient&) = delete;
    TMisbehavingClient& operator=(const TMisbehavingClient&) = delete;

    // Ends the attempt under way at once and waits for the thread.
    void Stop();
    const TMisbehaviourReport& Report() const { return FReport; } // after Stop
    int CompletedAttempts() const { return FCompleted.load(); }

    // Outcome of an attempt the run ended before the service did.
    static constexpr const char* kInterrupted = "interrupted by the end of the run";

private:
    std::string Attempt();

    TMisbehaviourKind FKind;
    std::uint16_t FPort;
    std::size_t FMaxRequestBytes;
    std::atomic<bool> FStop{false};
    std::atomic<int> FCompleted{0};
    TMisbehaviourReport FReport;
    std::thread FThread;
};
