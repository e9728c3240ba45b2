#pragma once
// The results grid: a table of texts whose row 0 is the header (one caption
// per column) and rows 1 .. RowCount()-1 the data.  Clicking a caption sorts
// the data rows by that column, clicking it again reverses them; the sorted
// column shows an arrow; every second data row is shaded.
//
// Cells are QString here; SetTable/Table carry the whole table as
// Windows-1252 texts (table[row][col]) for filling and for the exports.
#include "grid/GridAttachments.h"
#include "grid/GridSortKind.h"

#include <QColor>
#include <QString>
#include <QTableView>
#include <functional>
#include <string>
#include <vector>

class TGridModel;
class TGridHeader;

class TStringGridEx : public QTableView {
    Q_OBJECT

public:
    static constexpr QRgb ShadeColour = qRgb(231, 231, 231);

    explicit TStringGridEx(QWidget* parent = nullptr);
    ~TStringGridEx() override;

    // Size.  RowCount counts the header row, so it is at least 1.  Growing
    // adds empty cells; shrinking drops the last rows or columns.
    int RowCount() const;
    void SetRowCount(int rows);
    int ColCount() const;
    void SetColCount(int cols);

    // One cell; row 0 is the header.  Indexes outside the grid are refused.
    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);

    // The whole table at once, Windows-1252 texts, row 0 the captions.  The
    // column count is the longest row's length; shorter rows get empty cells.
    void SetTable(const std::vector<std::vector<std::string>>& table);
    std::vector<std::vector<std::string>> Table() const;

    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int DefaultRowHeight() const;
    void SetDefaultRowHeight(int height);

    // The selected data row (1 ..), or -1 when none is selected or the grid
    // is not in single whole-row selection.
    int SelectedRow() const;
    void SelectRow(int row);

    // Sorting.  SortColumn -1 means unsorted; the state survives refilling.
    int SortColumn() const { return FSortColumn; }
    void SetSortColumn(int col);
    bool SortAscending() const { return FSortAscending; }
    void SetSortAscending(bool ascending);
    // What a click on a caption does: same column reverses, another column
    // sorts ascending.  Only row 0 sorts; OtherCaptionClick follows always.
    void HeaderClick(int col, int row);
    // Sorts by SortColumn in the SortAscending direction.
    void SortRows();
    TGridSortKind ColumnSortKind(int col) const;

    // Moves a column as dragging its caption does; SortColumn follows.
    void MoveColumn(int from, int to);

    // Every row as one line: cells joined by `separator`; a cell holding the
    // separator or a line break is wrapped in `quote`, inner quotes doubled.  CR LF after
    // each line, Windows-1252 bytes.  File errors throw Exception.
    void SaveToCsv(const QString& fileName, char separator = ',', char quote = '"');

    // Every cell to a workbook file (grid/ExcelExport.h); number texts become
    // number cells.  Writer and file errors throw.
    void SaveAsExcel(const QString& fileName);

    // (grid, position, count) while saving.
    std::function<void(TStringGridEx&, int, int)> OnSaveProgress;
    // (grid, column, row) after the grid's own caption-click handling.
    std::function<void(TStringGridEx&, int, int)> OtherCaptionClick;

    // Optional multi-row selection; the application leaves it off.
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool on);
    const std::vector<int>& MultiSelection() const { return FMultiSelection; }

    TGridAttachments& Attachments() { return FAttachments; }
    const TGridAttachments& Attachments() const { return FAttachments; }

    // The arrow pictures in use, for painting the header.
    const QPixmap& AscendingArrow() const { return FAscArrow; }
    const QPixmap& DescendingArrow() const { return FDescArrow; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SectionMoved(int logical, int oldVisual, int newVisual);
    void SetMultiRange(int anchor, int row);
    void ToggleMulti(int row);
    void ClearMultiSelection();
    int DataRowAt(const QPoint& pos) const;

    TGridModel* FModel;
    TGridHeader* FHeader;
    int FSortColumn = -1;
    bool FSortAscending = true;
    bool FMultiSelect = false;
    std::vector<int> FMultiSelection;
    bool FDragging = false;
    int FAnchorRow = -1;
    int FDragRow = -1;
    bool FSkipNextPress = false;
    bool FUndoingMove = false;
    TGridAttachments FAttachments;
    QPixmap FAscArrow;
    QPixmap FDescArrow;
};
