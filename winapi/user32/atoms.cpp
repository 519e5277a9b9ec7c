// The atom table behind RegisterWindowMessageA and window class atoms.
#include "atoms.h"

#include "cp1252.h"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace winapi::user32 {
namespace {

constexpr UINT kFirst = 0xC000;
constexpr size_t kMaxName = 255;

struct Table {
    std::mutex mutex;
    std::unordered_map<std::string, UINT> byFolded;
    std::vector<std::string> names;  // index = id - kFirst
};

Table& table() {
    static Table* t = new Table;  // lives until exit; the bus thread may still look names up
    return *t;
}

}  // namespace

UINT registerAtom(std::string_view name) {
    if (name.empty() || name.size() > kMaxName) return 0;
    Table& t = table();
    std::string folded = cp1252Lower(name);
    std::lock_guard lock(t.mutex);
    if (auto it = t.byFolded.find(folded); it != t.byFolded.end()) return it->second;
    if (t.names.size() > 0xFFFF - kFirst) return 0;
    UINT id = kFirst + static_cast<UINT>(t.names.size());
    t.names.emplace_back(name);
    t.byFolded.emplace(std::move(folded), id);
    return id;
}

UINT findAtom(std::string_view name) {
    if (name.empty() || name.size() > kMaxName) return 0;
    Table& t = table();
    std::string folded = cp1252Lower(name);
    std::lock_guard lock(t.mutex);
    auto it = t.byFolded.find(folded);
    return it == t.byFolded.end() ? 0 : it->second;
}

std::string atomName(UINT id) {
    if (!isAtomRange(id)) return {};
    Table& t = table();
    std::lock_guard lock(t.mutex);
    size_t index = id - kFirst;
    return index < t.names.size() ? t.names[index] : std::string();
}

}  // namespace winapi::user32
