#include "support/Require.h"

#include <cstdio>

namespace qb {
namespace {

// "src/xmlrpc/XrStruct.cpp" -> "XrStruct": the unit is the file's base name.
std::string ModuleOf(const std::string& file) {
    auto slash = file.find_last_of("/\\");
    std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
    auto dot = base.find('.');
    return dot == std::string::npos ? base : base.substr(0, dot);
}

std::string FileNameOf(const std::string& file) {
    auto slash = file.find_last_of("/\\");
    return slash == std::string::npos ? file : file.substr(slash + 1);
}

// "void TXrStruct::Add(const string&, TXrValue*)" -> "TXrStruct::Add"
std::string MethodOf(const char* signature) {
    std::string s = signature ? signature : "";
    auto paren = s.find('(');
    if (paren != std::string::npos)
        s.erase(paren);
    auto blank = s.find_last_of(' ');
    if (blank != std::string::npos)
        s.erase(0, blank + 1);
    return s;
}

std::string Format(const char* fmt, const std::string& a, const std::string& b,
                   const std::string& c, int line) {
    int n = std::snprintf(nullptr, 0, fmt, a.c_str(), b.c_str(), c.c_str(), line);
    std::string out(static_cast<size_t>(n), '\0');
    std::snprintf(out.data(), out.size() + 1, fmt, a.c_str(), b.c_str(), c.c_str(), line);
    return out;
}

} // namespace

std::string CheckLocationText(const std::string& module, const std::string& method,
                              const std::string& file, int line) {
    if (module.empty() && method.empty() && file.empty())
        return "UNKNOWN";
    if (file.empty() || line <= 0)
        return Format("In module %s and method %s (file and line unknown)", module, method, "", 0);
    return Format("In module %s and method %s (%s, line %d)", module, method, file, line);
}

std::string CheckLocationText(const std::source_location& where) {
    std::string file = where.file_name() ? where.file_name() : "";
    return CheckLocationText(ModuleOf(file), MethodOf(where.function_name()), FileNameOf(file),
                             static_cast<int>(where.line()));
}

void FailCheck(const std::string& message, const std::source_location& where) {
    std::string location = CheckLocationText(where);
    if (message.empty())
        throw Exception(location);
    throw Exception(message + "\r\n\r\n" + location);
}

} // namespace qb
