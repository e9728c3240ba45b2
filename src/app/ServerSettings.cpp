#include "app/ServerSettings.h"

#include "support/IniFile.h"

TServerSettings TServerSettings::Load(const QString& settingsFile) {
    const qb::TIniFile ini = qb::TIniFile::LoadFromFile(settingsFile);
    TServerSettings settings;
    settings.ServerHost = ini.ReadString("Server", "ServerHost", {});
    settings.ServerPort = ini.ReadInteger("Server", "ServerPort", 0);
    settings.Tls = TTlsSettings::Load(settingsFile);
    return settings;
}
