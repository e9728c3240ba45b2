#include "app/SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace qb {
namespace {

const char* const SettingsFolder = "quillbrook";
const char* const SettingsName = "quillbrook.ini";

// Writing goes through a temporary file and a rename, so the folder must
// take new files as well.
bool UserMayWrite(const QString& path) {
    const QFileInfo file(path);
    return file.isWritable() && QFileInfo(file.absolutePath()).isWritable();
}

// The running program, also before the application object exists.
QString RunningExecutable() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

// Copies `from` to `to` as a new file of the user's, all or nothing.
bool CopyAsUserFile(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = source.readAll();
    if (source.error() != QFileDevice::NoError || !QDir().mkpath(QFileInfo(to).absolutePath()))
        return false;
    QSaveFile target(to);
    target.setDirectWriteFallback(false);
    return target.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
           target.write(content) == content.size() && target.commit();
}

} // namespace

QString XdgConfigHome() {
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    // Relative paths are invalid there and ignored.
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return QDir::cleanPath(configured);
    return QDir::homePath() + "/.config";
}

TSettingsLocation TSettingsLocation::FromEnvironment(const QString& commandLinePath) {
    TSettingsLocation location;
    location.CommandLinePath = commandLinePath;
    location.ExecutablePath = RunningExecutable();
    location.ConfigHome = XdgConfigHome();
    const QString relative = QString::fromLatin1(SettingsFolder) + "/" + SettingsName;
    // The prefix the program was installed under comes first, so that a
    // second installation elsewhere does not hand over its default.
    if (!location.ExecutablePath.isEmpty())
        location.DefaultFiles << QDir::cleanPath(QFileInfo(location.ExecutablePath).absolutePath() +
                                                 "/../share/" + relative);
    QStringList dataDirs = qEnvironmentVariable("XDG_DATA_DIRS").split(u':', Qt::SkipEmptyParts);
    if (dataDirs.isEmpty())
        dataDirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    for (const QString& dir : dataDirs)
        if (QDir::isAbsolutePath(dir))
            location.DefaultFiles << QDir::cleanPath(dir + "/" + relative);
    location.DefaultFiles.removeDuplicates();
    return location;
}

QString TSettingsLocation::BesideExecutable() const {
    if (ExecutablePath.isEmpty())
        return {};
    const QFileInfo info(ExecutablePath);
    return info.absolutePath() + "/" + info.completeBaseName() + ".ini";
}

QString TSettingsLocation::PerUser() const {
    return ConfigHome + "/" + SettingsFolder + "/" + SettingsName;
}

QString TSettingsLocation::Resolve() const {
    if (!CommandLinePath.isEmpty())
        return CommandLinePath;
    const QString beside = BesideExecutable();
    const bool besideExists = !beside.isEmpty() && QFileInfo(beside).isFile();
    if (besideExists && (MayWrite ? MayWrite(beside) : UserMayWrite(beside)))
        return beside;
    const QString perUser = PerUser();
    if (QFileInfo::exists(perUser))
        return perUser;

    // First start: the per-user file begins as a copy of what the program
    // would otherwise have read.
    QStringList seeds;
    if (besideExists)
        seeds << beside;
    seeds << DefaultFiles;
    for (const QString& seed : seeds) {
        if (!QFileInfo(seed).isFile())
            continue;
        if (CopyAsUserFile(seed, perUser))
            return perUser;
        // Cannot create the user's file: read the default, writes will fail.
        return seed;
    }
    // Nothing to start from: the first write creates the file.
    QDir().mkpath(QFileInfo(perUser).absolutePath());
    return perUser;
}

QString LocateSettingsFile(const QString& commandLinePath) {
    return TSettingsLocation::FromEnvironment(commandLinePath).Resolve();
}

} // namespace qb
