#pragma once
#include <string_view>
#include <vector>

// A file the installation ships, as kept in the source tree (UTF-8, LF line ends).
struct ShippedFile {
    std::string_view path; // relative to the program directory
    std::string_view content;
};

const std::vector<ShippedFile> &shippedFiles();
