#pragma once
// The head of one HTTP request as the stock client sends it: a POST request
// line, header lines, an empty line.  Only what the service needs is read.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct THttpRequestHead {
    std::string Method;                       // "POST"
    std::optional<std::size_t> ContentLength; // absent when no usable header
    bool LengthMalformed = false;             // a Content-length that is no number
};

// `head`: the bytes before the first CR LF CR LF.  Header names compare
// without regard to case; a repeated Content-length must agree.
THttpRequestHead ParseHttpRequestHead(std::string_view head);
