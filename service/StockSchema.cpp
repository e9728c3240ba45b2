#include "service/StockSchema.h"

#include "service/ServiceColumns.h"

#include <QDate>

std::string StockSchemaSql() {
    std::string sql = "CREATE TABLE stocks (ID INTEGER PRIMARY KEY, COUNTRY TEXT NOT NULL, "
                      "SYMBOL TEXT NOT NULL, EXCHANGE TEXT NOT NULL, COMPANYNAME TEXT NOT NULL, "
                      "INDUSTRY TEXT NOT NULL, UNIQUE (COUNTRY, SYMBOL));\n"
                      "CREATE TABLE snapshots (SNAPDAY INTEGER NOT NULL, STOCKID INTEGER NOT NULL";
    for (const auto& column : ServiceColumns()) {
        if (column.SqlExpr.rfind("q.", 0) != 0)
            continue;
        sql += ", " + column.Name + (column.Kind == TColumnKind::ckNumber ? " REAL" : " TEXT");
    }
    sql += ", PRIMARY KEY (SNAPDAY, STOCKID)) WITHOUT ROWID;\n";
    return sql;
}

long long DayNumberOfIso(const std::string& isoDate) {
    QDate date = QDate::fromString(QString::fromStdString(isoDate), Qt::ISODate);
    if (!date.isValid() || isoDate.size() != 10)
        return -1;
    return QDate(1600, 1, 1).daysTo(date);
}
