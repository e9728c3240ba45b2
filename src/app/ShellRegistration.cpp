#include "app/ShellRegistration.h"

#include "support/Exception.h"
#include "support/TranslateText.h"
#include "support/Win1252.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace qb {
namespace {

const char* const EmptyExtensionMessage = "Extension parameter empty in ShellExtRegistered";

// "QBK" or ".qbk" as ".qbk".
QString NormalizedExtension(const QString& extension) {
    if (extension.isEmpty())
        throw Exception(EmptyExtensionMessage);
    QString normalized = extension.toLower();
    if (!normalized.startsWith(u'.'))
        normalized.prepend(u'.');
    return normalized;
}

QString Bare(const QString& normalized) {
    return normalized.mid(1);
}

QString XmlEscaped(const QString& text) {
    return text.toHtmlEscaped();
}

void WriteTextFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        throw Exception(TranslateText("Cannot write ") + ToAnsi(QDir::toNativeSeparators(path)));
}

// Tells the desktop about the new files; missing tools are no error.
void RefreshDesktopDatabases(const QString& dataHome) {
    const struct {
        const char* Tool;
        QString Folder;
    } steps[] = {{"update-mime-database", dataHome + "/mime"},
                 {"update-desktop-database", dataHome + "/applications"}};
    for (const auto& step : steps) {
        const QString tool = QStandardPaths::findExecutable(QString::fromLatin1(step.Tool));
        if (tool.isEmpty())
            continue;
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(tool, {step.Folder});
        if (process.waitForStarted(2000) && !process.waitForFinished(10000))
            process.kill(), process.waitForFinished(1000);
    }
}

QStringList XdgDataDirs() {
    QStringList dirs = qEnvironmentVariable("XDG_DATA_DIRS").split(u':', Qt::SkipEmptyParts);
    if (dirs.isEmpty())
        dirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    return dirs;
}

// The type that the shared MIME database's glob lists give the pattern
// "*.ext" ("weight:type:pattern[:flags]" lines of mime/globs2), searched in
// the user's folder first.  Read directly rather than through a cached
// database, so a registration made a moment ago counts.
QString KnownMimeType(const QString& normalized) {
    const QString pattern = "*" + normalized;
    for (const QString& dir : QStringList{XdgDataHome()} + XdgDataDirs()) {
        QFile globs(dir + "/mime/globs2");
        if (!globs.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        while (!globs.atEnd()) {
            const QString line = QString::fromUtf8(globs.readLine()).trimmed();
            if (line.startsWith(u'#'))
                continue;
            const QStringList fields = line.split(u':');
            if (fields.size() >= 3 && fields[2].compare(pattern, Qt::CaseInsensitive) == 0)
                return fields[1];
        }
    }
    return {};
}

} // namespace

QString XdgDataHome() {
    const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
    // Relative paths are invalid there and ignored.
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return QDir::cleanPath(configured);
    return QDir::homePath() + "/.local/share";
}

QString MimeTypeName(const QString& extension) {
    const QString normalized = NormalizedExtension(extension);
    return "application/x-" + Bare(normalized);
}

QString MimePackagePath(const QString& extension) {
    return XdgDataHome() + "/mime/packages/quillbrook-" + Bare(NormalizedExtension(extension)) +
           ".xml";
}

QString DesktopEntryPath(const QString& extension) {
    return XdgDataHome() + "/applications/quillbrook-" + Bare(NormalizedExtension(extension)) +
           ".desktop";
}

QString IconPath() {
    return XdgDataHome() + "/icons/hicolor/64x64/apps/quillbrook.png";
}

QString DesktopExecLine(const QString& executable) {
    // Inside the quotes of an Exec argument ", `, $ and \ are escaped with a
    // backslash; the key's value then escapes each backslash once more, and
    // a literal % is written twice.
    QString quoted;
    for (QChar c : executable) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'%', QLatin1String("%%"));
    quoted.replace(u'\\', QLatin1String("\\\\"));
    return "\"" + quoted + "\" %f";
}

bool ShellExtRegistered(const QString& extension) {
    const QString normalized = NormalizedExtension(extension);
    return QFileInfo::exists(MimePackagePath(normalized)) || !KnownMimeType(normalized).isEmpty();
}

bool RegisterShellExt(const QString& extension, const QString& executable,
                      const QString& description, const QString& verb, bool force) {
    if (extension.isEmpty())
        throw Exception(EmptyExtensionMessage);
    if (ShellExtRegistered(extension) && !force)
        return false;
    const QString normalized = NormalizedExtension(extension);
    // A desktop entry's Exec line is its one, default action: the verb.
    Q_UNUSED(verb);

    // A type the desktop already has for the pattern keeps its name.
    QString typeName = KnownMimeType(normalized);
    if (typeName.isEmpty())
        typeName = MimeTypeName(normalized);

    const QString package =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
            "  <mime-type type=\"%1\">\n"
            "    <comment>%2</comment>\n"
            "    <icon name=\"quillbrook\"/>\n"
            "    <glob pattern=\"*%3\"/>\n"
            "  </mime-type>\n"
            "</mime-info>\n")
            .arg(XmlEscaped(typeName), XmlEscaped(description), XmlEscaped(normalized));
    WriteTextFile(MimePackagePath(normalized), package.toUtf8());

    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Quillbrook\n"
                                         "Comment=%1\n"
                                         "Exec=%2\n"
                                         "Icon=quillbrook\n"
                                         "MimeType=%3;\n"
                                         "Terminal=false\n"
                                         "Categories=Office;Finance;\n")
                              .arg(description, DesktopExecLine(executable), typeName);
    WriteTextFile(DesktopEntryPath(normalized), entry.toUtf8());

    QFile icon(QStringLiteral(":/quillbrook/images/quillbrook64.png"));
    if (icon.open(QIODevice::ReadOnly))
        WriteTextFile(IconPath(), icon.readAll());

    RefreshDesktopDatabases(XdgDataHome());
    return true;
}

bool RegisterFileType() {
    return !ShellExtRegistered(QStringLiteral("qbk")) &&
           RegisterShellExt(QStringLiteral("qbk"), QCoreApplication::applicationFilePath(),
                            QStringLiteral("Quillbrook file"), QStringLiteral("Open"), true);
}

} // namespace qb
