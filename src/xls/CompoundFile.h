#pragma once
// Writes a compound document (OLE2 structured storage, version 3, 512-byte
// sectors) whose root storage holds exactly one stream.  Streams below the
// 4096-byte cutoff live in the mini stream; large ones get as many allocation
// table sectors as they need, listed beyond the header through DIFAT sectors.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qb {

class TCompoundFile {
public:
    static constexpr std::uint32_t SectorSize = 512;
    static constexpr std::uint32_t MiniSectorSize = 64;
    static constexpr std::uint32_t MiniStreamCutoff = 4096;

    // The whole document holding `data` as the stream `streamName` (ASCII,
    // at most 31 characters).
    static std::vector<std::uint8_t> Build(const std::string& streamName,
                                           const std::vector<std::uint8_t>& data);
    // Writes the document to an open file; throws EXlsError when writing fails.
    static void Write(std::FILE* file, const std::string& fileName, const std::string& streamName,
                      const std::vector<std::uint8_t>& data);
};

} // namespace qb
