#include "text_util.h"

#include "codec.h"

#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace kvo {

std::string trimControls(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20)
        --e;
    return std::string(s.substr(b, e - b));
}

std::string upperAscii(std::string_view s) {
    std::string r(s);
    for (char &c : r)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return r;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

std::string stampLine() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "-- %d.%m.%y %H:%M --", &tm);
    return buf;
}

void appendLogEntry(const std::string &path, std::string_view utf8Text) {
    std::string body = stampLine() + "\r\n";
    // Each line of the message on its own CR LF line, whatever its own line ends were.
    std::string line;
    for (std::size_t i = 0; i <= utf8Text.size(); ++i) {
        if (i == utf8Text.size() || utf8Text[i] == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            body += line + "\r\n";
            line.clear();
        } else {
            line += utf8Text[i];
        }
    }
    std::string bytes = utf8ToCp1251(body);
    std::FILE *f = std::fopen(path.c_str(), "ab");
    if (!f)
        throw std::runtime_error("Cannot write file " + path);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok)
        throw std::runtime_error("Cannot write file " + path);
}

} // namespace kvo
