#include "grid/TStringGridEx.h"

#include "grid/CsvText.h"
#include "grid/ExcelExport.h"
#include "grid/GridCellDelegate.h"
#include "grid/GridHeader.h"
#include "grid/GridModel.h"
#include "grid/RowSorter.h"
#include "support/Exception.h"
#include "support/Require.h"
#include "support/TranslateText.h"
#include "support/Win1252.h"

#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

static void InitGridResources() {
    Q_INIT_RESOURCE(GridResources);
}

TStringGridEx::TStringGridEx(QWidget* parent) : QTableView(parent) {
    InitGridResources();
    FAscArrow.load(QStringLiteral(":/grid/GRIDASCSORTBMP"));
    FDescArrow.load(QStringLiteral(":/grid/GRIDDESCSORTBMP"));

    FModel = new TGridModel(this);
    FHeader = new TGridHeader(this);
    setHorizontalHeader(FHeader);
    setModel(FModel);
    setItemDelegate(new TGridCellDelegate(this));

    FHeader->SetArrows(FAscArrow, FDescArrow);
    FHeader->setSectionsMovable(true);
    FHeader->setSectionsClickable(true);
    FHeader->setHighlightSections(false);
    FHeader->setSortIndicatorShown(false);
    FHeader->setSectionResizeMode(QHeaderView::Interactive);
    FHeader->setStretchLastSection(false);
    FHeader->setDefaultSectionSize(64);
    FHeader->setMinimumHeight(20);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(20);

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setTabKeyNavigation(false);
    verticalScrollBar()->setTracking(true);
    horizontalScrollBar()->setTracking(true);

    connect(FHeader, &QHeaderView::sectionClicked, this, [this](int col) { HeaderClick(col, 0); });
    connect(FHeader, &QHeaderView::sectionMoved, this, &TStringGridEx::SectionMoved);
}

TStringGridEx::~TStringGridEx() = default;

int TStringGridEx::RowCount() const {
    return FModel->GridRows();
}

void TStringGridEx::SetRowCount(int rows) {
    FModel->SetGridRows(rows);
}

int TStringGridEx::ColCount() const {
    return FModel->GridCols();
}

void TStringGridEx::SetColCount(int cols) {
    FModel->SetGridCols(cols);
}

QString TStringGridEx::Cells(int col, int row) const {
    Require(col >= 0 && col < ColCount() && row >= 0 && row < RowCount(),
            "Grid index out of range");
    return FModel->Cell(col, row);
}

void TStringGridEx::SetCells(int col, int row, const QString& text) {
    Require(col >= 0 && col < ColCount() && row >= 0 && row < RowCount(),
            "Grid index out of range");
    FModel->SetCell(col, row, text);
}

void TStringGridEx::SetTable(const std::vector<std::vector<std::string>>& table) {
    size_t cols = 0;
    for (const auto& row : table)
        cols = std::max(cols, row.size());
    std::vector<std::vector<QString>> rows;
    rows.reserve(std::max<size_t>(table.size(), 1));
    for (const auto& row : table) {
        std::vector<QString>& out = rows.emplace_back();
        out.reserve(cols);
        for (const std::string& cell : row)
            out.push_back(qb::FromAnsi(cell));
    }
    FModel->SetAll(std::move(rows), static_cast<int>(cols));
}

std::vector<std::vector<std::string>> TStringGridEx::Table() const {
    std::vector<std::vector<std::string>> table(RowCount());
    for (int r = 0; r < RowCount(); ++r) {
        table[r].reserve(ColCount());
        for (const QString& cell : FModel->Row(r))
            table[r].push_back(qb::ToAnsi(cell));
    }
    return table;
}

int TStringGridEx::ColWidths(int col) const {
    return FHeader->sectionSize(col);
}

void TStringGridEx::SetColWidths(int col, int width) {
    FHeader->resizeSection(col, width);
}

int TStringGridEx::DefaultRowHeight() const {
    return verticalHeader()->defaultSectionSize();
}

void TStringGridEx::SetDefaultRowHeight(int height) {
    verticalHeader()->setDefaultSectionSize(height);
}

int TStringGridEx::SelectedRow() const {
    if (selectionBehavior() != QAbstractItemView::SelectRows ||
        selectionMode() != QAbstractItemView::SingleSelection || !selectionModel())
        return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return -1;
    int top = rows.front().row();
    for (const QModelIndex& i : rows)
        top = std::min(top, i.row());
    return top + 1;
}

void TStringGridEx::SelectRow(int row) {
    if (row < 1 || row >= RowCount()) {
        clearSelection();
        return;
    }
    const QModelIndex index = FModel->index(row - 1, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
}

void TStringGridEx::SetSortColumn(int col) {
    FSortColumn = col;
    FHeader->SetSortMark(FSortColumn, FSortAscending);
}

void TStringGridEx::SetSortAscending(bool ascending) {
    FSortAscending = ascending;
    FHeader->SetSortMark(FSortColumn, FSortAscending);
}

void TStringGridEx::HeaderClick(int col, int row) {
    if (row == 0) {
        if (col == FSortColumn) {
            FSortAscending = !FSortAscending;
        } else {
            FSortColumn = col;
            FSortAscending = true;
        }
        SortRows();
        FHeader->SetSortMark(FSortColumn, FSortAscending);
        viewport()->update();
    }
    if (OtherCaptionClick)
        OtherCaptionClick(*this, col, row);
}

TGridSortKind TStringGridEx::ColumnSortKind(int col) const {
    const TColInfo* info = FAttachments.FindColInfo(col);
    return info ? info->SortKind : skAutomatic;
}

void TStringGridEx::SortRows() {
    if (FMultiSelect)
        ClearMultiSelection();
    if (FSortColumn < 0 || FSortColumn >= ColCount())
        return;
    const TGridSortKind kind = ColumnSortKind(FSortColumn);
    if (kind == skNone)
        return;
    std::vector<QString> cells;
    cells.reserve(RowCount() - 1);
    for (int r = 1; r < RowCount(); ++r)
        cells.push_back(FModel->Cell(FSortColumn, r));
    const std::vector<int> order = SortRowOrder(cells, TCellComparer(kind), FSortAscending);
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] != static_cast<int>(i)) {
            FModel->ReorderDataRows(order);
            break;
        }
}

void TStringGridEx::MoveColumn(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= ColCount() || to >= ColCount())
        return;
    if (FSortColumn >= 0)
        FSortColumn = MovedIndex(FSortColumn, from, to);
    FAttachments.ColumnMoved(from, to);

    std::vector<int> widths(ColCount());
    for (int c = 0; c < ColCount(); ++c)
        widths[c] = FHeader->sectionSize(c);
    const int selected = SelectedRow();
    FModel->MoveGridColumn(from, to);
    const int width = widths[from];
    widths.erase(widths.begin() + from);
    widths.insert(widths.begin() + to, width);
    for (int c = 0; c < ColCount(); ++c)
        FHeader->resizeSection(c, widths[c]);
    if (selected > 0)
        SelectRow(selected);
    FHeader->SetSortMark(FSortColumn, FSortAscending);
    viewport()->update();
}

void TStringGridEx::SectionMoved(int /*logical*/, int oldVisual, int newVisual) {
    if (FUndoingMove)
        return;
    // The header only reorders its view; put it back and move the data
    // instead, so that column indexes stay what the user sees.
    FUndoingMove = true;
    FHeader->moveSection(newVisual, oldVisual);
    FUndoingMove = false;
    MoveColumn(oldVisual, newVisual);
}

void TStringGridEx::SaveToCsv(const QString& fileName, char separator, char quote) {
    const int rows = RowCount();
    if (OnSaveProgress)
        OnSaveProgress(*this, 0, rows);
    std::string text;
    for (int r = 0; r < rows; ++r) {
        if (OnSaveProgress)
            OnSaveProgress(*this, r, rows);
        std::vector<std::string> cells;
        cells.reserve(ColCount());
        for (const QString& cell : FModel->Row(r))
            cells.push_back(qb::ToAnsi(cell));
        text += CsvLine(cells, separator, quote);
        text += "\r\n";
    }
    if (OnSaveProgress)
        OnSaveProgress(*this, rows, rows);

    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Exception(qb::ToAnsi(TranslateText(QStringLiteral("Cannot create file \"%1\". %2"))
                                       .arg(fileName, file.errorString())));
    if (file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.flush())
        throw Exception(qb::ToAnsi(TranslateText(QStringLiteral("Cannot write file \"%1\". %2"))
                                       .arg(fileName, file.errorString())));
}

void TStringGridEx::SaveAsExcel(const QString& fileName) {
    qb::SaveAsExcel(Table(), qb::ToAnsi(fileName), [this](int position, int count) {
        if (OnSaveProgress)
            OnSaveProgress(*this, position, count);
    });
}

void TStringGridEx::SetMultiSelect(bool on) {
    FMultiSelect = on;
    if (!on)
        ClearMultiSelection();
}

void TStringGridEx::ClearMultiSelection() {
    FMultiSelection.clear();
    viewport()->update();
}

void TStringGridEx::ToggleMulti(int row) {
    auto at = std::find(FMultiSelection.begin(), FMultiSelection.end(), row);
    if (at != FMultiSelection.end())
        FMultiSelection.erase(at);
    else
        FMultiSelection.insert(
            std::upper_bound(FMultiSelection.begin(), FMultiSelection.end(), row), row);
    viewport()->update();
}

void TStringGridEx::SetMultiRange(int anchor, int row) {
    FMultiSelection.clear();
    for (int r = std::min(anchor, row); r <= std::max(anchor, row); ++r)
        FMultiSelection.push_back(r);
    viewport()->update();
}

int TStringGridEx::DataRowAt(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    return index.isValid() ? index.row() + 1 : -1;
}

void TStringGridEx::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    const int row = DataRowAt(event->position().toPoint());
    if (row > 0)
        SelectRow(row);
    if (FSkipNextPress) {
        FSkipNextPress = false;
        return;
    }
    if (!FMultiSelect || event->button() != Qt::LeftButton || row < 1)
        return;
    FDragging = true;
    FDragRow = row;
    if (event->modifiers() & Qt::ControlModifier) {
        ToggleMulti(row);
        FAnchorRow = row;
    } else if (event->modifiers() & Qt::ShiftModifier) {
        SetMultiRange(FAnchorRow > 0 ? FAnchorRow : row, row);
    } else {
        FMultiSelection.assign(1, row);
        FAnchorRow = row;
        viewport()->update();
    }
}

void TStringGridEx::mouseMoveEvent(QMouseEvent* event) {
    QTableView::mouseMoveEvent(event);
    if (!FDragging || !FMultiSelect || !(event->buttons() & Qt::LeftButton))
        return;
    int row = DataRowAt(event->position().toPoint());
    if (row < 1) {
        // Above or below the rows: the nearest visible one, so that a drag
        // that scrolls keeps taking rows in.
        const int y = event->position().toPoint().y();
        const int last = rowAt(viewport()->height() - 1);
        row = y < 0 ? rowAt(0) + 1 : (last >= 0 ? last + 1 : RowCount() - 1);
    }
    if (row > 0 && row != FDragRow) {
        FDragRow = row;
        SetMultiRange(FAnchorRow > 0 ? FAnchorRow : row, row);
    }
}

void TStringGridEx::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    FDragging = false;
}

void TStringGridEx::mouseDoubleClickEvent(QMouseEvent* event) {
    FDragging = false;
    // This event stands for the double click's second press: it selects
    // its row but starts no multi-select action.
    FSkipNextPress = true;
    const int row = DataRowAt(event->position().toPoint());
    QTableView::mouseDoubleClickEvent(event);
    if (FSkipNextPress) {
        FSkipNextPress = false;
        if (row > 0)
            SelectRow(row);
    }
}

void TStringGridEx::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) &&
        !(event->modifiers() & Qt::ControlModifier) && FMultiSelect)
        ClearMultiSelection();
    QTableView::keyPressEvent(event);
}
