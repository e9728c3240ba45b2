#pragma once
// clang 14 has no __builtin_source_location, so the standard library leaves
// std::source_location out; the check helpers need it.  Forced into every
// file of the fuzz build; the older builtins give the same answers.
#if defined(__clang__) && !__has_builtin(__builtin_source_location)
#include <cstdint>

namespace std {

struct source_location {
    static constexpr source_location current(const char* file = __builtin_FILE(),
                                             const char* function = __builtin_FUNCTION(),
                                             uint_least32_t line = __builtin_LINE(),
                                             uint_least32_t column = __builtin_COLUMN()) noexcept {
        source_location here;
        here.FFile = file;
        here.FFunction = function;
        here.FLine = line;
        here.FColumn = column;
        return here;
    }
    constexpr source_location() noexcept = default;
    constexpr uint_least32_t line() const noexcept { return FLine; }
    constexpr uint_least32_t column() const noexcept { return FColumn; }
    constexpr const char* file_name() const noexcept { return FFile; }
    constexpr const char* function_name() const noexcept { return FFunction; }

private:
    const char* FFile = "";
    const char* FFunction = "";
    uint_least32_t FLine = 0;
    uint_least32_t FColumn = 0;
};

} // namespace std
#endif
