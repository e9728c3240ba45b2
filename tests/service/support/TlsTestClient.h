#pragma once
// The tests' own TLS client of the stock service: connects with TLS 1.2 and
// the anonymous cipher, writes bytes, reads until the server closes.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class TXrArray;
class TXrValue;

struct TRawExchange {
    std::string Received; // every byte the server sent
    bool ClosedByServer = false;
    std::chrono::milliseconds Elapsed{0};
};

// Sends `bytes` (possibly nothing) and reads until the server closes or
// `giveUp` has passed.  Write failures end the writing, not the reading.
// With a `pace`, the bytes go one at a time with that pause between them.
// `handshakeDone` runs once the TLS connection stands.
TRawExchange TlsExchange(std::uint16_t port, std::string_view bytes,
                         std::chrono::milliseconds giveUp = std::chrono::seconds(20),
                         std::chrono::milliseconds pace = std::chrono::milliseconds(0),
                         const std::function<void()>& handshakeDone = {});

// The request bytes of the stock client for a document.
std::string HttpRequestFor(std::string_view document);
// Everything after the first CR LF CR LF.
std::string HttpBody(std::string_view response);

// One remote call: BuildRequest, post, ParseResponse.  Faults come back as
// TXrFault values.
std::unique_ptr<TXrValue> CallService(std::uint16_t port, std::string_view method,
                                      const TXrArray& params);
