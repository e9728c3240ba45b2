// Settings and filter files as a damaged disk or a careless editor leaves
// them.  The INI reader accepts any bytes and writes back a text that reads
// the same; the filter loader either loads or refuses with a message.
#include "FuzzCheck.h"
#include "filter/TFilterObject.h"
#include "support/Exception.h"
#include "support/IniFile.h"

#include <QApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void EnsureApplication() {
    if (QApplication::instance())
        return;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "inifilter_fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives as long as the process
}

void CheckIniRoundTrip(std::string_view text) {
    const qb::TIniFile ini(text);
    const qb::TIniFile again(ini.ToText());
    const auto names = ini.SectionNames();
    FUZZ_CHECK(again.SectionNames() == names);
    for (const std::string& section : names) {
        FUZZ_CHECK(again.SectionLineCount(section) == ini.SectionLineCount(section));
        const auto keys = ini.SectionKeys(section);
        FUZZ_CHECK(again.SectionKeys(section) == keys);
        for (const std::string& key : keys)
            FUZZ_CHECK(again.Find(section, key) == ini.Find(section, key));
    }
    // Writing a value keeps every other entry and reads back as written.
    qb::TIniFile edited(text);
    edited.WriteString("General", "Version", "1");
    FUZZ_CHECK(edited.ReadInteger("General", "Version", 0) == 1);
    for (const std::string& section : names)
        if (!qb::TIniFile::SameText(section, "General"))
            for (const std::string& key : ini.SectionKeys(section))
                FUZZ_CHECK(edited.Find(section, key) == ini.Find(section, key));
}

std::string WithoutSelection(std::string text) {
    const std::size_t at = text.find("SelectedNode=");
    if (at != std::string::npos)
        text.erase(at, text.find('\n', at) - at);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckIniRoundTrip(text);

    EnsureApplication();
    TFilterObject filter(nullptr, {"Site A", "Site B"});
    try {
        filter.LoadFromText(text);
        // What loaded saves and loads again.
        TFilterObject copy(nullptr, {"Site A", "Site B"});
        std::string saved = filter.SaveToText();
        copy.LoadFromText(saved);
        // The selected node is view state: a file naming none leaves the last
        // loaded field selected, which the second save then names.
        const std::string again = WithoutSelection(copy.SaveToText());
        saved = WithoutSelection(saved);
        if (again != saved)
            std::fprintf(stderr, "saved:\n%s\nsaved again:\n%s\n", saved.c_str(), again.c_str());
        FUZZ_CHECK(again == saved);
    } catch (const Exception& e) {
        FUZZ_CHECK(e.Message().size() > 0);
    }
    return 0;
}
