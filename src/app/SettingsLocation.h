#pragma once
// Where the settings file is.  In this order:
//   1. --settings PATH, as given;
//   2. the file beside the executable (its name with ".ini"), when it exists
//      and the user may write it: the portable set-up;
//   3. the per-user file $XDG_CONFIG_HOME/quillbrook/quillbrook.ini (by
//      default ~/.config), created on first start from the default the package
//      installed, or from a read-only file beside the executable.
// Nothing here fails: when the per-user file cannot be created, the program
// still starts on the best file it can read, and only its writes fail.
#include <QString>
#include <QStringList>
#include <functional>

namespace qb {

struct TSettingsLocation {
    QString CommandLinePath;  // --settings; empty when not given
    QString ExecutablePath;   // the running program
    QString ConfigHome;       // the user's configuration folder
    QStringList DefaultFiles; // installed defaults, the first one found is copied
    // Whether the user may replace the file; empty: ask the file system.
    std::function<bool(const QString&)> MayWrite;

    // The environment of the running program: its path, $XDG_CONFIG_HOME and
    // the default in <prefix>/share/quillbrook or in $XDG_DATA_DIRS.
    static TSettingsLocation FromEnvironment(const QString& commandLinePath);

    QString BesideExecutable() const; // <dir>/<name>.ini
    QString PerUser() const;          // <config home>/quillbrook/quillbrook.ini

    // The file to use; may create PerUser() from a default.
    QString Resolve() const;
};

// The user's configuration folder per the XDG base directory rules.
QString XdgConfigHome();

// TSettingsLocation::FromEnvironment(commandLinePath).Resolve().
QString LocateSettingsFile(const QString& commandLinePath);

} // namespace qb
