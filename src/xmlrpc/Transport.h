#pragma once
// One remote call to the stock service: one TCP connection, optionally wrapped
// in TLS, one HTTP/1.0 POST, read until the server closes.
#include "support/Exception.h"
#include "xmlrpc/TlsOptions.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TXrValue;
class TXrArray;

// A failure of the connection itself: name resolution, connect, TLS
// handshake, write, read, a time-out or an oversized answer.  Kept apart from
// faults and check errors so that a direct caller can tell "cannot reach the
// service" from "the service refused".
class ETransportError : public Exception {
public:
    using Exception::Exception;
};

// Bounds of one call.  Without them a stalled or trickling service would hold
// the caller (and a disabled main window) for ever.
struct TTransportLimits {
    std::chrono::milliseconds ConnectTimeout{15000}; // name lookup, connect, TLS handshake
    std::chrono::milliseconds IdleTimeout{60000};    // longest silence while reading
    std::chrono::milliseconds CallDeadline{180000};  // the whole exchange
    std::size_t MaxResponseBytes = std::size_t(256) << 20;
};

// The limits used when a caller passes none.  Thread-safe.
TTransportLimits DefaultTransportLimits();
void SetDefaultTransportLimits(const TTransportLimits& limits);

// The request bytes: header lines, empty line, document, CR LF (the trailing
// CR LF is not counted in Content-length).
std::string BuildHttpRequest(std::string_view document, std::string_view host);

// The body of a response: everything after the first CR LF CR LF, or the
// response less its first three bytes when there is none; one final CR LF is
// dropped.  Status and headers are not examined.
std::string ExtractResponseBody(std::string_view response);

// Posts the document and answers the response body.  Transport failures raise
// ETransportError (a certificate that fails verification among them); a CA
// file that cannot be read raises ETlsSetupError before anything is sent.
// `tls` applies when `useTls` is set.  Nothing is ever retried, so a request
// is sent at most once.
std::string HttpPost(std::string_view document, const std::string& host, std::uint16_t port,
                     bool useTls, const TTransportLimits& limits = DefaultTransportLimits(),
                     const TTlsOptions& tls = {});

// Synchronous remote call.  Argument checks come first (host, method name,
// port, in this order); a fault answer raises ERpcFault; transport failures
// pass through as ETransportError.  The caller owns the result.
std::unique_ptr<TXrValue> RpcCall(const std::string& host, std::uint16_t port, bool useTls,
                                  const std::string& methodName, const TXrArray& params,
                                  const TTransportLimits& limits = DefaultTransportLimits(),
                                  const TTlsOptions& tls = {});
