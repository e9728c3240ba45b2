#pragma once
// A reference service on a free loopback port over a small demo database
// (300 stocks, snapshots from 30 August 2006 to 30 June 2026), made once per
// build directory and shared by the test programs.
#include "service/ReferenceService.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class TXrArray;
class TXrStruct;
class TXrValue;

// Path of the shared small database, created on first use.
const std::string& TestDatabasePath();

class ServiceFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Restarts the service with changed options.
    void Restart(const TServiceOptions& options);
    TServiceOptions DefaultOptions() const;

    std::uint16_t Port() const { return FService->Port(); }
    std::unique_ptr<TXrValue> Call(const std::string& method, const TXrArray& params);
    std::string OpenSession();
    // FindStocks with a fresh session; the result must be a struct.
    std::unique_ptr<TXrStruct> Find(std::unique_ptr<TXrStruct> request);

private:
    std::unique_ptr<TReferenceService> FService;
};
