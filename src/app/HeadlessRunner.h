#pragma once
// The program's forms without a window, for scripts and schedulers: run a
// saved filter and write its results, list the information sites, look up an
// information address.  The window's own code does the work (filter file,
// check, session, request, grid, exports); message-box texts go to standard
// error and the exit status tells how the run ended.
#include <QDate>
#include <QString>

#include <cstdio>
#include <optional>

struct TCommandLine;

enum THeadlessStatus {
    hsDone = 0,      // results written
    hsNoMatch = 1,   // no stock matched; nothing written
    hsUsage = 2,     // wrong command line
    hsRefused = 3,   // the filter cannot be sent
    hsService = 4,   // no session, a fault, or an error answer
    hsFileError = 5, // a file (also the settings file) could not be read, parsed or written
};

// A trade date given as YYYY-MM-DD, from EarliestTradeDate() to today;
// otherwise nothing and the reason in `error`.
std::optional<QDate> ParseTradeDate(const QString& text, QString& error);

class THeadlessRunner {
public:
    // `settingsFile`: server and account.  Results and lists go to `out`.
    explicit THeadlessRunner(QString settingsFile, std::FILE* out = stdout);

    // Loads the filter file as Open does, checks it as Search does, searches
    // and writes the results table: a workbook when `outputPath` ends in
    // ".xls", CSV text otherwise, to `out` when `outputPath` is empty.  A file
    // is replaced only after the whole table was written beside it.
    int Search(const QString& filterFile, const QDate& tradeDate, const QString& outputPath);
    // The information-site names, one a line.
    int ListSites();
    // The information address of a stock, on a line.
    int InfoUrl(const QString& siteName, const QString& country, const QString& symbol,
                const QString& exchange);

private:
    // A missing settings file gives the defaults; one that exists but cannot
    // be read is reported as a file error instead of a failing service.
    bool SettingsReadable();
    int WriteResults(class TStringGridEx& grid, const QString& outputPath);
    bool WriteLine(const QString& text);
    // hsDone when everything reached `out`; otherwise says so.
    int Finish(bool written);

    QString FSettingsFile;
    std::FILE* FOut;
};

// The headless forms of the command line, from creating the application
// object (on the offscreen platform unless one is asked for) to the status.
int RunHeadless(const TCommandLine& line, int& argc, char** argv);
