#include "xls/WorkbookStream.h"

#include "support/Win1252.h"
#include "xls/CompoundFile.h"
#include "xls/XlsError.h"

#include <cerrno>
#include <cstring>

namespace qb {

TWorkbookStream::TWorkbookStream(const std::string& fileName, const std::string& streamName)
    : FFileName(fileName), FStreamName(streamName) {
    FFile = std::fopen(Win1252ToUtf8(fileName).c_str(), "wb");
    if (!FFile)
        throw EXlsError("Can not create file \"" + fileName + "\": " + std::strerror(errno));
    FData.reserve(64 * 1024);
}

TWorkbookStream::~TWorkbookStream() {
    try {
        Close();
    } catch (...) {
        // Destruction must not throw; Close has released the file.
    }
}

void TWorkbookStream::Write(const std::uint8_t* data, std::size_t size) {
    if (FPosition == FData.size()) {
        FData.insert(FData.end(), data, data + size);
    } else {
        const std::size_t end = FPosition + size;
        if (end > FData.size())
            FData.resize(end);
        std::memcpy(FData.data() + FPosition, data, size);
    }
    FPosition += size;
}

void TWorkbookStream::Seek(std::uint64_t position) {
    if (position > FData.size())
        FData.resize(position, 0);
    FPosition = position;
}

std::uint32_t TWorkbookStream::Read32(std::uint64_t position) const {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | FData.at(position + i);
    return v;
}

void TWorkbookStream::Write32(std::uint64_t position, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        FData.at(position + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> TWorkbookStream::TakeTail(std::uint64_t position) {
    std::vector<std::uint8_t> tail(FData.begin() + position, FData.end());
    FData.resize(position);
    FPosition = position;
    return tail;
}

void TWorkbookStream::Close() {
    if (!FFile)
        return;
    std::FILE* file = FFile;
    FFile = nullptr;
    std::string error;
    try {
        if (FStreamName.empty()) {
            if (!FData.empty() && std::fwrite(FData.data(), 1, FData.size(), file) != FData.size())
                error = std::strerror(errno);
        } else {
            TCompoundFile::Write(file, FFileName, FStreamName, FData);
        }
    } catch (const EXlsError& e) {
        error = e.Message();
    }
    if (std::fclose(file) != 0 && error.empty())
        error = std::strerror(errno);
    if (!error.empty())
        throw EXlsError(error.starts_with("Can not")
                            ? error
                            : "Can not write file \"" + FFileName + "\": " + error);
}

} // namespace qb
