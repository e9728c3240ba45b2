#include "app/HeadlessRunner.h"

#include "app/CommandLine.h"
#include "app/ConsoleDialogs.h"
#include "app/QuillbrookApplication.h"
#include "app/SearchRequest.h"
#include "app/StockService.h"
#include "filter/TFilterFm.h"
#include "filter/TFilterObject.h"
#include "grid/TStringGridEx.h"
#include "support/AppEnvironment.h"
#include "support/Exception.h"
#include "support/IniFile.h"
#include "support/TranslateText.h"
#include "support/Win1252.h"
#include "support/ui/ApplicationException.h"
#include "support/ui/Dialogs.h"
#include "xmlrpc/XrValues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const char* const SitesMethod = "StockService.GetStockInfoSites";

// The error as the window's error box would show it.
void ReportCurrentError() {
    ApplicationException(std::current_exception());
}

[[noreturn]] void FileError(const QString& format, const QString& fileName, const QString& reason) {
    throw Exception(qb::ToAnsi(TranslateText(format).arg(fileName, reason)));
}

// Permissions for a new output file: those of the file it replaces, or what
// the process's umask allows.
QFileDevice::Permissions OutputPermissions(const QString& target) {
    if (QFileInfo::exists(target))
        return QFile::permissions(target);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = 0666 & ~mask;
    QFileDevice::Permissions permissions;
    if (mode & S_IRUSR)
        permissions |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (mode & S_IWUSR)
        permissions |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    if (mode & S_IRGRP)
        permissions |= QFileDevice::ReadGroup;
    if (mode & S_IWGRP)
        permissions |= QFileDevice::WriteGroup;
    if (mode & S_IROTH)
        permissions |= QFileDevice::ReadOther;
    if (mode & S_IWOTH)
        permissions |= QFileDevice::WriteOther;
    return permissions;
}

// A file beside `target` that is removed unless it was renamed over it.
QString ReserveScratchFile(QTemporaryFile& scratch, const QString& target) {
    const QFileInfo info(target);
    scratch.setFileTemplate(
        QDir(info.absolutePath()).filePath(QStringLiteral(".quillbrook-XXXXXX.tmp")));
    if (!scratch.open())
        FileError(QStringLiteral("Cannot create file \"%1\". %2"), target, scratch.errorString());
    scratch.close();
    return scratch.fileName();
}

void ExportTable(TStringGridEx& grid, const QString& fileName, bool excel) {
    if (excel)
        grid.SaveAsExcel(fileName);
    else
        grid.SaveToCsv(fileName, ',', '"');
}

void ToolkitMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        const QByteArray bytes = (text + u'\n').toLocal8Bit();
        std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
    }
}

} // namespace

std::optional<QDate> ParseTradeDate(const QString& text, QString& error) {
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    const QDate date = form.match(text).hasMatch() ? QDate::fromString(text, Qt::ISODate) : QDate();
    const QDate today = qb::Today();
    if (!date.isValid())
        error = QStringLiteral("Invalid date '%1': give it as YYYY-MM-DD.").arg(text);
    else if (date < EarliestTradeDate())
        error = QStringLiteral("The date %1 is before the first trade date, %2.")
                    .arg(text, EarliestTradeDate().toString(Qt::ISODate));
    else if (date > today)
        error = QStringLiteral("The date %1 is after today, %2.")
                    .arg(text, today.toString(Qt::ISODate));
    else
        return date;
    return std::nullopt;
}

THeadlessRunner::THeadlessRunner(QString settingsFile, std::FILE* out)
    : FSettingsFile(std::move(settingsFile)), FOut(out) {}

bool THeadlessRunner::SettingsReadable() {
    try {
        qb::TIniFile::ReadFile(FSettingsFile);
        return true;
    } catch (...) {
        ReportCurrentError();
        return false;
    }
}

int THeadlessRunner::Search(const QString& filterFile, const QDate& tradeDate,
                            const QString& outputPath) {
    if (!SettingsReadable())
        return hsFileError;
    // The results menu is never shown here, so the document needs no sites.
    TFilterObject document(nullptr, {});
    try {
        // A script may hand the filter over a pipe ("<(...)", /dev/stdin).
        document.LoadFromFile(filterFile, qb::TIniSource::AnyFile);
        document.SetFileName(filterFile);
    } catch (...) {
        ReportCurrentError();
        return hsFileError;
    }
    TFilterFm& editor = *document.FilterFm();
    if (!ValidateFilter(editor, tradeDate))
        return hsRefused;

    TStockServiceClient service = TStockServiceClient::ForWindow(nullptr, FSettingsFile);
    // The window is disabled exactly while FindStocks runs, which needs an
    // open session: the hook tells a refused session from an empty result.
    bool searched = false;
    service.SetWindowEnabled = [&searched](bool enabled) {
        if (!enabled)
            searched = true;
    };
    TStringGridEx& grid = *editor.ResultsGrid();
    grid.hide();
    try {
        SearchStocks(service, editor, tradeDate, {});
    } catch (...) {
        ReportCurrentError();
        return hsService;
    }
    if (!searched)
        return hsService;
    if (grid.isHidden())
        return hsNoMatch;
    return WriteResults(grid, outputPath);
}

int THeadlessRunner::WriteResults(TStringGridEx& grid, const QString& outputPath) {
    try {
        if (outputPath.isEmpty()) {
            // The CSV export writes files: write one aside and pass it on.
            QTemporaryFile scratch(
                QDir(QDir::tempPath()).filePath(QStringLiteral("quillbrook-XXXXXX.csv")));
            if (!scratch.open())
                FileError(QStringLiteral("Cannot create file \"%1\". %2"), scratch.fileTemplate(),
                          scratch.errorString());
            scratch.close();
            ExportTable(grid, scratch.fileName(), false);
            if (!scratch.open())
                FileError(QStringLiteral("Cannot open file \"%1\". %2"), scratch.fileName(),
                          scratch.errorString());
            const QByteArray bytes = scratch.readAll();
            if (std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), FOut) !=
                    std::size_t(bytes.size()) ||
                std::fflush(FOut) != 0)
                FileError(QStringLiteral("Cannot write file \"%1\". %2"),
                          QStringLiteral("standard output"),
                          QString::fromLocal8Bit(std::strerror(errno)));
            return hsDone;
        }
        const bool excel = outputPath.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive);
        // Renaming would pass over a write-protected file; writing it would not.
        if (const QFileInfo target(outputPath); target.exists() && !target.isWritable())
            FileError(QStringLiteral("Cannot create file \"%1\". %2"), outputPath,
                      QString::fromLocal8Bit(std::strerror(EACCES)));
        QTemporaryFile scratch;
        const QString scratchName = ReserveScratchFile(scratch, outputPath);
        ExportTable(grid, scratchName, excel);
        QFile::setPermissions(scratchName, OutputPermissions(outputPath));
        // rename() replaces the target in one step: readers see the old file
        // or the new one, never a part.
        if (std::rename(QFile::encodeName(scratchName).constData(),
                        QFile::encodeName(outputPath).constData()) != 0)
            FileError(QStringLiteral("Cannot write file \"%1\". %2"), outputPath,
                      QString::fromLocal8Bit(std::strerror(errno)));
        scratch.setAutoRemove(false);
        return hsDone;
    } catch (...) {
        ReportCurrentError();
        return hsFileError;
    }
}

bool THeadlessRunner::WriteLine(const QString& text) {
    const QByteArray bytes = (text + u'\n').toLocal8Bit();
    return std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), FOut) ==
           std::size_t(bytes.size());
}

int THeadlessRunner::Finish(bool written) {
    if (std::fflush(FOut) == 0 && written)
        return hsDone;
    ShowErrorBox(
        TranslateText(QStringLiteral("Cannot write file \"%1\". %2"))
            .arg(QStringLiteral("standard output"), QString::fromLocal8Bit(std::strerror(errno))));
    return hsFileError;
}

int THeadlessRunner::ListSites() {
    if (!SettingsReadable())
        return hsFileError;
    TStockServiceClient service = TStockServiceClient::ForWindow(nullptr, FSettingsFile);
    std::vector<std::string> names;
    try {
        // The window's start-up goes on silently without sites; here the
        // reason matters, so the call is made in the session directly.
        if (!service.CallInSession(SitesMethod, nullptr, [&names](TXrValue& result) {
                const TXrArray& sites = ResultArray(&result, SitesMethod);
                for (int i = 1; i <= sites.Count(); ++i)
                    names.push_back(sites.StringItem(i));
            }))
            return hsService;
    } catch (...) {
        ReportCurrentError();
        return hsService;
    }
    bool written = true;
    for (const std::string& name : names)
        written = WriteLine(qb::FromAnsi(name)) && written;
    return Finish(written);
}

int THeadlessRunner::InfoUrl(const QString& siteName, const QString& country, const QString& symbol,
                             const QString& exchange) {
    if (!SettingsReadable())
        return hsFileError;
    TStockServiceClient service = TStockServiceClient::ForWindow(nullptr, FSettingsFile);
    const std::string address = service.GetStockInfoURL(qb::ToAnsi(country), qb::ToAnsi(symbol),
                                                        qb::ToAnsi(exchange), qb::ToAnsi(siteName));
    // An empty address means the failure has been shown already.
    if (address.empty())
        return hsService;
    return Finish(WriteLine(qb::FromAnsi(address)));
}

int RunHeadless(const TCommandLine& line, int& argc, char** argv) {
    // No display is needed: the widgets behind the search are never shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Standard error carries the program's own messages for scripts to read;
    // the toolkit's chatter about the environment (fonts, runtime folders)
    // would only bury them.
    qInstallMessageHandler(ToolkitMessage);
    TQuillbrookApplication app(argc, argv);
    if (!line.SettingsFile.isEmpty())
        qb::SetSettingsFilePath(line.SettingsFile);
    TConsoleDialogs dialogs(stderr);
    SetDialogs(&dialogs);
    int status = hsUsage;
    {
        THeadlessRunner runner(qb::SettingsFilePath());
        switch (line.Action) {
        case TCommandLine::caSearch:
            status = runner.Search(line.SearchFile,
                                   line.TradeDate.isNull() ? qb::Today() : line.TradeDate,
                                   line.OutputFile);
            break;
        case TCommandLine::caListSites:
            status = runner.ListSites();
            break;
        case TCommandLine::caInfoUrl:
            status = runner.InfoUrl(line.InfoArguments.value(0), line.InfoArguments.value(1),
                                    line.InfoArguments.value(2), line.InfoArguments.value(3));
            break;
        default:
            break;
        }
    }
    SetDialogs(nullptr);
    return status;
}
