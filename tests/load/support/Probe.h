#pragma once
// A separate user who opens a session every half second while the load runs
// (and closes it again), timing the opening call: does the service still
// answer someone new, and how fast?
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

class TProbe {
public:
    TProbe(std::uint16_t port, std::chrono::milliseconds period);
    ~TProbe(); // stops
    TProbe(const TProbe&) = delete;
    TProbe& operator=(const TProbe&) = delete;

    void Stop(); // lets the probe under way finish
    // After Stop:
    const std::vector<double>& LatencyMs() const { return FLatencyMs; }
    // Longest time without an answer, from the start to the last answer.
    std::chrono::milliseconds LongestSilence() const { return FLongestSilence; }
    const std::vector<std::string>& Failures() const { return FFailures; }

private:
    std::uint16_t FPort;
    std::chrono::milliseconds FPeriod;
    std::atomic<bool> FStop{false};
    std::vector<double> FLatencyMs;
    std::chrono::milliseconds FLongestSilence{0};
    std::vector<std::string> FFailures;
    std::thread FThread;
};
