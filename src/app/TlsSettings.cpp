#include "app/TlsSettings.h"

#include "support/IniFile.h"
#include "support/Win1252.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cctype>

namespace {

bool SameText(const std::string& a, const char* b) {
    const std::string other = b;
    return a.size() == other.size() &&
           std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

TTlsSettings TTlsSettings::Load(const QString& settingsFile) {
    const qb::TIniFile ini = qb::TIniFile::LoadFromFile(settingsFile);
    TTlsSettings settings;
    settings.Security = ini.ReadString("Server", "Security", {});
    settings.CAFile = ini.ReadString("Server", "CAFile", {});
    settings.SettingsFile = qb::ToAnsi(settingsFile);
    // A relative path is taken from the settings file's folder, not from
    // wherever the program happened to be started.
    const QString caFile = qb::FromAnsi(settings.CAFile);
    if (!caFile.isEmpty() && QDir::isRelativePath(caFile))
        settings.CAFile = qb::ToAnsi(QFileInfo(settingsFile).absoluteDir().filePath(caFile));
    return settings;
}

TTlsOptions TTlsSettings::Options() const {
    TTlsOptions options;
    if (Security.empty() || SameText(Security, "anonymous"))
        return options;
    if (!SameText(Security, "verified"))
        throw ETlsSetupError(
            "The setting \"Security\" in section \"Server\"" +
            (SettingsFile.empty() ? std::string() : " of the file \"" + SettingsFile + "\"") +
            " has the unknown value \"" + Security +
            "\"; it must be \"anonymous\" or \"verified\".");
    options.Mode = TTlsOptions::TMode::Verified;
    options.CaFile = CAFile;
    return options;
}
