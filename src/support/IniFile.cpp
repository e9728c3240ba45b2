#include "support/IniFile.h"

#include "support/Exception.h"
#include "support/IniFileIo.h"
#include "support/Require.h"
#include "support/Win1252.h"

#include <QFileInfo>

#include <charconv>
#include <climits>
#include <unordered_set>

namespace qb {
namespace {

unsigned char FoldCase(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    // Windows-1252 upper-case letters outside ASCII.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 32;
    switch (c) {
    case 0x8A:
        return 0x9A;
    case 0x8C:
        return 0x9C;
    case 0x8E:
        return 0x9E;
    case 0x9F:
        return 0xFF;
    default:
        return c;
    }
}

bool IsLineSafe(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::optional<int> ParseInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace

bool TIniFile::SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(static_cast<unsigned char>(a[i])) !=
            FoldCase(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string TIniFile::Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded)
        c = static_cast<char>(FoldCase(static_cast<unsigned char>(c)));
    return folded;
}

const TIniFile::TLine* TIniFile::LastKeyLine(const TSection& section, std::string_view key) {
    if (!section.IndexValid) {
        section.KeyIndex.clear();
        for (size_t i = 0; i < section.Lines.size(); ++i)
            if (section.Lines[i].HasKey)
                section.KeyIndex[Folded(section.Lines[i].Key)] = i;
        section.IndexValid = true;
    }
    auto it = section.KeyIndex.find(Folded(key));
    return it == section.KeyIndex.end() ? nullptr : &section.Lines[it->second];
}

std::string_view TIniFile::Trim(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

TIniFile::TLine TIniFile::MakeLine(std::string text) {
    TLine line;
    std::string_view trimmed = Trim(text);
    line.IsEntry = !trimmed.empty() && trimmed.front() != ';';
    if (line.IsEntry) {
        size_t eq = trimmed.find('=');
        if (eq != std::string_view::npos) {
            line.HasKey = true;
            line.Key = std::string(Trim(trimmed.substr(0, eq)));
            line.Value = std::string(Trim(trimmed.substr(eq + 1)));
        }
    }
    line.Text = std::move(text);
    return line;
}

TIniFile::TIniFile(std::string_view text) {
    // A zero byte ends the text.
    size_t nul = text.find('\0');
    if (nul != std::string_view::npos) {
        FUnparsed = std::string(text.substr(nul));
        text = text.substr(0, nul);
    }

    bool breakSeen = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        std::string_view raw =
            text.substr(pos, end == std::string_view::npos ? text.npos : end - pos);
        if (end == std::string_view::npos) {
            pos = text.size();
        } else {
            size_t breakLength =
                (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
            if (!breakSeen) {
                FLineBreak = std::string(text.substr(end, breakLength));
                breakSeen = true;
            }
            pos = end + breakLength;
        }

        std::string_view trimmed = Trim(raw);
        if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
            TSection section;
            section.Name = std::string(Trim(trimmed.substr(1, trimmed.size() - 2)));
            section.HeaderText = std::string(raw);
            FSections.push_back(std::move(section));
            continue;
        }
        if (FSections.empty()) {
            TSection preamble;
            preamble.IsPreamble = true;
            FSections.push_back(std::move(preamble));
        }
        FSections.back().Lines.push_back(MakeLine(std::string(raw)));
    }
}

TIniFile TIniFile::LoadFromFile(const QString& path) {
    // The same guards as ReadFile: a pipe or a device never blocks start-up.
    try {
        return ReadFile(path);
    } catch (const Exception&) {
        return {};
    }
}

TIniFile TIniFile::ReadFile(const QString& path) {
    // A dangling link counts as missing, as it does for the file dialogs.
    if (!QFileInfo::exists(path))
        return {};
    return TIniFile(ReadIniFileBytes(path));
}

const TIniFile::TSection* TIniFile::Consulted(std::string_view section) const {
    for (auto it = FSections.rbegin(); it != FSections.rend(); ++it)
        if (!it->IsPreamble && SameText(it->Name, section))
            return &*it;
    return nullptr;
}

TIniFile::TSection* TIniFile::Consulted(std::string_view section) {
    return const_cast<TSection*>(std::as_const(*this).Consulted(section));
}

bool TIniFile::SectionExists(std::string_view section) const {
    return Consulted(section) != nullptr;
}

int TIniFile::SectionLineCount(std::string_view section) const {
    const TSection* s = Consulted(section);
    if (!s)
        return 0;
    int count = 0;
    for (const TLine& line : s->Lines)
        count += line.IsEntry ? 1 : 0;
    return count;
}

std::optional<std::string> TIniFile::Find(std::string_view section, std::string_view key) const {
    const TSection* s = Consulted(section);
    if (!s)
        return std::nullopt;
    const TLine* line = LastKeyLine(*s, key);
    if (!line)
        return std::nullopt;
    return line->Value;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
    return Find(section, key).has_value();
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 const std::string& defaultValue) const {
    return Find(section, key).value_or(defaultValue);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    std::optional<std::string> text = Find(section, key);
    if (!text)
        return defaultValue;
    return ParseInteger(*text).value_or(defaultValue);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::string> TIniFile::SectionValues(std::string_view section,
                                                 TIniEntryForm form) const {
    std::vector<std::string> values;
    const TSection* s = Consulted(section);
    if (!s)
        return values;
    for (const TLine& line : s->Lines) {
        if (!line.IsEntry)
            continue;
        if (line.HasKey)
            values.push_back(form == TIniEntryForm::WholeLine ? line.Key + "=" + line.Value
                                                              : line.Value);
        else if (form == TIniEntryForm::WholeLine)
            values.emplace_back(Trim(line.Text));
    }
    return values;
}

std::vector<std::string> TIniFile::SectionKeys(std::string_view section) const {
    std::vector<std::string> keys;
    const TSection* s = Consulted(section);
    if (!s)
        return keys;
    std::unordered_set<std::string> seen;
    for (const TLine& line : s->Lines)
        if (line.HasKey && seen.insert(Folded(line.Key)).second)
            keys.push_back(line.Key);
    return keys;
}

std::vector<std::string> TIniFile::SectionNames() const {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (const TSection& s : FSections)
        if (!s.IsPreamble && seen.insert(Folded(s.Name)).second)
            names.push_back(s.Name);
    return names;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    // A line break or "=" in the wrong place would change the document's
    // structure when it is read back.
    Require(IsLineSafe(section) && section.find(']') == std::string_view::npos &&
                Trim(section) == section && !section.empty(),
            "Invalid INI section name");
    Require(IsLineSafe(key) && key.find('=') == std::string_view::npos && Trim(key) == key &&
                !key.empty() && key.front() != ';' && key.front() != '[',
            "Invalid INI key name");
    Require(IsLineSafe(value), "INI value holds a line break");

    TSection* s = Consulted(section);
    if (!s) {
        if (!FSections.empty()) {
            std::vector<TLine>& last = FSections.back().Lines;
            if ((!last.empty() && !Trim(last.back().Text).empty()) ||
                (last.empty() && !FSections.back().IsPreamble))
                last.push_back(MakeLine({}));
        }
        TSection added;
        added.Name = std::string(section);
        added.HeaderText = "[" + added.Name + "]";
        added.Lines.push_back(MakeLine({}));
        FSections.push_back(std::move(added));
        s = &FSections.back();
    }

    if (const TLine* found = LastKeyLine(*s, key)) {
        TLine& line = s->Lines[static_cast<size_t>(found - s->Lines.data())];
        line = MakeLine(line.Key + "=" + std::string(value)); // same key: the index holds
        return;
    }
    // After the last entry line: every keyed line lies before it, so the
    // index only gains the new key.
    size_t insertAt = s->Lines.size();
    while (insertAt > 0 && !s->Lines[insertAt - 1].IsEntry)
        --insertAt;
    s->Lines.insert(s->Lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                    MakeLine(std::string(key) + "=" + std::string(value)));
    s->KeyIndex[Folded(key)] = insertAt;
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::EraseSection(std::string_view section) {
    std::erase_if(FSections,
                  [&](const TSection& s) { return !s.IsPreamble && SameText(s.Name, section); });
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
    TSection* s = Consulted(section);
    if (!s)
        return;
    std::erase_if(s->Lines,
                  [&](const TLine& line) { return line.HasKey && SameText(line.Key, key); });
    s->IndexValid = false;
}

std::string TIniFile::ToText() const {
    std::string text;
    for (const TSection& s : FSections) {
        if (!s.IsPreamble)
            text += s.HeaderText + FLineBreak;
        for (const TLine& line : s.Lines)
            text += line.Text + FLineBreak;
    }
    return text + FUnparsed;
}

void TIniFile::SaveToFile(const QString& path) const {
    WriteIniFileBytes(path, ToText());
}

} // namespace qb
