#include "installer.h"

#include "codec.h"
#include "database.h"
#include "ini_file.h"
#include "schema.h"
#include "shipped_files.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace kvo {
namespace {

// Shipped layouts installed unchanged, with a digest of what was written, so that a later
// run can tell a layout the user edited from one it may refresh.
constexpr const char *kManifest = "Filters/.kvo-shipped";

std::string digest(const std::string &bytes) {
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    std::ostringstream s;
    s << std::hex << h;
    return s.str();
}

// Source text (UTF-8, LF) as the system stores its files: Windows-1251, CR LF.
std::string asInstalled(std::string_view source) {
    std::string crlf;
    for (char c : source) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    return utf8ToCp1251(crlf);
}

std::string readAll(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeAtomically(const fs::path &p, const std::string &bytes, fs::perms perms) {
    // A new file renamed over the old one: a running program keeps its old copy.
    fs::path tmp = p;
    tmp += ".new";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            throw std::runtime_error("Cannot write " + tmp.string());
    }
    fs::permissions(tmp, perms);
    fs::rename(tmp, p);
}

void makeDir(const fs::path &p) {
    std::error_code ec;
    fs::create_directories(p, ec);
    if (ec)
        throw std::runtime_error("Cannot create " + p.string() + ": " + ec.message());
}

} // namespace

const std::vector<std::string> &programFiles() {
    static const std::vector<std::string> files = {"Kvo_term", "KVO_view", "Kvo_dll.so",
                                                   "Kvo_xls.so", "pbx-sim"};
    return files;
}

InstallReport install(const std::string &targetDir, const std::string &sourceDir) {
    InstallReport report;
    fs::path target(targetDir), source(sourceDir);
    makeDir(target);

    for (const auto &name : programFiles()) {
        fs::path from = source / name;
        if (!fs::exists(from) || fs::equivalent(from.parent_path(), target))
            continue;
        writeAtomically(target / name, readAll(from), fs::status(from).permissions());
        report.installed.push_back(name);
    }

    makeDir(target / "Temp");
    makeDir(target / "Filters");
    if (!fs::exists(target / "Base")) {
        makeDir(target / "Base");
        Database db((target / "Base").string());
        createInstallationTables(db);
        report.installed.push_back("Base/");
    }

    IniFile manifest((target / kManifest).string());
    const auto rw = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                    fs::perms::others_read;
    for (const auto &f : shippedFiles()) {
        std::string path(f.path);
        std::string bytes = asInstalled(f.content);
        fs::path dest = target / path;
        bool exists = fs::exists(dest);
        if (path == "Kvo_main.ini") {
            if (!exists) {
                writeAtomically(dest, bytes, rw);
                report.installed.push_back(path);
            }
            continue;
        }
        if (path.rfind("Filters/", 0) == 0 && exists) {
            std::string current = digest(readAll(dest));
            std::string recorded = manifest.readString("Shipped", path, "");
            if (current != recorded && current != digest(bytes)) {
                report.kept.push_back(path);
                continue;
            }
        }
        writeAtomically(dest, bytes, rw);
        if (path.rfind("Filters/", 0) == 0)
            manifest.writeString("Shipped", path, digest(bytes));
        report.installed.push_back(path);
    }
    return report;
}

} // namespace kvo
