#pragma once
// Direct reads of the test database, to check the service's answers against
// the stored data with SQL written independently of the service.
#include <string>

// Day number (days since 1 January 1600) of the latest snapshot on or before the ISO date.
long long SnapshotOnOrBefore(const std::string& isoDate);
// The single value of a query (first column of the first row), as text;
// an empty path means the shared test database.
std::string QueryValue(const std::string& sql, const std::string& path = {});
long long QueryCount(const std::string& sql, const std::string& path = {});
