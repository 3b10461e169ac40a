#include "ini_file.h"

#include "codec.h"
#include "text_util.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <sys/stat.h>

namespace kvo {
namespace {

bool readLines(const std::string &path, std::vector<std::string> &lines) {
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::string raw;
    char buf[8192];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        raw.append(buf, n);
    std::fclose(f);
    std::string text = cp1251ToUtf8(raw);
    std::string cur;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\n') {
            if (!cur.empty() && cur.back() == '\r')
                cur.pop_back();
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) {
        if (cur.back() == '\r')
            cur.pop_back();
        lines.push_back(cur);
    }
    return true;
}

std::string_view trimBlanks(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return s.substr(b, e - b);
}

// Section name of a "[name]" line, or false.
bool sectionOf(std::string_view line, std::string_view &name) {
    auto t = trimBlanks(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    auto close = t.find(']');
    if (close == std::string_view::npos)
        return false;
    name = trimBlanks(t.substr(1, close - 1));
    return true;
}

// Key and raw value of a "key=value" line, or false (comments and other lines).
bool keyOf(std::string_view line, std::string_view &key, std::string_view &value) {
    auto t = trimBlanks(line);
    if (t.empty() || t.front() == ';' || t.front() == '[')
        return false;
    auto eq = t.find('=');
    if (eq == std::string_view::npos)
        return false;
    key = trimBlanks(t.substr(0, eq));
    value = t.substr(eq + 1);
    return !key.empty();
}

bool findValue(const std::vector<std::string> &lines, std::string_view section,
               std::string_view key, std::string &value) {
    bool inSection = false;
    for (const auto &l : lines) {
        std::string_view name, k, v;
        if (sectionOf(l, name)) {
            inSection = equalsNoCase(name, section);
        } else if (inSection && keyOf(l, k, v) && equalsNoCase(k, key)) {
            value = std::string(v);
            return true;
        }
    }
    return false;
}

std::string cleanValue(std::string_view raw) {
    auto v = trimBlanks(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    std::string r(v);
    // The limit counts Windows-1251 characters, that is code points here.
    std::size_t chars = 0, i = 0;
    for (; i < r.size(); ++i) {
        if ((static_cast<unsigned char>(r[i]) & 0xC0) != 0x80) {
            if (chars == IniFile::kMaxValue)
                break;
            ++chars;
        }
    }
    r.resize(i);
    return r;
}

void applyAssignment(std::vector<std::string> &lines, const IniAssignment &a) {
    std::string newLine = a.key + "=" + a.value;
    bool inSection = false;
    long sectionLine = -1, lastContent = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view name, k, v;
        if (sectionOf(lines[i], name)) {
            if (inSection)
                break;
            inSection = equalsNoCase(name, a.section);
            if (inSection)
                sectionLine = lastContent = static_cast<long>(i);
        } else if (inSection) {
            if (keyOf(lines[i], k, v) && equalsNoCase(k, a.key)) {
                lines[i] = newLine;
                return;
            }
            if (!trimBlanks(lines[i]).empty())
                lastContent = static_cast<long>(i);
        }
    }
    if (sectionLine >= 0) {
        lines.insert(lines.begin() + lastContent + 1, newLine);
        return;
    }
    if (!lines.empty() && !trimBlanks(lines.back()).empty())
        lines.emplace_back();
    lines.push_back("[" + a.section + "]");
    lines.push_back(newLine);
}

} // namespace

IniWriteError::IniWriteError(const std::string &file)
    : std::runtime_error("Cannot write file " + file), file_(file) {}

bool IniFile::exists() const {
    struct stat st {};
    return ::stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

IniContents IniFile::load() const {
    std::vector<std::string> lines;
    bool found = exists() && readLines(path_, lines);
    return IniContents(std::move(lines), found);
}

std::string IniContents::readString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
    std::string raw;
    if (!findValue(lines_, section, key, raw))
        return std::string(def);
    return cleanValue(raw);
}

bool IniFile::parseInteger(std::string_view text, int &out) {
    auto t = trimBlanks(text);
    bool neg = false;
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) {
        neg = t[i] == '-';
        ++i;
    }
    int base = 10;
    if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= t.size())
        return false;
    long long v = 0;
    for (; i < t.size(); ++i) {
        char c = t[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * base + d;
        if (v > 0xFFFFFFFFLL)
            return false;
    }
    if (base == 16 && !neg && v > INT_MAX)
        v -= 0x100000000LL; // 0xFFFFFFFF is -1, as the Windows readers take it
    if (neg)
        v = -v;
    if (v < INT_MIN || v > INT_MAX)
        return false;
    out = static_cast<int>(v);
    return true;
}

int IniContents::readInteger(std::string_view section, std::string_view key, int def) const {
    int v;
    return IniFile::parseInteger(readString(section, key, ""), v) ? v : def;
}

bool IniContents::readBool(std::string_view section, std::string_view key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

bool IniContents::valueExists(std::string_view section, std::string_view key) const {
    std::string raw;
    return findValue(lines_, section, key, raw);
}

std::vector<std::string> IniContents::readSectionKeys(std::string_view section) const {
    std::vector<std::string> keys;
    bool inSection = false;
    for (const auto &l : lines_) {
        std::string_view name, k, v;
        if (sectionOf(l, name))
            inSection = equalsNoCase(name, section);
        else if (inSection && keyOf(l, k, v))
            keys.emplace_back(k);
    }
    return keys;
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view def) const {
    return load().readString(section, key, def);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int def) const {
    return load().readInteger(section, key, def);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) const {
    return load().readBool(section, key, def);
}

bool IniFile::valueExists(std::string_view section, std::string_view key) const {
    return load().valueExists(section, key);
}

std::vector<std::string> IniFile::readSectionKeys(std::string_view section) const {
    return load().readSectionKeys(section);
}

void IniFile::writeStrings(const std::vector<IniAssignment> &values) const {
    std::vector<std::string> lines;
    readLines(path_, lines);
    for (const auto &a : values)
        applyAssignment(lines, a);
    std::string text;
    for (const auto &l : lines)
        text += l + "\r\n";
    std::string bytes = utf8ToCp1251(text);
    std::FILE *f = std::fopen(path_.c_str(), "wb");
    if (!f)
        throw IniWriteError(path_);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok)
        throw IniWriteError(path_);
}

void IniFile::writeString(std::string_view section, std::string_view key,
                          std::string_view value) const {
    writeStrings({{std::string(section), std::string(key), std::string(value)}});
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value) const {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) const {
    writeString(section, key, value ? "1" : "0");
}

} // namespace kvo
