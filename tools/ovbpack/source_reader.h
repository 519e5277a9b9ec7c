// The readable source of a configuration block: UTF-8 text in sections of "Key = value" lines,
// named as the block's fields are, with bitmaps named by their .bmp files. Read through the same
// field list as the binary block, so a source describes exactly what the block will hold.
#pragma once

#include "block_archive.h"

#include <filesystem>
#include <map>
#include <set>
#include <string>

class CSourceReader : public CBlockArchive {
public:
    // `bitmapFolder` is where bitmap file names are looked up.
    CSourceReader(const std::string& text, std::filesystem::path bitmapFolder);

    bool isLoading() const override { return true; }
    void section(const char* name) override { m_Section = name; }
    void word(const char* key, WORD& value) override;
    void dword(const char* key, DWORD& value) override;
    void text(const char* key, std::string& value) override;
    void bitmap(const char* key, CDibDoc& value) override;
    void options(const char* key, std::vector<CSetupData>& value) override;
    void bitmaps(const char* key, std::vector<CDibDoc>& value) override;
    void nodes(const char* key, std::vector<CKnoten>& value) override;

    // After the exchange: fails on any line the block has no field for (a misspelt key would
    // otherwise silently leave its field empty).
    void checkAllUsed();

private:
    const std::string* find(const std::string& key);
    void loadBitmap(const std::string& key, const std::string& file, CDibDoc& value);

    std::map<std::string, std::map<std::string, std::string>> m_Values;  // section, key: value
    std::set<std::string> m_Used;
    std::filesystem::path m_BitmapFolder;
    std::string m_Section;
};
