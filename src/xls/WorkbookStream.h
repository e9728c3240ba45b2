#pragma once
// The stream the writer fills: held in memory while the file is open and
// stored at Close, inside a compound document under the given stream name or,
// without a name, as the plain file.  The file itself is created at once so
// that a bad path fails when the workbook is opened.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qb {

class TWorkbookStream {
public:
    // fileName: Windows-1252 path; streamName empty for a plain file.
    TWorkbookStream(const std::string& fileName, const std::string& streamName);
    ~TWorkbookStream(); // stores what was written, ignoring failures
    TWorkbookStream(const TWorkbookStream&) = delete;
    TWorkbookStream& operator=(const TWorkbookStream&) = delete;

    void Write(const std::uint8_t* data, std::size_t size);
    std::uint64_t Position() const { return FPosition; }
    std::uint64_t Size() const { return FData.size(); }
    void Seek(std::uint64_t position);
    void SeekEnd() { FPosition = FData.size(); }
    std::uint32_t Read32(std::uint64_t position) const;
    void Write32(std::uint64_t position, std::uint32_t value); // keeps the position
    // Removes and returns the bytes from `position` to the end; the stream
    // continues at `position`.
    std::vector<std::uint8_t> TakeTail(std::uint64_t position);
    const std::vector<std::uint8_t>& Data() const { return FData; }

    // Stores the stream into the file and closes it; throws EXlsError on
    // failure (the file is closed in any case).
    void Close();

private:
    std::string FFileName;
    std::string FStreamName;
    std::FILE* FFile = nullptr;
    std::vector<std::uint8_t> FData;
    std::uint64_t FPosition = 0;
};

} // namespace qb
