#pragma once
// The information sites the service names, and the address of a stock on
// each: the site's template with {country}, {symbol} and {exchange} filled
// in, percent-encoded.
#include <string>
#include <vector>

struct TInfoSite {
    std::string Name;
    std::string Template;
};

const std::vector<TInfoSite>& InfoSites();

// The address; EServiceRefusal rcUnknownSite for a site not in the list.
std::string InfoSiteUrl(const std::string& site, const std::string& country,
                        const std::string& symbol, const std::string& exchange);
