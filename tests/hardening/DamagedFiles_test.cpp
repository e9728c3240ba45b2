// Filter and settings files as a crash, a full disk or a stray editor leaves
// them: random, truncated or hostile bytes.  Reading never crashes; a filter
// that cannot be read says which file and what is wrong.
#include "filter/TChoicePanelManualList.h"
#include "filter/TFilterFm.h"
#include "filter/TFilterObject.h"
#include "support/Exception.h"
#include "support/IniFile.h"
#include "support/IniFileIo.h"
#include "support/Win1252.h"
#include "support/ui/ApplicationException.h"

#include "../common/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

using testing::HasSubstr;
using testing::StartsWith;

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

std::string Example() {
    return ReadBytes(std::string(QB_SOURCE_DIR) + "/tests/filter/data/example_us.qbk");
}

// The lines of a text as the INI reader splits them, up to a zero byte.
std::vector<std::string> Lines(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
        lines.emplace_back(text.substr(pos, end - pos));
        pos = end;
        if (pos < text.size())
            pos += text.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
    }
    return lines;
}

std::string AfterZeroByte(const std::string& text) {
    const std::size_t nul = text.find('\0');
    return nul == std::string::npos ? std::string() : text.substr(nul);
}

struct TBadFile {
    std::string Name;
    std::string Bytes;
};

// Random bytes, random INI-looking lines, the example cut short at several
// places, and a few hand-made hostile files; the same every run.
std::vector<TBadFile> BadFiles() {
    std::vector<TBadFile> files;
    std::mt19937 random(20261211);
    auto byte = [&] { return char(random() & 0xFF); };
    for (int i = 0; i < 4; ++i) {
        std::string bytes(1 + random() % 2000, '\0');
        for (char& c : bytes)
            c = byte();
        files.push_back({"random" + std::to_string(i) + ".qbk", bytes});
    }
    const char* pieces[] = {"[General]",
                            "Version=1",
                            "[CLOSINGPRICE]",
                            "FilterType=",
                            "FilterUsage=",
                            "Minimum=",
                            "Item1=",
                            "=",
                            "[",
                            "]",
                            "\r\n",
                            "\n",
                            "\r",
                            ";",
                            "2",
                            "-1",
                            "99999999999",
                            "\xFF",
                            "\0"};
    for (int i = 0; i < 4; ++i) {
        std::string bytes = "[General]\r\nVersion=1\r\n";
        for (int n = 0; n < 200; ++n)
            bytes += pieces[random() % std::size(pieces)];
        files.push_back({"lines" + std::to_string(i) + ".qbk", bytes});
    }
    const std::string example = Example();
    for (std::size_t cut : {std::size_t(1), std::size_t(11), example.size() / 3, example.size() / 2,
                            example.size() - 3})
        files.push_back({"cut" + std::to_string(cut) + ".qbk", example.substr(0, cut)});
    files.push_back({"empty.qbk", ""});
    files.push_back({"zeros.qbk", std::string(4096, '\0')});
    files.push_back({"long line.qbk", "[General]\r\nVersion=1\r\n[SYMBOL]\r\nFilterType=3\r\n"
                                      "FilterUsage=2\r\nItem1=" +
                                          std::string(1 << 20, 'A') + "\r\n"});
    for (int eighth = 1; eighth < 8; ++eighth)
        files.push_back({"eighth" + std::to_string(eighth) + ".qbk",
                         example.substr(0, example.size() * std::size_t(eighth) / 8)});
    files.push_back({"only bom.qbk", "\xEF\xBB\xBF"});
    files.push_back({"bom before a filter.qbk", "\xEF\xBB\xBF" + example});
    files.push_back({"ten MB line.qbk", "Version=1" + std::string(10 << 20, '1')});
    // Values of the wrong shape in a file that is otherwise sound.
    const std::string general = "[General]\r\nVersion=1\r\n";
    const std::pair<const char*, const char*> wrongValues[] = {
        {"type text.qbk", "[BETA]\r\nFilterType=range\r\nFilterUsage=2\r\n"},
        {"type huge.qbk", "[BETA]\r\nFilterType=99999999999999999999\r\n"},
        {"usage fraction.qbk",
         "[BETA]\r\nFilterType=0\r\nFilterUsage=1.5\r\nMinimum=1\r\nMaximum=2\r\n"},
        {"usage negative.qbk",
         "[BETA]\r\nFilterType=0\r\nFilterUsage=-2\r\nMinimum=1\r\nMaximum=2\r\n"},
        {"numbers not finite.qbk", "[BETA]\r\nFilterType=0\r\nFilterUsage=2\r\nMinimum=nan\r\n"
                                   "Maximum=inf\r\n[PRICE52WEEKLOW]\r\nFilterType=1\r\n"
                                   "Percentage=-1e400\r\n"},
        {"numbers huge.qbk", "[BETA]\r\nFilterType=0\r\nFilterUsage=2\r\nMinimum=-1e308\r\n"
                             "Maximum=1e308\r\n"},
        {"dates text.qbk",
         "[EXDIVIDENDDATE]\r\nFilterType=4\r\nMinimum=yesterday\r\nMaximum=99/99/99999\r\n"},
        {"expanded text.qbk",
         "[EXCHANGE]\r\nFilterType=2\r\nFilterUsage=2\r\nParentExpanded=yes\r\nItem1=NYSE\r\n"},
        {"items numbered oddly.qbk",
         "[SYMBOL]\r\nFilterType=3\r\nItem0=US:A\r\nItem01=US:B\r\nItem-1=US:C\r\n"},
    };
    for (const auto& [name, sections] : wrongValues)
        files.push_back({name, general + sections});
    files.push_back({"many items.qbk", [] {
                         std::string text = "[General]\nVersion=1\n[SYMBOL]\nFilterType=3\n";
                         for (int n = 1; n <= 300; ++n)
                             text +=
                                 "Item" + std::to_string(n) + "=US:S" + std::to_string(n) + "\n";
                         return text;
                     }()});
    return files;
}

QString WriteFile(const QTemporaryDir& dir, const TBadFile& bad) {
    const QString path = dir.filePath(QString::fromStdString(bad.Name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bad.Bytes.data(), qint64(bad.Bytes.size()));
    return path;
}

} // namespace

TEST(DamagedFiles, SettingsReadingNeverFailsAndKeepsItsDefaults) {
    QTemporaryDir dir;
    for (const TBadFile& bad : BadFiles()) {
        const QString path = dir.filePath(QString::fromStdString(bad.Name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bad.Bytes.data(), qint64(bad.Bytes.size()));
        file.close();
        const qb::TIniFile ini = qb::TIniFile::LoadFromFile(path);
        EXPECT_EQ(ini.ReadInteger("Server", "ServerPort", 4711), 4711) << bad.Name;
        EXPECT_EQ(ini.ReadString("Server", "ServerHost", "default"), "default") << bad.Name;
        // What the program writes back reads as what it read.
        const qb::TIniFile again(ini.ToText());
        EXPECT_EQ(again.SectionNames(), ini.SectionNames()) << bad.Name;
    }
}

// Loads every bad file into a fresh filter; answers the messages of refusals.
static std::vector<std::pair<std::string, std::string>>
LoadEach(const std::vector<TBadFile>& files) {
    QTemporaryDir dir;
    std::vector<std::pair<std::string, std::string>> refusals;
    for (const TBadFile& bad : files) {
        const QString path = dir.filePath(QString::fromStdString(bad.Name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bad.Bytes.data(), qint64(bad.Bytes.size()));
        file.close();
        TFilterObject filter(nullptr, {"Site"});
        try {
            filter.LoadFromFile(path);
        } catch (const Exception& e) {
            refusals.emplace_back(bad.Name, e.Message());
        }
    }
    return refusals;
}

TEST(DamagedFiles, FilterFilesLoadOrFailStatingTheProblem) {
    const auto refusals = LoadEach(BadFiles());
    EXPECT_GT(refusals.size(), 0u);
    for (const auto& [name, message] : refusals)
        EXPECT_GT(message.size(), 10u) << name << ": " << message;
}

// What the user sees when a filter file fails to load: the error box of Open
// and of the start-up file (the command line prints the same text) names the
// file and then gives the loader's own text unchanged.
TEST(DamagedFiles, FilterFileFailuresNameTheFile) {
    QTemporaryDir dir;
    int refused = 0;
    for (const TBadFile& bad : BadFiles()) {
        SCOPED_TRACE(bad.Name);
        const QString path = WriteFile(dir, bad);
        std::string problem;
        try {
            TFilterObject(nullptr, {"Site"}).LoadFromText(bad.Bytes);
        } catch (const Exception& e) {
            problem = e.Message();
        }
        TScriptedDialogs dialogs;
        if (!problem.empty())
            dialogs.ExpectError();
        TFilterObject filter(nullptr, {"Site"});
        qb::RunGuarded([&] { filter.LoadFromFile(path); });
        if (problem.empty())
            continue;
        ++refused;
        EXPECT_EQ(dialogs.LastMessage().Text,
                  "Cannot load file \"" + path + "\". " + qb::FromAnsi(problem));
    }
    EXPECT_GT(refused, 10);
}

// Paths that hold no readable file.  A filter file must exist; a missing
// settings file is a first start and reads as empty, every other case is
// refused for both with the file and the reason.
TEST(DamagedFiles, FilesThatCannotBeReadAreNamedWithTheReason) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("folder.qbk");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString pipe = dir.filePath("pipe.qbk");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString huge = dir.filePath("huge.qbk");
    {
        QFile file(huge); // sparse: no disk space taken
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qb::MaxIniFileSize + 1));
    }
    const QString locked = dir.filePath("locked.qbk");
    {
        QFile file(locked);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Example().data(), qint64(Example().size()));
    }
    QFile::setPermissions(locked, {});
    struct TCase {
        const char* Name;
        QString Path;
        QString Message; // the start of the text, up to the reason
        const char* Reason;
        bool SettingsRead; // a settings file at this path reads as empty
    };
    const auto open = [](const QString& path) { return "Cannot open file \"" + path + "\". "; };
    const auto read = [](const QString& path) { return "Cannot read file \"" + path + "\". "; };
    std::vector<TCase> cases = {
        {"missing", dir.filePath("missing.qbk"), open(dir.filePath("missing.qbk")), "No such file",
         true},
        {"folder", folder, open(folder), "Is a directory", false},
        {"pipe", pipe, open(pipe), "Not a regular file", false},
        {"too large", huge, read(huge), "larger than 16 MB", false},
    };
    // Permissions do not bind root.
    if (::geteuid() != 0)
        cases.push_back({"unreadable", locked, open(locked), "Permission denied", false});
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        {
            TScriptedDialogs dialogs;
            dialogs.ExpectError();
            TFilterObject filter(nullptr, {"Site"});
            qb::RunGuarded([&] { filter.LoadFromFile(c.Path); });
            EXPECT_THAT(dialogs.LastMessage().Text.toStdString(),
                        StartsWith(c.Message.toStdString()));
            EXPECT_THAT(dialogs.LastMessage().Text.toStdString(), HasSubstr(c.Reason));
            EXPECT_FALSE(filter.Modified());
        }
        // Readers that go on without the settings file neither fail nor wait.
        EXPECT_EQ(qb::TIniFile::LoadFromFile(c.Path).ToText(), "");
        try {
            EXPECT_EQ(qb::TIniFile::ReadFile(c.Path).ToText(), "");
            EXPECT_TRUE(c.SettingsRead);
        } catch (const Exception& e) {
            EXPECT_FALSE(c.SettingsRead) << e.Message();
            EXPECT_THAT(e.Message(), StartsWith(qb::ToAnsi(c.Message)));
            EXPECT_THAT(e.Message(), HasSubstr(c.Reason));
        }
    }
}

// The settings file is rewritten to save the window placement: whatever it
// held, every line (and every byte after a zero byte) is still there.
TEST(DamagedFiles, RewritingASettingsFileKeepsAllItHeld) {
    for (const TBadFile& bad : BadFiles()) {
        SCOPED_TRACE(bad.Name);
        qb::TIniFile ini(bad.Bytes);
        ini.WriteString("QuillbrookForm", "WindowState", "2");
        const std::string after = ini.ToText();
        const std::vector<std::string> linesBefore = Lines(bad.Bytes);
        const std::vector<std::string> linesAfter = Lines(after);
        ASSERT_GE(linesAfter.size(), linesBefore.size());
        EXPECT_TRUE(std::equal(linesBefore.begin(), linesBefore.end(), linesAfter.begin()));
        EXPECT_EQ(AfterZeroByte(after), AfterZeroByte(bad.Bytes));
        EXPECT_EQ(qb::TIniFile(after).ReadInteger("QuillbrookForm", "WindowState", -1), 2);
    }
}

// Filter files written as UTF-8 by another editor load byte for byte and are
// saved back unchanged, also bytes the code page leaves unassigned.
TEST(DamagedFiles, TextOutsideTheCodePageSurvivesLoadAndSave) {
    const std::string items = "Item1=US:Soci\xC3\xA9t\xC3\xA9\r\nItem2=RU:\xD0\x81\x8D\x90\x9D\r\n";
    TFilterObject filter(nullptr, {"Site"});
    filter.LoadFromText("[General]\r\nVersion=1\r\n[SYMBOL]\r\nFilterType=3\r\nFilterUsage=1\r\n" +
                        items);
    auto* symbols = dynamic_cast<TChoicePanelManualList*>(filter.FilterFm()->FindPanel("SYMBOL"));
    ASSERT_TRUE(symbols);
    EXPECT_EQ(symbols->Items(),
              (std::vector<std::string>{"US:Soci\xC3\xA9t\xC3\xA9", "RU:\xD0\x81\x8D\x90\x9D"}));
    EXPECT_THAT(filter.SaveToText(), HasSubstr("FilterType=3\r\n" + items));
}
