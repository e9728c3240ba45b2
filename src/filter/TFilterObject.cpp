#include "filter/TFilterObject.h"

#include "filter/TChoicePanel.h"
#include "filter/TChoicePanelManualList.h"
#include "filter/TDateRangePanel.h"
#include "filter/TFilterFm.h"
#include "filter/TFilterValuePanel.h"
#include "filter/TRangePanel.h"
#include "filter/TRelativePanel.h"
#include "support/Exception.h"
#include "support/IniFile.h"
#include "support/IniFileIo.h"
#include "support/TranslateText.h"
#include "support/Win1252.h"

#include <QIODevice>
#include <QLayout>
#include <QTreeWidget>

namespace {

constexpr const char* GeneralSection = "General";

// Field nodes in tree order: a category's fields, then the next category's.
std::vector<QTreeWidgetItem*> FieldNodes(QTreeWidget* tree) {
    std::vector<QTreeWidgetItem*> nodes;
    for (int c = 0; c < tree->topLevelItemCount(); ++c) {
        QTreeWidgetItem* category = tree->topLevelItem(c);
        if (TFilterFm::NodePanel(category))
            nodes.push_back(category);
        for (int f = 0; f < category->childCount(); ++f)
            if (TFilterFm::NodePanel(category->child(f)))
                nodes.push_back(category->child(f));
    }
    return nodes;
}

std::string ItemKey(int number) {
    return "Item" + std::to_string(number);
}

std::string MessageText(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error))
        return own->Message();
    return error.what();
}

[[noreturn]] void InvalidCast() {
    throw Exception("Invalid class typecast");
}

template <typename T> T* PanelAs(TFilterValuePanel* panel) {
    T* typed = dynamic_cast<T*>(panel);
    if (!typed)
        InvalidCast();
    return typed;
}

// Hides a widget for a while and shows it again on every path out.
class THiddenWhile {
public:
    explicit THiddenWhile(QWidget* widget) : FWidget(widget), FWasHidden(widget->isHidden()) {
        FWidget->hide();
    }
    ~THiddenWhile() { FWidget->setHidden(FWasHidden); }
    THiddenWhile(const THiddenWhile&) = delete;
    THiddenWhile& operator=(const THiddenWhile&) = delete;

private:
    QWidget* FWidget;
    bool FWasHidden;
};

} // namespace

TFilterObject::TFilterObject(QWidget* mainForm, const QStringList& siteNames, QWidget* container)
    : FFilterFm(std::make_unique<TFilterFm>(mainForm, siteNames)) {
    QWidget* panel = FFilterFm->MainPanel();
    if (container) {
        panel->hide();
        panel->setParent(container);
        if (container->layout())
            container->layout()->addWidget(panel);
    }
    FFilterFm->BuildFieldTree();
}

TFilterObject::~TFilterObject() = default;

QWidget* TFilterObject::GetPanel() const {
    return FFilterFm->MainPanel();
}

bool TFilterObject::Modified() const {
    return FFilterFm->Modified();
}

void TFilterObject::SetModified(bool modified) {
    FFilterFm->SetModified(modified);
}

void TFilterObject::Check(bool condition, const std::string& message) {
    if (!condition)
        throw Exception(message);
}

std::string TFilterObject::SaveToText() const {
    qb::TIniFile ini;
    QTreeWidget* tree = FFilterFm->TreeView();

    ini.WriteInteger(GeneralSection, "Version", FileVersion);
    TFilterValuePanel* selected = TFilterFm::NodePanel(tree->currentItem());
    ini.WriteString(GeneralSection, "SelectedNode", selected ? selected->ColumnName() : "");

    for (QTreeWidgetItem* node : FieldNodes(tree)) {
        TFilterValuePanel* panel = TFilterFm::NodePanel(node);
        const std::string& section = panel->ColumnName();
        bool expanded = node->parent() && node->parent()->isExpanded();
        ini.WriteInteger(section, "ParentExpanded", expanded ? 1 : 0);
        ini.WriteInteger(section, "FilterUsage", panel->GetUsage());

        // A manual list is also a choice panel, so it is tested first.
        if (auto* range = dynamic_cast<TRangePanel*>(panel)) {
            ini.WriteInteger(section, "FilterType", pkRange);
            ini.WriteString(section, "Minimum", FFormat.FormatNumber(range->Minimum()));
            ini.WriteString(section, "Maximum", FFormat.FormatNumber(range->Maximum()));
        } else if (auto* dates = dynamic_cast<TDateRangePanel*>(panel)) {
            ini.WriteInteger(section, "FilterType", pkDateRange);
            ini.WriteString(section, "Minimum", FFormat.FormatDateTime(dates->Minimum()));
            ini.WriteString(section, "Maximum", FFormat.FormatDateTime(dates->Maximum()));
        } else if (auto* relative = dynamic_cast<TRelativePanel*>(panel)) {
            ini.WriteInteger(section, "FilterType", pkRelative);
            ini.WriteString(section, "Percentage", FFormat.FormatNumber(relative->Percentage()));
        } else if (auto* manual = dynamic_cast<TChoicePanelManualList*>(panel)) {
            ini.WriteInteger(section, "FilterType", pkManualList);
            int number = 0;
            for (const std::string& item : manual->Items())
                ini.WriteString(section, ItemKey(++number), item);
        } else if (auto* choice = dynamic_cast<TChoicePanel*>(panel)) {
            ini.WriteInteger(section, "FilterType", pkChoice);
            int number = 0;
            for (const std::string& item : choice->SelectedItems())
                ini.WriteString(section, ItemKey(++number), item);
        }
    }
    return ini.ToText();
}

void TFilterObject::SaveToStream(QIODevice& stream) const {
    std::string text = SaveToText();
    qint64 written = stream.write(text.data(), static_cast<qint64>(text.size()));
    Check(written == static_cast<qint64>(text.size()),
          "Cannot write the filter file: " + qb::ToAnsi(stream.errorString()));
}

void TFilterObject::SaveToFile(const QString& path) const {
    qb::WriteIniFileBytes(path, SaveToText());
}

void TFilterObject::LoadFromStream(QIODevice& stream) {
    QByteArray bytes = stream.readAll();
    LoadFromText(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

void TFilterObject::LoadFromFile(const QString& path, qb::TIniSource source) {
    // Open and read failures name the file themselves.
    const std::string bytes = qb::ReadIniFileBytes(path, source);
    try {
        LoadFromText(bytes);
    } catch (const std::exception& e) {
        // The loader's own text stays as it is, after the file's name.
        throw Exception(LoadFailureText(path, MessageText(e)));
    }
}

std::string TFilterObject::LoadFailureText(const QString& path, const std::string& problem) {
    return qb::ToAnsi(TranslateText(QStringLiteral("Cannot load file \"%1\". %2"))
                          .arg(path, qb::FromAnsi(problem)));
}

void TFilterObject::LoadFromText(std::string_view text) {
    QTreeWidget* tree = FFilterFm->TreeView();
    QTreeWidgetItem* remembered = nullptr;
    bool applied = false;
    {
        THiddenWhile hidden(tree);
        try {
            qb::TIniFile ini(text);
            int version = ini.ReadInteger(GeneralSection, "Version", 0);
            Check(version == FileVersion, "Unsupported file version, " + std::to_string(version));
            std::string selectedNode = ini.ReadString(GeneralSection, "SelectedNode");

            for (QTreeWidgetItem* node : FieldNodes(tree)) {
                TFilterValuePanel* panel = TFilterFm::NodePanel(node);
                const std::string& section = panel->ColumnName();
                if (ini.SectionLineCount(section) > 0) {
                    int type = ini.ReadInteger(section, "FilterType", -1);
                    Check(type >= pkRange && type <= pkDateRange,
                          "Invalid filter type in section " + section + ", " +
                              std::to_string(type));
                    auto number = [&](const char* key) {
                        return FFormat.ParseNumber(ini.ReadString(section, key)).value_or(0);
                    };
                    auto dateTime = [&](const char* key) {
                        // Unreadable: day zero, which the date control refuses.
                        return FFormat.ParseDateTime(ini.ReadString(section, key))
                            .value_or(QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
                    };
                    auto items = [&](auto each) {
                        for (int n = 1;; ++n) {
                            std::string item = ini.ReadString(section, ItemKey(n));
                            if (item.empty())
                                break;
                            each(item);
                        }
                    };
                    auto requireValue = [&](const char* key) {
                        Check(ini.ValueExists(section, key),
                              std::string("Value ") + key + " not found in section " + section);
                    };

                    switch (static_cast<TPanelKind>(type)) {
                    case pkRange: {
                        auto* range = PanelAs<TRangePanel>(panel);
                        requireValue("Minimum");
                        requireValue("Maximum");
                        range->SetMinimum(number("Minimum"));
                        applied = true;
                        range->SetMaximum(number("Maximum"));
                        break;
                    }
                    case pkDateRange: {
                        auto* dates = PanelAs<TDateRangePanel>(panel);
                        requireValue("Minimum");
                        requireValue("Maximum");
                        dates->SetMinimum(dateTime("Minimum"));
                        applied = true;
                        dates->SetMaximum(dateTime("Maximum"));
                        break;
                    }
                    case pkRelative: {
                        auto* relative = PanelAs<TRelativePanel>(panel);
                        requireValue("Percentage");
                        relative->SetPercentage(number("Percentage"));
                        applied = true;
                        break;
                    }
                    case pkChoice: {
                        auto* choice = PanelAs<TChoicePanel>(panel);
                        items([&](const std::string& item) {
                            applied = choice->SelectItem(item) || applied;
                        });
                        break;
                    }
                    case pkManualList: {
                        auto* manual = PanelAs<TChoicePanelManualList>(panel);
                        items([&](const std::string& item) {
                            manual->AppendItem(item);
                            applied = true;
                        });
                        break;
                    }
                    }

                    int usage = ini.ReadInteger(section, "FilterUsage", 0);
                    Check(usage >= fuNotUsed && usage <= fuUseFilter,
                          "Invalid filter usage in section " + section + ", " +
                              std::to_string(usage));
                    tree->setCurrentItem(node);
                    panel->SetUsage(static_cast<TFilterUsage>(usage));
                    applied = true;
                    panel->UsageGroupClick();
                    if (node->parent())
                        node->parent()->setExpanded(ini.ReadBool(section, "ParentExpanded", false));
                }
                // The selected node is matched exactly, letter case included.
                if (panel->ColumnName() == selectedNode)
                    remembered = node;
            }
            SetModified(false);
        } catch (...) {
            if (applied)
                SetModified(true);
            if (remembered)
                tree->setCurrentItem(remembered);
            throw;
        }
    }
    if (remembered)
        tree->setCurrentItem(remembered);
}
