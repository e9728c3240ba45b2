#pragma once
// A reference service over a small demo database on a free loopback port,
// settings files that point at it, filter files made with the filter
// document, and runs of the built program without a display.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class TFilterFm;
class TReferenceService;
struct TServiceOptions;

struct TRun {
    int Status = -1;
    QByteArray Out;
    QByteArray Err;
};

class HeadlessFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    static std::uint16_t Port();
    // Restarts the service with changed options (and back with nullptr).
    static void RestartService(const std::function<void(TServiceOptions&)>& change);

    // A settings file for the service at `port` (default: the running one).
    QString Settings(const QString& password = QStringLiteral("demo"), int port = -1);
    // A filter file written by the filter document after `edit` set its panels.
    QString FilterFile(const QString& name, const std::function<void(TFilterFm&)>& edit);
    // The program with `arguments`, no display, the settings file first.
    // `stdoutFile` replaces the pipe of standard output.
    TRun Run(const QStringList& arguments, const QString& settings = {},
             const QString& stdoutFile = {});
    QString Path(const QString& name) const { return FDir.filePath(name); }

    QTemporaryDir FDir;
};

// Panel helpers for building filters.
void UseRange(TFilterFm& editor, const char* column, double min, double max);
void DisplayOnly(TFilterFm& editor, const char* column);
void UseChoice(TFilterFm& editor, const char* column, const std::vector<int>& selected);

// The date every search of the tests uses: the demo data's last day.
inline constexpr const char* TradeDateText = "2026-06-30";
