#include "support/IniFile.h"

#include "support/Exception.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using qb::TIniEntryForm;
using qb::TIniFile;

namespace {

TEST(IniFileTest, ReadingRules) {
    const std::string text = "Orphan=before any section\r\n"
                             "  [ General ]  \r\n"
                             "\tVersion = 1 \t\r\n"
                             "; Version=9\r\n"
                             "\r\n"
                             "Name=a=b\n"
                             "Dup=first\r"
                             "dUP=second\r\n"
                             "[Empty]\r\n"
                             "[OnlyText]\r\n"
                             "no equals sign here\r\n"
                             "[twice]\r\n"
                             "Old=1\r\n"
                             "[TWICE]\r\n"
                             "New=2\r\n"
                             "[Cut]\r\n"
                             "A=1\r\n" +
                             std::string("B=2\0C=3\r\n", 10);
    TIniFile ini(text);

    struct Case {
        const char *section, *key;
        std::optional<std::string> value;
    } cases[] = {
        {"general", "VERSION", "1"},         // trimmed, case-insensitive
        {"General", "Name", "a=b"},          // split at the first "="
        {"General", "Dup", "second"},        // last equal key counts
        {"General", "Orphan", std::nullopt}, // lines before the first section ignored
        {"General", ";Version", std::nullopt},
        {"Twice", "Old", std::nullopt}, // only the last equal section is consulted
        {"Twice", "New", "2"},
        {"Cut", "B", "2"}, // a zero byte ends the text
        {"Cut", "C", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.Find(c.section, c.key), c.value) << c.section << "/" << c.key;

    EXPECT_TRUE(ini.SectionExists("EMPTY"));
    EXPECT_EQ(ini.SectionLineCount("Empty"), 0);
    EXPECT_EQ(ini.SectionLineCount("OnlyText"), 1); // present although it holds no key
    EXPECT_EQ(ini.SectionLineCount("General"), 4);
    EXPECT_FALSE(ini.SectionExists("Missing"));
    EXPECT_EQ(ini.SectionNames(),
              (std::vector<std::string>{"General", "Empty", "OnlyText", "twice", "Cut"}));
}

TEST(IniFileTest, NumbersAndFlags) {
    TIniFile ini("[S]\nA=42\nB=-7\nC=+3\nD=abc\nE=12x\nF=99999999999\nG=\nT=2\nZ=0\n");
    struct Case {
        const char* key;
        int value;
    } cases[] = {{"A", 42}, {"B", -7}, {"C", 3},  {"D", -1},
                 {"E", -1}, {"F", -1}, {"G", -1}, {"Missing", -1}};
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadInteger("S", c.key, -1), c.value) << c.key;
    EXPECT_TRUE(ini.ReadBool("S", "T", false));
    EXPECT_FALSE(ini.ReadBool("S", "Z", true));
    EXPECT_TRUE(ini.ReadBool("S", "Missing", true));
    EXPECT_FALSE(ini.ReadBool("S", "D", false));
}

TEST(IniFileTest, SectionValuesByEntryForm) {
    TIniFile ini("[Industries]\r\n"
                 "  Banks  \r\n"
                 "3 = Oil & Gas \r\n"
                 "; a comment\r\n"
                 "\r\n"
                 "Banks\r\n"
                 "Zeta=\r\n"
                 "[Other]\r\nX=1\r\n");
    EXPECT_EQ(ini.SectionValues("industries", TIniEntryForm::WholeLine),
              (std::vector<std::string>{"Banks", "3=Oil & Gas", "Banks", "Zeta="}));
    EXPECT_EQ(ini.SectionValues("industries", TIniEntryForm::KeyValue),
              (std::vector<std::string>{"Oil & Gas", ""}));
    EXPECT_TRUE(ini.SectionValues("None", TIniEntryForm::WholeLine).empty());
}

TEST(IniFileTest, NewDocumentLayout) {
    TIniFile ini;
    ini.WriteInteger("General", "Version", 1);
    ini.WriteString("General", "SelectedNode", "");
    ini.WriteString("BETA", "FilterUsage", "0");
    ini.WriteString("BETA", "Minimum", "-100");
    ini.WriteString("General", "Version", "2"); // replaced in place, order kept
    EXPECT_EQ(ini.ToText(), "[General]\r\nVersion=2\r\nSelectedNode=\r\n\r\n"
                            "[BETA]\r\nFilterUsage=0\r\nMinimum=-100\r\n\r\n");
}

TEST(IniFileTest, EditingKeepsEveryOtherLine) {
    const std::string original = "; settings\n"
                                 "[Server]\n"
                                 "ServerHost = example.org   ; odd but kept\n"
                                 "ServerPort=8080\n"
                                 "\n"
                                 "[QuillbrookForm\\Placement]\n"
                                 "Left=1\n"
                                 "[Industries]\n"
                                 "Banks\n"
                                 "3=Oil\n";
    TIniFile ini(original);
    EXPECT_EQ(ini.LineBreak(), "\n");
    ini.WriteString("server", "serverport", "9090");
    ini.WriteString("Server", "Extra", "x");
    ini.EraseSection("quillbrookform\\placement");
    ini.WriteString("QuillbrookForm\\Placement", "Top", "5");
    EXPECT_EQ(ini.ToText(), "; settings\n"
                            "[Server]\n"
                            "ServerHost = example.org   ; odd but kept\n"
                            "ServerPort=9090\n" // the file's spelling of the key stays
                            "Extra=x\n"
                            "\n"
                            "[Industries]\n"
                            "Banks\n"
                            "3=Oil\n"
                            "\n"
                            "[QuillbrookForm\\Placement]\n"
                            "Top=5\n"
                            "\n");
    ini.DeleteKey("Server", "EXTRA");
    EXPECT_FALSE(ini.ValueExists("Server", "Extra"));
}

TEST(IniFileTest, WritingRefusesWhatWouldChangeTheStructure) {
    TIniFile ini;
    EXPECT_THROW(ini.WriteString("S", "K", "two\r\nlines"), Exception);
    EXPECT_THROW(ini.WriteString("S", "a=b", "v"), Exception);
    EXPECT_THROW(ini.WriteString("S]", "K", "v"), Exception);
    EXPECT_THROW(ini.WriteString("S", "", "v"), Exception);
    EXPECT_EQ(ini.ToText(), "");
}

TEST(IniFileTest, SaveReplacesTheFileThroughATemporaryOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("settings.ini");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Server]\r\nServerPort=1\r\n");
    }
    TIniFile ini = TIniFile::LoadFromFile(path);
    ini.WriteString("Server", "ServerPort", "2");
    ini.SaveToFile(path);

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), "[Server]\r\nServerPort=2\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.ini"});

    EXPECT_THROW(ini.SaveToFile(dir.filePath("missing/settings.ini")), Exception);

    // A write cut short (here by a file size limit, which binds root too)
    // fails the save and leaves the previous file.
    TIniFile large;
    large.WriteString("Server", "Padding", std::string(4000, 'x'));
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(large.SaveToFile(path), Exception);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(TIniFile::LoadFromFile(path).ReadString("Server", "ServerPort"), "2");
    EXPECT_EQ(TIniFile::LoadFromFile(dir.filePath("none.ini")).ToText(), "");
}

} // namespace
