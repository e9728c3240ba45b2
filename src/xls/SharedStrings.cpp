#include "xls/SharedStrings.h"

#include "support/Win1252.h"

#include <algorithm>
#include <cstring>

namespace qb {

std::uint16_t TSharedStrings::Hash(const std::string& text) {
    std::uint16_t h = 0;
    for (unsigned char c : text) {
        h = static_cast<std::uint16_t>((h << 5) | (h >> 11));
        h ^= c;
    }
    return h;
}

bool TSharedStrings::NeedsWideChars(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80 && c <= 0x9F)
            return true;
    return false;
}

std::uint32_t TSharedStrings::Add(const std::string& text) {
    ++FCellCount;
    if (FBuckets.empty())
        FBuckets.assign(0x10000, None);
    const std::uint16_t h = Hash(text);
    // The bucket holds exactly the entries of this hash, so comparing bytes
    // here is the same as scanning the whole table for hash and bytes.
    for (std::uint32_t i = FBuckets[h]; i != None; i = FNext[i])
        if (FTexts[i] == text)
            return i;
    const auto index = static_cast<std::uint32_t>(FTexts.size());
    FTexts.push_back(text);
    FNext.push_back(FBuckets[h]);
    FBuckets[h] = index;
    return index;
}

void TSharedStrings::Clear() {
    FTexts.clear();
    FNext.clear();
    FBuckets.clear();
    FCellCount = 0;
}

namespace {

void Put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Characters [from, from + count) of a text at p, 1 or 2 bytes each.
void PutChars(std::uint8_t* p, const std::string& text, std::size_t from, std::size_t count,
              bool wide) {
    if (!wide) {
        std::memcpy(p, text.data() + from, count);
        return;
    }
    for (std::size_t i = 0; i < count; ++i)
        Put16(p + 2 * i, Win1252ToUnicode(static_cast<unsigned char>(text[from + i])));
}

} // namespace

void TSharedStrings::Emit(
    std::uint8_t* buffer, std::size_t maxSize,
    const std::function<void(std::uint16_t type, std::size_t length)>& flush) const {
    constexpr std::uint16_t SST = 0x00FC, CONTINUE = 0x003C;
    std::uint16_t type = SST;
    auto next = [&](std::size_t length) {
        flush(type, length);
        type = CONTINUE;
    };
    Put32(buffer, FCellCount);
    Put32(buffer + 4, static_cast<std::uint32_t>(FTexts.size()));
    std::size_t pos = 8;
    for (const std::string& text : FTexts) {
        const bool wide = NeedsWideChars(text);
        const std::size_t width = wide ? 2 : 1;
        const std::size_t n = text.size();
        const std::uint8_t option = wide ? 1 : 0;
        std::size_t s = 3 + n * width;
        if (pos + s > maxSize) {
            next(pos);
            pos = 0;
        }
        Put16(buffer + pos, static_cast<std::uint32_t>(n));
        buffer[pos + 2] = option;
        pos += 3;
        if (s <= maxSize) {
            PutChars(buffer + pos, text, 0, n, wide);
            pos += n * width;
            continue;
        }
        // Longer than a record: split on character boundaries; every
        // continuation starts with the option byte again.
        std::size_t done = (maxSize - 3) / width;
        PutChars(buffer + pos, text, 0, done, wide);
        next(pos + done * width);
        for (;;) {
            const std::size_t chunk = std::min(n - done, (maxSize - 1) / width);
            buffer[0] = option;
            PutChars(buffer + 1, text, done, chunk, wide);
            done += chunk;
            pos = 1 + chunk * width;
            if (done == n)
                break;
            next(pos);
        }
    }
    next(pos);
}

} // namespace qb
