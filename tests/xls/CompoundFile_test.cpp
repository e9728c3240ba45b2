#include "xls/CompoundFile.h"

#include "support/XlsTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace xlstest;
using qb::TCompoundFile;

namespace {

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>(i * 7 + i / 512);
    return data;
}

std::uint32_t ByteSum(const std::vector<std::uint8_t>& data) {
    std::uint32_t sum = 0;
    for (std::uint8_t b : data)
        sum += b;
    return sum;
}

// Sizes around the mini-stream cutoff and the point where the allocation
// table outgrows the 109 header slots (about 7 MB) and a second DIFAT sector.
TEST(CompoundFileTest, OneStreamOfAnySizeReadsBackExactly) {
    struct Case {
        std::size_t Size;
        std::uint32_t DifatSectors;
    } cases[] = {
        {0, 0},    {1, 0},    {64, 0},      {65, 0},      {4095, 0},
        {4096, 0}, {4097, 0}, {7000000, 0}, {8 << 20, 1}, {16 << 20, 2},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Size);
        const std::vector<std::uint8_t> data = Pattern(c.Size);
        const std::string file = dir.File("doc" + std::to_string(c.Size) + ".xls");
        std::FILE* f = std::fopen(file.c_str(), "wb");
        ASSERT_TRUE(f);
        TCompoundFile::Write(f, file, "Workbook", data);
        std::fclose(f);

        const std::vector<std::uint8_t> doc = ReadFile(file);
        EXPECT_EQ(Le32(doc, 72), c.DifatSectors);
        EXPECT_EQ(ReadCompoundStream(doc, "Workbook"), data);
        EXPECT_EQ(doc, TCompoundFile::Build("Workbook", data));

        const std::vector<std::string> seen = Dump("ole", file);
        const std::vector<std::string> expected = {"stream Workbook " + std::to_string(c.Size) +
                                                   " " + std::to_string(ByteSum(data))};
        EXPECT_EQ(seen, expected);
    }
}

TEST(CompoundFileTest, WriteFailureIsReported) {
    std::FILE* f = std::fopen("/dev/full", "wb");
    if (!f)
        GTEST_SKIP() << "no /dev/full";
    std::setvbuf(f, nullptr, _IONBF, 0);
    EXPECT_THROW(TCompoundFile::Write(f, "/dev/full", "Book", Pattern(100)), std::exception);
    std::fclose(f);
}

} // namespace
