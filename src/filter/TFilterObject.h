#pragma once
// The document behind one filter tab: owns the tab's editor, knows the file
// the filter came from, and reads and writes filter files (".qbk").
//
// The file is INI text, 8-bit, CR LF: section "General" (Version=1,
// SelectedNode), then one section per catalogue field in tree order with
// ParentExpanded, FilterUsage, FilterType and the values of the field's kind.
// Numbers and date-times follow the user's regional settings when written;
// reading also understands other settings (TFilterValueFormat).
#include "filter/FilterValueFormat.h"
#include "support/IniFileIo.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <string_view>

class QIODevice;
class QWidget;
class TFilterFm;

class TFilterObject {
public:
    static constexpr int FileVersion = 1;

    // Creates the editor and builds its tree.  With a container the editor's
    // MainPanel is placed into it (and into its layout, if it has one),
    // hidden; the main window shows the panel of the selected tab.
    TFilterObject(QWidget* mainForm, const QStringList& siteNames, QWidget* container = nullptr);
    ~TFilterObject();
    TFilterObject(const TFilterObject&) = delete;
    TFilterObject& operator=(const TFilterObject&) = delete;

    TFilterFm* FilterFm() const { return FFilterFm.get(); }
    QWidget* GetPanel() const;

    bool Modified() const;
    void SetModified(bool modified);
    const QString& FileName() const { return FFileName; }
    void SetFileName(const QString& fileName) { FFileName = fileName; }

    // The whole file, written at once into a stream opened for writing.
    // Throws Exception when the stream cannot be written.
    void SaveToStream(QIODevice& stream) const;
    std::string SaveToText() const;
    // Writes a temporary file beside `path` and renames it over `path`, so a
    // failed save leaves the previous file as it was.  Throws Exception
    // "Cannot write file \"<path>\". <reason>".
    void SaveToFile(const QString& path) const;

    // Reads a file into the freshly built editor.  On a failure the values
    // applied before it stay, the tree is shown again, Modified is set if
    // anything was applied, and Exception carries the message.
    void LoadFromStream(QIODevice& stream);
    void LoadFromText(std::string_view text);
    // Every failure names the file: "Cannot open file \"<path>\". <reason>"
    // or "Cannot read file ..." when the file cannot be read, and
    // LoadFailureText() around the loader's message when its content fails.
    // A pipe or a device is refused unless `source` allows it.
    void LoadFromFile(const QString& path, qb::TIniSource source = qb::TIniSource::RegularFile);
    // "Cannot load file \"<path>\". " followed by `problem` unchanged.
    static std::string LoadFailureText(const QString& path, const std::string& problem);

    // Throws Exception(message) when the condition is false.
    static void Check(bool condition, const std::string& message);

    // The formats used; tests replace the locale.
    const TFilterValueFormat& ValueFormat() const { return FFormat; }
    void SetValueFormat(const TFilterValueFormat& format) { FFormat = format; }

private:
    std::unique_ptr<TFilterFm> FFilterFm;
    QString FFileName;
    TFilterValueFormat FFormat;
};
