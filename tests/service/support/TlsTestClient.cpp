#include "TlsTestClient.h"

#include "xmlrpc/BuildRequest.h"
#include "xmlrpc/ParseResponse.h"
#include "xmlrpc/XrValues.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace {

using TClock = std::chrono::steady_clock;

struct TSocket {
    int Fd = -1;
    ~TSocket() {
        if (Fd >= 0)
            ::close(Fd);
    }
};

struct TSsl {
    SSL_CTX* Context = nullptr;
    SSL* Ssl = nullptr;
    ~TSsl() {
        SSL_free(Ssl);
        SSL_CTX_free(Context);
    }
};

} // namespace

TRawExchange TlsExchange(std::uint16_t port, std::string_view bytes,
                         std::chrono::milliseconds giveUp, std::chrono::milliseconds pace,
                         const std::function<void()>& handshakeDone) {
    auto start = TClock::now();
    TSocket socket;
    socket.Fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket.Fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("connect failed");
    timeval timeout{static_cast<time_t>(giveUp.count() / 1000),
                    static_cast<suseconds_t>(giveUp.count() % 1000 * 1000)};
    ::setsockopt(socket.Fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(socket.Fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);

    TSsl tls;
    tls.Context = SSL_CTX_new(TLS_client_method());
    SSL_CTX_set_min_proto_version(tls.Context, TLS1_2_VERSION);
    SSL_CTX_set_max_proto_version(tls.Context, TLS1_2_VERSION);
    SSL_CTX_set_cipher_list(tls.Context, "ADH-AES256-SHA:@SECLEVEL=0");
    SSL_CTX_set_options(tls.Context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_verify(tls.Context, SSL_VERIFY_NONE, nullptr);
    tls.Ssl = SSL_new(tls.Context);
    SSL_set_fd(tls.Ssl, socket.Fd);
    if (SSL_connect(tls.Ssl) != 1) {
        ERR_clear_error();
        throw std::runtime_error("TLS handshake failed");
    }
    if (handshakeDone)
        handshakeDone();
    std::size_t most = pace.count() > 0 ? 1 : 65536;
    while (!bytes.empty() && TClock::now() - start < giveUp) {
        if (pace.count() > 0) {
            // Stop dripping once the server has closed.
            pollfd p{socket.Fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(pace.count())) > 0)
                break;
        }
        int n = SSL_write(tls.Ssl, bytes.data(), static_cast<int>(std::min(bytes.size(), most)));
        if (n <= 0) {
            ERR_clear_error();
            break; // the server may stop reading; its answer still counts
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    TRawExchange exchange;
    char buffer[16384];
    while (TClock::now() - start < giveUp) {
        int n = SSL_read(tls.Ssl, buffer, sizeof buffer);
        if (n > 0) {
            exchange.Received.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        int error = SSL_get_error(tls.Ssl, n);
        ERR_clear_error();
        exchange.ClosedByServer =
            error == SSL_ERROR_ZERO_RETURN || error == SSL_ERROR_SSL ||
            (error == SSL_ERROR_SYSCALL && errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    exchange.Elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - start);
    return exchange;
}

std::string HttpRequestFor(std::string_view document) {
    std::string request = "POST HTTP/1.0\r\nUser-Agent: KQX-RPC\r\nHost: 127.0.0.1\r\n"
                          "Content-Type: text/xml\r\nContent-length: " +
                          std::to_string(document.size()) + "\r\n\r\n";
    request += document;
    request += "\r\n";
    return request;
}

std::string HttpBody(std::string_view response) {
    auto end = response.find("\r\n\r\n");
    return end == std::string_view::npos ? std::string() : std::string(response.substr(end + 4));
}

std::unique_ptr<TXrValue> CallService(std::uint16_t port, std::string_view method,
                                      const TXrArray& params) {
    TRawExchange exchange = TlsExchange(port, HttpRequestFor(BuildRequest(method, params)));
    return ParseResponse(HttpBody(exchange.Received));
}
