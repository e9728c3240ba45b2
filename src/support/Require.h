#pragma once
// Check helpers.  A failed check throws Exception whose text is the message,
// a blank line (CR LF CR LF) and the location of the check:
//   "In module %s and method %s (%s, line %d)"
// Use the macros; they capture the calling function and line.
#include "support/Exception.h"

#include <source_location>
#include <string>

namespace qb {

// Location text of a check, as it appears after the message.
std::string CheckLocationText(const std::source_location& where);
// Same text built from parts; an empty file means "file and line unknown",
// empty module and method and file mean nothing is known ("UNKNOWN").
std::string CheckLocationText(const std::string& module, const std::string& method,
                              const std::string& file, int line);

[[noreturn]] void FailCheck(const std::string& message, const std::source_location& where);

inline void Require(bool condition, const std::string& message = {},
                    const std::source_location& where = std::source_location::current()) {
    if (!condition)
        FailCheck(message, where);
}

inline void Forbid(bool condition, const std::string& message = {},
                   const std::source_location& where = std::source_location::current()) {
    if (condition)
        FailCheck(message, where);
}

} // namespace qb

using qb::Forbid;
using qb::Require;
