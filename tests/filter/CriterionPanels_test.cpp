#include "filter/TChoicePanel.h"
#include "filter/TChoicePanelManualList.h"
#include "filter/TDatePicker.h"
#include "filter/TDateRangePanel.h"
#include "filter/TNumEdit.h"
#include "filter/TRangePanel.h"
#include "filter/TRelativePanel.h"
#include "support/Exception.h"

#include "../common/ScriptedDialogs.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// A panel on its own, counting change notifications.
struct PanelFixture : ::testing::Test {
    QWidget Parent;
    int Changes = 0;

    TPanelArgs Args(const char* column = "CLOSINGPRICE") {
        TPanelArgs args;
        args.Parent = &Parent;
        args.ColumnName = column;
        args.Caption = QStringLiteral("Caption");
        args.Description = QStringLiteral("Line one\rLine two");
        args.OnChange = [this](QObject*) { ++Changes; };
        return args;
    }
};

using RangePanelTest = PanelFixture;

TEST_F(RangePanelTest, ValuesOutsideTheBoundsBecomeTheNearerBoundWithoutLosingDigits) {
    struct Case {
        double lower, upper, set, expected;
    } cases[] = {
        {0, 9999999, 12345678, 9999999},
        {0, 9999999, -1, 0},
        {-9999, 9999, -12345, -9999},
        {0, 9999999999999, 99999999999999, 9999999999999},
        {0, 9999999999999, 1234567890123, 1234567890123},
        {0, 9999999999999, 9999999999998.5, 9999999999998.5},
        {-100, 100, 0.000123456789, 0.000123456789},
        {-100, 100, NAN, -100},
    };
    for (const Case& c : cases) {
        TRangePanel panel(Args(), c.lower, c.upper, c.lower, c.upper);
        panel.SetMinimum(c.set);
        panel.SetMaximum(c.set);
        EXPECT_EQ(panel.Minimum(), c.expected) << c.set;
        EXPECT_EQ(panel.Maximum(), c.expected) << c.set;
    }
    EXPECT_EQ(TNumEdit::FormatValue(9999999999999), "9999999999999");
    EXPECT_EQ(TNumEdit::FormatValue(-10000), "-10000");
    EXPECT_EQ(TNumEdit::FormatValue(2.5), "2.5");
}

TEST_F(RangePanelTest, TypedValueIsBoundedAndShownAsHeldWhenEditingEnds) {
    TRangePanel panel(Args(), 0, 9999999, 0, 9999999);
    panel.EnableControls(fuUseFilter);
    TNumEdit* edit = panel.MinEdit();
    edit->clear();
    QTest::keyClicks(edit, "12345678");
    EXPECT_EQ(panel.Minimum(), 9999999);
    emit edit->editingFinished();
    EXPECT_EQ(edit->text(), "9999999");

    edit->clear();
    QTest::keyClicks(edit, "12.75");
    EXPECT_EQ(panel.Minimum(), 12.75);
    QTest::keyClicks(edit, "x"); // refused by the edit
    EXPECT_EQ(edit->text(), "12.75");
    EXPECT_GT(Changes, 0);
}

TEST_F(PanelFixture, DefaultsAndChangeNotification) {
    TRangePanel range(Args(), -5, 5, -10, 10);
    TDateRangePanel dates(Args("EXDIVIDENDDATE"), QDate(1900, 1, 1), QDate(2999, 12, 31),
                          QDate(1900, 1, 1), QDate(2999, 12, 31));
    TRelativePanel relative(Args("PRICE52WEEKLOW"), QStringLiteral("Closing price"), 5, false,
                            "CLOSINGPRICE");
    TChoicePanel choice(Args("EXCHANGE"), {"NYSE", "AMEX", "NASDAQ"});
    TChoicePanelManualList manual(Args("SYMBOL"), {});
    EXPECT_EQ(Changes, 0) << "construction notifies nothing";

    EXPECT_EQ(range.Minimum(), -5);
    EXPECT_EQ(range.Maximum(), 5);
    EXPECT_EQ(dates.Minimum().date(), QDate(1900, 1, 1));
    EXPECT_EQ(dates.Maximum().date(), QDate(2999, 12, 31));
    EXPECT_EQ(relative.Percentage(), 5);
    EXPECT_FALSE(relative.HigherThan());
    EXPECT_EQ(relative.RelativeColumn(), "CLOSINGPRICE");
    EXPECT_EQ(relative.RelativeLabel()->text(), "Lower than Closing price by");
    EXPECT_EQ(choice.Items(), (std::vector<std::string>{"NYSE", "AMEX", "NASDAQ"}));
    EXPECT_TRUE(choice.SelectedItems().empty());
    EXPECT_EQ(manual.ItemCount(), 0);
    for (TFilterValuePanel* panel :
         std::initializer_list<TFilterValuePanel*>{&range, &dates, &relative, &choice, &manual}) {
        EXPECT_EQ(panel->GetUsage(), fuNotUsed);
        EXPECT_TRUE(panel->isHidden());
        EXPECT_EQ(panel->UsageGroup()->title(), "Filter usage");
    }
    EXPECT_EQ(range.DescriptionArea()->toPlainText(), "Line one\nLine two");
    EXPECT_EQ(choice.DescriptionArea()->toPlainText(),
              "Use Ctrl-Left click to select multiple items.\n\nLine one\nLine two");
    EXPECT_EQ(manual.DescriptionArea()->toPlainText(),
              "Right-click in the list below to add or remove items.\n\nLine one\nLine two");

    // Every value control reports each change.
    range.SetMinimum(1);
    range.SetMaximum(2);
    dates.SetMinimum(QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
    dates.MaxDatePicker()->SetDate(QDate(2001, 1, 1));
    relative.SetPercentage(7);
    choice.SetSelected(1, true);
    EXPECT_EQ(Changes, 6);
    range.SetMinimum(1); // no change, no notification
    EXPECT_EQ(Changes, 6);
}

TEST_F(PanelFixture, ChoiceSelectionIgnoresLetterCase) {
    TChoicePanel choice(Args("EXCHANGE"), {"NYSE", "AMEX", "TSX-V"});
    EXPECT_TRUE(choice.SelectItem("tsx-v"));
    EXPECT_FALSE(choice.SelectItem("LSE"));
    EXPECT_EQ(choice.SelectedItems(), std::vector<std::string>{"TSX-V"});
}

TEST_F(PanelFixture, DatePickerRejectsDatesOutsideItsBoundsAndKeepsItsTimeOfDay) {
    TDateRangePanel dates(Args("EXDIVIDENDDATE"), QDate(1900, 1, 1), QDate(2999, 12, 31),
                          QDate(1900, 1, 1), QDate(2999, 12, 31));
    const QTime created = dates.Minimum().time();
    dates.MinDatePicker()->SetDate(QDate(2007, 3, 15));
    EXPECT_EQ(dates.Minimum(), QDateTime(QDate(2007, 3, 15), created));

    const QString low = QLocale().toString(QDate(1900, 1, 1), QLocale::ShortFormat);
    const QString high = QLocale().toString(QDate(2999, 12, 31), QLocale::ShortFormat);
    struct Case {
        QDateTime value;
        QString message;
    } cases[] = {
        {QDateTime(QDate(1899, 12, 30), QTime(0, 0)), "Date is less than minimum of " + low},
        {QDateTime(), "Date is less than minimum of " + low},
        {QDateTime(QDate(3000, 1, 1), QTime(0, 0)), "Date exceeds maximum of " + high},
    };
    for (const Case& c : cases) {
        try {
            dates.SetMaximum(c.value);
            ADD_FAILURE() << "accepted " << c.value.toString().toStdString();
        } catch (const Exception& e) {
            EXPECT_EQ(QString::fromStdString(e.Message()), c.message);
        }
        EXPECT_EQ(dates.Maximum().date(), QDate(2999, 12, 31));
    }
    dates.SetMaximum(QDateTime(QDate(2010, 5, 6), QTime(10, 42, 7)));
    EXPECT_EQ(dates.Maximum(), QDateTime(QDate(2010, 5, 6), QTime(10, 42, 7)));
}

TEST_F(PanelFixture, EnablingFollowsTheUsage) {
    TRangePanel range(Args(), 0, 10, 0, 10);
    TDateRangePanel dates(Args("DIVIDENDDATE"), QDate(1900, 1, 1), QDate(2999, 12, 31),
                          QDate(1900, 1, 1), QDate(2999, 12, 31));
    TRelativePanel relative(Args("PRICE52WEEKHIGH"), QStringLiteral("Closing price"), 25, true,
                            "CLOSINGPRICE");
    TChoicePanel choice(Args("EXCHANGE"), {"NYSE"});
    TChoicePanelManualList manual(Args("SYMBOL"), {});
    struct Kind {
        TFilterValuePanel* panel;
        std::vector<QWidget*> values;
    } kinds[] = {
        {&range, {range.MinEdit(), range.MaxEdit()}},
        {&dates, {dates.MinDatePicker(), dates.MaxDatePicker()}},
        {&relative, {relative.PercentEdit()}},
        {&choice, {choice.ItemList()}},
        {&manual, {manual.ItemList()}},
    };
    range.SetMinimum(3);
    for (TFilterUsage usage : {fuUseFilter, fuDisplayOnly, fuNotUsed, fuUseFilter}) {
        for (const Kind& kind : kinds) {
            kind.panel->SetUsage(usage);
            kind.panel->UsageGroupClick();
            SCOPED_TRACE(kind.panel->ColumnName() + " usage " + std::to_string(usage));
            EXPECT_EQ(kind.panel->GetUsage(), usage);
            EXPECT_EQ(kind.panel->TitleLabel()->isEnabledTo(&Parent), usage != fuNotUsed);
            EXPECT_TRUE(kind.panel->UsageGroup()->isEnabledTo(&Parent));
            EXPECT_TRUE(kind.panel->DescriptionArea()->isEnabledTo(&Parent));
            for (QWidget* value : kind.values)
                EXPECT_EQ(value->isEnabledTo(&Parent), usage == fuUseFilter);
            for (QLabel* label : kind.panel->LeftColumn()->findChildren<QLabel*>()) {
                if (label != kind.panel->TitleLabel()) {
                    EXPECT_TRUE(label->isEnabledTo(&Parent)) << label->text().toStdString();
                }
            }
        }
    }
    EXPECT_EQ(range.Minimum(), 3) << "greying keeps the values";
}

// The manual list with scripted input dialogs.
struct ManualListTest : PanelFixture {
    TScriptedDialogs Dialogs;
    std::unique_ptr<TChoicePanelManualList> Panel;

    void SetUp() override {
        Panel =
            std::make_unique<TChoicePanelManualList>(Args("SYMBOL"), std::vector<std::string>{});
        Panel->SetUsage(fuUseFilter);
        Panel->UsageGroupClick();
    }
    void Add(const QString& typed, bool refused = false) {
        Dialogs.ExpectInputQuery(true, typed);
        if (refused)
            Dialogs.ExpectInformation();
        Panel->AddItemClick();
    }
};

TEST_F(ManualListTest, SymbolInputs) {
    struct Case {
        QString typed;
        bool accepted;
        QString stored;
    } cases[] = {
        {"us:msft", true, "US:MSFT"}, {"us::MSFT", true, "US::MSFT"},
        {" ca:pca", true, " CA:PCA"}, {":MSFT", false, {}},
        {"us:", false, {}},           {"MSFT", false, {}},
        {"ca:a:b", false, {}},        {"", false, {}},
        {"us:ms\nft", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        Panel->ItemList()->clear();
        Add(c.typed, !c.accepted);
        Dialogs.VerifyAllShown();
        if (c.accepted) {
            EXPECT_EQ(Panel->Items(), std::vector<std::string>{c.stored.toStdString()});
        } else {
            EXPECT_EQ(Panel->ItemCount(), 0);
            EXPECT_EQ(Dialogs.LastMessage().Text,
                      "Symbol must be specified as Country:Symbol\rFor example, us:MSFT.");
        }
    }
}

TEST_F(ManualListTest, DuplicatesAndCancelAddNothingSilently) {
    Add("us:msft");
    Add("US:MSFT");
    Add("Us:Msft");
    Dialogs.ExpectInputQuery(false, "ca:pca");
    Panel->AddItemClick();
    Dialogs.VerifyAllShown();
    EXPECT_TRUE(Dialogs.Messages.empty());
    EXPECT_EQ(Panel->Items(), std::vector<std::string>{"US:MSFT"});
}

TEST_F(ManualListTest, RemovesOnlyTheFocusedItem) {
    for (const char* symbol : {"us:a", "us:b", "us:c"})
        Add(symbol);
    QListWidget* list = Panel->ItemList();
    list->setCurrentRow(1);
    list->item(0)->setSelected(true);
    list->item(2)->setSelected(true);
    Panel->RemoveItemClick();
    EXPECT_EQ(Panel->Items(), (std::vector<std::string>{"US:A", "US:C"}));

    list->clear();
    QTest::keyClick(list, Qt::Key_Delete); // empty list: nothing happens
    EXPECT_EQ(Panel->ItemCount(), 0);
}

TEST_F(ManualListTest, KeysAndMenuEditTheList) {
    QListWidget* list = Panel->ItemList();
    Dialogs.ExpectInputQuery(true, "us:ibm");
    QTest::keyClick(list, Qt::Key_Insert);
    Dialogs.VerifyAllShown();
    ASSERT_EQ(Panel->Items(), std::vector<std::string>{"US:IBM"});
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(Panel->ItemCount(), 0);

    const QList<QAction*> actions = Panel->PopupMenu()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), "Add");
    EXPECT_EQ(actions[1]->text(), "Remove");
    Dialogs.ExpectInputQuery(true, "us:t");
    actions[0]->trigger();
    list->setCurrentRow(0);
    actions[1]->trigger();
    EXPECT_EQ(Panel->ItemCount(), 0);
}

TEST_F(ManualListTest, DisabledListCannotBeEditedByAnyPath) {
    Add("us:msft");
    Panel->ItemList()->setCurrentRow(0);
    for (TFilterUsage usage : {fuDisplayOnly, fuNotUsed}) {
        Panel->SetUsage(usage);
        Panel->UsageGroupClick();
        QTest::keyClick(Panel->ItemList(), Qt::Key_Insert);
        QTest::keyClick(Panel->ItemList(), Qt::Key_Delete);
        Panel->AddItemClick();
        Panel->RemoveItemClick();
        for (QAction* action : Panel->PopupMenu()->actions())
            action->trigger();
        emit Panel->ItemList()->customContextMenuRequested(QPoint(1, 1));
        EXPECT_FALSE(Panel->PopupMenu()->isVisible());
    }
    EXPECT_TRUE(Dialogs.Messages.empty()); // no input dialog was asked for either
    EXPECT_EQ(Panel->Items(), std::vector<std::string>{"US:MSFT"});
}

TEST_F(ManualListTest, FileItemsAreTakenAsTheyAre) {
    Panel->AppendItem("us:ibm");
    Panel->AppendItem("us:ibm");
    EXPECT_EQ(Panel->Items(), (std::vector<std::string>{"us:ibm", "us:ibm"}));
}

} // namespace
