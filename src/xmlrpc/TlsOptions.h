#pragma once
// How a connection to the stock service is secured.  Anonymous is the
// service's historical mode: encrypted, but nobody is authenticated, so anyone
// on the path can read the account password.  Verified checks the service's
// certificate and host name like any other secure client.
#include "support/Exception.h"

#include <string>

struct TTlsOptions {
    enum class TMode {
        Anonymous, // TLS 1.2, ADH-AES256-SHA only, no certificate
        Verified,  // TLS 1.2 or later, default ciphers, certificate and host name checked
    };
    TMode Mode = TMode::Anonymous;
    // Verified only: the path (Windows-1252 text) of a PEM bundle of trusted
    // CA certificates; empty means the platform's trust store.
    std::string CaFile;

    bool operator==(const TTlsOptions&) const = default;
};

// A TLS choice that cannot be put to use: an unreadable CA file, an unknown
// mode in the settings.  Not a transport error: checking the network would
// not help, the configuration must change.
class ETlsSetupError : public Exception {
public:
    using Exception::Exception;
};
