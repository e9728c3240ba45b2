#pragma once
// A thin owner of one SQLite connection and its prepared statements.
// Failures throw Exception with SQLite's message.
#include "service/StockQuery.h"

#include <string>

struct sqlite3;
struct sqlite3_stmt;

class TSqliteStatement;

class TSqliteDb {
public:
    enum TMode { omReadOnly, omCreate };
    TSqliteDb(const std::string& path, TMode mode);
    ~TSqliteDb();
    TSqliteDb(const TSqliteDb&) = delete;
    TSqliteDb& operator=(const TSqliteDb&) = delete;

    void Exec(const std::string& sql);
    sqlite3* Handle() const { return FDb; }

private:
    sqlite3* FDb = nullptr;
};

class TSqliteStatement {
public:
    TSqliteStatement(TSqliteDb& db, const std::string& sql);
    ~TSqliteStatement();
    TSqliteStatement(const TSqliteStatement&) = delete;
    TSqliteStatement& operator=(const TSqliteStatement&) = delete;

    void Bind(int index, const TSqlParam& value); // 1-based
    void BindNull(int index);
    bool Step();  // true while a row is available
    void Reset(); // for the next execution; bindings stay
    bool IsNull(int column) const;
    double Double(int column) const;
    long long Int(int column) const;
    std::string Text(int column) const;
    int ColumnCount() const;

private:
    TSqliteDb& FDb;
    sqlite3_stmt* FStmt = nullptr;
};
