#pragma once
// Direct reads of the test database, to check the service's answers against
// the stored data with SQL written independently of the service.
#include <string>

// Day number (days since 1 January 1600) of the latest snapshot on or before the ISO date.
long long SnapshotOnOrBefore(const std::string& isoDate);
// The single value of a query (first column of the first row), as text.
std::string QueryValue(const std::string& sql);
long long QueryCount(const std::string& sql);
