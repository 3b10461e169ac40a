#pragma once
// Storing one exchange line: read the settings afresh, parse, insert into the active call
// table, or keep the raw line in the error journal. Nothing survives between calls.
#include <string>
#include <string_view>

namespace kvo::capture {

enum class StoreOutcome {
    Ignored,   // shorter than 5 characters once trimmed
    CallTable, // stored as a call record
    Journal,   // raw line stored in BUFFER
    LostLog,   // BUFFER refused it too: appended to Temp/Lost.log
    Lost,      // even the log could not be written
};

// programDir ends with "/". rawLine is Windows-1251. Never throws.
StoreOutcome storeLine(std::string_view rawLine, const std::string &programDir) noexcept;

// programDir + "Temp/Lost.log"
std::string lostLogPath(const std::string &programDir);

} // namespace kvo::capture
