#include "service/InfoSites.h"

#include "service/ServiceRefusal.h"
#include "support/Win1252.h"

#include <cctype>

const std::vector<TInfoSite>& InfoSites() {
    // Reserved example domains: the demo data names no real company.
    static const std::vector<TInfoSite> sites{
        {"Quote summary", "https://quotes.example.com/{country}/{exchange}/{symbol}"},
        {"Company profile", "https://profiles.example.org/"
                            "company?country={country}&exchange={exchange}&symbol={symbol}"},
        {"Charts", "https://charts.example.net/{symbol}?market={exchange}"},
    };
    return sites;
}

namespace {

// Everything but unreserved characters is percent-encoded (as UTF-8), so a
// value can neither leave its place in the address nor add a parameter.
std::string Encode(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : qb::Win1252ToUtf8(text)) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~')
            out += static_cast<char>(c);
        else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

void ReplaceAll(std::string& text, const std::string& key, const std::string& value) {
    for (auto at = text.find(key); at != std::string::npos;
         at = text.find(key, at + value.size())) {
        text.replace(at, key.size(), value);
    }
}

} // namespace

std::string InfoSiteUrl(const std::string& site, const std::string& country,
                        const std::string& symbol, const std::string& exchange) {
    for (const auto& entry : InfoSites()) {
        if (entry.Name != site)
            continue;
        std::string url = entry.Template;
        ReplaceAll(url, "{country}", Encode(country));
        ReplaceAll(url, "{symbol}", Encode(symbol));
        ReplaceAll(url, "{exchange}", Encode(exchange));
        return url;
    }
    throw EServiceRefusal(rcUnknownSite, "Unknown information site " + site);
}
