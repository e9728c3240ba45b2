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

std::string ReadIniFileBytes(const QString& path) {
    const char* const cannotOpen = "Cannot open file \"%1\". %2";
    const char* const cannotRead = "Cannot read file \"%1\". %2";
    const QFileInfo info(path);
    if (info.isDir())
        Fail(cannotOpen, path, SystemReason(EISDIR));
    // Opening a pipe would wait for a writer; a device may never end.
    if (info.exists() && !info.isFile())
        Fail(cannotOpen, path, TranslateText(QStringLiteral("Not a regular file")));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        Fail(cannotOpen, path, file.errorString());
    const qint64 size = file.size();
    if (size > MaxIniFileSize)
        Fail(cannotRead, path,
             TranslateText(QStringLiteral("The file is larger than %1 MB"))
                 .arg(MaxIniFileSize / (1024 * 1024)));
    std::string bytes(static_cast<std::size_t>(size), '\0');
    qint64 done = 0;
    while (done < size) {
        const qint64 read = file.read(bytes.data() + done, size - done);
        if (read < 0)
            Fail(cannotRead, path, file.errorString());
        if (read == 0)
            break; // shortened meanwhile
        done += read;
    }
    bytes.resize(static_cast<std::size_t>(done));
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
