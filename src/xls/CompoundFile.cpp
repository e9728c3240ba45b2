#include "xls/CompoundFile.h"

#include "support/Require.h"
#include "xls/XlsError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qb {

namespace {

constexpr std::uint32_t FreeSect = 0xFFFFFFFF;
constexpr std::uint32_t EndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t FatSect = 0xFFFFFFFD;
constexpr std::uint32_t DifSect = 0xFFFFFFFC;
constexpr std::uint32_t NoStream = 0xFFFFFFFF;
constexpr std::uint32_t EntriesPerSector = TCompoundFile::SectorSize / 4;
constexpr std::uint32_t HeaderDifatEntries = 109;

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) {
    return (a + b - 1) / b;
}

void Put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Where everything goes: FAT sectors, DIFAT sectors, the directory, the mini
// allocation table, then the data (the stream itself, or the mini stream).
struct TLayout {
    std::uint64_t StreamSize = 0;
    bool Mini = false;
    std::uint32_t MiniSectors = 0;
    std::uint32_t FatSectors = 0;
    std::uint32_t DifatSectors = 0;
    std::uint32_t MiniFatSectors = 0;
    std::uint32_t DataSectors = 0;

    std::uint32_t FirstDifat() const { return FatSectors; }
    std::uint32_t DirSector() const { return FatSectors + DifatSectors; }
    std::uint32_t FirstMiniFat() const { return DirSector() + 1; }
    std::uint32_t FirstData() const { return FirstMiniFat() + MiniFatSectors; }
    std::uint32_t TotalSectors() const { return FirstData() + DataSectors; }
    std::uint64_t DataBytes() const {
        return std::uint64_t(DataSectors) * TCompoundFile::SectorSize;
    }
};

TLayout PlanLayout(std::uint64_t size) {
    TLayout l;
    l.StreamSize = size;
    l.Mini = size > 0 && size < TCompoundFile::MiniStreamCutoff;
    if (l.Mini) {
        l.MiniSectors = static_cast<std::uint32_t>(CeilDiv(size, TCompoundFile::MiniSectorSize));
        l.MiniFatSectors = static_cast<std::uint32_t>(CeilDiv(l.MiniSectors, EntriesPerSector));
        l.DataSectors = static_cast<std::uint32_t>(
            CeilDiv(std::uint64_t(l.MiniSectors) * TCompoundFile::MiniSectorSize,
                    TCompoundFile::SectorSize));
    } else {
        const std::uint64_t sectors = CeilDiv(size, TCompoundFile::SectorSize);
        // Sector numbers are 32-bit and the top values are markers.
        if (sectors > 0xFFFFFF00u / 2)
            throw EXlsError("Workbook stream too large for a compound document");
        l.DataSectors = static_cast<std::uint32_t>(sectors);
    }
    // The allocation table also covers its own sectors and the DIFAT sectors.
    l.FatSectors = 1;
    for (;;) {
        l.DifatSectors = l.FatSectors > HeaderDifatEntries
                             ? static_cast<std::uint32_t>(
                                   CeilDiv(l.FatSectors - HeaderDifatEntries, EntriesPerSector - 1))
                             : 0;
        const auto needed = static_cast<std::uint32_t>(CeilDiv(l.TotalSectors(), EntriesPerSector));
        if (needed <= l.FatSectors)
            break;
        l.FatSectors = needed;
    }
    return l;
}

void WriteDirEntry(std::uint8_t* p, const std::string& name, std::uint8_t type, std::uint32_t child,
                   std::uint32_t start, std::uint64_t size) {
    std::memset(p, 0, 128);
    for (std::size_t i = 0; i < name.size(); ++i)
        Put16(p + 2 * i, static_cast<unsigned char>(name[i]));
    Put16(p + 64, static_cast<std::uint16_t>(2 * (name.size() + 1)));
    p[66] = type;
    p[67] = 1; // black: a tree of one node per level is trivially balanced
    Put32(p + 68, NoStream);
    Put32(p + 72, NoStream);
    Put32(p + 76, child);
    Put32(p + 116, start);
    Put32(p + 120, static_cast<std::uint32_t>(size));
}

// Everything in front of the data sectors.
std::vector<std::uint8_t> BuildHead(const TLayout& l, const std::string& streamName) {
    Require(!streamName.empty() && streamName.size() <= 31,
            "Stream name must have 1 to 31 characters");
    const std::uint32_t headSectors = l.FirstData();
    std::vector<std::uint8_t> head(TCompoundFile::SectorSize * (1 + std::size_t(headSectors)), 0);
    std::uint8_t* h = head.data();

    static const std::uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(h, signature, 8);
    Put16(h + 24, 0x003E); // minor version
    Put16(h + 26, 0x0003); // major version: 512-byte sectors
    Put16(h + 28, 0xFFFE); // little-endian
    Put16(h + 30, 9);      // sector shift
    Put16(h + 32, 6);      // mini sector shift
    Put32(h + 44, l.FatSectors);
    Put32(h + 48, l.DirSector());
    Put32(h + 56, TCompoundFile::MiniStreamCutoff);
    Put32(h + 60, l.MiniFatSectors ? l.FirstMiniFat() : EndOfChain);
    Put32(h + 64, l.MiniFatSectors);
    Put32(h + 68, l.DifatSectors ? l.FirstDifat() : EndOfChain);
    Put32(h + 72, l.DifatSectors);
    for (std::uint32_t i = 0; i < HeaderDifatEntries; ++i)
        Put32(h + 76 + 4 * i, i < l.FatSectors ? i : FreeSect);

    auto sector = [&](std::uint32_t n) {
        return h + TCompoundFile::SectorSize * (1 + std::size_t(n));
    };

    // Allocation table.
    std::vector<std::uint32_t> fat(std::size_t(l.FatSectors) * EntriesPerSector, FreeSect);
    for (std::uint32_t i = 0; i < l.FatSectors; ++i)
        fat[i] = FatSect;
    for (std::uint32_t i = 0; i < l.DifatSectors; ++i)
        fat[l.FirstDifat() + i] = DifSect;
    fat[l.DirSector()] = EndOfChain;
    auto chain = [&](std::uint32_t first, std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i)
            fat[first + i] = i + 1 < count ? first + i + 1 : EndOfChain;
    };
    chain(l.FirstMiniFat(), l.MiniFatSectors);
    chain(l.FirstData(), l.DataSectors);
    for (std::size_t i = 0; i < fat.size(); ++i)
        Put32(sector(0) + 4 * i, fat[i]);

    // DIFAT sectors: 127 FAT sector numbers each, then the next DIFAT sector.
    for (std::uint32_t d = 0; d < l.DifatSectors; ++d) {
        std::uint8_t* p = sector(l.FirstDifat() + d);
        for (std::uint32_t i = 0; i < EntriesPerSector - 1; ++i) {
            const std::uint64_t fatIndex =
                HeaderDifatEntries + std::uint64_t(d) * (EntriesPerSector - 1) + i;
            Put32(p + 4 * i,
                  fatIndex < l.FatSectors ? static_cast<std::uint32_t>(fatIndex) : FreeSect);
        }
        Put32(p + 4 * (EntriesPerSector - 1),
              d + 1 < l.DifatSectors ? l.FirstDifat() + d + 1 : EndOfChain);
    }

    // Directory: root storage, the stream, two unused entries.
    std::uint8_t* dir = sector(l.DirSector());
    const std::uint32_t streamStart = l.StreamSize == 0 ? EndOfChain : (l.Mini ? 0 : l.FirstData());
    WriteDirEntry(dir, "Root Entry", 5, 1, l.Mini ? l.FirstData() : EndOfChain,
                  l.Mini ? std::uint64_t(l.MiniSectors) * TCompoundFile::MiniSectorSize : 0);
    WriteDirEntry(dir + 128, streamName, 2, NoStream, streamStart, l.StreamSize);
    for (int e = 2; e < 4; ++e) {
        std::uint8_t* p = dir + 128 * e;
        Put32(p + 68, NoStream);
        Put32(p + 72, NoStream);
        Put32(p + 76, NoStream);
    }

    // Mini allocation table.
    if (l.MiniFatSectors) {
        std::uint8_t* p = sector(l.FirstMiniFat());
        for (std::uint32_t i = 0; i < l.MiniFatSectors * EntriesPerSector; ++i)
            Put32(p + 4 * i,
                  i < l.MiniSectors ? (i + 1 < l.MiniSectors ? i + 1 : EndOfChain) : FreeSect);
    }
    return head;
}

} // namespace

std::vector<std::uint8_t> TCompoundFile::Build(const std::string& streamName,
                                               const std::vector<std::uint8_t>& data) {
    const TLayout l = PlanLayout(data.size());
    std::vector<std::uint8_t> doc = BuildHead(l, streamName);
    doc.insert(doc.end(), data.begin(), data.end());
    doc.resize(doc.size() + (l.DataBytes() - data.size()), 0);
    return doc;
}

void TCompoundFile::Write(std::FILE* file, const std::string& fileName,
                          const std::string& streamName, const std::vector<std::uint8_t>& data) {
    const TLayout l = PlanLayout(data.size());
    const std::vector<std::uint8_t> head = BuildHead(l, streamName);
    const std::vector<std::uint8_t> padding(l.DataBytes() - data.size(), 0);
    auto put = [&](const std::vector<std::uint8_t>& bytes) {
        if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
            throw EXlsError("Can not write file \"" + fileName + "\": " + std::strerror(errno));
    };
    put(head);
    put(data);
    put(padding);
}

} // namespace qb
