#include "app/CommandLine.h"
#include "app/ConsoleDialogs.h"
#include "app/HeadlessRunner.h"
#include "support/AppEnvironment.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

class HeadlessCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        qb::SetTodayProvider([] { return QDate(2026, 12, 11); });
    }
    void TearDown() override { qb::SetTodayProvider({}); }
};

TEST_F(HeadlessCommandLine, Forms) {
    using L = TCommandLine;
    struct TCase {
        QStringList Arguments;
        L::TAction Action;
        QString Search;
        QDate Date;
        QString Output;
        QStringList Info;
        QString Settings;
    };
    const TCase cases[] = {
        {{"--search", "a.qbk"}, L::caSearch, "a.qbk", {}, "", {}, ""},
        {{"--settings", "q.ini", "--search=a.qbk", "--output", "r.xls", "--date", "2026-12-11"},
         L::caSearch,
         "a.qbk",
         QDate(2026, 12, 11),
         "r.xls",
         {},
         "q.ini"},
        {{"--date=2006-08-30", "--search", "-odd.qbk"},
         L::caSearch,
         "-odd.qbk",
         QDate(2006, 8, 30),
         "",
         {},
         ""},
        {{"--list-sites", "--settings=q.ini"}, L::caListSites, "", {}, "", {}, "q.ini"},
        // The stock's values are taken as they come, dashes too.
        {{"--info-url", "Charts", "US", "-", "NYSE"},
         L::caInfoUrl,
         "",
         {},
         "",
         {"Charts", "US", "-", "NYSE"},
         ""},
        {{"--search", "a.qbk", "--help"}, L::caHelp, "a.qbk", {}, "", {}, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        const TCommandLine line = TCommandLine::Parse(c.Arguments);
        EXPECT_EQ(line.Action, c.Action) << line.ErrorText.toStdString();
        EXPECT_EQ(line.SearchFile, c.Search);
        EXPECT_EQ(line.TradeDate, c.Date);
        EXPECT_EQ(line.OutputFile, c.Output);
        EXPECT_EQ(line.InfoArguments, c.Info);
        EXPECT_EQ(line.SettingsFile, c.Settings);
        EXPECT_TRUE(line.Files.isEmpty());
    }
}

TEST_F(HeadlessCommandLine, UsageErrors) {
    struct TCase {
        QStringList Arguments;
        const char* Text; // in the error text
    };
    const TCase cases[] = {
        {{"--search"}, "'--search'"},
        {{"--search="}, "'--search'"},
        {{"--search", "a.qbk", "--date"}, "'--date'"},
        {{"--search", "a.qbk", "--output"}, "'--output'"},
        {{"--search", "a.qbk", "b.qbk"}, "'b.qbk'"},
        {{"--search", "a.qbk", "--list-sites"}, "only one"},
        {{"--list-sites", "--list-sites"}, "only one"},
        {{"--list-sites", "a.qbk"}, "'a.qbk'"},
        {{"--info-url", "Charts", "US", "IBM"}, "four values"},
        {{"--date", "2026-06-30"}, "with '--search' only"},
        {{"a.qbk", "--output", "r.csv"}, "with '--search' only"},
        {{"--search", "a.qbk", "--date", "2006-08-29"}, "before the first trade date, 2006-08-30"},
        {{"--search", "a.qbk", "--date", "2026-12-12"}, "after today, 2026-12-11"},
        {{"--search", "a.qbk", "--date", "2026-02-30"}, "YYYY-MM-DD"},
        {{"--search", "a.qbk", "--date", "2026-6-30"}, "YYYY-MM-DD"},
        {{"--search", "a.qbk", "--date", " 2026-06-30"}, "YYYY-MM-DD"},
        {{"--search", "a.qbk", "--date", "20260630"}, "YYYY-MM-DD"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        const TCommandLine line = TCommandLine::Parse(c.Arguments);
        EXPECT_EQ(line.Action, TCommandLine::caError);
        EXPECT_TRUE(line.ErrorText.contains(QLatin1String(c.Text), Qt::CaseInsensitive))
            << line.ErrorText.toStdString();
    }
}

TEST(ConsoleDialogs, BoxesBecomeLinesAndQuestionsAreDeclined) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&buffer, &size);
    ASSERT_NE(stream, nullptr);
    {
        TConsoleDialogs dialogs(stream);
        SetDialogs(&dialogs);
        ShowInformationBox(QStringLiteral("Only the first 5\rmatches"));
        ShowErrorBox(QStringLiteral("Unable.\r\rReason\r\n"));
        EXPECT_FALSE(AskOverwrite(QStringLiteral("File <x.csv> already exists.\rOverwrite ?")));
        EXPECT_EQ(dialogs.MessageBox("Go on?", TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel,
                                     mbYes, false),
                  mbCancel);
        EXPECT_EQ(dialogs.SaveFileName({}), QString());
        QString value = QStringLiteral("kept");
        EXPECT_FALSE(dialogs.InputQuery("Name", "Name:", value));
        SetDialogs(nullptr);
    }
    std::fclose(stream);
    EXPECT_EQ(std::string(buffer, size), "Only the first 5\nmatches\n"
                                         "Unable.\n\nReason\n"
                                         "File <x.csv> already exists.\nOverwrite ?\n"
                                         "Go on?\n");
    std::free(buffer);
}

} // namespace
