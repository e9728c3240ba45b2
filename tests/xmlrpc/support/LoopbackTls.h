#pragma once
// Pieces shared by the test servers that play the stock service on loopback:
// a TLS 1.2 server context with a fixed DH group, and a listening socket on
// a free loopback port, and the loop that serves its connections in turn.
#include <openssl/evp.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <cstdint>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace qbtest {

// A fixed 2048-bit group: anonymous DH needs parameters, and the automatic
// choice for AES-256 (8192 bits) would make every handshake slow.
inline EVP_PKEY* FixedDhParameters() {
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_name(nullptr, "DH", nullptr);
    EVP_PKEY* params = nullptr;
    const bool made = ctx && EVP_PKEY_paramgen_init(ctx) > 0 &&
                      EVP_PKEY_CTX_set_group_name(ctx, "ffdhe2048") > 0 &&
                      EVP_PKEY_paramgen(ctx, &params) > 0;
    EVP_PKEY_CTX_free(ctx);
    if (!made)
        throw std::runtime_error("cannot make DH parameters");
    return params;
}

// A server context speaking TLS 1.2 only with the given cipher list.
inline SSL_CTX* NewTls12ServerContext(const char* ciphers) {
    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    SSL_CTX_set_max_proto_version(ctx, TLS1_2_VERSION);
    SSL_CTX_set_cipher_list(ctx, ciphers);
    SSL_CTX_set0_tmp_dh_pkey(ctx, FixedDhParameters());
    return ctx;
}

// A socket listening on 127.0.0.1 at a port the system chose; `port` gets it.
inline int ListenOnLoopback(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0)
            ::close(fd);
        throw std::runtime_error("cannot listen on loopback");
    }
    port = ntohs(address.sin_port);
    return fd;
}

// Hands each connection on `listen` to `handle`, one at a time, and closes it
// afterwards, until `stopping()` holds; looks at it every 20 ms, so a server
// stops promptly.
template <class TStopping, class THandle>
void ServeInTurn(int listen, TStopping stopping, THandle handle) {
    while (!stopping()) {
        pollfd entry{listen, POLLIN, 0};
        if (::poll(&entry, 1, 20) <= 0)
            continue;
        const int client = ::accept4(listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        handle(client);
        ::close(client);
    }
}

// One request as the client sends it: the head, then Content-length bytes and
// the CR LF trailer; less when the peer stops early.  `receive(buffer, size)`
// answers the count read, 0 or less at the end.
template <class TReceive> std::string ReadHttpRequest(TReceive receive) {
    std::string request;
    std::size_t expected = std::string::npos;
    while (request.size() < expected) {
        char buffer[4096];
        const int n = receive(buffer, sizeof buffer);
        if (n <= 0)
            break;
        request.append(buffer, std::size_t(n));
        const std::size_t end = request.find("\r\n\r\n");
        const std::size_t field = request.find("Content-length: ");
        if (expected == std::string::npos && end != std::string::npos && field < end)
            expected = end + 4 + std::strtoul(request.c_str() + field + 16, nullptr, 10) + 2;
    }
    return request;
}

} // namespace qbtest
