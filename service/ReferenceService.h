#pragma once
// The reference stock service: a TLS listener that answers the stock
// service's XML-RPC methods from a SQLite database.  Start() returns once the
// socket listens; calls are served on their own threads until Stop().
#include "service/ServiceOptions.h"

#include <cstdint>
#include <memory>

class TReferenceService {
public:
    explicit TReferenceService(TServiceOptions options);
    ~TReferenceService(); // stops
    TReferenceService(const TReferenceService&) = delete;
    TReferenceService& operator=(const TReferenceService&) = delete;

    void Start();               // fails with Exception (port taken, database missing)
    void Stop();                // closes the listener and waits for running calls
    std::uint16_t Port() const; // the bound port, also when 0 was asked for

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
