#include "service/SqliteDb.h"

#include "support/Exception.h"

#include <sqlite3.h>

namespace {

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    throw Exception(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

} // namespace

TSqliteDb::TSqliteDb(const std::string& path, TMode mode) {
    int flags =
        mode == omCreate ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    // Each connection is used by one thread at a time.
    flags |= SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &FDb, flags, nullptr) != SQLITE_OK) {
        std::string message =
            "Cannot open database " + path + ": " + (FDb ? sqlite3_errmsg(FDb) : "out of memory");
        sqlite3_close(FDb);
        throw Exception(message);
    }
    sqlite3_busy_timeout(FDb, 5000);
}

TSqliteDb::~TSqliteDb() {
    sqlite3_close(FDb);
}

void TSqliteDb::Exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(FDb, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw Exception("SQL failed: " + message);
    }
}

TSqliteStatement::TSqliteStatement(TSqliteDb& db, const std::string& sql) : FDb(db) {
    if (sqlite3_prepare_v2(db.Handle(), sql.c_str(), static_cast<int>(sql.size()), &FStmt,
                           nullptr) != SQLITE_OK)
        Fail(db.Handle(), "SQL not accepted");
}

TSqliteStatement::~TSqliteStatement() {
    sqlite3_finalize(FStmt);
}

void TSqliteStatement::Bind(int index, const TSqlParam& value) {
    int rc = SQLITE_OK;
    if (auto* d = std::get_if<double>(&value))
        rc = sqlite3_bind_double(FStmt, index, *d);
    else if (auto* i = std::get_if<long long>(&value))
        rc = sqlite3_bind_int64(FStmt, index, *i);
    else {
        const auto& text = std::get<std::string>(value);
        rc = sqlite3_bind_text(FStmt, index, text.data(), static_cast<int>(text.size()),
                               SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK)
        Fail(FDb.Handle(), "Cannot bind a value");
}

void TSqliteStatement::BindNull(int index) {
    if (sqlite3_bind_null(FStmt, index) != SQLITE_OK)
        Fail(FDb.Handle(), "Cannot bind a value");
}

bool TSqliteStatement::Step() {
    int rc = sqlite3_step(FStmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    Fail(FDb.Handle(), "Query failed");
}

void TSqliteStatement::Reset() {
    sqlite3_reset(FStmt);
}

bool TSqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(FStmt, column) == SQLITE_NULL;
}

double TSqliteStatement::Double(int column) const {
    return sqlite3_column_double(FStmt, column);
}

long long TSqliteStatement::Int(int column) const {
    return sqlite3_column_int64(FStmt, column);
}

std::string TSqliteStatement::Text(int column) const {
    const unsigned char* text = sqlite3_column_text(FStmt, column);
    int size = sqlite3_column_bytes(FStmt, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
                : std::string();
}

int TSqliteStatement::ColumnCount() const {
    return sqlite3_column_count(FStmt);
}
