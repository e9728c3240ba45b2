#pragma once
// The program's command line: [--settings PATH] [FILTER.qbk], --help, --version.
// It is read before the user-interface toolkit starts, so that --help and a
// wrong option answer without a display; the toolkit's own options
// (-platform NAME, -style NAME, ...) pass through untouched.
#include <QString>
#include <QStringList>

struct TCommandLine {
    enum TAction { caRun, caHelp, caVersion, caError };
    TAction Action = caRun;
    QString SettingsFile; // empty: the default path
    QStringList Files;    // the arguments that are no options; the first may name a filter file
    QString ErrorText;

    // `arguments` without the program name.
    static TCommandLine Parse(const QStringList& arguments);
    static QString UsageText();
};
