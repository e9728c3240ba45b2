#pragma once
// Name resolution with a deadline.  getaddrinfo has no time-out of its own: a
// resolver that does not answer would hold the caller (and, for calls made on
// the user-interface thread, the whole window) for as long as the system's
// retries last.  The lookup runs on a helper thread instead; a caller that
// gives up leaves it to finish and clean up on its own.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

struct addrinfo;

struct TAddrInfoFree {
    void operator()(addrinfo* list) const;
};
using TAddrInfoList = std::unique_ptr<addrinfo, TAddrInfoFree>;

// The stream addresses of host:port, in the resolver's order.  Raises
// ETransportError when the name cannot be resolved or `deadline` passes first.
TAddrInfoList LookUpHost(const std::string& host, std::uint16_t port,
                         std::chrono::steady_clock::time_point deadline);

// Tests put a slow or failing resolver in getaddrinfo's place; nullptr puts it
// back.  A lookup keeps the resolver it started with.
using THostResolver = int (*)(const char* host, const char* service, const addrinfo* hints,
                              addrinfo** found);
void SetHostResolverForTesting(THostResolver resolver);
