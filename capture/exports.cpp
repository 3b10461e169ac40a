// The library's exported interface. Strings are Windows-1251, owned by the caller. No
// exception may reach the caller, which need not even be a C++ program.
#include "codec.h"
#include "export.h"
#include "ini_file.h"
#include "line_store.h"
#include "paths.h"

#include <dlfcn.h>

// The terminal loads and unloads this library around every call. A host without Qt would map
// and unmap the toolkit (which the layout editor needs) each time: slow, and the toolkit leaves
// a few bytes behind at every unload. So once the toolkit is in, it stays; this library itself
// still goes with each dlclose and keeps nothing between calls.
__attribute__((constructor)) static void keepToolkitLoaded() {
    for (const char *name :
         {"libQt6Widgets.so.6", "libQt6Gui.so.6", "libQt6DBus.so.6", "libQt6Core.so.6"})
        if (void *handle = dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE))
            dlclose(handle);
}

KVO_EXPORT void AddToDBI(const char *line) {
    if (!line)
        return;
    try {
        kvo::capture::storeLine(line, kvo::programDir());
    } catch (...) {
    }
}

KVO_EXPORT int LoadFromIniFile(const char *key) {
    if (!key)
        return 0;
    try {
        return kvo::IniFile(kvo::mainIniPath()).readInteger("Terminal", kvo::cp1251ToUtf8(key), 0);
    } catch (...) {
        return 0;
    }
}

KVO_EXPORT void SaveToIniFile(const char *key, int value) {
    if (!key)
        return;
    try {
        kvo::IniFile(kvo::mainIniPath()).writeInteger("Terminal", kvo::cp1251ToUtf8(key), value);
    } catch (...) {
        // A refused write leaves the file as it was; the terminal carries on.
    }
}
