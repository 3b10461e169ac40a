#pragma once
// Small text helpers shared by the libraries and programs.
#include <string>
#include <string_view>

namespace kvo {

// Removes blanks and control characters (bytes <= 0x20) at both ends.
std::string trimControls(std::string_view s);
// ASCII upper case; other bytes unchanged.
std::string upperAscii(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);
// "-- dd.mm.yy hh:nn --" for the local time now.
std::string stampLine();
// Appends the stamp line and the text (each line ended by CR LF, text converted to
// Windows-1251) to the file; creates the file but not its folder. Throws std::runtime_error
// naming the file when it cannot be written.
void appendLogEntry(const std::string &path, std::string_view utf8Text);

} // namespace kvo
