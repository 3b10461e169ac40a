#pragma once
// Turning one exchange line into the literals of a call record. Plain C++, no Qt: the capture
// library runs inside any process, and the layout editor calls the same routines for its
// previews.
//
// Every routine works on Windows-1251 bytes as the exchange prints them: one byte is one
// character, so field positions count bytes. Literals come out in Windows-1251 as well.
#include <optional>
#include <string>
#include <string_view>

namespace kvo {
class IniContents;
}

namespace kvo::capture {

// ---- Field cutting -------------------------------------------------------------------------

struct FieldPosition {
    long long start = 0; // 1-based
    long long length = 0;
};

// "start,length": two decimal integers (an optional sign each), no blanks. nullopt otherwise.
std::optional<FieldPosition> parseFieldPosition(std::string_view text);

// The piece of the line at pos, blanks and control characters removed at both ends. A start
// below 1 counts as 1; a start past the end or a length below 1 gives "".
std::string cutField(std::string_view line, const FieldPosition &pos);

// Same from the text form; an unreadable position gives "" and sets *valid to false.
std::string cutField(std::string_view line, std::string_view position, bool *valid = nullptr);

// ---- Normalisers ---------------------------------------------------------------------------

// Trims, turns "/", "\", ",", "-", ":", "'" into "."; a blank after "." goes, any other blank
// becomes ".".
std::string normaliseDate(std::string_view text);
// Trims, turns ".", "-", "'" into ":".
std::string normaliseTime(std::string_view text);
// For external numbers and lines: "<I>" or "<INCOMING>" in front becomes "In"; blanks and the
// dialling marks ~ - . W w P p ' < > go.
std::string normaliseNumber(std::string_view text);
// Every apostrophe becomes ".".
std::string replaceApostrophes(std::string_view text);
// Minutes:seconds read as a duration need hours in front: "00:" goes before a text shorter
// than 6 characters.
std::string withDurationHours(std::string text);

// ---- Reading dates and times ---------------------------------------------------------------

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

// The first of d, m, y (either case) in the format decides; none of them means month first.
DateOrder dateOrderOf(std::string_view format);

// Two-digit years fall into the 100 years starting this many years before the current one:
// the current century as a number, at least 20.
int centuryWindow(int currentYear);

struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// Reads a normalised date ("." between the parts). Two parts take the current year.
std::optional<CivilDate> readDate(std::string_view text, DateOrder order, int currentYear);

struct ClockTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Reads a normalised time: h[:m[:s[,ms]]] with an optional AM/PM marker before or after.
std::optional<ClockTime> readTime(std::string_view text);

// "'yyyy-mm-dd'" and "'hh:nn:ss'".
std::string dateLiteral(const CivilDate &d);
std::string timeLiteral(const ClockTime &t);

// ---- A whole line --------------------------------------------------------------------------

// The record layout as the capture library reads it; the defaults form a complete layout.
struct RecordLayout {
    std::string dateFormat = "mm/dd/yy";
    std::string date = "1,8";
    std::string time = "10,7";
    std::string phoneIn = "20,3";
    std::string phoneOut = "27,25";
    std::string duration = "58,8";
    std::string line = "24,2";
    std::string cd = "78,2";
};

// Section Filter of a layout file, key by key in the order the capture library reads them.
RecordLayout readRecordLayout(const IniContents &file);

// Column widths of a call table.
inline constexpr std::size_t kLineWidth = 5;
inline constexpr std::size_t kNumberWidth = 28;
inline constexpr std::size_t kCdWidth = 5;

// The values of one call record, each already a literal for the insert.
struct CallRecord {
    std::string date;     // 'yyyy-mm-dd'
    std::string time;     // 'hh:nn:ss'
    std::string ext;      // bare integer
    std::string line;     // '...'
    std::string number;   // '...'
    std::string duration; // 'hh:nn:ss'
    std::string cd;       // '...'
};

enum class ParseFailure {
    None,
    BadPosition, // a field position of the layout cannot be read
    Date,
    Time,
    Line,
    Number,
    Duration,
    Cd,
    Extension,
};

struct ParsedLine {
    ParseFailure failure = ParseFailure::None;
    CallRecord record; // complete only when failure is None
    bool ok() const { return failure == ParseFailure::None; }
};

// Cuts, normalises and converts in the library's order, stopping at the first failure. A
// value too long for its column counts as a failure: nothing is cut short silently.
ParsedLine parseLine(std::string_view rawLine, const RecordLayout &layout, int currentYear);

// A table name is spliced into the statement, so it must be a plain name.
bool isPlainTableName(std::string_view name);

// The three-line insert of a call record (Windows-1251 text).
std::string callInsertStatement(std::string_view table, const CallRecord &record);
// The two-line insert of a raw line into the error journal, apostrophes replaced.
std::string bufferInsertStatement(std::string_view rawLine);

} // namespace kvo::capture
