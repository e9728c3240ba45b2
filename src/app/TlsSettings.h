#pragma once
// How the connection to the stock service is secured, as the "Server" section
// of the settings file says: "Security" = "anonymous" (the default, also when
// the key is missing or empty) or "verified", and "CAFile" = a PEM bundle of
// trusted CA certificates (empty: the platform's trust store; a relative path
// is taken from the settings file's folder).  The values
// are kept as written and checked when a call needs them, so that a mistake
// is reported by that call, not by the start of the program.
#include "xmlrpc/TlsOptions.h"

#include <QString>

#include <string>

struct TTlsSettings {
    std::string Security;     // as written, trimmed
    std::string CAFile;       // absolute once loaded
    std::string SettingsFile; // where they were read; named in messages

    static TTlsSettings Load(const QString& settingsFile);
    // The options the transport takes.  An unknown "Security" value raises
    // ETlsSetupError naming the key and the value: falling back to the
    // anonymous mode would quietly give away the password.
    TTlsOptions Options() const;
};
