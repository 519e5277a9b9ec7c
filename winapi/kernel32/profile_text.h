// The text of a profile (.ini) file as Windows reads and edits it: sections, keys and values found
// in the file's bytes, and edits that change only the lines they concern, so that everything else
// in the file stays byte for byte as it was.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace winapi {

class ProfileText {
public:
    explicit ProfileText(std::string bytes);
    // The parsed lines point into the bytes, so the text stays where it was made.
    ProfileText(const ProfileText&) = delete;
    ProfileText& operator=(const ProfileText&) = delete;

    const std::string& bytes() const { return bytes_; }

    // Names of the sections in file order (sections with an empty name left out).
    std::vector<std::string_view> sectionNames() const;

    // Whether the file has a section of that name (ignoring letter case and surrounding blanks).
    bool hasSection(std::string_view section) const;

    // Names of the keys ("name=value" lines) of the first section of that name, in file order.
    std::vector<std::string_view> keyNames(std::string_view section) const;

    // The lines of the first section of that name as "name=value" (or the bare text of a line
    // without "="), without blank lines and comments.
    std::vector<std::string> sectionLines(std::string_view section) const;

    // The value of the first such key in the first section of that name, surrounding blanks
    // removed but quotes kept; false when there is no such key or its line has no "=".
    bool value(std::string_view section, std::string_view key, std::string_view& value) const;

    // Edits. Each returns the new bytes of the whole file; lines written get CR LF.
    std::string withValue(std::string_view section, std::string_view key,
                          std::string_view value) const;
    std::string withoutKey(std::string_view section, std::string_view key) const;
    std::string withoutSection(std::string_view section) const;

private:
    struct Line {
        enum Kind { Blank, Comment, Header, Entry } kind;
        size_t begin;       // first byte of the line
        size_t textEnd;     // end of the text without trailing blanks
        size_t end;         // end of the line before its line break
        size_t next;        // first byte of the next line
        std::string_view name;
        bool hasValue = false;
        size_t valueBegin = 0;  // first byte after "=" and the blanks after it
        std::string_view value;
    };
    struct Section {
        std::string_view name;
        size_t header;    // index of the header line
        size_t lineEnd;   // index of the first line after the section
    };

    const Section* findSection(std::string_view name) const;
    const Line* findKey(const Section& section, std::string_view key) const;

    std::string bytes_;
    std::vector<Line> lines_;
    std::vector<Section> sections_;
};

// Blanks Windows removes around names and values.
bool isProfileBlank(char c);
std::string_view trimProfileBlanks(std::string_view text);

}  // namespace winapi
