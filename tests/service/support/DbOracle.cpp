#include "DbOracle.h"

#include "ServiceFixture.h"

#include <sqlite3.h>

#include <stdexcept>

std::string QueryValue(const std::string& sql, const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2((path.empty() ? TestDatabasePath() : path).c_str(), &db, SQLITE_OPEN_READONLY,
                    nullptr);
    sqlite3_stmt* stmt = nullptr;
    std::string value;
    bool ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK;
    if (ok && sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0))
        value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    if (!ok)
        throw std::runtime_error("oracle query failed: " + sql);
    return value;
}

long long QueryCount(const std::string& sql, const std::string& path) {
    return std::stoll(QueryValue(sql, path));
}

long long SnapshotOnOrBefore(const std::string& isoDate) {
    std::string day = QueryValue("SELECT CAST(julianday('" + isoDate +
                                 "') - julianday('1600-01-01') AS INTEGER)");
    return QueryCount("SELECT MAX(SNAPDAY) FROM snapshots WHERE SNAPDAY <= " + day);
}
