// The configuration block as a whole: where it is found (appended to the program behind an "END"
// trailer, or a separate file starting with "OVB"), reading it all or nothing, and writing both
// containers.
#pragma once

#include "page_records.h"
#include "wizard_data.h"

#include <string>
#include <vector>

struct ConfigBlock {
    WORD m_Version = 0;
    CWizardData m_Data;
    std::vector<CSetupData> m_IeOptions;
    std::vector<CSetupData> m_NcOptions;
    CPageRecords m_Pages;

    void exchange(CBlockArchive& ar);
    bool operator==(const ConfigBlock&) const = default;
};

enum class BlockStatus {
    Read,
    NotFound,     // nothing appended and no configuration file
    WrongFormat,  // a configuration file whose first string is not "OVB"
    Damaged,      // the record ends early or holds a bitmap that is not one
};

// Reads the block appended to `programFile`, or else the configuration file `configFile`, both
// relative to the current folder. Only a block read to its end replaces `block`; otherwise
// `error` says what stopped the reader.
BlockStatus readConfigBlock(const std::string& programFile, const std::string& configFile,
                            ConfigBlock& block, std::string& error);

// The same from bytes in memory: a whole configuration file, or a whole program file with its
// appended block.
BlockStatus readConfigFileBytes(const BYTE* data, size_t size, ConfigBlock& block, std::string& error);
BlockStatus readAppendedBytes(const BYTE* data, size_t size, ConfigBlock& block, std::string& error);
// True when the bytes end with the trailer of an appended block.
bool hasAppendedBlock(const BYTE* data, size_t size);

// The record alone, a configuration file, and the bytes to append to a program of `programSize`
// bytes (the record followed by its offset and "END").
std::vector<BYTE> writeRecord(const ConfigBlock& block);
std::vector<BYTE> writeConfigFile(const ConfigBlock& block);
std::vector<BYTE> writeAppendedBlock(const ConfigBlock& block, DWORD programSize);

inline constexpr const char* kDefaultConfigFile = "wizard.ovb";
