#include "filter/FieldCatalogue.h"
#include "filter/TFilterFm.h"
#include "filter/TFilterValuePanel.h"
#include "filter/TGridSplitter.h"
#include "filter/TNumEdit.h"
#include "filter/TRangePanel.h"
#include "support/AppEnvironment.h"

#include <QApplication>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

struct FilterEditorTest : ::testing::Test {
    std::unique_ptr<TFilterFm> Editor;

    void SetUp() override {
        qb::SetSettingsFilePath(QStringLiteral("/nonexistent/quillbrook.ini"));
        Editor = std::make_unique<TFilterFm>(nullptr, QStringList{});
        Editor->BuildFieldTree();
        Editor->MainPanel()->resize(900, 600);
        Editor->MainPanel()->show();
    }
    QTreeWidget* Tree() const { return Editor->TreeView(); }
    QTreeWidgetItem* Category(int i) const { return Tree()->topLevelItem(i); }
    TFilterValuePanel* Panel(const char* column) const { return Editor->FindPanel(column); }
    void Use(const char* column, TFilterUsage usage) {
        TFilterValuePanel* panel = Panel(column);
        panel->SetUsage(usage);
        panel->UsageGroupClick();
    }
};

TEST_F(FilterEditorTest, NewEditorHoldsTheCatalogueGreyedAndUnchanged) {
    const auto& categories = TFieldCatalogue::Categories();
    const auto& fields = TFieldCatalogue::Fields();
    ASSERT_EQ(Tree()->topLevelItemCount(), static_cast<int>(categories.size()));
    size_t field = 0;
    for (int c = 0; c < Tree()->topLevelItemCount(); ++c) {
        QTreeWidgetItem* category = Category(c);
        EXPECT_EQ(category->text(0).toStdString(), categories[c].Name);
        EXPECT_EQ(TFilterFm::NodeImageIndex(category), categories[c].IconNumber + 7);
        EXPECT_FALSE(category->isExpanded());
        EXPECT_EQ(TFilterFm::NodePanel(category), nullptr);
        for (int f = 0; f < category->childCount(); ++f, ++field) {
            QTreeWidgetItem* node = category->child(f);
            ASSERT_LT(field, fields.size());
            const TFieldDef& def = fields[field];
            TFilterValuePanel* panel = TFilterFm::NodePanel(node);
            ASSERT_NE(panel, nullptr);
            EXPECT_EQ(node->text(0).toStdString(), def.Caption);
            EXPECT_EQ(panel->GetCaption().toStdString(), def.Caption);
            EXPECT_EQ(panel->ColumnName(), def.ColumnName);
            EXPECT_EQ(panel->Kind(), def.Kind);
            EXPECT_EQ(panel->Node(), node);
            EXPECT_EQ(panel->GetUsage(), fuNotUsed);
            EXPECT_TRUE(panel->isHidden());
            EXPECT_EQ(TFilterFm::NodeImageIndex(node), categories[c].IconNumber + 7);
            if (auto* range = dynamic_cast<TRangePanel*>(panel)) {
                EXPECT_EQ(range->Minimum(), def.LowerBound) << def.ColumnName;
                EXPECT_EQ(range->Maximum(), def.UpperBound) << def.ColumnName;
            }
        }
    }
    EXPECT_EQ(field, fields.size());
    EXPECT_EQ(Editor->Panels().size(), fields.size());
    EXPECT_EQ(Tree()->currentItem(), nullptr);
    EXPECT_FALSE(Editor->Modified());
    EXPECT_EQ(Editor->FilterPanel()->height(), TFilterFm::FilterPanelHeight);
}

TEST_F(FilterEditorTest, CategoryIconFollowsItsUsedFields) {
    QTreeWidgetItem* price = Category(0);
    QTreeWidgetItem* closing = Editor->FindNode("CLOSINGPRICE");
    QTreeWidgetItem* high = Editor->FindNode("PRICE52WEEKHIGH");
    struct Step {
        const char* column;
        TFilterUsage usage;
        int closingIcon, highIcon, categoryIcon;
    } steps[] = {
        {"CLOSINGPRICE", fuUseFilter, 0, 7, 0},  {"PRICE52WEEKHIGH", fuDisplayOnly, 0, 0, 0},
        {"CLOSINGPRICE", fuNotUsed, 7, 0, 0},    // a sibling is still used
        {"PRICE52WEEKHIGH", fuNotUsed, 7, 7, 7}, // the last one greys the category
        {"PRICE52WEEKHIGH", fuNotUsed, 7, 7, 7},
    };
    for (const Step& s : steps) {
        Use(s.column, s.usage);
        SCOPED_TRACE(std::string(s.column) + " " + std::to_string(s.usage));
        EXPECT_EQ(TFilterFm::NodeImageIndex(closing), s.closingIcon);
        EXPECT_EQ(TFilterFm::NodeImageIndex(high), s.highIcon);
        EXPECT_EQ(TFilterFm::NodeImageIndex(price), s.categoryIcon);
        EXPECT_EQ(TFilterFm::AnyChildUsed(price), s.categoryIcon == 0);
    }
    EXPECT_EQ(TFilterFm::NodeImageIndex(Category(3)), 4 + 7) << "Company uses icon 4";
    EXPECT_TRUE(Editor->Modified());

    // Setting the same state twice changes nothing.
    TFilterFm::SetNodeActive(price, true);
    TFilterFm::SetNodeActive(price, true);
    EXPECT_EQ(TFilterFm::NodeImageIndex(price), 0);
    TFilterFm::SetNodeActive(price, false);
    TFilterFm::SetNodeActive(price, false);
    EXPECT_EQ(TFilterFm::NodeImageIndex(price), 7);
    EXPECT_FALSE(TFilterFm::IsNodeUsed(nullptr));
    EXPECT_FALSE(TFilterFm::IsNodeUsed(price));
}

TEST_F(FilterEditorTest, SelectingAFieldBringsItsPanelToTheFront) {
    QTreeWidgetItem* closing = Editor->FindNode("CLOSINGPRICE");
    Tree()->setCurrentItem(closing);
    EXPECT_EQ(Editor->FrontPanel(), Panel("CLOSINGPRICE"));
    EXPECT_FALSE(Panel("CLOSINGPRICE")->isHidden());
    Tree()->setCurrentItem(Category(0));
    EXPECT_EQ(Editor->FrontPanel(), Panel("CLOSINGPRICE"));
    Tree()->expandItem(Category(3));
    Tree()->scrollToItem(Editor->FindNode("EXCHANGE"));
    QTest::mouseClick(Tree()->viewport(), Qt::RightButton, {},
                      Tree()->visualItemRect(Editor->FindNode("EXCHANGE")).center());
    EXPECT_EQ(Tree()->currentItem(), Editor->FindNode("EXCHANGE")) << "right click selects";
    EXPECT_EQ(Editor->FrontPanel(), Panel("EXCHANGE"));
    // The panel right of the tree fills the rest of the field panel.
    const QRect area = Panel("EXCHANGE")->geometry();
    EXPECT_EQ(area.left(), TFilterFm::TreeWidth);
    EXPECT_EQ(area.right(), Editor->FieldPanel()->width() - 1);
    EXPECT_FALSE(Editor->Modified());
}

TEST_F(FilterEditorTest, HintOnCollapsedCategoriesOnly) {
    Tree()->expandItem(Category(0));
    const auto at = [this](QTreeWidgetItem* node) { return Tree()->visualItemRect(node).center(); };
    struct Step {
        QTreeWidgetItem* node;
        QString hint;
    } steps[] = {
        {Category(1), "Double click to open earnings section"},
        {Editor->FindNode("CLOSINGPRICE"), {}},
        {Category(1), "Double click to open earnings section"},
        {Category(0), {}}, // expanded
        {Category(4), "Double click to open other fundamentals section"},
    };
    for (const Step& s : steps) {
        Editor->TreeViewMouseMove(at(s.node));
        EXPECT_EQ(Tree()->toolTip(), s.hint) << s.node->text(0).toStdString();
        EXPECT_EQ(Editor->LastHintNode(), s.hint.isEmpty() ? nullptr : s.node);
    }
    Tree()->collapseItem(Category(0));
    Editor->TreeViewMouseMove(QPoint(5, Tree()->viewport()->height() - 2)); // below the nodes
    EXPECT_TRUE(Tree()->toolTip().isEmpty());
}

TEST_F(FilterEditorTest, ColumnCaptions) {
    struct Case {
        const char* name;
        const char* caption;
    } cases[] = {
        {"companyname", "Company Name"},
        {"CompanyName", "Company Name"},
        {"MARKETCAP", "Market capitalization"},
        {"exchange", "Exchange"},
        {"PRICE52WEEKHIGH", "52 week high"},
        {"COUNTRY", "Country"},
        {"x", "X"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Editor->ColumnCaption(c.name), c.caption) << c.name;
}

TEST_F(FilterEditorTest, ValueChangesSetModified) {
    static_cast<TRangePanel*>(Panel("BETA"))->SetMinimum(1);
    EXPECT_TRUE(Editor->Modified());
    Editor->SetModified(false);
    Use("SYMBOL", fuDisplayOnly);
    EXPECT_TRUE(Editor->Modified());

    // A click on a usage item reacts like the file loader's call.
    Editor->SetModified(false);
    Panel("BETA")->UsageButton(fuUseFilter)->click();
    EXPECT_EQ(Panel("BETA")->GetUsage(), fuUseFilter);
    EXPECT_TRUE(Editor->Modified());
    EXPECT_TRUE(static_cast<TRangePanel*>(Panel("BETA"))->MinEdit()->isEnabledTo(Panel("BETA")));
    EXPECT_EQ(TFilterFm::NodeImageIndex(Editor->FindNode("BETA")), 3);
}

TEST_F(FilterEditorTest, SplitterSetsTheFilterHeightDownToItsMinimum) {
    TGridSplitter* splitter = Editor->GridSplitter();
    const auto send = [splitter](QEvent::Type type, int globalY, Qt::MouseButtons buttons) {
        const QPointF global(10, globalY);
        QMouseEvent event(type, QPointF(1, 1), global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(splitter, &event);
    };
    send(QEvent::MouseButtonPress, 500, Qt::LeftButton);
    send(QEvent::MouseMove, 550, Qt::LeftButton);
    EXPECT_EQ(Editor->FilterPanel()->height(), TFilterFm::FilterPanelHeight + 50);
    send(QEvent::MouseMove, 0, Qt::LeftButton);
    EXPECT_EQ(Editor->FilterPanel()->height(), TFilterFm::FilterPanelMinHeight);
    send(QEvent::MouseButtonRelease, 0, Qt::NoButton);
    send(QEvent::MouseMove, 400, Qt::NoButton); // not dragging any more
    EXPECT_EQ(Editor->FilterPanel()->height(), TFilterFm::FilterPanelMinHeight);
}

TEST(FilterEditorLifetime, EditorDeletesItsPanelsAlsoWhenPlacedInAWindow) {
    auto window = std::make_unique<QWidget>();
    QPointer<QWidget> panel;
    {
        TFilterFm editor(window.get(), {});
        editor.BuildFieldTree();
        editor.MainPanel()->setParent(window.get());
        panel = editor.Panels().front();
    }
    EXPECT_TRUE(panel.isNull());
    // And the window going first leaves the editor safe to destroy.
    auto editor = std::make_unique<TFilterFm>(window.get(), QStringList{});
    editor->BuildFieldTree();
    editor->MainPanel()->setParent(window.get());
    window.reset();
    editor.reset();
}

} // namespace
