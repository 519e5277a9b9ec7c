// A packed device-independent bitmap as the configuration block carries it (header, colour table,
// bottom-up rows), with the logical palette the pages draw it with.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CPaletteEntry {
    BYTE red = 0, green = 0, blue = 0;
    bool operator==(const CPaletteEntry&) const = default;
};

class CDibDoc {
public:
    // Takes the packed bytes (header first). False, with the reason, when the header does not
    // describe bytes that are there: such a bitmap is refused rather than drawn from outside it.
    bool setPacked(std::vector<BYTE> packed, std::string& error);
    void clear();

    bool present() const { return !m_Packed.empty(); }
    const std::vector<BYTE>& packed() const { return m_Packed; }
    LONG width() const;
    LONG height() const;  // rows, bottom-up
    WORD bitCount() const;
    // The byte count the block records for this bitmap: header, colour table and image.
    DWORD storedSize() const;
    const std::vector<CPaletteEntry>& palette() const { return m_Palette; }
    // Offset of the first pixel row in packed().
    DWORD bitsOffset() const;

    bool operator==(const CDibDoc& other) const { return m_Packed == other.m_Packed; }

private:
    std::vector<BYTE> m_Packed;
    std::vector<CPaletteEntry> m_Palette;
};

// The packed form of a bitmap built in memory (the tools and tests make their pictures this way).
std::vector<BYTE> packDib(LONG width, LONG height, WORD bitCount,
                          const std::vector<CPaletteEntry>& colours, const std::vector<BYTE>& rows);
