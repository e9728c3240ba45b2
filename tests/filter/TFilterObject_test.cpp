#include "filter/TFilterObject.h"

#include "filter/TChoicePanel.h"
#include "filter/TChoicePanelManualList.h"
#include "filter/TDateRangePanel.h"
#include "filter/TFilterFm.h"
#include "filter/TRangePanel.h"
#include "filter/TRelativePanel.h"
#include "support/AppEnvironment.h"
#include "support/Exception.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QWidget>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

std::string ReadFixture(const char* name) {
    QFile file(QStringLiteral(QB_SOURCE_DIR "/tests/filter/data/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return "missing fixture " + std::string(name);
    return file.readAll().toStdString();
}

class TFilterObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FDir.isValid());
        FSavedSettings = qb::SettingsFilePath();
        qb::SetSettingsFilePath(FDir.filePath("quillbrook.ini"));
        QFile settings(qb::SettingsFilePath());
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[Industries]\r\nBanks\r\n12=Oil & Gas\r\nAirlines\r\n");
        QLocale::setDefault(QLocale("en_US"));
    }
    void TearDown() override {
        QLocale::setDefault(QLocale::c());
        qb::SetSettingsFilePath(FSavedSettings);
    }

    std::unique_ptr<TFilterObject> NewFilter() {
        return std::make_unique<TFilterObject>(&FMainForm, QStringList{});
    }
    template <typename T> static T* Panel(const TFilterObject& doc, const char* column) {
        auto* panel = dynamic_cast<T*>(doc.FilterFm()->FindPanel(column));
        EXPECT_NE(panel, nullptr) << column;
        return panel;
    }
    static void Use(const TFilterObject& doc, const char* column, TFilterUsage usage) {
        TFilterValuePanel* panel = doc.FilterFm()->FindPanel(column);
        panel->SetUsage(usage);
        panel->UsageGroupClick();
    }
    static QTreeWidgetItem* Category(const TFilterObject& doc, const char* column) {
        return doc.FilterFm()->FindNode(column)->parent();
    }
    static std::string Selected(const TFilterObject& doc) {
        TFilterValuePanel* panel = TFilterFm::NodePanel(doc.FilterFm()->TreeView()->currentItem());
        return panel ? panel->ColumnName() : "";
    }

    QTemporaryDir FDir;
    QString FSavedSettings;
    QWidget FMainForm;
};

TEST_F(TFilterObjectTest, WritesTheDocumentedExampleByteForByte) {
    qb::SetSettingsFilePath(FDir.filePath("none.ini")); // no industries
    auto doc = NewFilter();
    Use(*doc, "CLOSINGPRICE", fuUseFilter);
    Panel<TRangePanel>(*doc, "CLOSINGPRICE")->SetMinimum(5);
    Panel<TRangePanel>(*doc, "CLOSINGPRICE")->SetMaximum(50);
    Use(*doc, "EXCHANGE", fuUseFilter);
    Panel<TChoicePanel>(*doc, "EXCHANGE")->SelectItem("NYSE");
    Panel<TChoicePanel>(*doc, "EXCHANGE")->SelectItem("NASDAQ");
    Use(*doc, "SYMBOL", fuDisplayOnly);
    Panel<TChoicePanelManualList>(*doc, "SYMBOL")->AppendItem("US:MSFT");
    for (const char* column : {"EXDIVIDENDDATE", "DIVIDENDDATE"}) {
        auto* dates = Panel<TDateRangePanel>(*doc, column);
        dates->SetMinimum(QDateTime(QDate(1900, 1, 1), QTime(10, 42, 7)));
        dates->SetMaximum(QDateTime(QDate(2999, 12, 31), QTime(10, 42, 7)));
    }
    Category(*doc, "CLOSINGPRICE")->setExpanded(true);
    Category(*doc, "EXCHANGE")->setExpanded(true);
    doc->FilterFm()->TreeView()->setCurrentItem(doc->FilterFm()->FindNode("EXCHANGE"));

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    doc->SaveToStream(buffer);
    EXPECT_EQ(buffer.data().toStdString(), ReadFixture("example_us.qbk"));
}

TEST_F(TFilterObjectTest, NewFilterRoundTripsToDefaults) {
    auto original = NewFilter();
    const std::string text = original->SaveToText();
    EXPECT_EQ(text.substr(0, 39), "[General]\r\nVersion=1\r\nSelectedNode=\r\n\r\n");

    auto loaded = NewFilter();
    loaded->LoadFromText(text);
    EXPECT_FALSE(loaded->Modified());
    EXPECT_EQ(Selected(*loaded), "ANALYSTRECOMMENDATION"); // the last field applied
    EXPECT_FALSE(loaded->FilterFm()->TreeView()->isHidden());
    for (TFilterValuePanel* panel : loaded->FilterFm()->Panels()) {
        EXPECT_EQ(panel->GetUsage(), fuNotUsed) << panel->ColumnName();
        EXPECT_FALSE(panel->Node()->parent()->isExpanded()) << panel->ColumnName();
    }
    loaded->FilterFm()->TreeView()->setCurrentItem(nullptr);
    EXPECT_EQ(loaded->SaveToText(), text);
}

// Every kind and every usage, saved under one locale and opened under another.
TEST_F(TFilterObjectTest, EveryKindAndUsageSurvivesAChangeOfLocale) {
    auto fill = [this](TFilterObject& doc) {
        Use(doc, "CLOSINGPRICE", fuUseFilter);
        Panel<TRangePanel>(doc, "CLOSINGPRICE")->SetMinimum(2.5);
        Panel<TRangePanel>(doc, "CLOSINGPRICE")->SetMaximum(1234567.125);
        Use(doc, "BETA", fuDisplayOnly);
        Panel<TRangePanel>(doc, "BETA")->SetMinimum(-0.75);
        Use(doc, "PRICE52WEEKLOW", fuUseFilter);
        Panel<TRelativePanel>(doc, "PRICE52WEEKLOW")->SetPercentage(12.5);
        Use(doc, "EXDIVIDENDDATE", fuUseFilter);
        Panel<TDateRangePanel>(doc, "EXDIVIDENDDATE")
            ->SetMinimum(QDateTime(QDate(2000, 2, 1), QTime(23, 59, 59)));
        Panel<TDateRangePanel>(doc, "EXDIVIDENDDATE")
            ->SetMaximum(QDateTime(QDate(2999, 12, 31), QTime(8, 0, 0)));
        Use(doc, "DIVIDENDDATE", fuDisplayOnly);
        Use(doc, "EXCHANGE", fuUseFilter);
        Panel<TChoicePanel>(doc, "EXCHANGE")->SelectItem("AMEX");
        Panel<TChoicePanel>(doc, "EXCHANGE")->SelectItem("TSX-V");
        Use(doc, "INDUSTRY", fuUseFilter);
        Panel<TChoicePanel>(doc, "INDUSTRY")->SelectItem("12=Oil & Gas");
        Use(doc, "ANALYSTRECOMMENDATION", fuDisplayOnly);
        Use(doc, "SYMBOL", fuUseFilter);
        Panel<TChoicePanelManualList>(doc, "SYMBOL")->AppendItem("US:MSFT");
        Panel<TChoicePanelManualList>(doc, "SYMBOL")->AppendItem("CA:PCA");
        Category(doc, "BETA")->setExpanded(true);
        doc.FilterFm()->TreeView()->setCurrentItem(doc.FilterFm()->FindNode("PRICE52WEEKLOW"));
    };
    const std::pair<const char*, const char*> moves[] = {{"en_US", "en_US"}, {"en_US", "de_DE"},
                                                         {"de_DE", "en_US"}, {"en_GB", "en_US"},
                                                         {"fr_FR", "ja_JP"}, {"C", "nl_NL"}};
    for (const auto& [from, to] : moves) {
        SCOPED_TRACE(std::string(from) + " -> " + to);
        const TFilterValueFormat writer{QLocale(from)};
        auto original = NewFilter();
        original->SetValueFormat(writer);
        fill(*original);
        const std::string text = original->SaveToText();

        auto loaded = NewFilter();
        loaded->SetValueFormat(TFilterValueFormat(QLocale(to)));
        loaded->LoadFromText(text);
        EXPECT_FALSE(loaded->Modified());
        EXPECT_EQ(Selected(*loaded), "PRICE52WEEKLOW");
        EXPECT_EQ(loaded->FilterFm()->FrontPanel(),
                  loaded->FilterFm()->FindPanel("PRICE52WEEKLOW"));
        EXPECT_EQ(Panel<TRangePanel>(*loaded, "CLOSINGPRICE")->Minimum(), 2.5);
        EXPECT_EQ(Panel<TRangePanel>(*loaded, "CLOSINGPRICE")->Maximum(), 1234567.125);
        EXPECT_EQ(Panel<TDateRangePanel>(*loaded, "EXDIVIDENDDATE")->Minimum(),
                  QDateTime(QDate(2000, 2, 1), QTime(23, 59, 59)));
        EXPECT_EQ(Panel<TChoicePanel>(*loaded, "INDUSTRY")->SelectedItems(),
                  std::vector<std::string>{"12=Oil & Gas"});
        loaded->SetValueFormat(writer);
        EXPECT_EQ(loaded->SaveToText(), text);
    }
}

TEST_F(TFilterObjectTest, LoadFailuresKeepWhatWasAppliedBefore) {
    const std::string tooEarly = "Date is less than minimum of ";
    const std::string tooLate = "Date exceeds maximum of ";
    struct Case {
        const char* file;
        std::string message;
        bool closingPriceApplied; // the section before the faulty one
        bool modified;            // anything applied before the failure
    } cases[] = {
        {"version2.qbk", "Unsupported file version, 2", false, false},
        {"no_general.qbk", "Unsupported file version, 0", false, false},
        {"filter_type_7.qbk", "Invalid filter type in section BETA, 7", true, true},
        {"no_filter_type.qbk", "Invalid filter type in section PEGRATIO, -1", true, true},
        {"range_no_minimum.qbk", "Value Minimum not found in section BETA", false, false},
        {"range_no_maximum.qbk", "Value Maximum not found in section BETA", true, true},
        {"dates_no_minimum.qbk", "Value Minimum not found in section DIVIDENDDATE", false, false},
        {"relative_no_percentage.qbk", "Value Percentage not found in section PRICE52WEEKLOW",
         false, false},
        {"range_as_dates.qbk", "Invalid class typecast", false, false},
        {"choice_as_manual_list.qbk", "Invalid class typecast", false, false},
        {"filter_usage_3.qbk", "Invalid filter usage in section BETA, 3", true, true},
        {"date_unreadable.qbk", tooEarly, false, false},
        {"date_after_bound.qbk", tooLate, false, true}, // its Minimum was set
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        auto doc = NewFilter();
        try {
            doc->LoadFromText(ReadFixture(c.file));
            ADD_FAILURE() << "loaded without an error";
        } catch (const Exception& e) {
            if (c.message == tooEarly || c.message == tooLate)
                EXPECT_EQ(e.Message().substr(0, c.message.size()), c.message);
            else
                EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_FALSE(doc->FilterFm()->TreeView()->isHidden());
        auto* closing = Panel<TRangePanel>(*doc, "CLOSINGPRICE");
        EXPECT_EQ(closing->GetUsage(), c.closingPriceApplied ? fuUseFilter : fuNotUsed);
        EXPECT_EQ(closing->Minimum(), c.closingPriceApplied ? 5 : 0);
        EXPECT_EQ(doc->Modified(), c.modified);
        EXPECT_EQ(Panel<TRangePanel>(*doc, "BETA")->GetUsage(), fuNotUsed);
    }
}

TEST_F(TFilterObjectTest, ReadingIsTolerant) {
    auto doc = NewFilter();
    doc->LoadFromText(ReadFixture("tolerant.qbk"));
    EXPECT_FALSE(doc->Modified());

    auto* closing = Panel<TRangePanel>(*doc, "CLOSINGPRICE"); // from [closingprice]
    EXPECT_EQ(closing->GetUsage(), fuUseFilter);
    EXPECT_EQ(closing->Minimum(), 0); // "abc"
    EXPECT_EQ(closing->Maximum(), 50);
    EXPECT_TRUE(Category(*doc, "CLOSINGPRICE")->isExpanded());
    // The last Item1 counts, matched without regard to case; Item3 follows no Item2.
    EXPECT_EQ(Panel<TChoicePanel>(*doc, "EXCHANGE")->SelectedItems(),
              std::vector<std::string>{"TSX"});
    EXPECT_EQ(Panel<TChoicePanelManualList>(*doc, "SYMBOL")->Items(),
              (std::vector<std::string>{"us:ibm", "us:ibm"}));
    EXPECT_EQ(Panel<TChoicePanelManualList>(*doc, "SYMBOL")->GetUsage(), fuUseFilter);
    // Only the last of two equal sections is consulted, and it is empty.
    EXPECT_EQ(Panel<TDateRangePanel>(*doc, "DIVIDENDDATE")->Minimum().date(), QDate(1900, 1, 1));
    EXPECT_EQ(Panel<TRangePanel>(*doc, "BETA")->Minimum(), -100);
    // "exchange" is not EXCHANGE: the selection stays on the last field applied.
    EXPECT_EQ(Selected(*doc), "SYMBOL");
}

TEST_F(TFilterObjectTest, AFailedSaveLeavesThePreviousFile) {
    const QString path = FDir.filePath("my.screen.qbk");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("previous content");
    }
    auto doc = NewFilter();

    // A file size limit makes the write fail half-way, also for root.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(doc->SaveToFile(path), Exception);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "previous content");
    kept.close();

    doc->SaveToFile(path);
    auto loaded = NewFilter();
    loaded->LoadFromFile(path);
    loaded->FilterFm()->TreeView()->setCurrentItem(nullptr);
    EXPECT_EQ(loaded->SaveToText(), doc->SaveToText());
    EXPECT_EQ(QDir(FDir.path()).entryList({"*.qbk*"}, QDir::Files | QDir::Hidden),
              QStringList{"my.screen.qbk"});
    EXPECT_THROW(loaded->LoadFromFile(FDir.filePath("missing.qbk")), Exception);
}

} // namespace
