#include "CertTlsServer.h"

#include "LoopbackTls.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

TCertTlsServer::TCertTlsServer(const std::string& certFile, const std::string& keyFile,
                               std::string body)
    : FBody(std::move(body)) {
    std::signal(SIGPIPE, SIG_IGN);
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    if (SSL_CTX_use_certificate_chain_file(context, certFile.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
        SSL_CTX_free(context);
        throw std::runtime_error("cannot load test certificate " + certFile);
    }
    FContext = context;
    FListen = qbtest::ListenOnLoopback(FPort);
    FThread = std::thread([this] { Serve(); });
}

TCertTlsServer::~TCertTlsServer() {
    FStop = true;
    FThread.join();
    ::close(FListen);
    SSL_CTX_free(static_cast<SSL_CTX*>(FContext));
}

void TCertTlsServer::Serve() {
    qbtest::ServeInTurn(
        FListen, [this] { return FStop.load(); }, [this](int client) { Handle(client); });
}

void TCertTlsServer::Handle(int client) {
    timeval timeout{5, 0};
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    SSL* ssl = SSL_new(static_cast<SSL_CTX*>(FContext));
    SSL_set_fd(ssl, client);
    if (SSL_accept(ssl) != 1) {
        ++FFailedHandshakes;
        SSL_free(ssl);
        ERR_clear_error();
        return;
    }
    // The request is read whole before answering, as the service does.
    qbtest::ReadHttpRequest([ssl](char* buffer, int size) { return SSL_read(ssl, buffer, size); });
    const std::string answer = "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
                               std::to_string(FBody.size()) + "\r\n\r\n" + FBody;
    if (SSL_write(ssl, answer.data(), int(answer.size())) > 0)
        ++FAnswered;
    SSL_shutdown(ssl);
    SSL_free(ssl);
    ERR_clear_error();
}
