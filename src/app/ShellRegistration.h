#pragma once
// Registers the filter file type with the desktop.  On a freedesktop.org
// desktop this is a shared-mime-info package for the pattern, a desktop entry
// that opens the file with the program, and the program's icon, all under the
// user's data directory ($XDG_DATA_HOME, by default ~/.local/share).
#include <QString>

namespace qb {

// The user's data directory per the XDG base directory rules.
QString XdgDataHome();

// Whether the desktop knows the extension ("qbk" or ".qbk"): our own package
// is installed, or the shared MIME database's glob lists name the pattern.
// Throws "Extension parameter empty in ShellExtRegistered" when empty.
bool ShellExtRegistered(const QString& extension);

// Writes the registration.  Unless the extension is unknown or `force` is
// set, does nothing and answers false.
bool RegisterShellExt(const QString& extension, const QString& executable,
                      const QString& description, const QString& verb, bool force);

// "qbk" with the running executable, "Quillbrook file", "Open", when unknown.
// Answers whether it wrote anything.
bool RegisterFileType();

// Names of what RegisterShellExt writes, for a given extension.
QString MimeTypeName(const QString& extension);     // "application/x-qbk"
QString MimePackagePath(const QString& extension);  // .../mime/packages/quillbrook-qbk.xml
QString DesktopEntryPath(const QString& extension); // .../applications/quillbrook-qbk.desktop
QString IconPath();                                 // .../icons/hicolor/64x64/apps/quillbrook.png

// The Exec value of a desktop entry for `executable` with one file argument.
QString DesktopExecLine(const QString& executable);

} // namespace qb
