#include "XlsTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>
#include <sys/wait.h>

namespace xlstest {

TempDir::TempDir() {
    std::random_device rd;
    FPath = std::filesystem::temp_directory_path() /
            ("qb_xls_" + std::to_string(rd()) + "_" + std::to_string(rd()));
    std::filesystem::create_directories(FPath);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
}

std::vector<std::string> Dump(const std::string& mode, const std::string& file, bool* ok) {
    const std::string cmd = "/usr/bin/python3 '" QB_SOURCE_DIR "/tests/xls/xls_dump.py' " + mode +
                            " '" + file + "' 2>&1";
    std::FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run " + cmd);
    std::string out;
    std::array<char, 65536> chunk;
    std::size_t n;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        out.append(chunk.data(), n);
    const int status = pclose(pipe);
    const bool success = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (ok)
        *ok = success;
    else
        EXPECT_TRUE(success) << cmd << "\n" << out.substr(0, 4000);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < out.size()) {
        std::size_t end = out.find('\n', start);
        if (end == std::string::npos)
            end = out.size();
        lines.push_back(out.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::uint8_t> ReadFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    if (at + 4 > b.size())
        throw std::runtime_error("read beyond the end");
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
    if (at + 2 > b.size())
        throw std::runtime_error("read beyond the end");
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

namespace {

void Check(bool condition, const char* what) {
    if (!condition)
        throw std::runtime_error(what);
}

} // namespace

std::vector<std::uint8_t> ReadCompoundStream(const std::vector<std::uint8_t>& doc,
                                             const std::string& name) {
    constexpr std::uint32_t End = 0xFFFFFFFE, Free = 0xFFFFFFFF, FatMark = 0xFFFFFFFD,
                            DifMark = 0xFFFFFFFC;
    Check(doc.size() >= 512 && doc.size() % 512 == 0, "file size not whole sectors");
    Check(Le32(doc, 0) == 0xE011CFD0 && Le32(doc, 4) == 0xE11AB1A1, "signature");
    Check(Le16(doc, 26) == 3 && Le16(doc, 30) == 9 && Le16(doc, 32) == 6, "version/shifts");
    const std::uint32_t sectors = static_cast<std::uint32_t>(doc.size() / 512 - 1);
    auto at = [&](std::uint32_t s) {
        Check(s < sectors, "sector number out of range");
        return 512 * (std::size_t(s) + 1);
    };
    // FAT sector list: 109 in the header, then the DIFAT chain.
    const std::uint32_t fatCount = Le32(doc, 44);
    std::vector<std::uint32_t> fatSectors;
    for (std::uint32_t i = 0; i < 109 && fatSectors.size() < fatCount; ++i)
        fatSectors.push_back(Le32(doc, 76 + 4 * i));
    std::uint32_t difat = Le32(doc, 68), difatCount = Le32(doc, 72), seenDifat = 0;
    std::vector<std::uint32_t> difatSectors;
    while (difat != End) {
        Check(++seenDifat <= difatCount, "DIFAT chain longer than announced");
        difatSectors.push_back(difat);
        for (int i = 0; i < 127 && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(Le32(doc, at(difat) + 4 * i));
        difat = Le32(doc, at(difat) + 508);
    }
    Check(seenDifat == difatCount && fatSectors.size() == fatCount, "FAT sector count");
    std::vector<std::uint32_t> fat;
    for (std::uint32_t s : fatSectors)
        for (int i = 0; i < 128; ++i)
            fat.push_back(Le32(doc, at(s) + 4 * i));
    Check(fat.size() >= sectors, "FAT does not cover the file");
    for (std::uint32_t s : fatSectors)
        Check(fat[s] == FatMark, "FAT sector not marked");
    for (std::uint32_t s : difatSectors)
        Check(fat[s] == DifMark, "DIFAT sector not marked");
    std::vector<bool> used(sectors, false);
    auto chain = [&](std::uint32_t first) {
        std::vector<std::uint8_t> out;
        for (std::uint32_t s = first; s != End; s = fat.at(s)) {
            Check(s < sectors && s != Free && !used[s], "broken or shared chain");
            used[s] = true;
            out.insert(out.end(), doc.begin() + at(s), doc.begin() + at(s) + 512);
        }
        return out;
    };
    const std::vector<std::uint8_t> dir = chain(Le32(doc, 48));
    const std::vector<std::uint8_t> miniFat = chain(Le32(doc, 60));
    const std::vector<std::uint8_t> miniStream = chain(Le32(dir, 116)); // the root entry's data
    Check(dir[66] == 5, "first entry is not the root");
    for (std::size_t e = 128; e + 128 <= dir.size(); e += 128) {
        if (dir[e + 66] != 2)
            continue;
        std::string entryName;
        for (std::size_t i = 0; i + 2 < Le16(dir, e + 64); i += 2)
            entryName += static_cast<char>(dir[e + i]);
        if (entryName != name)
            continue;
        const std::uint32_t start = Le32(dir, e + 116), size = Le32(dir, e + 120);
        std::vector<std::uint8_t> data;
        if (size == 0) {
            Check(start == End, "empty stream with sectors");
        } else if (size < 4096) {
            for (std::uint32_t m = start; m != End; m = Le32(miniFat, 4 * m)) {
                Check(64 * (std::size_t(m) + 1) <= miniStream.size(), "mini sector out of range");
                data.insert(data.end(), miniStream.begin() + 64 * m,
                            miniStream.begin() + 64 * (m + 1));
            }
        } else {
            data = chain(start);
        }
        Check(data.size() >= size && data.size() - size < (size < 4096 ? 64u : 512u),
              "chain length does not match the size");
        data.resize(size);
        return data;
    }
    throw std::runtime_error("no stream " + name);
}

std::vector<Record> SplitRecords(const std::vector<std::uint8_t>& s) {
    std::vector<Record> records;
    std::size_t pos = 0;
    while (pos < s.size()) {
        const std::uint16_t type = Le16(s, pos), length = Le16(s, pos + 2);
        Check(pos + 4 + length <= s.size(), "record beyond the end of the stream");
        records.push_back({type, {s.begin() + pos + 4, s.begin() + pos + 4 + length}, pos});
        pos += 4 + length;
    }
    return records;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

} // namespace xlstest
