#pragma once
// Session tokens issued to configured accounts.  Thread-safe.  Sessions end
// with Close, after an hour without use, or when too many are open (the
// least recently used goes first), so abandoned tokens cannot pile up.
#include "service/ServiceOptions.h"

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class TSessionStore {
public:
    using TClock = std::chrono::steady_clock;

    explicit TSessionStore(std::vector<TServiceAccount> accounts, std::size_t maxSessions = 10000,
                           TClock::duration idleLimit = std::chrono::hours(1));

    // A new token; EServiceRefusal rcBadCredentials when no account matches.
    std::string Open(const std::string& userName, const std::string& password);
    // True when the token names a live session (and marks it used).
    bool Touch(const std::string& token);
    // False when the token named no live session.
    bool Close(const std::string& token);
    std::size_t Count();

private:
    std::string NewToken();
    void DropExpired(TClock::time_point now);

    std::vector<TServiceAccount> FAccounts;
    std::size_t FMaxSessions;
    TClock::duration FIdleLimit;
    std::mutex FLock;
    std::map<std::string, TClock::time_point> FSessions; // token -> last use
};
