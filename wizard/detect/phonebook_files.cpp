// Reading the region page's phonebook files and the node page's node list. Lines end with CR LF;
// a line ending in a bare line feed loses nothing (only a carriage return before the line feed is
// cut off).
#include "phonebook_files.h"

#include <cstdio>
#include <limits>

namespace {

// `complete` is false when the file could not be read to its end or holds more than `limit` bytes.
bool readWholeFile(const char* name, std::string& text, bool& complete,
                   size_t limit = std::numeric_limits<size_t>::max()) {
    FILE* file = std::fopen(name, "rb");
    if (!file) return false;
    text.clear();
    char buffer[4096];
    size_t n;
    while (text.size() <= limit && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    complete = !std::ferror(file) && text.size() <= limit;
    std::fclose(file);
    return true;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool last = end == std::string::npos;
        if (last) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!last && !line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

bool CPhonebook::load(const char* regionFile, const char* numberFile) {
    m_Regions.clear();
    std::string regions, numbers;
    bool regionsComplete = false, numbersComplete = false;
    if (!readWholeFile(regionFile, regions, regionsComplete) ||
        !readWholeFile(numberFile, numbers, numbersComplete))
        return false;
    // A file that could not be read to its end is left unparsed, but the phonebook counts as
    // loaded.
    if (regionsComplete) parseRegions(regions);
    if (numbersComplete) parseNumbers(numbers);
    return true;
}

void CPhonebook::parseRegions(const std::string& text) {
    const std::vector<std::string> lines = splitLines(text);
    for (size_t i = 1; i < lines.size(); ++i)
        m_Regions.push_back({std::to_string(i), lines[i], {}});
}

void CPhonebook::parseNumbers(const std::string& text) {
    for (const std::string& line : splitLines(text)) {
        // A field counts only when a comma ends it; fields 0 and 6 on are not used.
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t comma = line.find(','); comma != std::string::npos && fields.size() < 6;
             comma = line.find(',', start)) {
            fields.push_back(line.substr(start, comma - start));
            start = comma + 1;
        }
        fields.resize(6);
        for (Region& region : m_Regions)
            if (region.code == fields[2]) {
                region.numbers.push_back({fields[3], fields[1], fields[4], fields[5]});
                break;
            }
    }
}

std::string accessNumberListText(const AccessNumber& number) {
    return number.city + "\t" + accessNumberText(number);
}

std::string accessNumberText(const AccessNumber& number) {
    return "+" + number.countryCode + " (" + number.areaCode + ") " + number.localNumber;
}

void splitAccessNumberLine(const std::string& line, std::string& popName, std::string& popNumber) {
    const size_t tab = line.find('\t');
    popName = line.substr(0, tab);
    popNumber = tab == std::string::npos ? std::string() : line.substr(tab + 1);
}

bool isPlainFileName(const std::string& name) {
    if (name.empty() || name.find_first_of("\\/:") != std::string::npos || name.find("..") != std::string::npos)
        return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20) return false;
    return true;
}

std::vector<std::string> readNodeListFile(const std::string& name) {
    std::vector<std::string> texts;
    std::string text;
    bool complete = false;
    if (!isPlainFileName(name) || !readWholeFile(name.c_str(), text, complete, kNodeListFileLimit) || !complete)
        return texts;
    for (std::string line : splitLines(text)) {
        if (line.empty()) continue;
        // A NUL would end the text in the list.
        for (char& c : line)
            if (c == '\0') c = ' ';
        const size_t comma = line.find(',');
        std::string listed = line.substr(0, comma);
        if (listed.size() < 25) listed.resize(25, ' ');
        listed += '\t';
        if (comma != std::string::npos) {
            std::string rest = line.substr(comma + 1);
            for (char& c : rest)
                if (c == ',') c = '\t';
            listed += rest;
        }
        texts.push_back(listed);
    }
    return texts;
}
