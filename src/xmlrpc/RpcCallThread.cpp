#include "xmlrpc/RpcCallThread.h"

#include "support/Require.h"
#include "xmlrpc/XrValue.h"

void TCallHelper::Complete(std::unique_ptr<TXrValue> result, bool failed, std::string message) {
    Result = std::move(result);
    Failed = failed;
    Message = std::move(message);
}

TRpcCallThread::TRpcCallThread(std::string host, std::uint16_t port, bool useTls)
    : Host(std::move(host)), Port(port), UseTLS(useTls) {}

TRpcCallThread::~TRpcCallThread() {
    if (FThread.joinable())
        FThread.join();
}

void TRpcCallThread::Start() {
    FThread = std::thread([this] { Execute(); });
}

void TRpcCallThread::Execute() {
    std::unique_ptr<TXrValue> result;
    bool failed = true;
    std::string message;
    try {
        Forbid(Params == nullptr, "Params parameter is missing in RpcCall");
        result = RpcCall(Host, Port, UseTLS, MethodName, *Params, Limits, Tls);
        failed = false;
    } catch (const Exception& e) {
        message = e.Message();
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unknown error in the remote call";
    }
    if (OnComplete)
        OnComplete(std::move(result), failed, std::move(message));
    {
        // The lock pairs with the waiter's predicate check so the wake-up
        // cannot slip between its test and its sleep.
        std::lock_guard<std::mutex> guard(FWakeLock);
        FTerminated.store(true, std::memory_order_release);
    }
    FWake.notify_all();
}

bool TRpcCallThread::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(FWakeLock);
    return FWake.wait_for(lock, timeout, [this] { return Terminated(); });
}

std::unique_ptr<TXrValue> RpcCallInThread(const std::string& host, std::uint16_t port, bool useTls,
                                          const std::string& methodName, const TXrArray& params,
                                          const std::function<void()>& pumpMessages,
                                          const TTransportLimits& limits, const TTlsOptions& tls) {
    TCallHelper helper;
    TRpcCallThread thread(host, port, useTls);
    thread.Params = &params;
    thread.MethodName = methodName;
    thread.Limits = limits;
    thread.Tls = tls;
    thread.OnComplete = [&helper](std::unique_ptr<TXrValue> result, bool failed,
                                  std::string message) {
        helper.Complete(std::move(result), failed, std::move(message));
    };
    thread.Start();
    while (!thread.WaitFor(std::chrono::milliseconds(50))) {
        if (pumpMessages)
            pumpMessages();
    }
    if (helper.Failed)
        throw Exception(helper.Message);
    return std::move(helper.Result);
}
