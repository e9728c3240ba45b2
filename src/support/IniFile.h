#pragma once
// INI text as the system's files use it: the settings file and the filter
// files.  Texts are Windows-1252 bytes.
//
// Reading is tolerant: each line is trimmed of blanks and control characters;
// empty lines and lines starting with ";" are skipped; lines before the first
// section are ignored; "[name]" opens a section (name trimmed); blanks around
// the first "=" are ignored; section names and keys compare without regard to
// case; of two sections with one name only the last is consulted, of two equal
// keys the last counts; a line without "=" is no key but makes its section
// count as present.
//
// The document keeps every line it read, so writing a value or erasing a
// section leaves every other line as it was.  New sections are appended as
// the name line, the keys in the order first written, and one empty line.
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qb {

// How the entry lines of a section are turned into values (SectionValues).
enum class TIniEntryForm {
    KeyValue,  // "key = value" gives "key=value"'s parts; lines without "=" are no entry
    WholeLine, // every line is one value; a line with "=" is kept whole, the blanks
               // around its first "=" removed ("3 = Banks" gives "3=Banks")
};

class TIniFile {
public:
    TIniFile() = default;
    // Parses text; lines end at CR, LF or CR LF, a zero byte ends the text.
    // The bytes from the zero byte on are kept and written back at the end,
    // so rewriting a damaged file loses nothing of it.
    explicit TIniFile(std::string_view text);

    // Reads a file; a missing or unreadable file (also one ReadFile refuses)
    // gives an empty document.
    static TIniFile LoadFromFile(const QString& path);
    // Reads a file that is to be read, and maybe rewritten: a missing file
    // gives an empty document (a first start), one that exists but cannot be
    // read throws Exception naming the file and the problem (ReadIniFileBytes).
    static TIniFile ReadFile(const QString& path);

    // --- reading ---
    bool SectionExists(std::string_view section) const;
    // Number of non-empty, non-comment lines of the consulted section, keys or not.
    int SectionLineCount(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           const std::string& defaultValue = {}) const;
    // Decimal integer with optional sign; missing or unreadable gives the default.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
    // Any non-zero integer is true; missing or unreadable gives the default.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    // The entry lines of the consulted section in file order, per `form`.
    std::vector<std::string> SectionValues(std::string_view section, TIniEntryForm form) const;
    // Keys of the consulted section in file order (a repeated key once, first place).
    std::vector<std::string> SectionKeys(std::string_view section) const;
    // Section names in file order as written; repeated names once.
    std::vector<std::string> SectionNames() const;

    // --- writing ---
    // Replaces the value of the consulted key in place, or appends the key to
    // the section (before its trailing empty lines), or appends a new section.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    // Removes every section of that name with all its lines.
    void EraseSection(std::string_view section);
    // Removes the key (every occurrence) from the consulted section.
    void DeleteKey(std::string_view section, std::string_view key);

    // The whole document; every line ends with LineBreak(), the bytes from a
    // zero byte on follow unchanged.
    std::string ToText() const;
    // Writes to a temporary file in the target's folder and renames it over the
    // target, so a failure never leaves a truncated file.  Throws Exception
    // naming the file and the problem (WriteIniFileBytes).
    void SaveToFile(const QString& path) const;

    // CR LF unless the parsed text used a bare LF or CR first.
    const std::string& LineBreak() const { return FLineBreak; }
    void SetLineBreak(std::string lineBreak) { FLineBreak = std::move(lineBreak); }

    // Case-insensitive comparison used for section names and keys.
    static bool SameText(std::string_view a, std::string_view b);
    // Trims blanks and control characters (bytes up to 32) at both ends.
    static std::string_view Trim(std::string_view text);

private:
    struct TLine {
        std::string Text;     // as read or written, untrimmed
        bool IsEntry = false; // not empty, not a comment
        bool HasKey = false;  // contains "="
        std::string Key, Value;
    };
    struct TSection {
        std::string Name;       // empty for the lines before the first section
        std::string HeaderText; // the "[name]" line as read
        bool IsPreamble = false;
        std::vector<TLine> Lines;
        // Folded key -> index of its last line; built on first lookup so
        // that reading a section of many keys stays linear.
        mutable std::unordered_map<std::string, size_t> KeyIndex;
        mutable bool IndexValid = false;
    };

    static TLine MakeLine(std::string text);
    static std::string Folded(std::string_view text);
    static const TLine* LastKeyLine(const TSection& section, std::string_view key);
    const TSection* Consulted(std::string_view section) const;
    TSection* Consulted(std::string_view section);

    std::vector<TSection> FSections;
    std::string FUnparsed; // from a zero byte to the end of the text
    std::string FLineBreak = "\r\n";
};

} // namespace qb
