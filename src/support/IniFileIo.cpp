#include "support/IniFileIo.h"

#include "support/Exception.h"
#include "support/TranslateText.h"
#include "support/Win1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace qb {
namespace {

[[noreturn]] void Fail(const char* format, const QString& path, const QString& reason) {
    throw Exception(ToAnsi(TranslateText(QString::fromLatin1(format)).arg(path, reason)));
}

QString SystemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

std::string ReadIniFileBytes(const QString& path, TIniSource source) {
    const char* const cannotOpen = "Cannot open file \"%1\". %2";
    const char* const cannotRead = "Cannot read file \"%1\". %2";
    const QFileInfo info(path);
    if (info.isDir())
        Fail(cannotOpen, path, SystemReason(EISDIR));
    if (source == TIniSource::RegularFile && info.exists() && !info.isFile())
        Fail(cannotOpen, path, TranslateText(QStringLiteral("Not a regular file")));
    const QString tooLarge = TranslateText(QStringLiteral("The file is larger than %1 MB"))
                                 .arg(MaxIniFileSize / (1024 * 1024));
    if (info.isFile() && info.size() > MaxIniFileSize)
        Fail(cannotRead, path, tooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        Fail(cannotOpen, path, file.errorString());
    // Read to the end rather than by the size: pipes, devices and some
    // system files tell no size.
    std::string bytes;
    if (info.isFile())
        bytes.reserve(static_cast<std::size_t>(info.size()));
    char chunk[65536];
    for (;;) {
        const qint64 read = file.read(chunk, sizeof chunk);
        if (read < 0)
            Fail(cannotRead, path, file.errorString());
        if (read == 0)
            break;
        if (qint64(bytes.size()) + read > MaxIniFileSize)
            Fail(cannotRead, path, tooLarge);
        bytes.append(chunk, static_cast<std::size_t>(read));
    }
    return bytes;
}

void WriteIniFileBytes(const QString& path, std::string_view bytes) {
    const char* const cannotWrite = "Cannot write file \"%1\". %2";
    const QFileInfo target(path);
    // Renaming would pass over a write-protected file; the user protected it.
    if (target.exists() && !target.isWritable())
        Fail(cannotWrite, path, SystemReason(EACCES));
    if (target.isDir())
        Fail(cannotWrite, path, SystemReason(EISDIR));
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    // Unbuffered: a buffered write reports a short write (disk full, file
    // size limit) as success and commit() would then rename a truncated file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        Fail(cannotWrite, path,
             QFileInfo(target.absolutePath()).isDir() ? file.errorString() : SystemReason(ENOENT));
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size()))
        Fail(cannotWrite, path, file.errorString());
    if (!file.commit())
        Fail(cannotWrite, path, file.errorString());
}

} // namespace qb
