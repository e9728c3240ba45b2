#include "RawClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace {

using TClock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kSlice{100};

} // namespace

TRawClient::TRawClient(std::uint16_t port, const std::atomic<bool>& stop)
    : FStop(stop), FStart(TClock::now()) {
    FFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (FFd < 0 || ::connect(FFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::string why = std::strerror(errno);
        if (FFd >= 0)
            ::close(FFd);
        throw std::runtime_error("connect failed: " + why);
    }
    // Blocking calls never hang the run: the service may stall on purpose.
    timeval timeout{1, 0};
    ::setsockopt(FFd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(FFd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

TRawClient::~TRawClient() {
    SSL_free(FSsl);
    SSL_CTX_free(FContext);
    if (FFd >= 0)
        ::close(FFd);
}

void TRawClient::Handshake() {
    FContext = SSL_CTX_new(TLS_client_method());
    if (!FContext)
        throw std::runtime_error("no TLS context");
    SSL_CTX_set_min_proto_version(FContext, TLS1_2_VERSION);
    SSL_CTX_set_max_proto_version(FContext, TLS1_2_VERSION);
    SSL_CTX_set_cipher_list(FContext, "ADH-AES256-SHA:@SECLEVEL=0");
    SSL_CTX_set_options(FContext, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_verify(FContext, SSL_VERIFY_NONE, nullptr);
    FSsl = SSL_new(FContext);
    SSL_set_fd(FSsl, FFd);
    for (;;) {
        int rc = SSL_connect(FSsl);
        if (rc == 1)
            return;
        int error = SSL_get_error(FSsl, rc);
        ERR_clear_error();
        bool again = (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE ||
                      (error == SSL_ERROR_SYSCALL && (errno == EAGAIN || errno == EWOULDBLOCK)));
        if (!again || FStop || TClock::now() - FStart > std::chrono::seconds(60))
            throw std::runtime_error("TLS handshake failed");
    }
}

bool TRawClient::Wait(short events, std::chrono::milliseconds limit) {
    pollfd p{FFd, events, 0};
    return ::poll(&p, 1, static_cast<int>(limit.count())) > 0;
}

bool TRawClient::Send(std::string_view bytes) {
    while (!bytes.empty() && !FStop) {
        int most = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 16));
        int n = FSsl ? SSL_write(FSsl, bytes.data(), most)
                     : static_cast<int>(::send(FFd, bytes.data(), most, MSG_NOSIGNAL));
        if (n <= 0) {
            bool again = errno == EAGAIN || errno == EWOULDBLOCK;
            if (FSsl) {
                int error = SSL_get_error(FSsl, n);
                again = again && error == SSL_ERROR_SYSCALL;
                again |= error == SSL_ERROR_WANT_WRITE;
            }
            ERR_clear_error();
            if (!again)
                return false;
            continue;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return bytes.empty();
}

bool TRawClient::SendSlowly(std::string_view bytes, std::chrono::milliseconds pace) {
    for (char byte : bytes) {
        // Stop dripping once the service has answered or closed.
        if (FStop || Wait(POLLIN, pace))
            return false;
        if (!Send(std::string_view(&byte, 1)))
            return false;
    }
    return true;
}

TRawReply TRawClient::ReadToEnd(std::chrono::milliseconds giveUp) {
    TRawReply reply;
    auto until = TClock::now() + giveUp;
    char buffer[16384];
    while (!FStop && TClock::now() < until) {
        if (!(FSsl && SSL_pending(FSsl) > 0) && !Wait(POLLIN, kSlice))
            continue;
        int n = FSsl ? SSL_read(FSsl, buffer, sizeof buffer)
                     : static_cast<int>(::recv(FFd, buffer, sizeof buffer, 0));
        if (n > 0) {
            reply.Received.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        bool again = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        if (FSsl) {
            int error = SSL_get_error(FSsl, n);
            again = (again && error == SSL_ERROR_SYSCALL) || error == SSL_ERROR_WANT_READ;
        }
        ERR_clear_error();
        if (again)
            continue;
        reply.ClosedByService = true;
        break;
    }
    reply.Elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - FStart);
    return reply;
}

void TRawClient::Reset() {
    linger hard{1, 0};
    ::setsockopt(FFd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(FFd);
    FFd = -1;
}
