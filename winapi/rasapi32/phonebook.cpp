// Reading and writing the phonebook file under its lock.
#include "phonebook.h"

#include <raserror.h>

#include "cp1252.h"
#include "prefix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace winapi::ras {
namespace {

constexpr const char* kFolder = "ras";
constexpr const char* kFile = "ras/rasphone.pbk";
constexpr const char* kLock = "ras/rasphone.lock";

// Holds the phonebook's lock file, shared or exclusive, for its lifetime.
class PhonebookLock {
public:
    explicit PhonebookLock(bool exclusive) {
        ::mkdir(prefixFile(kFolder).c_str(), 0755);
        fd_ = ::open(prefixFile(kLock).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ >= 0 && ::flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~PhonebookLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    PhonebookLock(const PhonebookLock&) = delete;
    PhonebookLock& operator=(const PhonebookLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

std::string trim(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r'))
        --end;
    return std::string(text.substr(begin, end - begin));
}

DWORD readLocked(Phonebook& book) {
    book.clear();
    std::ifstream in(prefixFile(kFile), std::ios::binary);
    if (!in) return ERROR_SUCCESS;  // no entry made yet
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return ERROR_CANNOT_LOAD_PHONEBOOK;
    return parsePhonebook(text.str(), book) ? ERROR_SUCCESS : ERROR_CANNOT_LOAD_PHONEBOOK;
}

bool writeLocked(const Phonebook& book) {
    const std::string text = formatPhonebook(book);
    const std::string file = prefixFile(kFile);
    const std::string temporary = file + ".tmp";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), file.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool parsePhonebook(std::string_view bytes, Phonebook& book) {
    book.clear();
    std::istringstream in{std::string(bytes)};
    std::string line;
    while (std::getline(in, line)) {
        const std::string text = trim(line);
        if (text.empty() || text[0] == ';') continue;
        if (text.front() == '[') {
            if (text.back() != ']') return false;
            book.push_back({text.substr(1, text.size() - 2), {}});
            continue;
        }
        const size_t equals = text.find('=');
        if (equals == std::string::npos || book.empty()) return false;
        book.back().values.emplace_back(trim(text.substr(0, equals)), text.substr(equals + 1));
    }
    return true;
}

std::string formatPhonebook(const Phonebook& book) {
    std::ostringstream out;
    for (const PhonebookEntry& entry : book) {
        out << '[' << entry.name << "]\r\n";
        for (const auto& [key, value] : entry.values) out << key << '=' << value << "\r\n";
        out << "\r\n";
    }
    return out.str();
}

std::string PhonebookEntry::get(std::string_view key, std::string_view fallback) const {
    for (const auto& [k, v] : values)
        if (equalsIgnoreCase(k, key)) return v;
    return std::string(fallback);
}

DWORD PhonebookEntry::getNumber(std::string_view key, DWORD fallback) const {
    const std::string text = get(key);
    if (text.empty()) return fallback;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 0);
    return *end ? fallback : static_cast<DWORD>(value);
}

void PhonebookEntry::set(std::string_view key, std::string_view value) {
    // A value is kept as the file gives it back: up to its line's end, without trailing blanks.
    // So a line break in a caller's text (a user name from a page) cannot add lines of its own
    // to the phonebook, and what a process reads is what it stored.
    value = value.substr(0, value.find_first_of("\r\n"));
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
    for (auto& [k, v] : values)
        if (equalsIgnoreCase(k, key)) {
            v = value;
            return;
        }
    values.emplace_back(key, value);
}

void PhonebookEntry::erase(std::string_view key) {
    std::erase_if(values, [&](const auto& kv) { return equalsIgnoreCase(kv.first, key); });
}

DWORD readPhonebook(Phonebook& book) {
    PhonebookLock lock(false);
    if (!lock.held()) return ERROR_CANNOT_LOAD_PHONEBOOK;
    return readLocked(book);
}

DWORD editPhonebook(const std::function<DWORD(Phonebook&)>& edit) {
    PhonebookLock lock(true);
    if (!lock.held()) return ERROR_CANNOT_WRITE_PHONEBOOK;
    Phonebook book;
    if (DWORD error = readLocked(book)) return error;
    if (DWORD error = edit(book)) return error;
    return writeLocked(book) ? ERROR_SUCCESS : ERROR_CANNOT_WRITE_PHONEBOOK;
}

PhonebookEntry* findEntry(Phonebook& book, std::string_view name) {
    for (PhonebookEntry& entry : book)
        if (equalsIgnoreCase(entry.name, name)) return &entry;
    return nullptr;
}

const PhonebookEntry* findEntry(const Phonebook& book, std::string_view name) {
    return findEntry(const_cast<Phonebook&>(book), name);
}

}  // namespace winapi::ras
