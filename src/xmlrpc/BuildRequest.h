#pragma once
#include <string>
#include <string_view>

class TXrArray;

// The methodCall document in UTF-8.  The method name may hold only A-Z, a-z,
// digits, "_", ".", ":" and "/" (check error otherwise) and is not escaped.
// The caller keeps the parameter array.
std::string BuildRequest(std::string_view methodName, const TXrArray& params);

// A whole Windows-1252 document as UTF-8; ASCII text is returned as it is.
std::string ToUtf8(std::string text);
