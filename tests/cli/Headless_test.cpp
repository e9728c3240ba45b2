#include "support/HeadlessFixture.h"

#include "../common/ScriptedDialogs.h"
#include "app/SearchRequest.h"
#include "app/StockService.h"
#include "filter/TFilterFm.h"
#include "filter/TFilterObject.h"
#include "service/InfoSites.h"
#include "service/ServiceOptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QWidget>

#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A loopback port nobody listens on.
int ClosedPort() {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 1;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(socket); // bound but never listening: connections are refused
    return port;
}

// Stocks of all prices with their dividend dates, industry and exchange.
void AllStocks(TFilterFm& editor) {
    UseRange(editor, "CLOSINGPRICE", 0, 9999999);
    DisplayOnly(editor, "DIVIDENDDATE");
    DisplayOnly(editor, "INDUSTRY");
    DisplayOnly(editor, "EXCHANGE");
}

void NoStock(TFilterFm& editor) {
    UseRange(editor, "CLOSINGPRICE", 9999998, 9999999);
}

class Headless : public HeadlessFixture {};

TEST_F(Headless, CsvRunIsTheWindowsExport) {
    const QString filter = FilterFile(QStringLiteral("all.qbk"), AllStocks);

    // The window's way: the document opened, searched, "Export to CVS Text".
    TFilterObject document(nullptr, {});
    document.LoadFromFile(filter);
    TStockServiceClient service =
        TStockServiceClient::ForWindow(nullptr, "127.0.0.1", Port(), TAccount{"demo", "demo"});
    SearchStocks(service, *document.FilterFm(), QDate(2026, 6, 30), {});
    const QString exported = Path(QStringLiteral("window.csv"));
    {
        TScriptedDialogs dialogs;
        dialogs.ExpectSaveFile(exported);
        document.FilterFm()->ExportToTextClick();
    }
    const QByteArray expected = ReadAll(exported);
    ASSERT_GT(expected.count("\r\n"), 10);
    ASSERT_TRUE(expected.left(expected.indexOf("\r\n")).contains(",Closing price,Dividend Date,"))
        << expected.left(200).toStdString();

    const QString settings = Settings();
    const TRun toStdout = Run({"--search", filter, "--date", TradeDateText}, settings);
    EXPECT_EQ(toStdout.Status, 0) << toStdout.Err.toStdString();
    EXPECT_EQ(toStdout.Out, expected);
    EXPECT_EQ(toStdout.Err, QByteArray());

    const QString output = Path(QStringLiteral("results.csv"));
    const TRun toFile =
        Run({"--search", filter, "--date", TradeDateText, "--output", output}, settings);
    EXPECT_EQ(toFile.Status, 0) << toFile.Err.toStdString();
    EXPECT_EQ(toFile.Out, QByteArray());
    EXPECT_EQ(ReadAll(output), expected);
    EXPECT_EQ(QFile::permissions(output) & QFile::ReadOwner, QFile::ReadOwner);
}

TEST_F(Headless, WorkbookRunIsReadBackByAnotherReader) {
    const QString filter = FilterFile(QStringLiteral("all.qbk"), AllStocks);
    const QString settings = Settings();
    const TRun csv = Run({"--search", filter, "--date", TradeDateText}, settings);
    ASSERT_EQ(csv.Status, 0) << csv.Err.toStdString();
    const QString output = Path(QStringLiteral("results.XLS"));
    const TRun run =
        Run({"--search", filter, "--date", TradeDateText, "--output", output}, settings);
    ASSERT_EQ(run.Status, 0) << run.Err.toStdString();

    // Every row of the CSV text, cells joined by tabs, as xlrd reads them:
    // texts as they are, numbers without a needless ".0".
    QProcess python;
    // The system's interpreter, which has the distribution's xlrd.
    python.start(QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
                     ? QStringLiteral("/usr/bin/python3")
                     : QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, xlrd\n"
                                 "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                                 "def text(c):\n"
                                 "    if c.ctype == xlrd.XL_CELL_NUMBER:\n"
                                 "        return repr(c.value)[:-2] if c.value == int(c.value) "
                                 "else repr(c.value)\n"
                                 "    return c.value\n"
                                 "for r in range(s.nrows):\n"
                                 "    print('\\t'.join(text(c) for c in s.row(r)))\n"),
                  output});
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QStringList read =
        QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    const QStringList lines =
        QString::fromLatin1(csv.Out).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(read.size(), lines.size());
    EXPECT_EQ(read.first(), lines.first().split(u',').join(u'\t'));
    // The cells of a data row in the same order; numbers may differ in form
    // only ("12.50" is 12.5 in the workbook).
    const QStringList row = read[1].split(u'\t'), csvRow = lines[1].split(u',');
    ASSERT_EQ(row.size(), csvRow.size());
    for (int i = 0; i < row.size(); ++i) {
        bool isNumber = false;
        const double number = csvRow[i].toDouble(&isNumber);
        if (isNumber)
            EXPECT_DOUBLE_EQ(row[i].toDouble(), number) << i;
        else
            EXPECT_EQ(row[i], csvRow[i]) << i;
    }
}

TEST_F(Headless, ExitStatuses) {
    const QString all = FilterFile(QStringLiteral("all.qbk"), AllStocks);
    const QString none = FilterFile(QStringLiteral("none.qbk"), NoStock);
    const QString empty = FilterFile(QStringLiteral("empty.qbk"), nullptr);
    const QString noExchange = FilterFile(QStringLiteral("exchange.qbk"), [](TFilterFm& editor) {
        UseChoice(editor, "EXCHANGE", {});
    });
    const QString damaged = Path(QStringLiteral("damaged.qbk"));
    WriteAll(damaged, "[General]\r\nVersion=7\r\n");
    // Binary bytes: a zero byte ends what is read, so the host stays empty;
    // the file itself is readable and not refused.
    const QString binarySettings = Path(QStringLiteral("binary.ini"));
    WriteAll(binarySettings, QByteArray("\x7F"
                                        "ELF\x02\x01\x01",
                                        7) +
                                 QByteArray(3, '\0') + "[Server]\r\nServerHost=x\r\n");
    const QString settings = Settings();
    const QString down = Settings(QStringLiteral("demo"), ClosedPort());
    const QString badPassword = Settings(QStringLiteral("wrong"));
    const QString date = QString::fromLatin1(TradeDateText);

    struct TCase {
        const char* Name;
        QStringList Arguments;
        QString Settings;
        int Status;
        QString Err; // contained in standard error
    };
    const TCase cases[] = {
        {"no match",
         {"--search", none, "--date", date},
         settings,
         1,
         "Your filter does not match any stock.\nPlease make your filter less selective.\n"},
        {"date before the data",
         {"--search", all, "--date", "2006-08-29"},
         settings,
         2,
         "2006-08-30"},
        {"date of another form",
         {"--search", all, "--date", "30.06.2026"},
         settings,
         2,
         "YYYY-MM-DD"},
        {"date after today", {"--search", all, "--date", "2999-01-01"}, settings, 2, "after today"},
        {"no field used",
         {"--search", empty, "--date", date},
         settings,
         3,
         "Please select at least one filter parameter or display column\n"},
        {"a list without values",
         {"--search", noExchange, "--date", date},
         settings,
         3,
         "Please select values in Exchange filter\n"},
        {"service down",
         {"--search", all, "--date", date},
         down,
         4,
         "Make sure you are currently connected to the Internet.\n\nUnable to connect to "
         "127.0.0.1 on port"},
        {"session refused",
         {"--search", all, "--date", date},
         badPassword,
         4,
         "Unable to open session with server.\n\n"},
        {"unknown site",
         {"--info-url", "Nowhere", "US", "IBM", "NYSE"},
         settings,
         4,
         "5, Unknown information site Nowhere\n"},
        {"sites, service down", {"--list-sites"}, down, 4, "Unable to connect"},
        {"missing filter file",
         {"--search", Path("missing.qbk"), "--date", date},
         settings,
         5,
         "Cannot open file \"" + Path("missing.qbk") + "\". No such file or directory\n"},
        {"damaged filter file",
         {"--search", damaged, "--date", date},
         settings,
         5,
         "Cannot load file \"" + damaged + "\". Unsupported file version, 7\n"},
        {"filter file a folder",
         {"--search", FDir.path(), "--date", date},
         settings,
         5,
         "Cannot open file \"" + FDir.path() + "\". Is a directory\n"},
        {"settings file a folder",
         {"--search", all, "--date", date},
         FDir.path(),
         5,
         "Cannot open file \"" + FDir.path() + "\". Is a directory\n"},
        {"filter file without an end",
         {"--search", "/dev/zero", "--date", date},
         settings,
         5,
         "Cannot read file \"/dev/zero\". The file is larger than 16 MB\n"},
        {"settings file of binary bytes",
         {"--search", all, "--date", date},
         binarySettings,
         4,
         "Host parameter is empty"},
        {"settings file a folder, sites",
         {"--list-sites"},
         FDir.path(),
         5,
         "Cannot open file \"" + FDir.path() + "\". Is a directory\n"},
        {"output folder missing",
         {"--search", all, "--date", date, "--output", Path("no/such/dir/out.csv")},
         settings,
         5,
         "out.csv"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TRun run = Run(c.Arguments, c.Settings);
        EXPECT_EQ(run.Status, c.Status) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(c.Err.toLocal8Bit())) << run.Err.toStdString();
        EXPECT_FALSE(run.Err.contains('\r'));
        if (c.Status != 2) {
            EXPECT_FALSE(run.Err.contains("Usage:")) << run.Err.toStdString();
        }
        EXPECT_EQ(run.Out, QByteArray());
    }
}

// A script may hand the filter over a pipe, as "<(...)" does.
TEST_F(Headless, FilterFromAPipeRunsAsFromItsFile) {
    const QString filter = FilterFile(QStringLiteral("all.qbk"), AllStocks);
    const QByteArray bytes = ReadAll(filter);
    const QString pipe = Path(QStringLiteral("filter.pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    std::thread writer([&] {
        // Waits until a reader opens the pipe.
        const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY);
        if (fd >= 0) {
            EXPECT_EQ(::write(fd, bytes.constData(), std::size_t(bytes.size())), bytes.size());
            ::close(fd);
        }
    });
    const TRun fromPipe = Run({"--search", pipe, "--date", TradeDateText}, Settings());
    // A run that never opened the pipe must not leave the writer waiting.
    const int release = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
    writer.join();
    ::close(release);
    EXPECT_EQ(fromPipe.Status, 0) << fromPipe.Err.toStdString();
    EXPECT_EQ(fromPipe.Out, Run({"--search", filter, "--date", TradeDateText}, Settings()).Out);
}

TEST_F(Headless, FailedRunLeavesThePreviousFile) {
    const QString none = FilterFile(QStringLiteral("none.qbk"), NoStock);
    const QString all = FilterFile(QStringLiteral("all.qbk"), AllStocks);
    const QString down = Settings(QStringLiteral("demo"), ClosedPort());
    for (const char* name : {"keep.csv", "keep.xls"}) {
        SCOPED_TRACE(name);
        const QString output = Path(name);
        WriteAll(output, "the previous results\r\n");
        EXPECT_EQ(
            Run({"--search", none, "--date", TradeDateText, "--output", output}, Settings()).Status,
            1);
        EXPECT_EQ(Run({"--search", all, "--date", TradeDateText, "--output", output}, down).Status,
                  4);
        EXPECT_EQ(ReadAll(output), QByteArray("the previous results\r\n"));
    }
    // A write-protected file stays as it is (root may write anything).
    const QString locked = Path(QStringLiteral("locked.csv"));
    WriteAll(locked, "the previous results\r\n");
    QFile::setPermissions(locked, QFile::ReadOwner);
    if (::geteuid() != 0) {
        EXPECT_EQ(
            Run({"--search", all, "--date", TradeDateText, "--output", locked}, Settings()).Status,
            5);
        EXPECT_EQ(ReadAll(locked), QByteArray("the previous results\r\n"));
    }
    // Nothing is left beside them.
    EXPECT_EQ(QDir(FDir.path()).entryList(QDir::Files | QDir::Hidden).filter(".quillbrook-"),
              QStringList{});
}

TEST_F(Headless, FullStandardOutputIsAFileError) {
    const QString all = FilterFile(QStringLiteral("all.qbk"), AllStocks);
    for (const QStringList& arguments :
         {QStringList{"--search", all, "--date", TradeDateText}, QStringList{"--list-sites"}}) {
        SCOPED_TRACE(arguments.first().toStdString());
        const TRun run = Run(arguments, Settings(), QStringLiteral("/dev/full"));
        EXPECT_EQ(run.Status, 5);
        EXPECT_TRUE(run.Err.contains("Cannot write file \"standard output\". No space left"))
            << run.Err.toStdString();
    }
}

TEST_F(Headless, TruncatedResultsAreWrittenAndSaidSo) {
    const QString all = FilterFile(QStringLiteral("all.qbk"), AllStocks);
    RestartService([](TServiceOptions& options) { options.MaxRows = 5; });
    const TRun run = Run({"--search", all, "--date", TradeDateText}, Settings());
    RestartService(nullptr);
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Err, QByteArray("Please make your filter more selective.\n"
                                  "Only the first 5 matches will be displayed.\n"));
    EXPECT_EQ(run.Out.count("\r\n"), 6);
}

TEST_F(Headless, SitesAndAddresses) {
    const QString settings = Settings();
    const TRun sites = Run({"--list-sites"}, settings);
    EXPECT_EQ(sites.Status, 0) << sites.Err.toStdString();
    QByteArray expected;
    for (const TInfoSite& site : InfoSites())
        expected += QByteArray::fromStdString(site.Name) + '\n';
    EXPECT_EQ(sites.Out, expected);

    const std::string& name = InfoSites().front().Name;
    const TRun address =
        Run({"--info-url", QString::fromStdString(name), "US", "IBM", "NYSE"}, settings);
    EXPECT_EQ(address.Status, 0) << address.Err.toStdString();
    EXPECT_EQ(address.Out,
              QByteArray::fromStdString(InfoSiteUrl(name, "US", "IBM", "NYSE")) + '\n');
    EXPECT_EQ(address.Err, QByteArray());
}

} // namespace
