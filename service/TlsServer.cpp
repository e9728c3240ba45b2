#include "service/TlsServer.h"

#include "service/HttpRequestHead.h"
#include "service/ServiceRefusal.h"
#include "support/Exception.h"
#include "support/Require.h"
#include "xmlrpc/MethodCall.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

using TClock = std::chrono::steady_clock;

constexpr std::size_t kMaxHeadBytes = 16 * 1024;

std::string SslErrorText() {
    unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return "connection closed";
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

class EConnectionEnded : public Exception {
public:
    using Exception::Exception;
};

// One connection: a non-blocking socket under TLS with deadlines.
class TConnection {
public:
    TConnection(ssl_ctx_st* context, int fd, const TServiceOptions& options)
        : FFd(fd), FIdle(options.IdleTimeout), FDeadline(TClock::now() + options.RequestTimeout) {
        FSsl = SSL_new(context);
        if (!FSsl)
            throw EConnectionEnded("out of memory");
        SSL_set_fd(FSsl, fd);
    }
    ~TConnection() { SSL_free(FSsl); }
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    void Handshake() {
        Retry("handshake", [&] { return SSL_accept(FSsl); });
    }

    // Appends what arrives (at least one byte) to `buffer`.
    void ReadSome(std::string& buffer) {
        char chunk[16384];
        int n = Retry("read", [&] { return SSL_read(FSsl, chunk, sizeof chunk); });
        buffer.append(chunk, static_cast<std::size_t>(n));
    }

    void WriteAll(std::string_view data) {
        // Writes get their own deadline: the request deadline may be near.
        FDeadline = TClock::now() + FIdle;
        while (!data.empty()) {
            int chunk = static_cast<int>(std::min<std::size_t>(data.size(), 1 << 20));
            int n = Retry("write", [&] { return SSL_write(FSsl, data.data(), chunk); });
            data.remove_prefix(static_cast<std::size_t>(n));
        }
    }

    // Sends close_notify, ends our direction and waits briefly for the peer
    // to close, so that unread bytes do not turn into a reset that could
    // destroy the answer on its way.
    void Close() {
        SSL_shutdown(FSsl);
        ::shutdown(FFd, SHUT_WR);
        auto until = TClock::now() + std::chrono::milliseconds(500);
        char sink[4096];
        while (TClock::now() < until) {
            pollfd p{FFd, POLLIN, 0};
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(until - TClock::now());
            if (::poll(&p, 1, static_cast<int>(std::max<long long>(1, left.count()))) <= 0)
                break;
            if (::recv(FFd, sink, sizeof sink, 0) <= 0)
                break;
        }
    }

private:
    template <class F> int Retry(const char* what, F call) {
        for (;;) {
            ERR_clear_error();
            int rc = call();
            if (rc > 0)
                return rc;
            int error = SSL_get_error(FSsl, rc);
            short events = 0;
            if (error == SSL_ERROR_WANT_READ)
                events = POLLIN;
            else if (error == SSL_ERROR_WANT_WRITE)
                events = POLLOUT;
            else if (error == SSL_ERROR_ZERO_RETURN)
                throw EConnectionEnded(std::string(what) + ": client closed the connection");
            else
                throw EConnectionEnded(std::string(what) + " failed: " + SslErrorText());
            Wait(what, events);
        }
    }

    void Wait(const char* what, short events) {
        auto now = TClock::now();
        auto until = std::min(FDeadline, now + FIdle);
        if (now >= until)
            throw EConnectionEnded(std::string(what) + ": timed out");
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now);
        pollfd p{FFd, events, 0};
        int rc = ::poll(&p, 1, static_cast<int>(std::max<long long>(1, left.count())));
        if (rc == 0)
            throw EConnectionEnded(std::string(what) + ": timed out");
        if (rc < 0 && errno != EINTR)
            throw EConnectionEnded(std::string(what) + ": " + std::strerror(errno));
    }

    int FFd;
    ssl_st* FSsl = nullptr;
    std::chrono::milliseconds FIdle;
    TClock::time_point FDeadline;
};

bool SetBuiltInDhGroup(SSL_CTX* context) {
    EVP_PKEY_CTX* generator = EVP_PKEY_CTX_new_from_name(nullptr, "DH", nullptr);
    EVP_PKEY* parameters = nullptr;
    bool ok = generator && EVP_PKEY_paramgen_init(generator) > 0 &&
              EVP_PKEY_CTX_set_group_name(generator, "ffdhe2048") > 0 &&
              EVP_PKEY_paramgen(generator, &parameters) > 0;
    EVP_PKEY_CTX_free(generator);
    if (ok && SSL_CTX_set0_tmp_dh_pkey(context, parameters) == 1)
        return true;
    EVP_PKEY_free(parameters);
    return false;
}

// The service's historical mode: TLS 1.2, ADH-AES256-SHA, no certificate.
void SetUpAnonymous(SSL_CTX* context) {
    SSL_CTX_set_max_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_security_level(context, 0);
    if (SSL_CTX_set_cipher_list(context, "ADH-AES256-SHA:@SECLEVEL=0") != 1)
        throw Exception("The TLS library offers no ADH-AES256-SHA: " + SslErrorText());
    // The built-in 2048-bit group of RFC 7919: no parameter file, and a
    // third of the handshake cost of the 3072-bit group chosen by default.
    if (!SetBuiltInDhGroup(context))
        throw Exception("Cannot set the Diffie-Hellman group: " + SslErrorText());
}

// The library's default protocols, ciphers and security level, none of them
// anonymous, with the given certificate.
void SetUpCertificate(SSL_CTX* context, const std::string& certFile, const std::string& keyFile) {
    Forbid(certFile.empty() || keyFile.empty(), "A certificate needs both its file and its key");
    // Opened here first so that the message can say why in the system's words.
    auto mustRead = [](const char* what, const std::string& file) {
        std::FILE* handle = std::fopen(file.c_str(), "rb");
        if (!handle)
            throw Exception(std::string("Cannot read the ") + what + " " + file + ": " +
                            std::strerror(errno));
        std::fclose(handle);
    };
    mustRead("certificate file", certFile);
    mustRead("key file", keyFile);
    ERR_clear_error();
    if (SSL_CTX_use_certificate_chain_file(context, certFile.c_str()) != 1)
        throw Exception("Cannot use the certificate file " + certFile + ": " + SslErrorText());
    const auto mismatch = [&] {
        return Exception("The key file " + keyFile + " does not belong to the certificate " +
                         certFile + ": " + SslErrorText());
    };
    if (SSL_CTX_use_PrivateKey_file(context, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
        const unsigned long code = ERR_peek_error();
        if (ERR_GET_LIB(code) == ERR_LIB_X509 && ERR_GET_REASON(code) == X509_R_KEY_VALUES_MISMATCH)
            throw mismatch();
        throw Exception("Cannot use the key file " + keyFile + ": " + SslErrorText());
    }
    if (SSL_CTX_check_private_key(context) != 1)
        throw mismatch();
    // One call per connection: a resumption ticket would never be used.
    SSL_CTX_set_num_tickets(context, 0);
}

std::string HttpAnswer(const char* status, const std::string& document) {
    return std::string("HTTP/1.0 ") + status +
           "\r\nContent-Type: text/xml\r\nContent-Length: " + std::to_string(document.size()) +
           "\r\nConnection: close\r\n\r\n" + document;
}

// Answers the stock client can read: it parses the body whatever the status.
std::string FaultAnswer(const char* status, int code, const std::string& text) {
    return HttpAnswer(status, BuildFaultResponse(code, text));
}

} // namespace

TTlsServer::TTlsServer(const TServiceOptions& options, THandler handler, TLogger logger)
    : FOptions(options), FHandler(std::move(handler)), FLogger(std::move(logger)) {}

TTlsServer::~TTlsServer() {
    Stop();
}

void TTlsServer::Start() {
    // A client that hangs up while we write must not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    FContext = SSL_CTX_new(TLS_server_method());
    if (!FContext)
        throw Exception("Cannot create the TLS context: " + SslErrorText());
    SSL_CTX_set_min_proto_version(FContext, TLS1_2_VERSION);
    if (FOptions.CertFile.empty() && FOptions.KeyFile.empty())
        SetUpAnonymous(FContext);
    else
        SetUpCertificate(FContext, FOptions.CertFile, FOptions.KeyFile);
    SSL_CTX_set_options(FContext, SSL_OP_IGNORE_UNEXPECTED_EOF | SSL_OP_NO_RENEGOTIATION);
    SSL_CTX_set_session_cache_mode(FContext, SSL_SESS_CACHE_OFF);

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    std::string port = std::to_string(FOptions.Port);
    if (int rc = getaddrinfo(FOptions.ListenAddress.c_str(), port.c_str(), &hints, &found))
        throw Exception("Cannot resolve listen address " + FOptions.ListenAddress + ": " +
                        gai_strerror(rc));
    std::string failure;
    for (addrinfo* a = found; a && FListenFd < 0; a = a->ai_next) {
        int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        int yes = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 128) == 0) {
            FListenFd = fd;
            break;
        }
        failure = std::strerror(errno);
        ::close(fd);
    }
    freeaddrinfo(found);
    if (FListenFd < 0)
        throw Exception("Cannot listen on " + FOptions.ListenAddress + " port " + port + ": " +
                        failure);
    sockaddr_storage bound{};
    socklen_t size = sizeof bound;
    ::getsockname(FListenFd, reinterpret_cast<sockaddr*>(&bound), &size);
    FPort = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(bound).sin6_port
                                              : reinterpret_cast<sockaddr_in&>(bound).sin_port);
    if (::pipe2(FWakePipe, O_CLOEXEC) != 0)
        throw Exception(std::string("Cannot create a pipe: ") + std::strerror(errno));
    FStopping = false;
    FAcceptThread = std::thread([this] { AcceptLoop(); });
}

void TTlsServer::Stop() {
    if (FAcceptThread.joinable()) {
        {
            std::lock_guard lock(FLock);
            FStopping = true;
            FChanged.notify_all();
        }
        char wake = 1;
        [[maybe_unused]] auto n = ::write(FWakePipe[1], &wake, 1);
        FAcceptThread.join();
    }
    {
        // Wake connections that wait for a slow client; each ends at once.
        std::unique_lock lock(FLock);
        for (int fd : FOpenSockets)
            ::shutdown(fd, SHUT_RDWR);
        FChanged.wait(lock, [&] { return FActive == 0; });
    }
    JoinFinished();
    for (int* fd : {&FListenFd, &FWakePipe[0], &FWakePipe[1]})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    SSL_CTX_free(FContext);
    FContext = nullptr;
}

void TTlsServer::JoinFinished() {
    std::vector<std::uint64_t> finished;
    {
        std::lock_guard lock(FLock);
        finished.swap(FFinished);
    }
    for (std::uint64_t id : finished) {
        auto it = FThreads.find(id);
        if (it == FThreads.end())
            continue;
        if (it->second.joinable())
            it->second.join();
        FThreads.erase(it);
    }
}

void TTlsServer::AcceptLoop() {
    while (!FStopping) {
        {
            // Beyond the limit, clients wait in the listen backlog.
            std::unique_lock lock(FLock);
            FChanged.wait(lock, [&] { return FActive < FOptions.MaxConnections || FStopping; });
        }
        pollfd p[2] = {{FListenFd, POLLIN, 0}, {FWakePipe[0], POLLIN, 0}};
        if (::poll(p, 2, -1) < 0 && errno != EINTR)
            break;
        if (FStopping || p[1].revents)
            break;
        if (!(p[0].revents & POLLIN))
            continue;
        int fd = ::accept4(FListenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        int yes = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        {
            std::lock_guard lock(FLock);
            ++FActive;
            FOpenSockets.insert(fd);
        }
        std::uint64_t id = FNextThread++;
        auto finish = [this, fd, id] {
            std::lock_guard lock(FLock);
            FOpenSockets.erase(fd);
            ::close(fd);
            --FActive;
            FFinished.push_back(id);
            FChanged.notify_all();
        };
        try {
            FThreads.emplace(id, std::thread([this, fd, finish] {
                                 Serve(fd);
                                 finish();
                             }));
        } catch (const std::system_error&) {
            finish(); // no thread to be had: drop this client, keep serving
        }
        JoinFinished();
    }
    std::lock_guard lock(FLock);
    FChanged.notify_all();
}

void TTlsServer::Serve(int fd) {
    auto started = TClock::now();
    auto elapsed = [&] {
        return std::to_string(
                   std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - started)
                       .count()) +
               " ms";
    };
    try {
        TConnection connection(FContext, fd, FOptions);
        try {
            connection.Handshake();
            auto refuse = [&](const char* status, const std::string& why) {
                connection.WriteAll(FaultAnswer(status, rcBadParameters, why));
                connection.Close();
                FLogger("- " + elapsed() + " refused: " + why);
            };
            std::string data;
            std::size_t headEnd;
            while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
                if (data.size() > kMaxHeadBytes)
                    return refuse("431 Request Header Fields Too Large", "Request head too large");
                connection.ReadSome(data);
            }
            THttpRequestHead head = ParseHttpRequestHead(std::string_view(data).substr(0, headEnd));
            if (head.Method != "POST")
                return refuse("405 Method Not Allowed", "Only POST requests are served");
            if (!head.ContentLength)
                return refuse("411 Length Required", "Content-length missing or malformed");
            if (*head.ContentLength > FOptions.MaxRequestBytes)
                return refuse("413 Payload Too Large",
                              "Request too large (at most " +
                                  std::to_string(FOptions.MaxRequestBytes) + " bytes)");
            std::size_t length = *head.ContentLength;
            std::size_t bodyStart = headEnd + 4;
            data.reserve(bodyStart + length);
            while (data.size() < bodyStart + length)
                connection.ReadSome(data);
            std::string document = FHandler(std::string_view(data).substr(bodyStart, length));
            data.clear();
            data.shrink_to_fit();
            connection.WriteAll(HttpAnswer("200 OK", document));
            connection.Close();
        } catch (const EConnectionEnded& e) {
            FLogger("- " + elapsed() + " connection ended: " + e.Message());
        }
    } catch (const std::exception& e) {
        FLogger("- " + elapsed() + " connection failed: " + e.what());
    }
}
