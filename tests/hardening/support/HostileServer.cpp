#include "HostileServer.h"

#include "../../xmlrpc/support/LoopbackTls.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

SSL* Ssl(void* p) {
    return static_cast<SSL*>(p);
}

} // namespace

int THostileConnection::Receive(char* buffer, int size) {
    for (;;) {
        if (Stopping())
            return -1;
        if (!FSsl || SSL_pending(Ssl(FSsl)) == 0) {
            pollfd entry{FSocket, POLLIN, 0};
            const int ready = ::poll(&entry, 1, 20);
            if (ready == 0)
                continue;
            if (ready < 0)
                return -1;
        }
        return FSsl ? SSL_read(Ssl(FSsl), buffer, size) : int(::recv(FSocket, buffer, size, 0));
    }
}

std::string THostileConnection::ReadRequest() {
    return qbtest::ReadHttpRequest(
        [this](char* buffer, int size) { return Receive(buffer, size); });
}

std::string THostileConnection::ReadSome() {
    char buffer[4096];
    const int n = Receive(buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, std::size_t(n)) : std::string();
}

bool THostileConnection::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        if (Stopping())
            return false;
        const int n = FSsl ? SSL_write(Ssl(FSsl), bytes.data(), int(bytes.size()))
                           : int(::send(FSocket, bytes.data(), bytes.size(), MSG_NOSIGNAL));
        if (n <= 0)
            return false;
        bytes.remove_prefix(std::size_t(n));
    }
    return true;
}

void THostileConnection::Reset() {
    linger abort{1, 0}; // close now and send RST
    ::setsockopt(FSocket, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    ::shutdown(FSocket, SHUT_RD);
}

void THostileConnection::Sleep(std::chrono::milliseconds length) const {
    const auto until = std::chrono::steady_clock::now() + length;
    while (!Stopping() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void THostileConnection::HoldOpen() {
    while (!Stopping()) {
        pollfd entry{FSocket, POLLIN, 0};
        char scrap[4096];
        if (::poll(&entry, 1, 20) > 0 && ::recv(FSocket, scrap, sizeof scrap, 0) <= 0)
            return;
    }
}

THostileServer::THostileServer(THandler handler, THostileOptions options)
    : FHandler(std::move(handler)), FOptions(std::move(options)) {
    std::signal(SIGPIPE, SIG_IGN);
    if (FOptions.UseTls)
        FContext = qbtest::NewTls12ServerContext(FOptions.Ciphers.c_str());
    FListen = qbtest::ListenOnLoopback(FPort);
    FThread = std::thread([this] { Serve(); });
}

THostileServer::~THostileServer() {
    FStop = true;
    FThread.join();
    ::close(FListen);
    SSL_CTX_free(static_cast<SSL_CTX*>(FContext));
}

std::string THostileServer::HttpAnswer(std::string_view body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

void THostileServer::Serve() {
    qbtest::ServeInTurn(
        FListen, [this] { return FStop.load(); },
        [this](int client) {
            ++FConnections;
            Handle(client);
        });
}

void THostileServer::Handle(int client) {
    timeval timeout{5, 0};
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (FOptions.Silent) {
        THostileConnection(client, nullptr, FStop).HoldOpen();
        return;
    }
    SSL* ssl = nullptr;
    if (FContext) {
        ssl = SSL_new(static_cast<SSL_CTX*>(FContext));
        SSL_set_fd(ssl, client);
        if (SSL_accept(ssl) != 1) {
            FHandshakeFailed = true;
            SSL_free(ssl);
            ERR_clear_error();
            return;
        }
    }
    THostileConnection connection(client, ssl, FStop);
    FHandler(connection);
    SSL_free(ssl);
    ERR_clear_error();
}
