#pragma once
// Windows-1251 <-> UTF-8. Every file, every C string across the libraries' exports and every
// byte on the serial line is Windows-1251; inside the programs text is UTF-8.
#include <string>
#include <string_view>

namespace kvo {

// Bytes 0x00-0x7F pass unchanged; 0x98 (unassigned) becomes U+FFFD.
std::string cp1251ToUtf8(std::string_view cp1251);

// A character Windows-1251 lacks becomes "?"; malformed UTF-8 bytes become "?" too.
std::string utf8ToCp1251(std::string_view utf8);

} // namespace kvo
