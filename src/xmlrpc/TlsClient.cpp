#include "xmlrpc/TlsClient.h"

#include "xmlrpc/Transport.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <climits>
#include <string>

namespace {

const char* const CipherList = "ADH-AES256-SHA:@SECLEVEL=0";

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

} // namespace

TTlsClient::TTlsClient(TTcpSocket& socket) : FSocket(socket) {
    FContext = SSL_CTX_new(TLS_client_method());
    if (!FContext)
        throw ETransportError(TlsErrorText("Cannot create the TLS context", 0));
    SSL_CTX_set_min_proto_version(FContext, TLS1_2_VERSION);
    SSL_CTX_set_max_proto_version(FContext, TLS1_2_VERSION);
    SSL_CTX_set_verify(FContext, SSL_VERIFY_NONE, nullptr);
    SSL_CTX_set_options(FContext, SSL_OP_IGNORE_UNEXPECTED_EOF);
    if (SSL_CTX_set_cipher_list(FContext, CipherList) != 1) {
        SSL_CTX_free(FContext);
        throw ETransportError(TlsErrorText("Cannot set the TLS cipher list", 0));
    }
    FSsl = SSL_new(FContext);
    FIn = BIO_new(BIO_s_mem());
    FOut = BIO_new(BIO_s_mem());
    if (!FSsl || !FIn || !FOut) {
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
        if (error == SSL_ERROR_SSL || error == SSL_ERROR_SYSCALL)
            throw ETransportError(TlsErrorText(SSL_is_init_finished(FSsl) ? "TLS connection failed"
                                                                          : "TLS handshake failed",
                                               error));
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
