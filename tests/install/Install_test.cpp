#include "app/ShellRegistration.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString Text(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A manual page's text with the groff escapes of the dash undone.
QString ManualPage(const char* name) {
    return Text(QStringLiteral(QB_SOURCE_DIR "/packaging/") + name).replace("\\-", "-");
}

QStringList LongOptions(const QString& usage) {
    QStringList options;
    for (const auto& match : QRegularExpression("--[a-z][a-z-]*").globalMatch(usage))
        options << match.captured();
    options.removeDuplicates();
    return options;
}

// One installation into a temporary prefix for all tests.
class Installed : public testing::Test {
protected:
    static void SetUpTestSuite() {
        Prefix = new QTemporaryDir;
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QB_CMAKE_COMMAND, {"--install", QB_BINARY_DIR, "--prefix", Prefix->path()});
        Finished = install.waitForFinished(120000) &&
                   install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0;
        Output = QString::fromLocal8Bit(install.readAll());
    }
    static void TearDownTestSuite() {
        delete Prefix;
        Prefix = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(Finished) << Output.toStdString(); }
    static QString Path(const QString& relative) { return Prefix->path() + "/" + relative; }
    // What an installed program prints for --help.
    static QString HelpOf(const QString& program) {
        QProcess process;
        process.start(Path(program), {"--help"});
        process.waitForFinished(30000);
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    }

    static inline QTemporaryDir* Prefix = nullptr;
    static inline bool Finished = false;
    static inline QString Output;
};

TEST_F(Installed, PutsExactlyTheExpectedFilesInPlace) {
    QStringList expected = {
        "bin/quillbrook",
        "bin/quillbrook-service",
        "lib/systemd/system/quillbrook-service.service",
        "share/applications/quillbrook.desktop",
        "share/doc/quillbrook/changelog.gz",
        "share/doc/quillbrook/copyright",
        "share/icons/hicolor/scalable/apps/quillbrook.svg",
        "share/man/man1/quillbrook-service.1.gz",
        "share/man/man1/quillbrook.1.gz",
        "share/mime/packages/quillbrook-qbk.xml",
        "share/quillbrook/quillbrook-service.default",
        "share/quillbrook/quillbrook.ini",
    };
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        expected << QString("share/icons/hicolor/%1x%1/apps/quillbrook.png").arg(size);
    QStringList found;
    QDirIterator it(Prefix->path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(Prefix->path()).relativeFilePath(it.next());
    expected.sort();
    found.sort();
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(QFileInfo(Path("bin/quillbrook")).isExecutable());
    // The default settings carry the industries the filter lists offer.
    EXPECT_TRUE(Text(Path("share/quillbrook/quillbrook.ini")).contains("\n[Industries]\n"));
}

TEST_F(Installed, FileTypeAgreesWithTheProgramsOwnRegistration) {
    const QString mime = Text(Path("share/mime/packages/quillbrook-qbk.xml"));
    EXPECT_TRUE(mime.contains("type=\"" + qb::MimeTypeName("qbk") + "\"")) << mime.toStdString();
    EXPECT_TRUE(mime.contains("<glob pattern=\"*.qbk\"/>"));
    EXPECT_EQ(QFileInfo(qb::MimePackagePath("qbk")).fileName(), "quillbrook-qbk.xml");

    const QString entry = Text(Path("share/applications/quillbrook.desktop"));
    EXPECT_TRUE(entry.contains("\nMimeType=" + qb::MimeTypeName("qbk") + ";\n"));
    EXPECT_TRUE(entry.contains("\nExec=quillbrook %f\n"));
    EXPECT_TRUE(entry.contains("\nIcon=quillbrook\n"));
}

TEST_F(Installed, InstalledTypeKeepsTheProgramFromRegisteringAgain) {
    const QString updater = QStandardPaths::findExecutable("update-mime-database");
    if (updater.isEmpty())
        GTEST_SKIP() << "update-mime-database is not installed";
    QTemporaryDir userData;
    qputenv("XDG_DATA_DIRS", Path("share").toLocal8Bit());
    ASSERT_EQ(QProcess::execute(updater, {Path("share/mime")}), 0);
    qputenv("XDG_DATA_HOME", userData.path().toLocal8Bit());
    EXPECT_TRUE(qb::ShellExtRegistered("qbk"));
    EXPECT_FALSE(qb::RegisterFileType());
    qunsetenv("XDG_DATA_DIRS");
    qunsetenv("XDG_DATA_HOME");
    EXPECT_TRUE(QDir(userData.path()).isEmpty());
}

TEST_F(Installed, ServiceUnitRunsTheInstalledServiceAndIsNotEnabled) {
    const QString unit = Text(Path("lib/systemd/system/quillbrook-service.service"));
    EXPECT_TRUE(unit.contains("\nExecStart=" + Path("bin/quillbrook-service") + " --db "));
    EXPECT_FALSE(unit.contains("@QB_BINDIR@"));
    // Enabled would mean a link under etc/; the prefix has none.
    EXPECT_FALSE(QFileInfo::exists(Path("etc")));
}

TEST_F(Installed, ManualPagesDescribeEveryOptionAndExitStatus) {
    const QString program = ManualPage("quillbrook.1");
    const QStringList programOptions = LongOptions(HelpOf("bin/quillbrook"));
    EXPECT_GE(programOptions.size(), 8);
    for (const QString& option : programOptions)
        EXPECT_TRUE(program.contains(option)) << option.toStdString();
    for (int status = 0; status <= 5; ++status)
        EXPECT_TRUE(program.contains(QString(".TP\n.B %1\n").arg(status))) << status;

    const QString service = ManualPage("quillbrook-service.1");
    const QStringList serviceOptions = LongOptions(HelpOf("bin/quillbrook-service"));
    EXPECT_GE(serviceOptions.size(), 10);
    for (const QString& option : serviceOptions)
        EXPECT_TRUE(service.contains(option)) << option.toStdString();
}

} // namespace
