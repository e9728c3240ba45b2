#include "service/HttpRequestHead.h"

#include <cctype>
#include <charconv>

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

THttpRequestHead ParseHttpRequestHead(std::string_view head) {
    THttpRequestHead result;
    std::size_t lineEnd = head.find('\n');
    std::string_view requestLine = Trim(head.substr(0, lineEnd));
    result.Method = std::string(requestLine.substr(0, requestLine.find(' ')));
    while (lineEnd != std::string_view::npos) {
        std::size_t start = lineEnd + 1;
        lineEnd = head.find('\n', start);
        std::string_view line = head.substr(
            start, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - start);
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos ||
            !SameName(Trim(line.substr(0, colon)), "Content-length"))
            continue;
        std::string_view value = Trim(line.substr(colon + 1));
        std::size_t length = 0;
        auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), length);
        if (value.empty() || ec != std::errc() || end != value.data() + value.size() ||
            (result.ContentLength && *result.ContentLength != length)) {
            result.LengthMalformed = true;
            result.ContentLength.reset();
            return result;
        }
        result.ContentLength = length;
    }
    return result;
}
