#include "xmlrpc/Transport.h"

#include "support/Require.h"
#include "xmlrpc/BuildRequest.h"
#include "xmlrpc/Faults.h"
#include "xmlrpc/ParseResponse.h"
#include "xmlrpc/TcpSocket.h"
#include "xmlrpc/TlsClient.h"
#include "xmlrpc/XrValue.h"

#include <mutex>
#include <optional>

namespace {

std::mutex LimitsLock;
TTransportLimits Limits;

using TClock = TTcpSocket::TClock;

std::string Seconds(std::chrono::milliseconds duration) {
    const long long ms = duration.count();
    if (ms % 1000 == 0)
        return std::to_string(ms / 1000) + " s";
    return std::to_string(ms) + " ms";
}

// The connection of one HttpPost: plain TCP or TLS over it.
class TConnection {
public:
    TConnection(const std::string& host, std::uint16_t port, bool useTls,
                const TTransportLimits& limits, const TTlsOptions& tls)
        : FHost(host), FLimits(limits), FDeadline(TClock::now() + limits.CallDeadline) {
        // The TLS set-up comes first: a CA file that cannot be read fails
        // before the service is contacted.
        if (useTls)
            FTls.emplace(FSocket, tls, host);
        const TClock::time_point connectBy = Earliest(TClock::now() + limits.ConnectTimeout);
        FSocket.Connect(host, port, connectBy);
        if (FTls) {
            if (!FTls->Handshake(connectBy))
                throw ETransportError("TLS handshake with " + host + " timed out.");
        }
    }
    ~TConnection() {
        if (FTls)
            FTls->Shutdown();
    }

    void Send(const std::string& bytes) {
        const TClock::time_point by = Earliest(TClock::now() + FLimits.IdleTimeout);
        const bool sent = FTls ? FTls->Write(bytes.data(), bytes.size(), by)
                               : FSocket.Send(bytes.data(), bytes.size(), by);
        if (!sent)
            throw TimeOut("Sending the request to " + FHost);
    }

    std::string ReceiveAll() {
        std::string response;
        char buffer[16384];
        for (;;) {
            const TClock::time_point by = Earliest(TClock::now() + FLimits.IdleTimeout);
            const std::optional<std::size_t> n = FTls ? FTls->Read(buffer, sizeof buffer, by)
                                                      : FSocket.Receive(buffer, sizeof buffer, by);
            if (!n)
                throw TimeOut("Waiting for the answer of " + FHost);
            if (*n == 0)
                return response;
            if (response.size() + *n > FLimits.MaxResponseBytes)
                throw ETransportError("The answer of " + FHost + " is larger than " +
                                      std::to_string(FLimits.MaxResponseBytes) +
                                      " bytes; the call was abandoned.");
            response.append(buffer, *n);
        }
    }

private:
    TClock::time_point Earliest(TClock::time_point t) const {
        return t < FDeadline ? t : FDeadline;
    }

    ETransportError TimeOut(const std::string& what) const {
        if (TClock::now() >= FDeadline)
            return ETransportError("The call to " + FHost + " did not finish within " +
                                   Seconds(FLimits.CallDeadline) + ".");
        return ETransportError(what + " timed out after " + Seconds(FLimits.IdleTimeout) +
                               " without data.");
    }

    std::string FHost;
    TTransportLimits FLimits;
    TClock::time_point FDeadline;
    TTcpSocket FSocket;
    std::optional<TTlsClient> FTls; // declared after the socket: closed before it
};

} // namespace

TTransportLimits DefaultTransportLimits() {
    std::lock_guard<std::mutex> guard(LimitsLock);
    return Limits;
}

void SetDefaultTransportLimits(const TTransportLimits& limits) {
    std::lock_guard<std::mutex> guard(LimitsLock);
    Limits = limits;
}

std::string BuildHttpRequest(std::string_view document, std::string_view host) {
    std::string request;
    request.reserve(document.size() + host.size() + 128);
    request += "POST HTTP/1.0\r\n";
    request += "User-Agent: KQX-RPC\r\n";
    request += "Host: ";
    request += host;
    request += "\r\n";
    request += "Content-Type: text/xml\r\n";
    request += "Content-length: ";
    request += std::to_string(document.size());
    request += "\r\n\r\n";
    request += document;
    request += "\r\n";
    return request;
}

std::string ExtractResponseBody(std::string_view response) {
    std::string_view body;
    const std::size_t end = response.find("\r\n\r\n");
    if (end != std::string_view::npos)
        body = response.substr(end + 4);
    else if (response.size() > 3)
        body = response.substr(3);
    if (body.size() >= 2 && body.substr(body.size() - 2) == "\r\n")
        body.remove_suffix(2);
    return std::string(body);
}

std::string HttpPost(std::string_view document, const std::string& host, std::uint16_t port,
                     bool useTls, const TTransportLimits& limits, const TTlsOptions& tls) {
    const std::string request = BuildHttpRequest(document, host);
    std::string response;
    {
        TConnection connection(host, port, useTls, limits, tls);
        connection.Send(request);
        response = connection.ReceiveAll();
    }
    return ExtractResponseBody(response);
}

std::unique_ptr<TXrValue> RpcCall(const std::string& host, std::uint16_t port, bool useTls,
                                  const std::string& methodName, const TXrArray& params,
                                  const TTransportLimits& limits, const TTlsOptions& tls) {
    Forbid(host.empty(), "Host parameter is empty in RpcCall");
    Forbid(methodName.empty(), "MethodName parameter is empty in RpcCall");
    Forbid(port == 0, "PortNo parameter is equal to 0 in RpcCall");
    const std::string document = BuildRequest(methodName, params);
    const std::string body = HttpPost(document, host, port, useTls, limits, tls);
    return RaiseIfFault(ParseResponse(body));
}
