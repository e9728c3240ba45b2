#pragma once
// The criterion panel of one catalogue field: its title, its usage in the
// filter and the help text.  The subclasses add the values of the field's
// kind.  The panels are the only store of a filter's content: the filter file
// and the search request read and set them directly.
#include "filter/FieldCatalogue.h"

#include <QFrame>
#include <QString>

#include <functional>
#include <string>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QRadioButton;
class QTextEdit;
class QTreeWidgetItem;
class TFilterFm;

// The selected item of the "Filter usage" group; "FilterUsage" in filter files.
enum TFilterUsage { fuNotUsed = 0, fuDisplayOnly = 1, fuUseFilter = 2 };

// "FilterType" of a criterion in search requests; numbered unlike TPanelKind.
enum TCriterionType {
    ctDisplayOnly = 0,
    ctRange = 1,
    ctRelative = 2,
    ctValueList = 3,
    ctDateRange = 4
};

// Called by every value control on each change; the editor's FieldChange.
using TFieldChangeEvent = std::function<void(QObject* sender)>;

// What every panel is built from.  Caption and Description are the texts as
// shown (already translated); "\r" in Description separates lines.
struct TPanelArgs {
    QWidget* Parent = nullptr;
    TFilterFm* FilterFm = nullptr; // may be null for a panel on its own
    std::string ColumnName;
    QString Caption;
    QString Description;
    TFieldChangeEvent OnChange;
    QTreeWidgetItem* Node = nullptr;
};

class TFilterValuePanel : public QFrame {
    Q_OBJECT
public:
    ~TFilterValuePanel() override;

    virtual TPanelKind Kind() const = 0;

    TFilterFm* FilterFm() const { return FFilterFm; }
    QTreeWidgetItem* Node() const { return FNode; }
    void SetNode(QTreeWidgetItem* node) { FNode = node; }
    const std::string& ColumnName() const { return FColumnName; }

    QString GetCaption() const;
    TFilterUsage GetUsage() const;
    // Selects the usage item only; the caller runs UsageGroupClick after it.
    void SetUsage(TFilterUsage usage);
    // The reaction to a usage change: Modified, the tree icons, enabling.
    // Idempotent.
    void UsageGroupClick();

    virtual void EnableControls(TFilterUsage usage);
    virtual void PanelResize(QObject* sender);

    QWidget* LeftColumn() const { return FLeftColumn; }
    QLabel* TitleLabel() const { return FTitleLabel; }
    QGroupBox* UsageGroup() const { return FUsageGroup; }
    QRadioButton* UsageButton(TFilterUsage usage) const;
    QTextEdit* DescriptionArea() const { return FDescription; }
    void SetDescription(const QString& text);

protected:
    // Width of the left column of the panels with one value per line.
    static constexpr int NarrowColumnWidth = 193;

    TFilterValuePanel(const TPanelArgs& args, int leftColumnWidth);
    // Calls the change handler given at construction.
    void NotifyChange(QObject* sender);
    // The "Arial" font that value labels use.
    QFont LabelFont() const;
    // A value label in the left column, at the column's left margin.
    QLabel* AddColumnLabel(const QString& text, int top);
    void resizeEvent(QResizeEvent* event) override;

private:
    TFilterFm* FFilterFm;
    QTreeWidgetItem* FNode;
    std::string FColumnName;
    TFieldChangeEvent FOnChange;
    QWidget* FLeftColumn;
    QLabel* FTitleLabel;
    QGroupBox* FUsageGroup;
    QButtonGroup* FUsageButtons;
    QTextEdit* FDescription;
};
