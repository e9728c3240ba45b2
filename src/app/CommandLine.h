#pragma once
// The program's command line: [--settings PATH] [FILTER.qbk], --help,
// --version, and the forms without a window: --search FILE.qbk [--date
// YYYY-MM-DD] [--output PATH], --list-sites, --info-url SITE COUNTRY SYMBOL
// EXCHANGE.
// It is read before the user-interface toolkit starts, so that --help and a
// wrong option answer without a display; the toolkit's own options
// (-platform NAME, -style NAME, ...) pass through untouched.
#include <QDate>
#include <QString>
#include <QStringList>

struct TCommandLine {
    enum TAction { caRun, caHelp, caVersion, caError, caSearch, caListSites, caInfoUrl };
    TAction Action = caRun;
    QString SettingsFile; // empty: the default path
    QStringList Files;    // the arguments that are no options; the first may name a filter file
    QString ErrorText;
    QString SearchFile;        // caSearch: the filter file
    QDate TradeDate;           // caSearch: null for today
    QString OutputFile;        // caSearch: empty for standard output
    QStringList InfoArguments; // caInfoUrl: site, country, symbol, exchange

    bool Headless() const {
        return Action == caSearch || Action == caListSites || Action == caInfoUrl;
    }

    // `arguments` without the program name.
    static TCommandLine Parse(const QStringList& arguments);
    static QString UsageText();
};
