#include "filter/TFilterValuePanel.h"

#include "filter/TFilterFm.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QTextEdit>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

namespace {

constexpr int MinTitlePointSize = 7;

const char* const UsageTexts[] = {"Do not use filter", "Display only", "Use filter"};

} // namespace

TFilterValuePanel::TFilterValuePanel(const TPanelArgs& args, int leftColumnWidth)
    : QFrame(args.Parent), FFilterFm(args.FilterFm), FNode(args.Node), FColumnName(args.ColumnName),
      FOnChange(args.OnChange) {
    hide();
    // Panels lie on top of each other; the one in front must cover the rest.
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    FLeftColumn = new QWidget(this);
    FLeftColumn->setFixedWidth(leftColumnWidth);
    layout->addWidget(FLeftColumn);

    FTitleLabel = new QLabel(args.Caption, FLeftColumn);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSize(font().pointSize() + 1);
    // A long caption gets a smaller font rather than losing its end.
    const int titleWidth = leftColumnWidth - 9;
    while (titleFont.pointSize() > MinTitlePointSize &&
           QFontMetrics(titleFont).horizontalAdvance(args.Caption) > titleWidth)
        titleFont.setPointSize(titleFont.pointSize() - 1);
    FTitleLabel->setFont(titleFont);
    FTitleLabel->move(6, 8);
    FTitleLabel->resize(titleWidth, FTitleLabel->sizeHint().height());

    FUsageGroup = new QGroupBox(QStringLiteral("Filter usage"), FLeftColumn);
    FUsageGroup->setGeometry(6, 28, 185, 75);
    auto* usageLayout = new QVBoxLayout(FUsageGroup);
    usageLayout->setContentsMargins(8, 2, 8, 4);
    usageLayout->setSpacing(0);
    FUsageButtons = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(QString::fromLatin1(UsageTexts[i]), FUsageGroup);
        usageLayout->addWidget(button);
        FUsageButtons->addButton(button, i);
    }
    FUsageButtons->button(fuNotUsed)->setChecked(true);
    connect(FUsageButtons, &QButtonGroup::idClicked, this, [this](int) { UsageGroupClick(); });

    FDescription = new QTextEdit(this);
    FDescription->setReadOnly(true);
    FDescription->setFrameShape(QFrame::NoFrame);
    FDescription->document()->setDocumentMargin(7);
    FDescription->setFocusPolicy(Qt::NoFocus);
    FDescription->setFont(QFont(QStringLiteral("Arial"), 9));
    QPalette palette = FDescription->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, palette.color(group, QPalette::Button));
    FDescription->setPalette(palette);
    layout->addWidget(FDescription, 1);
    SetDescription(args.Description);
}

TFilterValuePanel::~TFilterValuePanel() = default;

QString TFilterValuePanel::GetCaption() const {
    return FTitleLabel->text();
}

TFilterUsage TFilterValuePanel::GetUsage() const {
    const int id = FUsageButtons->checkedId();
    return id < 0 ? fuNotUsed : static_cast<TFilterUsage>(id);
}

void TFilterValuePanel::SetUsage(TFilterUsage usage) {
    if (QAbstractButton* button = FUsageButtons->button(usage))
        button->setChecked(true);
}

QRadioButton* TFilterValuePanel::UsageButton(TFilterUsage usage) const {
    return static_cast<QRadioButton*>(FUsageButtons->button(usage));
}

void TFilterValuePanel::UsageGroupClick() {
    if (FFilterFm)
        FFilterFm->SetModified(true);
    const TFilterUsage usage = GetUsage();
    if (FNode) {
        QTreeWidgetItem* category = FNode->parent();
        if (usage != fuNotUsed) {
            TFilterFm::SetNodeActive(FNode, true);
            if (category)
                TFilterFm::SetNodeActive(category, true);
        } else {
            TFilterFm::SetNodeActive(FNode, false);
            if (category && !TFilterFm::AnyChildUsed(category))
                TFilterFm::SetNodeActive(category, false);
        }
    }
    EnableControls(usage);
}

void TFilterValuePanel::EnableControls(TFilterUsage usage) {
    FTitleLabel->setEnabled(usage != fuNotUsed);
}

void TFilterValuePanel::PanelResize(QObject*) {}

void TFilterValuePanel::SetDescription(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    FDescription->setPlainText(shown);
}

void TFilterValuePanel::NotifyChange(QObject* sender) {
    if (FOnChange)
        FOnChange(sender);
}

QFont TFilterValuePanel::LabelFont() const {
    QFont labelFont(QStringLiteral("Arial"));
    labelFont.setPointSize(font().pointSize());
    return labelFont;
}

QLabel* TFilterValuePanel::AddColumnLabel(const QString& text, int top) {
    auto* label = new QLabel(text, LeftColumn());
    label->setFont(LabelFont());
    label->move(6, top);
    label->adjustSize();
    return label;
}

void TFilterValuePanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    PanelResize(this);
}
