// Locating, reading and writing the configuration block.
#include "config_block.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr size_t kTrailerSize = 7;  // DWORD offset, "END"
constexpr const char* kFileMagic = "OVB";

BlockStatus readRecord(const BYTE* data, size_t size, ConfigBlock& block, std::string& error) {
    CBlockReader reader(data, size);
    ConfigBlock read;
    read.exchange(reader);
    if (reader.failed()) {
        error = reader.error();
        return BlockStatus::Damaged;
    }
    block = std::move(read);
    return BlockStatus::Read;
}

// The whole file, read through the system; false when it does not open.
bool readWholeFile(const std::string& name, std::vector<BYTE>& bytes) {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = GetFileSize(file, nullptr);
    bool ok = size != INVALID_FILE_SIZE;
    if (ok) {
        bytes.resize(size);
        DWORD got = 0;
        ok = size == 0 || (ReadFile(file, bytes.data(), size, &got, nullptr) && got == size);
    }
    CloseHandle(file);
    return ok;
}

}  // namespace

void ConfigBlock::exchange(CBlockArchive& ar) {
    ar.section("Wizard");
    ar.word("Version", m_Version);
    ar.setVersion(m_Version);
    m_Data.exchange(ar);
    ar.section("Options");
    ar.options("IeOptions", m_IeOptions);
    ar.options("NcOptions", m_NcOptions);
    m_Pages.exchange(ar);
}

bool hasAppendedBlock(const BYTE* data, size_t size) {
    return size >= kTrailerSize && std::memcmp(data + size - 3, "END", 3) == 0;
}

BlockStatus readAppendedBytes(const BYTE* data, size_t size, ConfigBlock& block, std::string& error) {
    if (!hasAppendedBlock(data, size)) return BlockStatus::NotFound;
    const BYTE* offsetBytes = data + size - kTrailerSize;
    const DWORD offset = static_cast<DWORD>(offsetBytes[0]) | static_cast<DWORD>(offsetBytes[1]) << 8 |
                         static_cast<DWORD>(offsetBytes[2]) << 16 |
                         static_cast<DWORD>(offsetBytes[3]) << 24;
    // The record lies between the offset and the trailer; what follows its end is never read.
    const size_t end = size - kTrailerSize;
    if (offset > end) {
        error = "the appended configuration starts at byte " + std::to_string(offset) +
                ", beyond the end of the program";
        return BlockStatus::Damaged;
    }
    return readRecord(data + offset, end - offset, block, error);
}

BlockStatus readConfigFileBytes(const BYTE* data, size_t size, ConfigBlock& block, std::string& error) {
    CBlockReader reader(data, size);
    std::string magic;
    reader.text("OVB", magic);
    if (reader.failed() || magic != kFileMagic) return BlockStatus::WrongFormat;
    return readRecord(data + reader.position(), size - reader.position(), block, error);
}

BlockStatus readConfigBlock(const std::string& programFile, const std::string& configFile,
                            ConfigBlock& block, std::string& error) {
    std::vector<BYTE> bytes;
    if (readWholeFile(programFile, bytes) && hasAppendedBlock(bytes.data(), bytes.size()))
        return readAppendedBytes(bytes.data(), bytes.size(), block, error);
    if (!readWholeFile(configFile, bytes)) return BlockStatus::NotFound;
    return readConfigFileBytes(bytes.data(), bytes.size(), block, error);
}

std::vector<BYTE> writeRecord(const ConfigBlock& block) {
    CBlockWriter writer;
    ConfigBlock copy = block;
    copy.exchange(writer);
    return writer.bytes();
}

std::vector<BYTE> writeConfigFile(const ConfigBlock& block) {
    std::vector<BYTE> bytes = {3, 'O', 'V', 'B'};
    const std::vector<BYTE> record = writeRecord(block);
    bytes.insert(bytes.end(), record.begin(), record.end());
    return bytes;
}

std::vector<BYTE> writeAppendedBlock(const ConfigBlock& block, DWORD programSize) {
    std::vector<BYTE> bytes = writeRecord(block);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<BYTE>(programSize >> (8 * i)));
    bytes.insert(bytes.end(), {'E', 'N', 'D'});
    return bytes;
}
