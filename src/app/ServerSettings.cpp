#include "app/ServerSettings.h"

#include "support/IniFile.h"
#include "support/Win1252.h"

#include <limits>

TServerSettings TServerSettings::Load(const QString& settingsFile) {
    const qb::TIniFile ini = qb::TIniFile::LoadFromFile(settingsFile);
    TServerSettings settings;
    settings.ServerHost = ini.ReadString("Server", "ServerHost", {});
    settings.ServerPort = ini.ReadInteger("Server", "ServerPort", 0);
    const std::string portText = ini.ReadString("Server", "ServerPort", {});
    constexpr int Unreadable = std::numeric_limits<int>::min();
    const int port = ini.ReadInteger("Server", "ServerPort", Unreadable);
    if (!portText.empty() && (port < 0 || port > 65535))
        settings.Problem = "The setting \"ServerPort\" in section \"Server\" of the file \"" +
                           qb::ToAnsi(settingsFile) + "\" has the value \"" + portText +
                           "\"; it must be a port number from 1 to 65535.";
    settings.Tls = TTlsSettings::Load(settingsFile);
    return settings;
}
