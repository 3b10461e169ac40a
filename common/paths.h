#pragma once
#include <string>

namespace kvo {

// Folder of the running executable with a trailing "/"; for a library, that of the process
// that loaded it. KVO_PROGRAM_DIR overrides it (used by tests that run from the build tree).
std::string programDir();
// programDir() + "Base/"
std::string baseDir();
std::string mainIniPath();

} // namespace kvo
