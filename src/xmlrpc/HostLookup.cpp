#include "xmlrpc/HostLookup.h"

#include "xmlrpc/Transport.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <netdb.h>
#include <sys/socket.h>
#include <thread>

namespace {

std::atomic<THostResolver> TestResolver{nullptr};

// What the helper thread and the caller share.  Whoever is last to let go
// frees it (shared_ptr); the addresses go to the caller, or are freed by the
// helper when the caller has already given up.
struct TLookup {
    std::mutex Lock;
    std::condition_variable Done;
    bool Finished = false;
    bool Abandoned = false;
    int Result = 0;
    addrinfo* Found = nullptr;
};

addrinfo Hints(int flags) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    return hints;
}

[[noreturn]] void Unresolved(const std::string& host, int rc) {
    throw ETransportError("Cannot resolve host name " + host + ": " + ::gai_strerror(rc) + ".");
}

} // namespace

void TAddrInfoFree::operator()(addrinfo* list) const {
    if (list)
        ::freeaddrinfo(list);
}

void SetHostResolverForTesting(THostResolver resolver) {
    TestResolver = resolver;
}

TAddrInfoList LookUpHost(const std::string& host, std::uint16_t port,
                         std::chrono::steady_clock::time_point deadline) {
    const std::string service = std::to_string(port);
    const THostResolver resolver = TestResolver.load() ? TestResolver.load() : ::getaddrinfo;

    // An address written as numbers needs no resolver and no thread.
    addrinfo* found = nullptr;
    const addrinfo numeric = Hints(AI_NUMERICHOST);
    int rc = ::getaddrinfo(host.c_str(), service.c_str(), &numeric, &found);
    if (rc == 0)
        return TAddrInfoList(found);
    if (rc != EAI_NONAME)
        Unresolved(host, rc);

    auto lookup = std::make_shared<TLookup>();
    try {
        std::thread([lookup, host, service, resolver] {
            const addrinfo hints = Hints(0);
            addrinfo* list = nullptr;
            const int result = resolver(host.c_str(), service.c_str(), &hints, &list);
            std::lock_guard<std::mutex> guard(lookup->Lock);
            if (lookup->Abandoned) {
                if (result == 0 && list)
                    ::freeaddrinfo(list);
                return;
            }
            lookup->Result = result;
            lookup->Found = result == 0 ? list : nullptr;
            lookup->Finished = true;
            lookup->Done.notify_one();
        }).detach();
    } catch (const std::system_error& e) {
        throw ETransportError("Cannot resolve host name " + host + ": " + e.what() + ".");
    }

    std::unique_lock<std::mutex> guard(lookup->Lock);
    if (!lookup->Done.wait_until(guard, deadline, [&] { return lookup->Finished; })) {
        lookup->Abandoned = true;
        throw ETransportError("Looking up host name " + host + " timed out.");
    }
    if (lookup->Result != 0)
        Unresolved(host, lookup->Result);
    return TAddrInfoList(lookup->Found);
}
