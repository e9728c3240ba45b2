// ISO 8601 texts of dateTime.iso8601 values.  The reader either refuses the
// text with an exception or answers a valid day number and time of day.
#include "FuzzCheck.h"
#include "support/DayNumbers.h"
#include "support/Exception.h"
#include "xmlrpc/XrDateTime.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const TIsoDateTime read = ReadIso8601(text);
        FUZZ_CHECK(read.Date == -1 || (read.Date >= 0 && read.Date <= 876581));
        FUZZ_CHECK(read.Time >= -1 && read.Time < 86400);
    } catch (const Exception&) {
    }
    try {
        auto value = TXrDateTime::FromText(text);
        FUZZ_CHECK(value != nullptr);
        FUZZ_CHECK(value->Time >= 0 && value->Time < 86400);
        // The written form reads back as the same moment.
        if (value->Date >= 0) {
            std::string xml = value->ToXml();
            const std::size_t open = xml.find('>'), close = xml.rfind('<');
            FUZZ_CHECK(open != std::string::npos && close != std::string::npos && open < close);
            auto again = TXrDateTime::FromText(xml.substr(open + 1, close - open - 1));
            FUZZ_CHECK(again->Date == value->Date && again->Time == value->Time);
        }
    } catch (const Exception&) {
    }
    return 0;
}
