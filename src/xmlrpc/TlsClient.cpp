#include "xmlrpc/TlsClient.h"

#include "support/Require.h"
#include "support/Win1252.h"
#include "xmlrpc/Transport.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <string>

namespace {

// The service fixes this suite; it must stay byte for byte as it is.
const char* const AnonymousCipherList = "ADH-AES256-SHA:@SECLEVEL=0";

std::string TlsErrorText(const char* what, int sslError) {
    std::string text = what;
    unsigned long code = ERR_get_error();
    if (code != 0) {
        char buffer[256];
        ERR_error_string_n(code, buffer, sizeof buffer);
        text += ": ";
        text += buffer;
    } else {
        text += " (TLS error " + std::to_string(sslError) + ")";
    }
    ERR_clear_error();
    return text + ".";
}

// A handshake_failure alert is what either side sends when the two share no
// cipher suite, which is what an anonymous client meets at a service with a
// certificate and the other way round.
bool PeerSharesNoCipher() {
    const unsigned long code = ERR_peek_error();
    return ERR_GET_LIB(code) == ERR_LIB_SSL &&
           ERR_GET_REASON(code) == SSL_R_SSLV3_ALERT_HANDSHAKE_FAILURE;
}

bool IsIpAddress(const std::string& host) {
    in6_addr buffer;
    return inet_pton(AF_INET, host.c_str(), &buffer) == 1 ||
           inet_pton(AF_INET6, host.c_str(), &buffer) == 1;
}

void LoadTrustedCertificates(SSL_CTX* context, const std::string& caFile) {
    if (caFile.empty()) {
        if (SSL_CTX_set_default_verify_paths(context) != 1)
            throw ETlsSetupError(
                TlsErrorText("The platform's trusted certificates cannot be used", 0));
        return;
    }
    // The setting is Windows-1252 text like every other; file names are UTF-8.
    const std::string path = qb::Win1252ToUtf8(caFile);
    // Opened here first so that the message can say why in the system's words.
    if (std::FILE* file = std::fopen(path.c_str(), "rb"))
        std::fclose(file);
    else
        throw ETlsSetupError("The CA file " + caFile + " cannot be read: " + std::strerror(errno) +
                             ".");
    ERR_clear_error();
    if (SSL_CTX_load_verify_file(context, path.c_str()) != 1) {
        const unsigned long code = ERR_peek_error();
        const char* reason = code ? ERR_reason_error_string(code) : nullptr;
        ERR_clear_error();
        throw ETlsSetupError("The CA file " + caFile + " holds no usable PEM certificate" +
                             (reason ? std::string(": ") + reason : std::string()) + ".");
    }
}

// A context for one connection.  Raises with the context freed.
SSL_CTX* NewContext(const TTlsOptions& options) {
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (!context)
        throw ETransportError(TlsErrorText("Cannot create the TLS context", 0));
    try {
        SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
        SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
        if (options.Mode == TTlsOptions::TMode::Verified) {
            // The library's default protocols, ciphers and security level.
            SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
            LoadTrustedCertificates(context, options.CaFile);
        } else {
            SSL_CTX_set_max_proto_version(context, TLS1_2_VERSION);
            SSL_CTX_set_verify(context, SSL_VERIFY_NONE, nullptr);
            if (SSL_CTX_set_cipher_list(context, AnonymousCipherList) != 1)
                throw ETransportError(TlsErrorText("Cannot set the TLS cipher list", 0));
        }
    } catch (...) {
        SSL_CTX_free(context);
        throw;
    }
    return context;
}

} // namespace

TTlsClient::TTlsClient(TTcpSocket& socket, const TTlsOptions& options, const std::string& host)
    : FSocket(socket), FOptions(options), FHost(host) {
    const bool verified = options.Mode == TTlsOptions::TMode::Verified;
    Forbid(verified && host.empty(), "Host parameter is empty in TTlsClient");
    FContext = NewContext(options);
    FSsl = SSL_new(FContext);
    FIn = BIO_new(BIO_s_mem());
    FOut = BIO_new(BIO_s_mem());
    bool named = FSsl != nullptr;
    if (named && verified) {
        if (IsIpAddress(host)) {
            named = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(FSsl), host.c_str()) == 1;
        } else {
            SSL_set_hostflags(FSsl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
            named = SSL_set_tlsext_host_name(FSsl, host.c_str()) == 1 &&
                    SSL_set1_host(FSsl, host.c_str()) == 1;
        }
    }
    if (!FSsl || !FIn || !FOut || !named) {
        BIO_free(FIn);
        BIO_free(FOut);
        SSL_free(FSsl);
        SSL_CTX_free(FContext);
        throw ETransportError(TlsErrorText("Cannot create the TLS session", 0));
    }
    // An empty input buffer means "wait for more" until the socket has closed.
    BIO_set_mem_eof_return(FIn, -1);
    SSL_set_bio(FSsl, FIn, FOut);
    SSL_set_connect_state(FSsl);
}

TTlsClient::~TTlsClient() {
    SSL_free(FSsl);
    SSL_CTX_free(FContext);
}

void TTlsClient::RaiseFailure(int sslError) {
    const bool handshaking = !SSL_is_init_finished(FSsl);
    if (handshaking && FOptions.Mode == TTlsOptions::TMode::Verified) {
        const long verdict = SSL_get_verify_result(FSsl);
        if (verdict != X509_V_OK) {
            ERR_clear_error();
            throw ETransportError("The certificate of " + FHost + " could not be verified: " +
                                  X509_verify_cert_error_string(verdict) + ".");
        }
    }
    const bool noSharedCipher = handshaking && PeerSharesNoCipher();
    std::string text =
        TlsErrorText(handshaking ? "TLS handshake failed" : "TLS connection failed", sslError);
    if (noSharedCipher)
        text += FOptions.Mode == TTlsOptions::TMode::Verified
                    ? " The service may offer only anonymous TLS, without a certificate."
                    : " The service may require TLS with a verified certificate.";
    throw ETransportError(text);
}

bool TTlsClient::Flush(TClock::time_point deadline) {
    char buffer[16384];
    while (BIO_ctrl_pending(FOut) > 0) {
        const int n = BIO_read(FOut, buffer, sizeof buffer);
        if (n <= 0)
            break;
        if (!FSocket.Send(buffer, std::size_t(n), deadline))
            return false;
    }
    return true;
}

bool TTlsClient::Fill(TClock::time_point deadline) {
    if (FPeerClosed)
        return true; // OpenSSL now sees the end of the input and reports it
    char buffer[16384];
    const std::optional<std::size_t> n = FSocket.Receive(buffer, sizeof buffer, deadline);
    if (!n)
        return false;
    if (*n == 0) {
        FPeerClosed = true;
        BIO_set_mem_eof_return(FIn, 0);
    } else {
        BIO_write(FIn, buffer, int(*n));
    }
    return true;
}

template <class TOperation>
std::optional<int> TTlsClient::Drive(TOperation operation, TClock::time_point deadline) {
    for (;;) {
        ERR_clear_error();
        const int rc = operation();
        const int error = rc > 0 ? SSL_ERROR_NONE : SSL_get_error(FSsl, rc);
        if (error == SSL_ERROR_SSL || error == SSL_ERROR_SYSCALL) {
            // Best effort: the alert that says why waits in the output buffer.
            try {
                Flush(std::min(deadline, TClock::now() + std::chrono::milliseconds(100)));
            } catch (const ETransportError&) {
            }
            RaiseFailure(error);
        }
        if (!Flush(deadline))
            return std::nullopt;
        switch (error) {
        case SSL_ERROR_NONE:
            return rc;
        case SSL_ERROR_ZERO_RETURN:
            return 0;
        case SSL_ERROR_WANT_READ:
            if (FPeerClosed)
                throw ETransportError("The server closed the connection unexpectedly.");
            if (!Fill(deadline))
                return std::nullopt;
            break;
        case SSL_ERROR_WANT_WRITE:
            break;
        default:
            throw ETransportError(TlsErrorText("TLS connection failed", error));
        }
    }
}

bool TTlsClient::Handshake(TClock::time_point deadline) {
    return Drive([this] { return SSL_do_handshake(FSsl); }, deadline).has_value();
}

bool TTlsClient::Write(const char* data, std::size_t size, TClock::time_point deadline) {
    while (size > 0) {
        const int chunk = size > std::size_t(INT_MAX) ? INT_MAX : int(size);
        const std::optional<int> n = Drive([&] { return SSL_write(FSsl, data, chunk); }, deadline);
        if (!n)
            return false;
        if (*n == 0)
            throw ETransportError("The server closed the connection while the request was "
                                  "being sent.");
        data += *n;
        size -= std::size_t(*n);
    }
    return true;
}

std::optional<std::size_t> TTlsClient::Read(char* buffer, std::size_t size,
                                            TClock::time_point deadline) {
    const int chunk = size > std::size_t(INT_MAX) ? INT_MAX : int(size);
    const std::optional<int> n = Drive([&] { return SSL_read(FSsl, buffer, chunk); }, deadline);
    if (!n)
        return std::nullopt;
    return std::size_t(*n);
}

void TTlsClient::Shutdown() {
    if (!SSL_is_init_finished(FSsl))
        return;
    ERR_clear_error();
    SSL_shutdown(FSsl);
    try {
        Flush(TClock::now() + std::chrono::milliseconds(100));
    } catch (const ETransportError&) {
        // The peer is gone already; nothing is left to tell it.
    }
    ERR_clear_error();
}
