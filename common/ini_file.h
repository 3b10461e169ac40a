#pragma once
// Windows-style initialisation file: "[Section]" lines and "key=value" lines, Windows-1251,
// CR LF. Every call opens the file, does its one access and closes it again; nothing is cached,
// so a value written by one program is seen by the next read of another.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kvo {

class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const std::string &file);
    const std::string &file() const { return file_; }

private:
    std::string file_;
};

struct IniAssignment {
    std::string section;
    std::string key;
    std::string value; // UTF-8
};

// The lines of an INI file as read in one access; several keys can then be read from it
// without opening the file again.
class IniContents {
public:
    IniContents() = default;
    explicit IniContents(std::vector<std::string> lines, bool found)
        : lines_(std::move(lines)), found_(found) {}
    // Whether the file could be read at all.
    bool found() const { return found_; }

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    int readInteger(std::string_view section, std::string_view key, int def) const;
    bool readBool(std::string_view section, std::string_view key, bool def) const;
    bool valueExists(std::string_view section, std::string_view key) const;
    std::vector<std::string> readSectionKeys(std::string_view section) const;

private:
    std::vector<std::string> lines_;
    bool found_ = false;
};

class IniFile {
public:
    static constexpr std::size_t kMaxValue = 2047;

    explicit IniFile(std::string path) : path_(std::move(path)) {}
    const std::string &path() const { return path_; }
    bool exists() const;
    // Reads the whole file in one access (several keys, one open).
    IniContents load() const;

    // Each read below is an access of its own. Sections and keys match regardless of letter case;
    // the first match wins. Blanks around the value are dropped and one pair of surrounding double
    // or single quotes removed.
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    // Decimal, or hexadecimal with 0x/0X; anything else gives def.
    int readInteger(std::string_view section, std::string_view key, int def) const;
    // Any integer other than 0 is true.
    bool readBool(std::string_view section, std::string_view key, bool def) const;
    bool valueExists(std::string_view section, std::string_view key) const;
    // Keys of a section in file order.
    std::vector<std::string> readSectionKeys(std::string_view section) const;

    // Replaces the key's line, or adds it at the end of its section (adding the section at the
    // end of the file when missing). Every other line stays as it was. Creates a missing file,
    // never its folder; throws IniWriteError naming the file when the write is refused.
    void writeString(std::string_view section, std::string_view key, std::string_view value) const;
    void writeInteger(std::string_view section, std::string_view key, int value) const;
    void writeBool(std::string_view section, std::string_view key, bool value) const;
    // Several keys in one access.
    void writeStrings(const std::vector<IniAssignment> &values) const;

    // The integer reading rule on its own.
    static bool parseInteger(std::string_view text, int &out);

private:
    std::string path_;
};

} // namespace kvo
