#include "app/SettingsLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

namespace {

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// A program in <root>/bin, the user's configuration folder in <root>/config,
// the installed default in <root>/share/quillbrook.
struct Layout {
    QTemporaryDir Root;
    QString Bin() const { return Root.path() + "/bin"; }
    QString Config() const { return Root.path() + "/config"; }
    QString Default() const { return Root.path() + "/share/quillbrook/quillbrook.ini"; }
    qb::TSettingsLocation Location() const {
        qb::TSettingsLocation location;
        location.ExecutablePath = Bin() + "/quillbrook";
        location.ConfigHome = Config();
        location.DefaultFiles = {Root.path() + "/elsewhere/quillbrook.ini", Default()};
        return location;
    }
};

enum class Beside { Absent, Writable, ReadOnly };

struct Case {
    const char* Name;
    const char* CommandLine; // relative to the root; nullptr: not given
    Beside BesideFile;
    std::optional<QByteArray> UserFile; // in the configuration folder before the start
    bool DefaultInstalled;
    const char* Chosen; // relative to the root
    QByteArray ChosenContent;
};

TEST(SettingsLocation, OrderOfFiles) {
    const Case cases[] = {
        {"command line wins over everything", "mine.ini", Beside::Writable, "user", true,
         "mine.ini", "<missing>"},
        {"portable file beside the program", nullptr, Beside::Writable, "user", true,
         "bin/quillbrook.ini", "beside"},
        {"user's file when nothing is beside", nullptr, Beside::Absent, "user", true,
         "config/quillbrook/quillbrook.ini", "user"},
        {"first start copies the installed default", nullptr, Beside::Absent, std::nullopt, true,
         "config/quillbrook/quillbrook.ini", "default"},
        {"read-only file beside seeds the user's file", nullptr, Beside::ReadOnly, std::nullopt,
         true, "config/quillbrook/quillbrook.ini", "beside"},
        {"read-only file beside yields to the user's file", nullptr, Beside::ReadOnly, "user", true,
         "config/quillbrook/quillbrook.ini", "user"},
        {"nothing anywhere: the first write creates the user's file", nullptr, Beside::Absent,
         std::nullopt, false, "config/quillbrook/quillbrook.ini", "<missing>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Layout layout;
        ASSERT_TRUE(layout.Root.isValid());
        qb::TSettingsLocation location = layout.Location();
        if (c.CommandLine)
            location.CommandLinePath = layout.Root.filePath(c.CommandLine);
        if (c.BesideFile != Beside::Absent)
            Write(layout.Bin() + "/quillbrook.ini", "beside");
        const bool besideWritable = c.BesideFile == Beside::Writable;
        location.MayWrite = [&](const QString&) { return besideWritable; };
        if (c.UserFile)
            Write(layout.Config() + "/quillbrook/quillbrook.ini", *c.UserFile);
        if (c.DefaultInstalled)
            Write(layout.Default(), "default");

        const QString chosen = location.Resolve();
        EXPECT_EQ(chosen, layout.Root.filePath(c.Chosen));
        EXPECT_EQ(Read(chosen), c.ChosenContent);
        // The folder of the user's file is there for the first write.
        if (chosen == location.PerUser()) {
            EXPECT_TRUE(QFileInfo(layout.Config() + "/quillbrook").isDir());
        }
        // Defaults are copied, never changed.
        if (c.DefaultInstalled) {
            EXPECT_EQ(Read(layout.Default()), "default");
        }
    }
}

TEST(SettingsLocation, CopiedDefaultIsTheUsersToWrite) {
    Layout layout;
    Write(layout.Default(), "[Server]\r\nServerHost=127.0.0.1\r\n");
    ASSERT_TRUE(QFile::setPermissions(layout.Default(),
                                      QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const QString chosen = layout.Location().Resolve();
    EXPECT_EQ(Read(chosen), "[Server]\r\nServerHost=127.0.0.1\r\n");
    EXPECT_TRUE(QFileInfo(chosen).permissions() & QFile::WriteOwner);
    // A second start keeps what the user changed.
    Write(chosen, "changed");
    EXPECT_EQ(layout.Location().Resolve(), chosen);
    EXPECT_EQ(Read(chosen), "changed");
}

TEST(SettingsLocation, UnusableConfigFolderStillStartsOnTheDefault) {
    Layout layout;
    Write(layout.Default(), "default");
    // A plain file where the configuration folder should be: nobody can
    // create the user's file below it.
    Write(layout.Config(), "not a folder");
    EXPECT_EQ(layout.Location().Resolve(), layout.Default());
}

TEST(SettingsLocation, EnvironmentFindsTheDefaultOfItsOwnPrefixFirst) {
    qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
    qputenv("XDG_DATA_DIRS", "/opt/a/share:relative:/usr/share");
    const qb::TSettingsLocation location = qb::TSettingsLocation::FromEnvironment("x.ini");
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_DIRS");
    EXPECT_EQ(location.CommandLinePath, "x.ini");
    EXPECT_EQ(location.ConfigHome, QDir::homePath() + "/.config");
    const QString prefixShare =
        QDir::cleanPath(QFileInfo(location.ExecutablePath).absolutePath() + "/../share");
    EXPECT_EQ(location.DefaultFiles, QStringList({prefixShare + "/quillbrook/quillbrook.ini",
                                                  "/opt/a/share/quillbrook/quillbrook.ini",
                                                  "/usr/share/quillbrook/quillbrook.ini"}));
    EXPECT_EQ(location.BesideExecutable(),
              QFileInfo(location.ExecutablePath).absolutePath() + "/install_tests.ini");
}

} // namespace
