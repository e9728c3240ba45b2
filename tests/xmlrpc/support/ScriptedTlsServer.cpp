#include "ScriptedTlsServer.h"

#include "LoopbackTls.h"

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

TScriptedTlsServer::TScriptedTlsServer(bool useTls) : FUseTls(useTls) {
    std::signal(SIGPIPE, SIG_IGN);
    if (FUseTls)
        FContext = qbtest::NewTls12ServerContext("ADH-AES256-SHA:@SECLEVEL=0");
    FListen = qbtest::ListenOnLoopback(FPort);
    FThread = std::thread([this] { Serve(); });
}

TScriptedTlsServer::~TScriptedTlsServer() {
    FStop = true;
    FThread.join();
    ::close(FListen);
    SSL_CTX_free(static_cast<SSL_CTX*>(FContext));
}

void TScriptedTlsServer::SetScript(TServerScript script) {
    std::lock_guard<std::mutex> guard(FLock);
    FScript = std::move(script);
}

std::string TScriptedTlsServer::HttpAnswer(const std::string& body, const std::string& status) {
    return "HTTP/1.0 " + status +
           "\r\nContent-Type: text/xml\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

void TScriptedTlsServer::AnswerBody(const std::string& body, const std::string& status) {
    TServerScript script;
    script.Steps.push_back(TServerStep::Send(HttpAnswer(body, status)));
    SetScript(std::move(script));
}

std::vector<std::string> TScriptedTlsServer::Requests() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FRequests;
}

void TScriptedTlsServer::Sleep(std::chrono::milliseconds length) const {
    const auto until = std::chrono::steady_clock::now() + length;
    while (!Stopping() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void TScriptedTlsServer::Serve() {
    qbtest::ServeInTurn(
        FListen, [this] { return Stopping(); },
        [this](int client) {
            ++FConnections;
            Handle(client);
        });
}

void TScriptedTlsServer::Handle(int client) {
    TServerScript script;
    {
        std::lock_guard<std::mutex> guard(FLock);
        script = FScript;
    }
    if (script.Silent) {
        while (!Stopping()) {
            pollfd entry{client, POLLIN, 0};
            char scrap[256];
            // Hold the connection until the client gives up or the test ends.
            if (::poll(&entry, 1, 20) > 0 && ::recv(client, scrap, sizeof scrap, 0) <= 0)
                return;
        }
        return;
    }
    timeval timeout{5, 0};
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    SSL* ssl = nullptr;
    if (FUseTls) {
        ssl = SSL_new(static_cast<SSL_CTX*>(FContext));
        SSL_set_fd(ssl, client);
        if (SSL_accept(ssl) != 1) {
            SSL_free(ssl);
            ERR_clear_error();
            return;
        }
    }
    auto receive = [&](char* buffer, int size) {
        return ssl ? SSL_read(ssl, buffer, size) : int(::recv(client, buffer, size, 0));
    };
    auto send = [&](const char* data, int size) {
        return ssl ? SSL_write(ssl, data, size) : int(::send(client, data, size, MSG_NOSIGNAL));
    };

    const std::string request = qbtest::ReadHttpRequest(receive);
    {
        std::lock_guard<std::mutex> guard(FLock);
        FRequests.push_back(request);
    }
    for (const TServerStep& step : script.Steps) {
        if (Stopping())
            break;
        bool ok = true;
        switch (step.Kind) {
        case TServerStep::skSend:
            ok = step.Bytes.empty() || send(step.Bytes.data(), int(step.Bytes.size())) > 0;
            break;
        case TServerStep::skDrip:
            for (char c : step.Bytes) {
                if (Stopping() || send(&c, 1) <= 0) {
                    ok = false;
                    break;
                }
                Sleep(step.Interval);
            }
            break;
        case TServerStep::skPause:
            Sleep(step.Interval);
            break;
        }
        if (!ok)
            break;
    }
    if (ssl) {
        if (script.CloseNotify)
            SSL_shutdown(ssl);
        SSL_free(ssl);
        ERR_clear_error();
    }
}
