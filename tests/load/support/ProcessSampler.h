#pragma once
// Looks at a process's resident memory and thread count at a fixed period on
// a thread of its own, keeping every sample with its time.
#include "ServiceProcess.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

class TProcessSampler {
public:
    using TClock = std::chrono::steady_clock;
    struct TSample {
        TClock::time_point At;
        TProcessFigures Figures;
    };

    TProcessSampler(pid_t pid, std::chrono::milliseconds period);
    ~TProcessSampler(); // stops
    TProcessSampler(const TProcessSampler&) = delete;
    TProcessSampler& operator=(const TProcessSampler&) = delete;

    void Stop();
    std::vector<TSample> Samples() const;

private:
    pid_t FPid;
    std::chrono::milliseconds FPeriod;
    std::atomic<bool> FStop{false};
    mutable std::mutex FLock;
    std::vector<TSample> FSamples;
    std::thread FThread;
};
