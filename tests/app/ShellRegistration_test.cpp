#include "app/ShellRegistration.h"
#include "support/Exception.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Points XDG_DATA_HOME at a fresh folder for one test.
class ShellRegistration : public ::testing::Test {
protected:
    void SetUp() override {
        FSaved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", FHome.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", FSaved); }
    QTemporaryDir FHome;
    QByteArray FSaved;
};

TEST_F(ShellRegistration, SecondRegistrationWritesNothing) {
    EXPECT_FALSE(qb::ShellExtRegistered("qbk"));
    EXPECT_TRUE(qb::RegisterFileType());

    const QString package = qb::MimePackagePath("qbk");
    const QString entry = qb::DesktopEntryPath("qbk");
    EXPECT_TRUE(package.startsWith(FHome.path() + "/mime/packages/"));
    EXPECT_TRUE(entry.startsWith(FHome.path() + "/applications/"));
    const QByteArray xml = ReadAll(package);
    EXPECT_TRUE(xml.contains("<mime-type type=\"application/x-qbk\">")) << xml.toStdString();
    EXPECT_TRUE(xml.contains("<comment>Quillbrook file</comment>"));
    EXPECT_TRUE(xml.contains("<glob pattern=\"*.qbk\"/>"));
    const QByteArray desktop = ReadAll(entry);
    EXPECT_TRUE(desktop.startsWith("[Desktop Entry]\n")) << desktop.toStdString();
    EXPECT_TRUE(desktop.contains("\nMimeType=application/x-qbk;\n"));
    EXPECT_TRUE(desktop.contains("\nIcon=quillbrook\n"));
    EXPECT_TRUE(desktop.contains(
        "\nExec=" + qb::DesktopExecLine(QCoreApplication::applicationFilePath()).toUtf8() + "\n"));
    EXPECT_GT(QFileInfo(qb::IconPath()).size(), 0);

    // Known now, in any spelling; a second start leaves the files alone.
    for (const char* spelling : {"qbk", ".QBK"})
        EXPECT_TRUE(qb::ShellExtRegistered(spelling)) << spelling;
    QFile::remove(entry);
    EXPECT_FALSE(qb::RegisterFileType());
    EXPECT_FALSE(QFile::exists(entry));
    // Unless forced.
    EXPECT_FALSE(qb::RegisterShellExt("qbk", "/opt/q", "Quillbrook file", "Open", false));
    EXPECT_TRUE(qb::RegisterShellExt("qbk", "/opt/q", "Quillbrook file", "Open", true));
    EXPECT_TRUE(ReadAll(entry).contains("\nExec=\"/opt/q\" %f\n"));
}

TEST_F(ShellRegistration, EmptyExtensionFails) {
    for (const auto& call :
         {std::function<void()>([] { qb::ShellExtRegistered(""); }),
          std::function<void()>([] { qb::RegisterShellExt("", "/opt/q", "d", "Open", true); })}) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Extension parameter empty in ShellExtRegistered");
        }
    }
    EXPECT_TRUE(QDir(FHome.path()).isEmpty());
}

TEST(DesktopExecLine, QuotesThePathAsOneArgument) {
    const struct {
        QString Executable;
        QString Exec;
    } cases[] = {
        {"/usr/bin/quillbrook", R"("/usr/bin/quillbrook" %f)"},
        {"/home/a b/quill", R"("/home/a b/quill" %f)"},
        // Quoting escapes ", `, $ and \; the key's value escapes \ once more; % doubles.
        {R"(/x/"q"$`v`)", R"("/x/\\"q\\"\\$\\`v\\`" %f)"},
        {R"(/x\y/100%)", R"("/x\\\\y/100%%" %f)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qb::DesktopExecLine(c.Executable), c.Exec) << c.Executable.toStdString();
}

} // namespace
