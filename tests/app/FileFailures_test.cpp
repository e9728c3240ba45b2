// Filter and settings files that cannot be read or written, seen from the
// main window: each failure is one error box naming the file and the problem,
// the window goes on, and no file loses what it held.
#include "app/QuillbrookForm.h"
#include "filter/TFilterFm.h"
#include "support/AppEnvironment.h"

#include "../common/ScriptedDialogs.h"
#include "support/ServiceUnreachable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Permissions do not bind root; those cases run for other users only.
bool PermissionsBind() {
    return ::geteuid() != 0;
}

class FileFailures : public ::testing::Test {
protected:
    void SetUp() override {
        qb::SetSettingsFilePath(Path("quillbrook.ini"));
        TolerateUnreachableService(FDialogs);
    }
    void TearDown() override { qb::SetSettingsFilePath({}); }

    QString Path(const QString& name) const { return QDir(FDir.path()).filePath(name); }
    static QByteArray ReadAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void WriteAll(const QString& path, const QByteArray& content) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    // Runs `action`, which must end in an error box; answers its text.
    QString ExpectErrorDuring(const std::function<void()>& action) {
        FDialogs.ExpectError();
        action();
        EXPECT_TRUE(FDialogs.AllShown());
        EXPECT_EQ(FDialogs.LastMessage().Kind, TMsgDlgType::mtError);
        return FDialogs.LastMessage().Text;
    }
    QStringList LeftOvers() const {
        return QDir(FDir.path()).entryList(QDir::Files | QDir::Hidden).filter(".tmp");
    }

    QTemporaryDir FDir;
    TScriptedDialogs FDialogs; // any box not expected fails the test
};

TEST_F(FileFailures, OpenNamesTheFileAndTheProblem) {
    WriteAll(Path("version7.qbk"), "[General]\r\nVersion=7\r\n");
    WriteAll(Path("no maximum.qbk"),
             "[General]\r\nVersion=1\r\n[BETA]\r\nFilterType=0\r\nMinimum=1\r\n");
    ASSERT_TRUE(QDir().mkdir(Path("folder.qbk")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe.qbk")).constData(), 0600), 0);
    WriteAll(Path("locked.qbk"), "[General]\r\nVersion=1\r\n");
    QFile::setPermissions(Path("locked.qbk"), {});
    struct TCase {
        const char* File;
        QString Text;     // the whole error box
        bool ViaArgument; // a start-up argument that is a file opens the same way
    };
    std::vector<TCase> cases = {
        {"version7.qbk",
         "Cannot load file \"" + Path("version7.qbk") + "\". Unsupported file version, 7", true},
        {"no maximum.qbk",
         "Cannot load file \"" + Path("no maximum.qbk") +
             "\". Value Maximum not found in section BETA",
         true},
        {"folder.qbk", "Cannot open file \"" + Path("folder.qbk") + "\". Is a directory", false},
        {"pipe.qbk", "Cannot open file \"" + Path("pipe.qbk") + "\". Not a regular file", false},
        {"gone.qbk", "Cannot open file \"" + Path("gone.qbk") + "\". No such file or directory",
         false},
    };
    if (PermissionsBind())
        cases.push_back({"locked.qbk",
                         "Cannot open file \"" + Path("locked.qbk") + "\". Permission denied",
                         true});
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.File);
        const QString path = Path(c.File);
        TQuillbrookForm form;
        FDialogs.ExpectOpenFile(path);
        EXPECT_EQ(ExpectErrorDuring([&] { form.OpenBtn->click(); }), c.Text);
        // The tab stays, holding what was read, without a name.
        ASSERT_EQ(form.TabCount(), 2);
        EXPECT_EQ(form.TabBar->currentIndex(), 1);
        EXPECT_TRUE(form.Tab(1).Document->FileName().isEmpty());
        EXPECT_TRUE(form.SaveBtn->isEnabled());

        if (c.ViaArgument) {
            EXPECT_EQ(ExpectErrorDuring([&] { TQuillbrookForm started({path}); }), c.Text);
        }
    }
}

TEST_F(FileFailures, FailedSaveNamesTheFileAndKeepsTheOldOne) {
    const QByteArray old = "the previous filter\r\n";
    ASSERT_TRUE(QDir().mkdir(Path("folder.qbk")));
    ASSERT_TRUE(QDir().mkdir(Path("locked")));
    QFile::setPermissions(Path("locked"), QFile::ReadOwner | QFile::ExeOwner);
    WriteAll(Path("readonly.qbk"), old);
    QFile::setPermissions(Path("readonly.qbk"), QFile::ReadOwner);
    struct TCase {
        QString Target;
        bool Exists; // the overwrite question comes first
        const char* Reason;
    };
    std::vector<TCase> cases = {
        {Path("gone/a.qbk"), false, "No such file or directory"},
        {Path("folder.qbk"), true, "Is a directory"},
    };
    if (PermissionsBind()) {
        cases.push_back({Path("readonly.qbk"), true, "Permission denied"});
        cases.push_back({Path("locked/a.qbk"), false, "Permission denied"});
    }
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Target.toStdString());
        TQuillbrookForm form;
        form.Tab(0).Document->SetModified(true);
        FDialogs.ExpectSaveFile(c.Target);
        if (c.Exists)
            FDialogs.ExpectMessage(TMsgDlgType::mtConfirmation, mbYes);
        EXPECT_EQ(ExpectErrorDuring([&] { form.SaveAsBtn->click(); }),
                  "Cannot write file \"" + c.Target + "\". " + c.Reason);
        EXPECT_TRUE(form.Tab(0).Document->Modified());
        EXPECT_EQ(form.TabBar->tabText(0), "Filter 1");
        // Nothing unsaved is lost: closing still asks.
        FDialogs.ExpectMessage(TMsgDlgType::mtConfirmation, mbNo);
        EXPECT_TRUE(form.close());
    }
    EXPECT_EQ(ReadAll(Path("readonly.qbk")), old);
    EXPECT_TRUE(QFileInfo(Path("folder.qbk")).isDir());
    EXPECT_EQ(LeftOvers(), QStringList{});
    QFile::setPermissions(Path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Damaged settings files at start-up and when the placement is saved on
// closing.  Only a file that exists and cannot be read, or cannot be written,
// is reported; whatever the file held is still there afterwards.
TEST_F(FileFailures, DamagedSettingsNeverStopTheWindow) {
    QByteArray random(3000, '\0');
    for (int i = 0; i < random.size(); ++i)
        random[i] = char((i * 7919 + 13) % 251);
    const QByteArray sound = "; mine\r\n[Server]\r\nServerHost=127.0.0.1\r\nServerPort=1\r\n"
                             "\r\n[Industries]\r\n1=Banks\r\n";
    const QByteArray placement = "[QuillbrookForm]\r\nWindowState=0\r\n";
    struct TCase {
        const char* Name;
        QByteArray Content; // written to the settings file unless Folder
        bool Folder = false;
        bool Locked = false;               // no permissions at all
        bool ReadOnly = false;             // readable, not writable
        const char* StartReason = nullptr; // reported at start-up
        const char* CloseReason = nullptr; // reported when the placement is saved
        bool FolderGone = false;           // its folder is removed while the window is open
    };
    std::vector<TCase> cases = {
        {"random bytes", random},
        {"zero bytes", QByteArray(500, '\0') + sound},
        {"cut short", sound.left(sound.size() / 2)},
        {"ten MB line", "[Server]\r\nServerHost=" + QByteArray(10 << 20, 'h')},
        {"ports of the wrong shape", "[Server]\r\nServerHost=127.0.0.1\r\nServerPort=99999\r\n"},
        {"placement beyond any screen",
         placement + "Left=2147483647\r\nTop=-2147483648\r\nWidth=2147483647\r\nHeight=9\r\n"},
        {"placement too large", placement + "Left=0\r\nTop=0\r\nWidth=90000\r\nHeight=90000\r\n"},
        {"placement not numbers", placement + "Left=a\r\nTop=\r\nWidth=1e3\r\nHeight=-0\r\n"},
        {"folder", {}, true, false, false, "Is a directory", "Is a directory"},
        {"folder gone", sound, false, false, false, nullptr, "No such file or directory", true},
    };
    if (PermissionsBind()) {
        cases.push_back(
            {"unreadable", sound, false, true, false, "Permission denied", "Permission denied"});
        cases.push_back({"read-only", sound, false, false, true, nullptr, "Permission denied"});
    }
    int number = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString path =
            Path(QStringLiteral("%1settings%2.ini").arg(c.FolderGone ? "gone/" : "").arg(++number));
        if (c.FolderGone) {
            ASSERT_TRUE(QDir().mkpath(Path("gone")));
        }
        qb::SetSettingsFilePath(path);
        if (c.Folder) {
            ASSERT_TRUE(QDir().mkdir(path));
        } else {
            WriteAll(path, c.Content);
        }
        if (c.Locked)
            QFile::setPermissions(path, {});
        if (c.ReadOnly)
            QFile::setPermissions(path, QFile::ReadOwner);
        const QString named = "file \"" + path + "\". ";

        std::unique_ptr<TQuillbrookForm> form;
        const auto start = [&] { form = std::make_unique<TQuillbrookForm>(); };
        if (c.StartReason) {
            EXPECT_EQ(ExpectErrorDuring(start), "Cannot open " + named + c.StartReason);
        } else {
            start();
        }
        ASSERT_EQ(form->TabCount(), 1);
        if (!(form->windowState() & Qt::WindowMaximized)) {
            // A usable window on a screen, not larger than the screen.
            const QRect geometry = form->normalGeometry();
            QScreen* screen = QGuiApplication::screenAt(geometry.center());
            ASSERT_TRUE(screen) << geometry.x() << "," << geometry.y();
            const QSize most = screen->availableGeometry().size().expandedTo(form->minimumSize());
            EXPECT_LE(geometry.width(), most.width());
            EXPECT_LE(geometry.height(), most.height());
        }

        if (c.FolderGone) {
            ASSERT_TRUE(QDir(Path("gone")).removeRecursively());
        }
        const auto close = [&] { EXPECT_TRUE(form->close()); };
        if (c.CloseReason) {
            EXPECT_THAT(ExpectErrorDuring(close).toStdString(),
                        testing::AnyOf(("Cannot open " + named + c.CloseReason).toStdString(),
                                       ("Cannot write " + named + c.CloseReason).toStdString()));
        } else {
            close();
        }
        form.reset();

        if (c.Locked)
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        if (c.Folder || c.FolderGone)
            continue;
        const QByteArray after = ReadAll(path);
        if (c.CloseReason) {
            EXPECT_EQ(after, c.Content);
            continue;
        }
        // One placement section; what else was there stays, the placement
        // follows it.  A zero byte ends the text read: what follows it comes
        // last, unchanged.
        EXPECT_EQ(after.count("[QuillbrookForm]"), 1) << after.left(200).toStdString();
        if (c.Content.contains("[QuillbrookForm]"))
            continue;
        const qsizetype zero = c.Content.indexOf('\0');
        if (zero >= 0)
            EXPECT_TRUE(after.endsWith(c.Content.mid(zero)));
        else
            EXPECT_TRUE(after.startsWith(c.Content)) << after.left(200).toStdString();
    }
    EXPECT_EQ(LeftOvers(), QStringList{});
}

} // namespace
