#pragma once
// The fixed catalogue of data fields every filter can use: 46 fields in 7
// categories.  A filter records per field only its usage and its values; the
// definitions here are the same for every filter.
//
// Category names, captions (also RelativeCaption) and descriptions are the
// untranslated texts; the editor passes them through TranslateText when it is
// built.  Column names and choice values are used as they are.
#include <QDate>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The criterion kind of a field; also its "FilterType" number in filter files.
enum TPanelKind { pkRange = 0, pkRelative = 1, pkChoice = 2, pkManualList = 3, pkDateRange = 4 };

struct TFieldCategory {
    std::string Name;
    int IconNumber; // index in the editor's image list
};

struct TFieldDef {
    int Category = 0; // index into TFieldCatalogue::Categories()
    std::string Caption;
    std::string ColumnName; // upper case, unique
    TPanelKind Kind = pkRange;
    // pkRange: the bounds, which are also the defaults of Minimum and Maximum.
    double LowerBound = 0;
    double UpperBound = 0;
    // pkDateRange: the bounds, also the defaults.
    QDate LowerDate;
    QDate UpperDate;
    // pkRelative: the reference field, the direction and the default percentage.
    std::string RelativeColumn;
    std::string RelativeCaption;
    bool HigherThan = true;
    double DefaultPercentage = 0;
    // pkChoice: the selectable values in order.  Empty for INDUSTRY here: its
    // values come from the settings file (TFieldCatalogue::ForEditor).
    std::vector<std::string> ChoiceValues;
    std::string Description; // "\r" separates lines
};

class TFieldCatalogue {
public:
    static const std::vector<TFieldCategory>& Categories();
    // The 46 fields in tree order (a category's fields follow each other).
    static const std::vector<TFieldDef>& Fields();
    // Column names compare without regard to case; nullptr when unknown.
    static const TFieldDef* FindField(std::string_view columnName);
    // Index in Fields(), or -1.
    static int IndexOf(std::string_view columnName);

    // The entry lines of section "Industries" of a settings file, in file
    // order, neither sorted nor de-duplicated; a line with "=" is kept whole.
    // A missing file or section gives an empty list.
    static std::vector<std::string> IndustryValues(const QString& settingsPath);
    // The same for the settings file in use (qb::SettingsFilePath()).
    static std::vector<std::string> IndustryValues();

    // The fields for a new editor: Fields() with the INDUSTRY choice values
    // read from the settings file now.  Call once per editor.
    static std::vector<TFieldDef> ForEditor();

    static constexpr const char* IndustryColumn = "INDUSTRY";
    static constexpr const char* SymbolColumn = "SYMBOL";
};
