#pragma once
// Things of the environment that tests replace: the settings file's path and
// today's date.  The application sets the path once at start
// (the --settings option, or the executable's path with ".ini").
#include <QDate>
#include <QString>
#include <functional>

namespace qb {

QString SettingsFilePath();
void SetSettingsFilePath(const QString& path);

// Today's date, local time.  Tests install a fixed clock.
QDate Today();
void SetTodayProvider(std::function<QDate()> provider); // empty: the system clock

} // namespace qb
