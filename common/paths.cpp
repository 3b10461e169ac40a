#include "paths.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace kvo {

std::string programDir() {
    if (const char *env = std::getenv("KVO_PROGRAM_DIR"); env && *env) {
        std::string d = env;
        if (d.back() != '/')
            d += '/';
        return d;
    }
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "./";
    std::string exe(buf, static_cast<std::size_t>(n));
    auto slash = exe.rfind('/');
    return slash == std::string::npos ? "./" : exe.substr(0, slash + 1);
}

std::string baseDir() {
    return programDir() + "Base/";
}
std::string mainIniPath() {
    return programDir() + "Kvo_main.ini";
}

} // namespace kvo
