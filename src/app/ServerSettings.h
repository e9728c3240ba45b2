#pragma once
// The stock service's address and transport security from the "Server"
// section of the settings file.
#include "app/TlsSettings.h"

#include <QString>

#include <cstdint>
#include <string>

struct TServerSettings {
    std::string ServerHost; // empty when absent
    int ServerPort = 0;     // 0 when absent
    TTlsSettings Tls;       // "Security" and "CAFile"
    // A "ServerPort" written but not a port number, named with its file.
    // Reported by the first call rather than taken as 0, whose message would
    // name neither the key nor the file.
    std::string Problem;

    // Read once at start; a missing file or section gives the defaults.
    static TServerSettings Load(const QString& settingsFile);
    // The port as the transport takes it.
    uint16_t Port16() const { return static_cast<uint16_t>(ServerPort); }
};
