#pragma once
// A remote call on a short-lived worker thread while the calling
// (user-interface) thread waits and keeps its interface alive.
#include "xmlrpc/Transport.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class TXrArray;
class TXrValue;

// The outcome of one threaded call.  Written by the worker before it sets its
// terminated flag, read by the waiting side only after it has seen the flag.
class TCallHelper {
public:
    void Complete(std::unique_ptr<TXrValue> result, bool failed, std::string message);

    std::unique_ptr<TXrValue> Result;
    bool Failed = false;
    std::string Message;
};

class TRpcCallThread {
public:
    using TCompletion = std::function<void(std::unique_ptr<TXrValue>, bool, std::string)>;

    // Created suspended: set the fields, then Start.
    TRpcCallThread(std::string host, std::uint16_t port, bool useTls);
    // Waits for the worker if it still runs.
    ~TRpcCallThread();
    TRpcCallThread(const TRpcCallThread&) = delete;
    TRpcCallThread& operator=(const TRpcCallThread&) = delete;

    std::string Host;
    std::uint16_t Port;
    bool UseTLS;
    std::string MethodName;
    const TXrArray* Params = nullptr; // borrowed, read only while the call runs
    TCompletion OnComplete;
    TTransportLimits Limits = DefaultTransportLimits();
    TTlsOptions Tls; // applies when UseTLS is set

    void Start();
    // True once the outcome has been delivered (acquire).
    bool Terminated() const { return FTerminated.load(std::memory_order_acquire); }
    // Waits until terminated or the timeout has passed; answers Terminated().
    bool WaitFor(std::chrono::milliseconds timeout);

private:
    void Execute();

    std::atomic<bool> FTerminated{false};
    std::mutex FWakeLock;
    std::condition_variable FWake;
    std::thread FThread;
};

// Runs RpcCall on a TRpcCallThread.  Between waits of at most 50 ms the
// waiting thread calls `pumpMessages` (when set) so that painting and timers
// go on; it returns as soon as the worker is done.  Any failure of the call
// arrives as a plain Exception carrying the original message text.  The
// caller owns the result and keeps the parameter array.
std::unique_ptr<TXrValue> RpcCallInThread(const std::string& host, std::uint16_t port, bool useTls,
                                          const std::string& methodName, const TXrArray& params,
                                          const std::function<void()>& pumpMessages,
                                          const TTransportLimits& limits = DefaultTransportLimits(),
                                          const TTlsOptions& tls = {});
