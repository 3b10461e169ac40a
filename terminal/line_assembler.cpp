#include "line_assembler.h"

namespace kvo::term {

std::optional<std::string> finishLine(std::string_view raw) {
    std::size_t b = 0, e = raw.size();
    while (b < e && static_cast<unsigned char>(raw[b]) < 32)
        ++b;
    while (e > b && static_cast<unsigned char>(raw[e - 1]) < 32)
        --e;
    std::string line(raw.substr(b, e - b));
    bool blank = true;
    for (char &c : line) {
        if (static_cast<unsigned char>(c) > 32)
            blank = false;
        else if (c == '\0')
            c = '?';
    }
    if (blank)
        return std::nullopt;
    return line;
}

std::optional<std::string> LineAssembler::push(unsigned char byte) {
    buffer_.push_back(static_cast<char>(byte));
    if (byte != 13 && buffer_.size() < kMaxLine)
        return std::nullopt;
    auto line = finishLine(buffer_);
    buffer_.clear();
    return line;
}

} // namespace kvo::term
