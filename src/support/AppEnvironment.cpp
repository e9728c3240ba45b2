#include "support/AppEnvironment.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace qb {
namespace {
QString gSettingsPath;
std::function<QDate()> gToday;
} // namespace

QString SettingsFilePath() {
    if (!gSettingsPath.isEmpty())
        return gSettingsPath;
    // The executable's path with its extension replaced by ".ini".
    QString exe = QCoreApplication::applicationFilePath();
    if (exe.isEmpty())
        return {};
    QFileInfo info(exe);
    return info.path() + "/" + info.completeBaseName() + ".ini";
}

void SetSettingsFilePath(const QString& path) { gSettingsPath = path; }

QDate Today() { return gToday ? gToday() : QDate::currentDate(); }

void SetTodayProvider(std::function<QDate()> provider) { gToday = std::move(provider); }

} // namespace qb
