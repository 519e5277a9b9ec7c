// Reading and editing the text of a profile file. Lines are split at LF (a CR before it belongs
// to the line break); a line whose text starts with "[" and has a "]" is a section header, one
// starting with ";" a comment, anything else an entry, with a value when it holds "=". Lines
// before the first section belong to no section.
#include "profile_text.h"

#include "cp1252.h"

namespace winapi {

bool isProfileBlank(char c) {
    // ^Z ends the text of DOS files and is taken as a blank, as in files copied from old media.
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view trimProfileBlanks(std::string_view text) {
    size_t b = 0;
    size_t e = text.size();
    while (b < e && isProfileBlank(text[b])) ++b;
    while (e > b && isProfileBlank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

ProfileText::ProfileText(std::string bytes) : bytes_(std::move(bytes)) {
    const std::string_view all(bytes_);
    size_t pos = 0;
    while (pos < all.size()) {
        Line line{};
        line.begin = pos;
        const size_t lf = all.find('\n', pos);
        line.end = lf == std::string_view::npos ? all.size() : lf;
        line.next = lf == std::string_view::npos ? all.size() : lf + 1;
        if (lf != std::string_view::npos && line.end > line.begin && all[line.end - 1] == '\r')
            --line.end;

        size_t b = line.begin;
        size_t e = line.end;
        while (b < e && isProfileBlank(all[b])) ++b;
        while (e > b && isProfileBlank(all[e - 1])) --e;
        line.textEnd = e;
        const std::string_view text = all.substr(b, e - b);
        const size_t close = text.rfind(']');
        if (text.empty()) {
            line.kind = Line::Blank;
        } else if (text[0] == ';') {
            line.kind = Line::Comment;
        } else if (text[0] == '[' && close != std::string_view::npos) {
            line.kind = Line::Header;
            line.name = trimProfileBlanks(text.substr(1, close - 1));
            sections_.push_back({line.name, lines_.size(), 0});
        } else {
            line.kind = Line::Entry;
            const size_t eq = text.find('=');
            if (eq == std::string_view::npos) {
                line.name = text;
            } else {
                line.name = trimProfileBlanks(text.substr(0, eq));
                line.hasValue = true;
                size_t v = b + eq + 1;
                while (v < e && isProfileBlank(all[v])) ++v;
                line.valueBegin = v;
                line.value = all.substr(v, e - v);
            }
        }
        lines_.push_back(line);
        pos = line.next;
    }
    for (size_t i = 0; i < sections_.size(); ++i)
        sections_[i].lineEnd = i + 1 < sections_.size() ? sections_[i + 1].header : lines_.size();
}

const ProfileText::Section* ProfileText::findSection(std::string_view name) const {
    name = trimProfileBlanks(name);
    for (const Section& s : sections_)
        if (equalsIgnoreCase(s.name, name)) return &s;
    return nullptr;
}

const ProfileText::Line* ProfileText::findKey(const Section& section, std::string_view key) const {
    key = trimProfileBlanks(key);
    for (size_t i = section.header + 1; i < section.lineEnd; ++i) {
        const Line& line = lines_[i];
        if (line.kind == Line::Entry && equalsIgnoreCase(line.name, key)) return &line;
    }
    return nullptr;
}

std::vector<std::string_view> ProfileText::sectionNames() const {
    std::vector<std::string_view> names;
    for (const Section& s : sections_)
        if (!s.name.empty()) names.push_back(s.name);
    return names;
}

bool ProfileText::hasSection(std::string_view section) const {
    return findSection(section) != nullptr;
}

std::vector<std::string_view> ProfileText::keyNames(std::string_view section) const {
    std::vector<std::string_view> names;
    if (const Section* s = findSection(section)) {
        for (size_t i = s->header + 1; i < s->lineEnd; ++i) {
            const Line& line = lines_[i];
            if (line.kind == Line::Entry && line.hasValue && !line.name.empty())
                names.push_back(line.name);
        }
    }
    return names;
}

std::vector<std::string> ProfileText::sectionLines(std::string_view section) const {
    std::vector<std::string> result;
    if (const Section* s = findSection(section)) {
        for (size_t i = s->header + 1; i < s->lineEnd; ++i) {
            const Line& line = lines_[i];
            if (line.kind != Line::Entry) continue;
            std::string text(line.name);
            if (line.hasValue) {
                text += '=';
                text += line.value;
            }
            result.push_back(std::move(text));
        }
    }
    return result;
}

bool ProfileText::value(std::string_view section, std::string_view key,
                        std::string_view& value) const {
    const Section* s = findSection(section);
    const Line* line = s ? findKey(*s, key) : nullptr;
    if (!line || !line->hasValue) return false;
    value = line->value;
    return true;
}

std::string ProfileText::withValue(std::string_view section, std::string_view key,
                                   std::string_view value) const {
    section = trimProfileBlanks(section);
    key = trimProfileBlanks(key);
    std::string entry(key);
    entry += '=';
    entry += value;

    const Section* s = findSection(section);
    if (!s) {
        std::string out = bytes_;
        if (!out.empty() && out.back() != '\n') out += "\r\n";
        out += '[';
        out += section;
        out += "]\r\n";
        out += entry;
        out += "\r\n";
        return out;
    }

    if (const Line* line = findKey(*s, key)) {
        // Only the value changes; the name as the file spells it, the blanks around "=" and the
        // line break stay.
        if (line->hasValue)
            return bytes_.substr(0, line->valueBegin) + std::string(value) +
                   bytes_.substr(line->end);
        return bytes_.substr(0, line->textEnd) + "=" + std::string(value) +
               bytes_.substr(line->end);
    }

    // A new key goes after the section's last line that is not blank, so that blank lines
    // separating it from the next section stay in place.
    size_t last = s->header;
    for (size_t i = s->header + 1; i < s->lineEnd; ++i)
        if (lines_[i].kind != Line::Blank) last = i;
    const Line& after = lines_[last];
    const bool hasBreak = after.next > 0 && bytes_[after.next - 1] == '\n';
    std::string insert = hasBreak ? "" : "\r\n";
    insert += entry;
    insert += "\r\n";
    return bytes_.substr(0, after.next) + insert + bytes_.substr(after.next);
}

std::string ProfileText::withoutKey(std::string_view section, std::string_view key) const {
    const Section* s = findSection(section);
    const Line* line = s ? findKey(*s, key) : nullptr;
    if (!line) return bytes_;
    return bytes_.substr(0, line->begin) + bytes_.substr(line->next);
}

std::string ProfileText::withoutSection(std::string_view section) const {
    const Section* s = findSection(section);
    if (!s) return bytes_;
    const size_t begin = lines_[s->header].begin;
    const size_t end = s->lineEnd < lines_.size() ? lines_[s->lineEnd].begin : bytes_.size();
    return bytes_.substr(0, begin) + bytes_.substr(end);
}

}  // namespace winapi
