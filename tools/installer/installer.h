#pragma once
#include <string>
#include <vector>

namespace kvo {

// Programs and libraries an installation carries, looked for beside the installer.
const std::vector<std::string> &programFiles();

struct InstallReport {
    std::vector<std::string> installed; // paths written, relative to the target
    std::vector<std::string> kept;      // shipped files left alone because the user changed them
};

// Creates or refreshes a program directory. Programs, the help page and unchanged shipped
// layouts are refreshed; Base/, Kvo_main.ini and layouts the user changed are never touched.
// sourceDir holds the built programs. Throws std::runtime_error with the failing path.
InstallReport install(const std::string &targetDir, const std::string &sourceDir);

} // namespace kvo
