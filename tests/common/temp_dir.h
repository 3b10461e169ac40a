#pragma once
#include <filesystem>
#include <random>
#include <string>

// A fresh folder under the system's temporary directory, removed with the object.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("kvo-test-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string str() const { return path_.string() + "/"; }
    std::filesystem::path operator/(const std::string &p) const { return path_ / p; }

private:
    std::filesystem::path path_;
};
