#pragma once
// Calls into the capture library. Every call loads Kvo_dll.so anew, looks the export up by
// name, calls it and unloads the library: nothing of it stays loaded between calls. A missing
// library or export makes the call a silent no-op.
#include <optional>
#include <string>

namespace kvo::term {

// The library beside the program first, then the ordinary search.
std::string captureLibraryPath();

// Returns whether the export was found and called.
bool callAddToDBI(const std::string &cp1251Line);
bool callSetRecords();
// nullopt when the library or the export is missing.
std::optional<int> callLoadFromIniFile(const char *key);
bool callSaveToIniFile(const char *key, int value);

} // namespace kvo::term
