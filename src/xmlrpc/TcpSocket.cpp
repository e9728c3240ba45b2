#include "xmlrpc/TcpSocket.h"

#include "xmlrpc/HostLookup.h"
#include "xmlrpc/Transport.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::string SystemMessage(int error) {
    std::string text = std::strerror(error);
    return text + ".";
}

int MillisecondsUntil(TTcpSocket::TClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TTcpSocket::TClock::now());
    if (left.count() <= 0)
        return 0;
    // Round up so that a wait never ends just before its deadline and spins.
    return left.count() > 1000000 ? 1000000 : int(left.count()) + 1;
}

} // namespace

TTcpSocket::~TTcpSocket() {
    Close();
}

void TTcpSocket::Close() {
    if (FHandle >= 0)
        ::close(FHandle);
    FHandle = -1;
}

bool TTcpSocket::WaitUntil(short events, TClock::time_point deadline) {
    for (;;) {
        const int timeout = MillisecondsUntil(deadline);
        pollfd entry{FHandle, events, 0};
        const int n = ::poll(&entry, 1, timeout);
        if (n > 0)
            return true;
        if (n == 0) {
            if (TClock::now() >= deadline)
                return false;
            continue;
        }
        if (errno != EINTR)
            throw ETransportError(SystemMessage(errno));
    }
}

void TTcpSocket::Connect(const std::string& host, std::uint16_t port, TClock::time_point deadline) {
    Close();
    const TAddrInfoList addresses = LookUpHost(host, port, deadline);
    std::string lastError = "No address found for " + host + ".";
    for (addrinfo* a = addresses.get(); a; a = a->ai_next) {
        const int handle =
            ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (handle < 0) {
            lastError = SystemMessage(errno);
            continue;
        }
        FHandle = handle;
        // Writes are whole buffers already.  Without this, a TLS 1.3 request
        // that follows the client's Finished message waits for the server's
        // delayed acknowledgement (40 ms on Linux) on every call.
        const int yes = 1;
        ::setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        if (::connect(handle, a->ai_addr, a->ai_addrlen) == 0)
            return;
        if (errno == EINPROGRESS) {
            if (!WaitUntil(POLLOUT, deadline)) {
                Close();
                throw ETransportError("Connection to " + host + " timed out.");
            }
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &length);
            if (error == 0)
                return;
            lastError = SystemMessage(error);
        } else {
            lastError = SystemMessage(errno);
        }
        Close();
    }
    throw ETransportError(lastError);
}

bool TTcpSocket::Send(const char* data, std::size_t size, TClock::time_point deadline) {
    while (size > 0) {
        const ssize_t n = ::send(FHandle, data, size, MSG_NOSIGNAL);
        if (n >= 0) {
            data += n;
            size -= std::size_t(n);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!WaitUntil(POLLOUT, deadline))
                return false;
        } else if (errno != EINTR) {
            throw ETransportError(SystemMessage(errno));
        }
    }
    return true;
}

std::optional<std::size_t> TTcpSocket::Receive(char* buffer, std::size_t size,
                                               TClock::time_point deadline) {
    for (;;) {
        const ssize_t n = ::recv(FHandle, buffer, size, 0);
        if (n >= 0)
            return std::size_t(n);
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!WaitUntil(POLLIN, deadline))
                return std::nullopt;
        } else if (errno != EINTR) {
            throw ETransportError(SystemMessage(errno));
        }
    }
}
