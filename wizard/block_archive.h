// One description of the configuration block serves three directions: reading the block, writing
// it, and reading the readable source it is packed from. Every record is exchanged with an archive
// field by field, named for the source; the archive decides the encoding. A reading archive that
// meets the end of its bytes or a damaged field stops: it records the first error and every later
// exchange leaves its field alone.
#pragma once

#include "block_types.h"
#include "dib_doc.h"

#include <windows.h>

#include <string>
#include <vector>

class CBlockArchive {
public:
    virtual ~CBlockArchive() = default;

    virtual bool isLoading() const = 0;
    // The record's format version, known once exchanged; decides which fields are present.
    WORD version() const { return m_Version; }
    void setVersion(WORD version) { m_Version = version; }

    // The group of fields that follow (the source's section; the binary forms ignore it).
    virtual void section(const char* name) = 0;
    virtual void word(const char* key, WORD& value) = 0;
    virtual void dword(const char* key, DWORD& value) = 0;
    void signedDword(const char* key, LONG& value);
    virtual void text(const char* key, std::string& value) = 0;
    virtual void bitmap(const char* key, CDibDoc& value) = 0;
    void helper(const char* key, CAnwendung& value);
    // Install option list: WORD count. Bitmap list: WORD count. Node list: DWORD count.
    virtual void options(const char* key, std::vector<CSetupData>& value) = 0;
    virtual void bitmaps(const char* key, std::vector<CDibDoc>& value) = 0;
    virtual void nodes(const char* key, std::vector<CKnoten>& value) = 0;

    bool failed() const { return !m_Error.empty(); }
    const std::string& error() const { return m_Error; }

protected:
    void fail(const std::string& error) {
        if (m_Error.empty()) m_Error = error;
    }

private:
    WORD m_Version = 0;
    std::string m_Error;
};

// Reads the binary record from bytes in memory.
class CBlockReader : public CBlockArchive {
public:
    CBlockReader(const BYTE* data, size_t size) : m_Data(data), m_Size(size) {}

    bool isLoading() const override { return true; }
    void section(const char*) override {}
    void word(const char* key, WORD& value) override;
    void dword(const char* key, DWORD& value) override;
    void text(const char* key, std::string& value) override;
    void bitmap(const char* key, CDibDoc& value) override;
    void options(const char* key, std::vector<CSetupData>& value) override;
    void bitmaps(const char* key, std::vector<CDibDoc>& value) override;
    void nodes(const char* key, std::vector<CKnoten>& value) override;

    size_t position() const { return m_Position; }

private:
    bool take(const char* key, void* out, size_t count);
    bool readLength(const char* key, DWORD& length, bool& utf16);

    const BYTE* m_Data;
    size_t m_Size;
    size_t m_Position = 0;
};

// Writes the binary record.
class CBlockWriter : public CBlockArchive {
public:
    bool isLoading() const override { return false; }
    void section(const char*) override {}
    void word(const char* key, WORD& value) override;
    void dword(const char* key, DWORD& value) override;
    void text(const char* key, std::string& value) override;
    void bitmap(const char* key, CDibDoc& value) override;
    void options(const char* key, std::vector<CSetupData>& value) override;
    void bitmaps(const char* key, std::vector<CDibDoc>& value) override;
    void nodes(const char* key, std::vector<CKnoten>& value) override;

    const std::vector<BYTE>& bytes() const { return m_Bytes; }

private:
    void put(const void* data, size_t count);
    std::vector<BYTE> m_Bytes;
};
