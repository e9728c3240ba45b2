#pragma once
// The deterministic demo data set: stocks of the US and Canada on six
// exchanges, with a snapshot of every field each quarter from 30 August 2006
// and one on the last day (a monthly history lies behind the figures).
#include <QDate>
#include <string>
#include <vector>

struct TDemoDataOptions {
    int StockCount = 5200;
    QDate FirstDay{2006, 8, 30};
    QDate LastDay; // invalid: today
};

// Writes a new database at `path` (an existing file is replaced).
void CreateDemoDatabase(const std::string& path, const TDemoDataOptions& options = {});

// The industry names of the demo data, in the order of the default settings
// file's "Industries" section.
const std::vector<std::string>& DemoIndustries();
