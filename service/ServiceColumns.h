#pragma once
// The stock fields the service knows: the only column names that may reach
// SQL text.  Each maps to a fixed expression over the two tables
// (s: stocks, q: snapshots).
#include <string>
#include <string_view>
#include <vector>

enum class TColumnKind { ckNumber, ckText, ckDate };

struct TServiceColumn {
    std::string Name;    // upper case, as the client sends it
    std::string SqlExpr; // fixed text, never built from a request
    TColumnKind Kind;
    int Decimals; // digits after the point in results (numbers)
};

// The 46 searchable fields, in catalogue order.
const std::vector<TServiceColumn>& ServiceColumns();
// Case-insensitive lookup; nullptr for an unknown name.
const TServiceColumn* FindServiceColumn(std::string_view name);

// Columns every result starts with, before the requested ones.
const std::vector<TServiceColumn>& LeadingResultColumns();
