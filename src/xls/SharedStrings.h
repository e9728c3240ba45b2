#pragma once
// The shared-string table of a BIFF8 workbook: distinct cell texts in order of
// first appearance, found again by their 16-bit hash, and their layout into an
// SST record with CONTINUE records.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qb {

class TSharedStrings {
public:
    static std::uint16_t Hash(const std::string& text);
    // Texts holding bytes 0x80-0x9F are stored as 16-bit characters: as 8-bit
    // characters readers would take them for control characters.
    static bool NeedsWideChars(const std::string& text);

    // Counts one text cell and returns the index of its text.
    std::uint32_t Add(const std::string& text);
    std::uint32_t CellCount() const { return FCellCount; }
    std::size_t Count() const { return FTexts.size(); }
    void Clear();

    // Fills `buffer` (maxSize bytes) record by record and hands each one to
    // `flush` with its type (SST first, then CONTINUE) and data length.  A text
    // goes whole into one record unless it alone is larger than a record.
    void Emit(std::uint8_t* buffer, std::size_t maxSize,
              const std::function<void(std::uint16_t type, std::size_t length)>& flush) const;

private:
    static constexpr std::uint32_t None = 0xFFFFFFFF;
    std::vector<std::string> FTexts;
    std::vector<std::uint32_t> FNext;    // next entry with the same hash
    std::vector<std::uint32_t> FBuckets; // first entry per hash value
    std::uint32_t FCellCount = 0;
};

} // namespace qb
