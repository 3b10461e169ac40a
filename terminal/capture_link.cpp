#include "capture_link.h"

#include "paths.h"

#include <cstdint>
#include <dlfcn.h>
#include <unistd.h>

namespace kvo::term {
namespace {

constexpr const char *kLibraryName = "Kvo_dll.so";

class Library {
public:
    Library() {
        std::string own = programDir() + kLibraryName;
        handle_ = dlopen(access(own.c_str(), F_OK) == 0 ? own.c_str() : kLibraryName,
                         RTLD_NOW | RTLD_LOCAL);
    }
    ~Library() {
        if (handle_)
            dlclose(handle_);
    }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;

    template <class Fn> Fn find(const char *name) const {
        return handle_ ? reinterpret_cast<Fn>(dlsym(handle_, name)) : nullptr;
    }

private:
    void *handle_ = nullptr;
};

using AddToDBIFn = void (*)(const char *);
using SetRecordsFn = void (*)();
using LoadFromIniFileFn = std::int32_t (*)(const char *);
using SaveToIniFileFn = void (*)(const char *, std::int32_t);

} // namespace

std::string captureLibraryPath() {
    return programDir() + kLibraryName;
}

bool callAddToDBI(const std::string &cp1251Line) {
    Library lib;
    auto fn = lib.find<AddToDBIFn>("AddToDBI");
    if (!fn)
        return false;
    fn(cp1251Line.c_str());
    return true;
}

bool callSetRecords() {
    Library lib;
    auto fn = lib.find<SetRecordsFn>("SetRecords");
    if (!fn)
        return false;
    fn();
    return true;
}

std::optional<int> callLoadFromIniFile(const char *key) {
    Library lib;
    auto fn = lib.find<LoadFromIniFileFn>("LoadFromIniFile");
    if (!fn)
        return std::nullopt;
    return fn(key);
}

bool callSaveToIniFile(const char *key, int value) {
    Library lib;
    auto fn = lib.find<SaveToIniFileFn>("SaveToIniFile");
    if (!fn)
        return false;
    fn(key, value);
    return true;
}

} // namespace kvo::term
