#include "app/CommandLine.h"

#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

TEST(CommandLine, Parse) {
    struct TCase {
        QStringList Arguments;
        TCommandLine::TAction Action;
        QString Settings;
        QStringList Files;
    };
    const TCase cases[] = {
        {{}, TCommandLine::caRun, "", {}},
        {{"my.screen.qbk", "more"}, TCommandLine::caRun, "", {"my.screen.qbk", "more"}},
        {{"--settings", "/tmp/q.ini", "a.qbk"}, TCommandLine::caRun, "/tmp/q.ini", {"a.qbk"}},
        {{"--settings=/tmp/q.ini"}, TCommandLine::caRun, "/tmp/q.ini", {}},
        // The toolkit's own options and their values are no files.
        {{"-platform", "offscreen", "-reverse", "a.qbk"}, TCommandLine::caRun, "", {"a.qbk"}},
        {{"--", "-odd.qbk"}, TCommandLine::caRun, "", {"-odd.qbk"}},
        {{"-"}, TCommandLine::caRun, "", {"-"}},
        {{"--help"}, TCommandLine::caHelp, "", {}},
        {{"a.qbk", "-h"}, TCommandLine::caHelp, "", {"a.qbk"}},
        {{"--version"}, TCommandLine::caVersion, "", {}},
        {{"--bogus"}, TCommandLine::caError, "", {}},
        {{"-x", "a.qbk"}, TCommandLine::caError, "", {}},
        {{"--settings"}, TCommandLine::caError, "", {}},
        {{"--settings="}, TCommandLine::caError, "", {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        const TCommandLine line = TCommandLine::Parse(c.Arguments);
        EXPECT_EQ(line.Action, c.Action);
        EXPECT_EQ(line.SettingsFile, c.Settings);
        EXPECT_EQ(line.Files, c.Files);
        EXPECT_EQ(line.Action == TCommandLine::caError, !line.ErrorText.isEmpty());
    }
}

TEST(CommandLine, ProgramAnswersWithoutDisplay) {
    // The built program: usage on stderr and status 2 for an unknown option.
    const QString program = QStringLiteral(QB_BINARY_DIR "/src/app/quillbrook");
    ASSERT_TRUE(QFileInfo::exists(program));
    struct TCase {
        QStringList Arguments;
        int Status;
        const char* StdOut;
        const char* StdErr;
    };
    const TCase cases[] = {
        {{"--bogus"}, 2, "", "Usage: quillbrook"},
        {{"--version"}, 0, "Quillbrook 1.10", ""},
        {{"--help"}, 0, "Usage: quillbrook", ""},
    };
    for (const TCase& c : cases) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        environment.remove("DISPLAY");
        process.setProcessEnvironment(environment);
        process.start(program, c.Arguments);
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitCode(), c.Status);
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        EXPECT_TRUE(out.contains(QLatin1String(c.StdOut))) << out.toStdString();
        EXPECT_TRUE(err.contains(QLatin1String(c.StdErr))) << err.toStdString();
        if (*c.StdErr == 0) {
            EXPECT_TRUE(err.isEmpty());
        }
        if (*c.StdOut == 0) {
            EXPECT_TRUE(out.isEmpty());
        }
    }
}

} // namespace
