// Reading the block source: sections, keys, escapes (\n, \r, \t, \\), numbered list entries and
// bitmap files.
#include "source_reader.h"

#include "cp1252.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

std::string trim(const std::string& text) {
    const size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string::npos) return {};
    const size_t end = text.find_last_not_of(" \t\r");
    return text.substr(start, end - start + 1);
}

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        default: out += text[i]; break;
        }
    }
    return out;
}

// "a | b | c" into its trimmed parts.
std::vector<std::string> parts(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, '|')) out.push_back(trim(part));
    return out;
}

}  // namespace

CSourceReader::CSourceReader(const std::string& text, std::filesystem::path bitmapFolder)
    : m_BitmapFolder(std::move(bitmapFolder)) {
    std::stringstream stream(text);
    std::string line, section;
    int number = 0;
    while (std::getline(stream, line)) {
        ++number;
        const std::string content = trim(line);
        if (content.empty() || content[0] == '#') continue;
        if (content.front() == '[' && content.back() == ']') {
            section = content.substr(1, content.size() - 2);
            continue;
        }
        const size_t equals = content.find('=');
        if (equals == std::string::npos || section.empty()) {
            fail("line " + std::to_string(number) + " is neither a section nor \"Key = value\"");
            return;
        }
        std::string value = trim(content.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        m_Values[section][trim(content.substr(0, equals))] = winapi::utf8ToCp1252(unescape(value));
    }
}

const std::string* CSourceReader::find(const std::string& key) {
    const auto section = m_Values.find(m_Section);
    if (section == m_Values.end()) return nullptr;
    const auto value = section->second.find(key);
    if (value == section->second.end()) return nullptr;
    m_Used.insert(m_Section + "/" + key);
    return &value->second;
}

void CSourceReader::dword(const char* key, DWORD& value) {
    const std::string* text = find(key);
    if (!text) return;
    char* end = nullptr;
    const long long number = std::strtoll(text->c_str(), &end, 0);
    if (text->empty() || *end || number < -2147483648LL || number > 0xFFFFFFFFLL)
        fail("[" + m_Section + "] " + key + " is not a number: " + *text);
    else
        value = static_cast<DWORD>(number);
}

void CSourceReader::word(const char* key, WORD& value) {
    DWORD number = value;
    dword(key, number);
    if (number > 0xFFFF) fail(std::string("[") + m_Section + "] " + key + " is above 65535");
    value = static_cast<WORD>(number);
}

void CSourceReader::text(const char* key, std::string& value) {
    if (const std::string* text = find(key)) value = *text;
}

void CSourceReader::loadBitmap(const std::string& key, const std::string& file, CDibDoc& value) {
    if (file.empty()) {
        value.clear();
        return;
    }
    std::ifstream in(m_BitmapFolder / winapi::cp1252ToUtf8(file), std::ios::binary);
    const std::vector<BYTE> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // A .bmp file is the packed bitmap behind a 14-byte file header starting with "BM".
    std::string error = "not a .bmp file";
    if (!in.fail() || in.eof()) {
        if (bytes.size() > 14 && bytes[0] == 'B' && bytes[1] == 'M' &&
            value.setPacked(std::vector<BYTE>(bytes.begin() + 14, bytes.end()), error))
            return;
    }
    fail("[" + m_Section + "] " + key + ": " + file + ": " + error);
}

void CSourceReader::bitmap(const char* key, CDibDoc& value) {
    if (const std::string* file = find(key)) loadBitmap(key, *file, value);
}

void CSourceReader::options(const char* key, std::vector<CSetupData>& value) {
    std::vector<CSetupData> read;
    for (int i = 1;; ++i) {
        const std::string* entry = find(std::string(key) + "." + std::to_string(i));
        if (!entry) break;
        const std::vector<std::string> fields = parts(*entry);
        if (fields.size() != 2) fail("[" + m_Section + "] " + key + " entries are \"name | description\"");
        else read.push_back({fields[0], fields[1]});
    }
    if (!read.empty()) value = std::move(read);
}

void CSourceReader::bitmaps(const char* key, std::vector<CDibDoc>& value) {
    std::vector<CDibDoc> read;
    for (int i = 1;; ++i) {
        const std::string name = std::string(key) + "." + std::to_string(i);
        const std::string* file = find(name);
        if (!file) break;
        read.emplace_back();
        loadBitmap(name, *file, read.back());
    }
    if (!read.empty()) value = std::move(read);
}

void CSourceReader::nodes(const char* key, std::vector<CKnoten>& value) {
    std::vector<CKnoten> read;
    for (int i = 1;; ++i) {
        const std::string* entry = find(std::string(key) + "." + std::to_string(i));
        if (!entry) break;
        const std::vector<std::string> fields = parts(*entry);
        if (fields.size() != 3) fail("[" + m_Section + "] " + key + " entries are \"name | text | text\"");
        else read.push_back({fields[0], fields[1], fields[2]});
    }
    if (!read.empty()) value = std::move(read);
}

void CSourceReader::checkAllUsed() {
    for (const auto& [section, values] : m_Values)
        for (const auto& [key, value] : values)
            if (!m_Used.count(section + "/" + key))
                fail("[" + section + "] " + key + " is no field of a block of version " +
                     std::to_string(version()));
}
