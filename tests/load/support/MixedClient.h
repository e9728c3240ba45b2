#pragma once
// A well-behaved user of the stock service, as the program uses it: every
// operation opens a session, makes one call with the token and closes the
// session.  The operations are mixed at random (searches most, then address
// look-ups, then the site list), from a seed, so runs repeat.
#include <atomic>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

class TXrArray;
class TXrValue;

struct TClientReport {
    int Calls = 0;
    int Failures = 0;
    std::vector<std::string> FirstFailures; // a few, for the message
    std::vector<double> LatencyMs;          // of every call, failed ones too
};

class TMixedClient {
public:
    TMixedClient(std::uint16_t port, unsigned seed);

    // Runs whole operations until at least `calls` calls were made; every
    // finished call counts one in `progress`.
    void Run(int calls, std::atomic<int>& progress);
    const TClientReport& Report() const { return FReport; }

private:
    // One remote call, timed and checked; null after a failure (recorded).
    template <class TCheck>
    std::unique_ptr<TXrValue> Call(const std::string& method, const TXrArray& params, TCheck check);
    void Failed(const std::string& what);
    void Operation(int kind);

    std::uint16_t FPort;
    std::mt19937 FRandom;
    std::atomic<int>* FProgress = nullptr;
    std::vector<std::string> FSites;
    TClientReport FReport;
};
