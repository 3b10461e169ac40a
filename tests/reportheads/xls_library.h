#pragma once
// Loads the built Kvo_xls.so the way the export does and gives its eight functions by name.
#include <cstdint>
#include <dlfcn.h>
#include <stdexcept>
#include <string>

namespace kvo::test {

using CaptionFunction = const char *(*)(std::int32_t);

class XlsLibrary {
public:
    XlsLibrary() : handle_(dlopen(KVO_XLS_PATH, RTLD_NOW | RTLD_LOCAL)) {
        if (!handle_)
            throw std::runtime_error(std::string("dlopen failed: ") + dlerror());
    }
    ~XlsLibrary() { dlclose(handle_); }
    XlsLibrary(const XlsLibrary &) = delete;
    XlsLibrary &operator=(const XlsLibrary &) = delete;

    CaptionFunction function(const std::string &name) const {
        auto f = reinterpret_cast<CaptionFunction>(dlsym(handle_, name.c_str()));
        if (!f)
            throw std::runtime_error("missing export " + name);
        return f;
    }

private:
    void *handle_;
};

} // namespace kvo::test
