#pragma once
#include <map>
#include <string>

// A line with each text placed at its 1-based column, as an exchange prints it.
inline std::string placed(const std::map<int, std::string> &fields) {
    std::string line;
    for (const auto &[column, text] : fields) {
        if (line.size() < static_cast<std::size_t>(column - 1))
            line.resize(column - 1, ' ');
        line.replace(column - 1, text.size(), text);
    }
    return line;
}
