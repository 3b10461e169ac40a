#pragma once
// A report template is a list of numbered lines written here in UTF-8 so that they read like the
// report itself; compile() turns such a list into Windows-1251 constants while compiling, so the
// library holds no state and runs no code at load time.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kvo::xls {

struct Line {
    std::int32_t number;
    std::string_view text; // UTF-8
};

// Only the characters the templates use. Anything else is a mistake in a template and, because
// this runs while compiling, stops the build instead of reaching a report as "?".
constexpr char toCp1251(char32_t c) {
    if (c < 0x80)
        return static_cast<char>(c);
    if (c >= 0x410 && c <= 0x44F) // А..я
        return static_cast<char>(0xC0 + (c - 0x410));
    if (c == 0x401) // Ё
        return static_cast<char>(0xA8);
    if (c == 0x451) // ё
        return static_cast<char>(0xB8);
    if (c == 0x2116) // №
        return static_cast<char>(0xB9);
    throw "a template holds a character that Windows-1251 lacks";
}

// Writes the Windows-1251 form of utf8 to out (when out is not null); returns its length.
constexpr std::size_t encode(std::string_view utf8, char *out) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t size = lead < 0x80          ? 1
                                 : (lead >> 5) == 0x6 ? 2
                                 : (lead >> 4) == 0xE ? 3
                                                      : 0;
        if (size == 0 || i + size > utf8.size())
            throw "a template holds malformed UTF-8";
        char32_t c = size == 1 ? lead : size == 2 ? (lead & 0x1F) : (lead & 0x0F);
        for (std::size_t k = 1; k < size; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next >> 6) != 0x2)
                throw "a template holds malformed UTF-8";
            c = (c << 6) | (next & 0x3F);
        }
        if (out)
            out[length] = toCp1251(c);
        ++length;
        i += size;
    }
    return length;
}

template <std::size_t LineCount, std::size_t ByteCount> struct LineTable {
    std::array<std::uint32_t, LineCount> offset{}; // by line number; offset 0 is the empty text
    std::array<char, ByteCount> bytes{};

    constexpr const char *line(std::int32_t number) const {
        // Compared unsigned, so a negative number falls above the last line.
        const auto n = static_cast<std::uint32_t>(number);
        return bytes.data() + (n < LineCount ? offset[n] : 0);
    }
};

// lines: ascending line numbers from 1, no empty texts (a number left out gives the empty text).
template <const auto &lines> consteval auto compile() {
    constexpr std::size_t lineCount = [] {
        std::int32_t last = 0;
        for (const Line &l : lines)
            last = l.number > last ? l.number : last;
        return static_cast<std::size_t>(last) + 1;
    }();
    constexpr std::size_t byteCount = [] {
        std::size_t n = 1;
        for (const Line &l : lines)
            n += encode(l.text, nullptr) + 1;
        return n;
    }();
    LineTable<lineCount, byteCount> table{};
    std::size_t at = 1;
    std::int32_t previous = 0;
    for (const Line &l : lines) {
        if (l.number <= previous)
            throw "template line numbers must ascend from 1";
        if (l.text.empty())
            throw "leave an empty template line out";
        previous = l.number;
        table.offset[static_cast<std::size_t>(l.number)] = static_cast<std::uint32_t>(at);
        at += encode(l.text, table.bytes.data() + at) + 1;
    }
    return table;
}

} // namespace kvo::xls
