#pragma once
// A TLS listener that serves one HTTP/1.0 POST per connection: it reads the
// head up to CR LF CR LF and a body of the announced Content-length, answers,
// and closes.  Without a certificate it speaks TLS 1.2 with anonymous
// Diffie-Hellman (ADH-AES256-SHA) only; with the options' certificate and
// key, TLS 1.2 or later with the library's default ciphers and no anonymous
// suite.  Every
// connection runs on its own thread, at most MaxConnections at once; reads
// are bounded in size and time, so a slow or hostile client holds only its
// own thread and only for a while.
#include "service/ServiceOptions.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct ssl_ctx_st;

class TTlsServer {
public:
    // Gets the request body, returns the methodResponse document.  Must not throw.
    using THandler = std::function<std::string(std::string_view body)>;
    // One line per connection that ended without a call (time-out, refusal).
    using TLogger = std::function<void(const std::string& line)>;

    TTlsServer(const TServiceOptions& options, THandler handler, TLogger logger);
    ~TTlsServer();
    TTlsServer(const TTlsServer&) = delete;
    TTlsServer& operator=(const TTlsServer&) = delete;

    void Start();
    void Stop();
    std::uint16_t Port() const { return FPort; }

private:
    void AcceptLoop();
    void Serve(int fd);

    TServiceOptions FOptions;
    THandler FHandler;
    TLogger FLogger;
    ssl_ctx_st* FContext = nullptr;
    int FListenFd = -1;
    int FWakePipe[2] = {-1, -1};
    std::uint16_t FPort = 0;
    std::thread FAcceptThread;
    std::atomic<bool> FStopping{false};
    std::mutex FLock;
    std::condition_variable FChanged;
    int FActive = 0;
    std::set<int> FOpenSockets; // of running connections, to wake them on Stop
    // Connection threads are joined, not detached, so that none outlives the
    // server; finished ones are reaped by the accept loop.
    void JoinFinished();
    std::map<std::uint64_t, std::thread> FThreads; // accept loop and Stop only
    std::vector<std::uint64_t> FFinished;          // under FLock
    std::uint64_t FNextThread = 0;
};
