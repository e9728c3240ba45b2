#include "ProcessSampler.h"

TProcessSampler::TProcessSampler(pid_t pid, std::chrono::milliseconds period)
    : FPid(pid), FPeriod(period) {
    FThread = std::thread([this] {
        auto next = TClock::now();
        while (!FStop) {
            TSample sample{TClock::now(), ReadProcessFigures(FPid)};
            {
                std::lock_guard lock(FLock);
                FSamples.push_back(sample);
            }
            next += FPeriod;
            std::this_thread::sleep_until(next);
        }
    });
}

TProcessSampler::~TProcessSampler() {
    Stop();
}

void TProcessSampler::Stop() {
    FStop = true;
    if (FThread.joinable())
        FThread.join();
}

std::vector<TProcessSampler::TSample> TProcessSampler::Samples() const {
    std::lock_guard lock(FLock);
    return FSamples;
}
