#include "grid/CsvText.h"
#include "grid/TStringGridEx.h"
#include "support/Exception.h"

#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

class GridTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    // Column 0 holds `keys`, column 1 a row tag, so whole-row moves show.
    void Fill(const std::vector<std::string>& keys) {
        std::vector<std::vector<std::string>> table{{"Key", "Tag"}};
        for (size_t i = 0; i < keys.size(); ++i)
            table.push_back({keys[i], "r" + std::to_string(i)});
        Grid.SetTable(table);
        for (size_t i = 0; i < keys.size(); ++i)
            TagOf[keys[i]] = "r" + std::to_string(i);
    }

    std::vector<std::string> Column(int col) const {
        std::vector<std::string> out;
        for (int r = 1; r < Grid.RowCount(); ++r)
            out.push_back(Grid.Cells(col, r).toStdString());
        return out;
    }

    void ExpectRowsKept() {
        for (int r = 1; r < Grid.RowCount(); ++r)
            EXPECT_EQ(Grid.Cells(1, r).toStdString(), TagOf[Grid.Cells(0, r).toStdString()])
                << "row " << r;
    }

    TStringGridEx Grid;
    std::map<std::string, std::string> TagOf;
};

TEST_F(GridTest, HeaderClicksSortWholeRows) {
    struct Case {
        const char* name;
        std::vector<std::string> keys;
        int clicks;
        std::vector<std::string> expected;
    } cases[] = {
        {"numbers", {"10", "9", "100"}, 1, {"9", "10", "100"}},
        {"numbers descending", {"10", "9", "100"}, 2, {"100", "10", "9"}},
        {"back to ascending", {"10", "9", "100"}, 3, {"9", "10", "100"}},
        {"text without case", {"b", "A", "c"}, 1, {"A", "b", "c"}},
        {"blanks first", {"b", "", "a", "\t "}, 1, {"", "\t ", "a", "b"}},
        {"blanks last descending", {"b", "", "a", "\t "}, 2, {"b", "a", "\t ", ""}},
        {"one data row", {"x"}, 2, {"x"}},
        {"one non-blank row", {"", "x"}, 2, {"", "x"}},
        {"text among numbers", {"10", "n/a", "9"}, 1, {"9", "10", "n/a"}},
        {"dates", {"3/15/07", "1/2/2008", "12/1/06"}, 1, {"12/1/06", "3/15/07", "1/2/2008"}},
        {"currency", {"$1,234.50", "$99.00", "$5"}, 1, {"$5", "$99.00", "$1,234.50"}},
        {"equal keys", {"b", "a", "B", "A", "b"}, 1, {"A", "a", "b", "b", "B"}},
        {"blank exchanged to the top", {"b", "B", "", "a"}, 1, {"", "a", "b", "B"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Grid.SetSortColumn(-1);
        Fill(c.keys);
        for (int i = 0; i < c.clicks; ++i)
            Grid.HeaderClick(0, 0);
        EXPECT_EQ(Column(0), c.expected);
        EXPECT_EQ(Grid.SortColumn(), 0);
        EXPECT_EQ(Grid.SortAscending(), c.clicks % 2 == 1);
        if (c.keys.size() == std::set<std::string>(c.keys.begin(), c.keys.end()).size())
            ExpectRowsKept();
    }
}

TEST_F(GridTest, AnotherColumnStartsAscendingAndOnlyTheHeaderRowSorts) {
    Grid.SetTable({{"A", "B"}, {"1", "z"}, {"2", "y"}, {"3", "x"}});
    std::vector<std::pair<int, int>> captionClicks;
    Grid.OtherCaptionClick = [&](TStringGridEx& grid, int col, int row) {
        EXPECT_EQ(&grid, &Grid);
        captionClicks.emplace_back(col, row);
    };

    Grid.HeaderClick(0, 0);
    Grid.HeaderClick(0, 0);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"3", "2", "1"}));
    Grid.HeaderClick(1, 1); // not the header row: no sorting, handler still told
    EXPECT_EQ(Grid.SortColumn(), 0);
    EXPECT_FALSE(Grid.SortAscending());
    Grid.HeaderClick(1, 0);
    EXPECT_EQ(Grid.SortColumn(), 1);
    EXPECT_TRUE(Grid.SortAscending());
    EXPECT_EQ(Column(1), (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(captionClicks, (std::vector<std::pair<int, int>>{{0, 0}, {0, 0}, {1, 1}, {1, 0}}));

    // A column set to skNone, and a column outside the grid, sort nothing.
    Grid.Attachments().SetColInfo(0, skNone);
    EXPECT_EQ(Grid.ColumnSortKind(0), skNone);
    Grid.HeaderClick(0, 0);
    Grid.SetSortColumn(7);
    Grid.SortRows();
    EXPECT_EQ(Column(1), (std::vector<std::string>{"x", "y", "z"}));
}

TEST_F(GridTest, MouseClickOnACaptionSorts) {
    Grid.resize(300, 200);
    Grid.show();
    Fill({"10", "9", "100"});
    QHeaderView* header = Grid.horizontalHeader();
    const QPoint centre(header->sectionViewportPosition(0) + header->sectionSize(0) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"9", "10", "100"}));
}

TEST_F(GridTest, SortColumnFollowsMovedColumns) {
    struct Case {
        int sorted, from, to, expected;
    } cases[] = {
        {2, 2, 0, 0}, {2, 2, 3, 3}, {2, 0, 3, 1}, {2, 0, 2, 1},   {2, 3, 1, 3},
        {2, 3, 2, 3}, {2, 0, 1, 2}, {2, 3, 4, 2}, {-1, 0, 3, -1},
    };
    for (bool byDrag : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.sorted << ": " << c.from << " -> " << c.to
                                            << (byDrag ? " dragged" : ""));
            Grid.SetTable({{"c0", "c1", "c2", "c3", "c4"}, {"0", "1", "2", "3", "4"}});
            for (int col = 0; col < 5; ++col)
                Grid.SetColWidths(col, 50 + col);
            Grid.SetSortColumn(c.sorted);
            if (byDrag)
                Grid.horizontalHeader()->moveSection(c.from, c.to);
            else
                Grid.MoveColumn(c.from, c.to);
            EXPECT_EQ(Grid.SortColumn(), c.expected);
            EXPECT_EQ(Grid.Cells(c.to, 0), QString("c%1").arg(c.from));
            EXPECT_EQ(Grid.Cells(c.to, 1), QString::number(c.from));
            EXPECT_EQ(Grid.ColWidths(c.to), 50 + c.from);
            for (int v = 0; v < 5; ++v)
                EXPECT_EQ(Grid.horizontalHeader()->logicalIndex(v), v);
        }
}

TEST_F(GridTest, TableCarriesWindows1252Texts) {
    Grid.SetTable({{"Name", "Price"}, {"\x80uro"}, {"caf\xE9", "1.5", "extra"}});
    EXPECT_EQ(Grid.RowCount(), 3);
    EXPECT_EQ(Grid.ColCount(), 3);
    EXPECT_EQ(Grid.Cells(0, 1), QString::fromUtf8("\u20ACuro"));
    EXPECT_EQ(Grid.Cells(0, 2), QString::fromUtf8("caf\u00E9"));
    const auto table = Grid.Table();
    EXPECT_EQ(table, (std::vector<std::vector<std::string>>{
                         {"Name", "Price", ""}, {"\x80uro", "", ""}, {"caf\xE9", "1.5", "extra"}}));
    EXPECT_THROW(Grid.Cells(3, 0), Exception);
    EXPECT_THROW(Grid.SetCells(0, 3, "x"), Exception);

    Grid.SetTable({});
    EXPECT_EQ(Grid.RowCount(), 1);
    EXPECT_EQ(Grid.ColCount(), 0);
}

TEST(CsvText, QuotesOnlyCellsHoldingTheSeparator) {
    struct Case {
        char separator, quote;
        std::string cell, expected;
    } cases[] = {
        {',', '"', "a,b", "\"a,b\""},
        {',', '"', "say \"hi\"", "say \"hi\""},
        {',', '"', "x,\"y\"", "\"x,\"\"y\"\"\""},
        {',', '"', "", ""},
        {';', '\'', "a,b", "a,b"},
        {';', '\'', "it's;", "'it''s;'"},
        {',', '"', "two\r\nlines \"x\"", "\"two\r\nlines \"\"x\"\"\""},
        {',', '"', "cr\ronly", "\"cr\ronly\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CsvCell(c.cell, c.separator, c.quote), c.expected) << c.cell;
    EXPECT_EQ(CsvLine({"a", "", "b,c"}, ',', '"'), "a,,\"b,c\"");
}

TEST_F(GridTest, SaveToCsvWritesWindows1252LinesWithCrLf) {
    QTemporaryDir dir;
    const QString path = dir.filePath("results.csv");
    Grid.SetTable({{"Company Name", "Price"}, {"Smith, Jones", "\x80 5"}, {"The \"Best\"", ""}});
    std::vector<std::pair<int, int>> progress;
    Grid.OnSaveProgress = [&](TStringGridEx&, int position, int count) {
        progress.emplace_back(position, count);
    };

    Grid.SaveToCsv(path, ',', '"');
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(),
              "Company Name,Price\r\n\"Smith, Jones\",\x80 5\r\nThe \"Best\",\r\n");
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 3}}));

    EXPECT_THROW(Grid.SaveToCsv(dir.filePath("missing/results.csv")), Exception);
}

TEST_F(GridTest, SaveAsExcelWritesAWorkbookOfTheCells) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromUtf8("r\u00E9sults.xls"));
    Grid.SetTable({{"Symbol", "Price"}, {"IBM", "12.50"}});
    int notices = 0;
    Grid.OnSaveProgress = [&](TStringGridEx& grid, int, int count) {
        EXPECT_EQ(&grid, &Grid);
        EXPECT_EQ(count, 2);
        ++notices;
    };
    Grid.SaveAsExcel(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(4).toHex().toStdString(), "d0cf11e0"); // compound document
    EXPECT_EQ(notices, 4);
}

TEST_F(GridTest, SelectedRowIsTheSelectedDataRow) {
    Grid.resize(300, 200);
    Grid.show();
    Fill({"a", "b", "c"});
    EXPECT_EQ(Grid.SelectedRow(), -1);
    const QRect cell = Grid.visualRect(Grid.model()->index(2, 1));
    QTest::mouseClick(Grid.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(Grid.SelectedRow(), 3);
    Grid.SelectRow(1);
    EXPECT_EQ(Grid.SelectedRow(), 1);
    Grid.setSelectionBehavior(QAbstractItemView::SelectItems);
    EXPECT_EQ(Grid.SelectedRow(), -1);
}

TEST_F(GridTest, MultiSelectionFollowsClicksWithCtrlAndShift) {
    Grid.resize(300, 300);
    Grid.show();
    Fill({"a", "b", "c", "d", "e", "f"});
    Grid.SetMultiSelect(true);
    auto click = [&](int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(Grid.viewport(), Qt::LeftButton, modifiers,
                          Grid.visualRect(Grid.model()->index(row - 1, 0)).center());
        return Grid.MultiSelection();
    };
    using Rows = std::vector<int>;
    EXPECT_EQ(click(2), Rows{2});
    EXPECT_EQ(click(4, Qt::ControlModifier), (Rows{2, 4}));
    EXPECT_EQ(click(2, Qt::ControlModifier), Rows{4});
    EXPECT_EQ(click(6, Qt::ShiftModifier), (Rows{2, 3, 4, 5, 6})); // from the last Ctrl-clicked row
    EXPECT_EQ(click(3), Rows{3});
    QTest::keyClick(&Grid, Qt::Key_Down);
    EXPECT_TRUE(Grid.MultiSelection().empty());
    click(5);
    Grid.HeaderClick(0, 0);
    EXPECT_TRUE(Grid.MultiSelection().empty());
    click(1);
    Grid.SetMultiSelect(false);
    EXPECT_TRUE(Grid.MultiSelection().empty());
    click(2);
    EXPECT_TRUE(Grid.MultiSelection().empty());
    EXPECT_EQ(Grid.SelectedRow(), 2);
}

// The grid as painted: pixel colours of rows and of the sort arrow.
class GridPaintTest : public GridTest {
protected:
    void SetUp() override {
        GridTest::SetUp();
        Grid.resize(400, 200);
        Fill({"a", "b", "c", "d"});
        for (int col = 0; col < 2; ++col)
            Grid.SetColWidths(col, 120);
        Grid.show();
    }

    QRgb RowColour(int row) {
        const QImage image = Grid.viewport()->grab().toImage();
        const QRect cell = Grid.visualRect(Grid.model()->index(row - 1, 0));
        return image.pixel(cell.right() - 10, cell.center().y()) & 0xFFFFFF;
    }

    // Does the header show `arrow` with its bottom-right corner at the
    // bottom-right corner of column `col`'s caption?
    bool ArrowAt(int col, const QPixmap& arrow) {
        QHeaderView* header = Grid.horizontalHeader();
        const QImage image = header->viewport()->grab().toImage();
        const QImage picture = arrow.toImage();
        const int right = header->sectionViewportPosition(col) + header->sectionSize(col);
        const int bottom = header->viewport()->height();
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if ((image.pixel(right - picture.width() + x, bottom - picture.height() + y) &
                     0xFFFFFF) != (picture.pixel(x, y) & 0xFFFFFF))
                    return false;
        return true;
    }
};

TEST_F(GridPaintTest, EverySecondDataRowIsShadedExceptTheSelectedOne) {
    const QRgb base = Grid.palette().color(QPalette::Base).rgb() & 0xFFFFFF;
    const QRgb shade = TStringGridEx::ShadeColour & 0xFFFFFF;
    EXPECT_EQ(RowColour(1), base);
    EXPECT_EQ(RowColour(2), shade);
    EXPECT_EQ(RowColour(3), base);
    EXPECT_EQ(RowColour(4), shade);
    Grid.SelectRow(2);
    EXPECT_NE(RowColour(2), shade);
    EXPECT_NE(RowColour(2), base);
    EXPECT_EQ(RowColour(4), shade);
}

TEST_F(GridPaintTest, ArrowMarksTheSortedColumnAndMovesWithIt) {
    ASSERT_FALSE(Grid.AscendingArrow().isNull());
    ASSERT_FALSE(Grid.DescendingArrow().isNull());
    EXPECT_EQ(Grid.AscendingArrow().size(), QSize(20, 20));
    EXPECT_EQ(Grid.DescendingArrow().size(), QSize(18, 18));
    EXPECT_FALSE(ArrowAt(0, Grid.AscendingArrow()));

    Grid.HeaderClick(0, 0);
    EXPECT_TRUE(ArrowAt(0, Grid.AscendingArrow()));
    EXPECT_FALSE(ArrowAt(1, Grid.AscendingArrow()));
    Grid.HeaderClick(0, 0);
    EXPECT_TRUE(ArrowAt(0, Grid.DescendingArrow()));
    Grid.horizontalHeader()->moveSection(0, 1);
    EXPECT_TRUE(ArrowAt(1, Grid.DescendingArrow()));
    EXPECT_FALSE(ArrowAt(0, Grid.DescendingArrow()));
}

TEST(GridAttachments, StayOrderedAndFollowMovedColumnsAndRows) {
    TGridAttachments attachments;
    attachments.SetColInfo(3, skNumeric, 30);
    attachments.SetColInfo(1, skText, 10);
    attachments.SetColInfo(1, skCurrency, 11); // replaces
    attachments.SetRowKey(5, 50);
    attachments.SetRowKey(2, 20);
    attachments.SetCellIcon(1, 4, QPixmap());
    ASSERT_EQ(attachments.ColInfos().size(), 2u);
    EXPECT_EQ(attachments.ColInfos()[0].Col, 1);
    EXPECT_EQ(attachments.FindColInfo(1)->SortKind, skCurrency);
    EXPECT_EQ(attachments.FindColInfo(2), nullptr);

    attachments.ColumnMoved(3, 0); // 3 -> 0, 1 -> 2
    EXPECT_EQ(attachments.FindColInfo(0)->Tag, 30);
    EXPECT_EQ(attachments.FindColInfo(2)->Tag, 11);
    EXPECT_EQ(attachments.ColInfos()[0].Col, 0);
    EXPECT_NE(attachments.FindCellIcon(2, 4), nullptr);

    attachments.RowMoved(2, 5); // 2 -> 5, 5 -> 4, 4 -> 3
    EXPECT_EQ(attachments.FindRowKey(5)->Key, 20);
    EXPECT_EQ(attachments.FindRowKey(4)->Key, 50);
    EXPECT_NE(attachments.FindCellIcon(2, 3), nullptr);
    EXPECT_EQ(attachments.RowKeys()[0].Row, 4);
}

} // namespace
