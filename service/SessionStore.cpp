#include "service/SessionStore.h"

#include "service/ServiceRefusal.h"
#include "support/Exception.h"

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <algorithm>

TSessionStore::TSessionStore(std::vector<TServiceAccount> accounts, std::size_t maxSessions,
                             TClock::duration idleLimit)
    : FAccounts(std::move(accounts)), FMaxSessions(std::max<std::size_t>(1, maxSessions)),
      FIdleLimit(idleLimit) {}

namespace {

// Compares without an early exit, so the time taken tells nothing.
bool SameSecret(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

} // namespace

std::string TSessionStore::NewToken() {
    unsigned char bytes[16];
    if (RAND_bytes(bytes, sizeof bytes) != 1)
        throw Exception("No random bytes for a session token");
    static const char hex[] = "0123456789abcdef";
    std::string token;
    for (unsigned char b : bytes) {
        token += hex[b >> 4];
        token += hex[b & 15];
    }
    return token;
}

std::string TSessionStore::Open(const std::string& userName, const std::string& password) {
    bool known = false;
    for (const auto& account : FAccounts)
        known |= account.UserName == userName && SameSecret(account.Password, password);
    if (!known)
        throw EServiceRefusal(rcBadCredentials, "Invalid user name or password");
    std::string token = NewToken();
    std::lock_guard lock(FLock);
    auto now = TClock::now();
    DropExpired(now);
    if (FSessions.size() >= FMaxSessions) {
        auto oldest = std::min_element(FSessions.begin(), FSessions.end(),
                                       [](auto& a, auto& b) { return a.second < b.second; });
        FSessions.erase(oldest);
    }
    FSessions[token] = now;
    return token;
}

bool TSessionStore::Touch(const std::string& token) {
    std::lock_guard lock(FLock);
    auto now = TClock::now();
    DropExpired(now);
    auto it = FSessions.find(token);
    if (it == FSessions.end())
        return false;
    it->second = now;
    return true;
}

bool TSessionStore::Close(const std::string& token) {
    std::lock_guard lock(FLock);
    DropExpired(TClock::now());
    return FSessions.erase(token) > 0;
}

std::size_t TSessionStore::Count() {
    std::lock_guard lock(FLock);
    DropExpired(TClock::now());
    return FSessions.size();
}

void TSessionStore::DropExpired(TClock::time_point now) {
    std::erase_if(FSessions, [&](const auto& entry) { return now - entry.second > FIdleLimit; });
}
