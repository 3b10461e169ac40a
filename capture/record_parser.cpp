#include "record_parser.h"

#include "ini_file.h"
#include "text_util.h"

#include <cstdio>

namespace kvo::capture {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// An optional sign and at least one digit, nothing else; huge values saturate.
std::optional<long long> parseWholeNumber(std::string_view s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    if (i == s.size())
        return std::nullopt;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (!isDigit(s[i]))
            return std::nullopt;
        if (v < 1'000'000'000'000LL)
            v = v * 10 + (s[i] - '0');
    }
    return negative ? -v : v;
}

std::string eraseAll(std::string s, char c) {
    std::erase(s, c);
    return s;
}

std::string replaceAll(std::string s, char from, char to) {
    for (char &c : s)
        if (c == from)
            c = to;
    return s;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

// Reads dates and times left to right the way the exchange's texts need it.
class Scanner {
public:
    explicit Scanner(std::string_view s) : s_(s) {}

    void skipBlanks() {
        while (pos_ < s_.size() && s_[pos_] == ' ')
            ++pos_;
    }
    bool atEnd() const { return pos_ >= s_.size(); }
    bool accept(char c) {
        skipBlanks();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool acceptAny(std::string_view set) {
        skipBlanks();
        if (pos_ < s_.size() && set.find(s_[pos_]) != std::string_view::npos) {
            ++pos_;
            return true;
        }
        return false;
    }
    // A run of digits; it ends at a non-digit or once the value reaches 1000.
    bool number(int &value, int *digits = nullptr) {
        skipBlanks();
        int v = 0, n = 0;
        while (pos_ < s_.size() && isDigit(s_[pos_]) && v < 1000) {
            v = v * 10 + (s_[pos_++] - '0');
            ++n;
        }
        if (n == 0)
            return false;
        value = v;
        if (digits)
            *digits = n;
        return true;
    }
    // 0 none, 1 AM, 2 PM.
    int marker() {
        skipBlanks();
        std::string_view rest = s_.substr(pos_);
        if (startsWithNoCase(rest, "AM")) {
            pos_ += 2;
            return 1;
        }
        if (startsWithNoCase(rest, "PM")) {
            pos_ += 2;
            return 2;
        }
        return 0;
    }

private:
    std::string_view s_;
    std::size_t pos_ = 0;
};

bool isLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : days[m - 1];
}

std::string quoted(std::string_view text) {
    // No apostrophe survives the normalisers, but a literal writer doubles them all the same.
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

} // namespace

std::optional<FieldPosition> parseFieldPosition(std::string_view text) {
    auto comma = text.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    auto start = parseWholeNumber(text.substr(0, comma));
    auto length = parseWholeNumber(text.substr(comma + 1));
    if (!start || !length)
        return std::nullopt;
    return FieldPosition{*start, *length};
}

std::string cutField(std::string_view line, const FieldPosition &pos) {
    long long start = pos.start < 1 ? 1 : pos.start;
    long long size = static_cast<long long>(line.size());
    if (start > size || pos.length < 1)
        return {};
    long long length = std::min(pos.length, size - start + 1);
    return trimControls(
        line.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length)));
}

std::string cutField(std::string_view line, std::string_view position, bool *valid) {
    auto pos = parseFieldPosition(position);
    if (valid)
        *valid = pos.has_value();
    return pos ? cutField(line, *pos) : std::string();
}

std::string normaliseDate(std::string_view text) {
    std::string s = trimControls(text);
    for (char c : {'/', '\\', ',', '-', ':', '\''})
        s = replaceAll(std::move(s), c, '.');
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c != ' ')
            out += c;
        else if (out.empty() || out.back() != '.')
            out += '.';
    }
    return out;
}

std::string normaliseTime(std::string_view text) {
    std::string s = trimControls(text);
    for (char c : {'.', '-', '\''})
        s = replaceAll(std::move(s), c, ':');
    return s;
}

std::string normaliseNumber(std::string_view text) {
    std::string s = eraseAll(std::string(text), ' ');
    if (startsWithNoCase(s, "<I>"))
        s = "In" + s.substr(3);
    if (startsWithNoCase(s, "<INCOMING>"))
        s = "In" + s.substr(10);
    for (char c : {'~', '-', '.', 'W', 'w', 'P', 'p', '\'', '<', '>'})
        s = eraseAll(std::move(s), c);
    return trimControls(s);
}

std::string replaceApostrophes(std::string_view text) {
    return replaceAll(std::string(text), '\'', '.');
}

std::string withDurationHours(std::string text) {
    return text.size() < 6 ? "00:" + text : text;
}

DateOrder dateOrderOf(std::string_view format) {
    for (char c : format) {
        switch (c) {
        case 'd':
        case 'D':
            return DateOrder::DayMonthYear;
        case 'm':
        case 'M':
            return DateOrder::MonthDayYear;
        case 'y':
        case 'Y':
            return DateOrder::YearMonthDay;
        default:
            break;
        }
    }
    return DateOrder::MonthDayYear;
}

int centuryWindow(int currentYear) {
    int century = currentYear / 100;
    return century < 20 ? 20 : century;
}

std::optional<CivilDate> readDate(std::string_view text, DateOrder order, int currentYear) {
    Scanner sc(text);
    int n[3] = {0, 0, 0}, digits[3] = {0, 0, 0};
    if (!sc.number(n[0], &digits[0]) || !sc.accept('.') || !sc.number(n[1], &digits[1]))
        return std::nullopt;
    bool three = sc.accept('.');
    if (three) {
        if (!sc.number(n[2], &digits[2]))
            return std::nullopt;
        sc.accept('.');
    }
    sc.skipBlanks();
    if (!sc.atEnd())
        return std::nullopt;

    CivilDate d;
    int yearDigits = 4;
    if (three) {
        // Indexes of year, month and day among the three numbers.
        static const int kParts[3][3] = {{2, 1, 0}, {2, 0, 1}, {0, 1, 2}};
        const int *p = kParts[static_cast<int>(order)];
        int y = p[0];
        d = {n[p[0]], n[p[1]], n[p[2]]};
        yearDigits = digits[y];
    } else if (order == DateOrder::DayMonthYear) {
        d = {currentYear, n[1], n[0]};
    } else {
        d = {currentYear, n[0], n[1]};
    }
    if (yearDigits <= 2) {
        int window = centuryWindow(currentYear);
        int base = currentYear - window;
        d.year += base / 100 * 100;
        if (window > 0 && d.year < base)
            d.year += 100;
    }
    if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1 ||
        d.day > daysInMonth(d.year, d.month))
        return std::nullopt;
    return d;
}

std::optional<ClockTime> readTime(std::string_view text) {
    Scanner sc(text);
    int mark = sc.marker();
    int h = 0, m = 0, s = 0, ms = 0;
    if (!sc.number(h))
        return std::nullopt;
    if (sc.accept(':')) {
        if (!sc.number(m))
            return std::nullopt;
        if (sc.accept(':')) {
            if (!sc.number(s))
                return std::nullopt;
            if (sc.acceptAny(",.") && !sc.number(ms))
                return std::nullopt;
        }
    }
    if (mark == 0)
        mark = sc.marker();
    sc.skipBlanks();
    if (!sc.atEnd())
        return std::nullopt;
    if (mark != 0) {
        if (h < 1 || h > 12)
            return std::nullopt;
        if (h == 12)
            h = 0;
        if (mark == 2)
            h += 12;
    }
    if (h >= 24 || m >= 60 || s >= 60 || ms >= 1000)
        return std::nullopt;
    return ClockTime{h, m, s};
}

std::string dateLiteral(const CivilDate &d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "'%04d-%02d-%02d'", d.year, d.month, d.day);
    return buf;
}

std::string timeLiteral(const ClockTime &t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "'%02d:%02d:%02d'", t.hour, t.minute, t.second);
    return buf;
}

RecordLayout readRecordLayout(const IniContents &file) {
    RecordLayout l;
    l.dateFormat = file.readString("Filter", "date_f", l.dateFormat);
    l.date = file.readString("Filter", "date", l.date);
    l.time = file.readString("Filter", "time", l.time);
    l.phoneIn = file.readString("Filter", "phone_in", l.phoneIn);
    l.phoneOut = file.readString("Filter", "phone_out", l.phoneOut);
    l.duration = file.readString("Filter", "duration", l.duration);
    l.line = file.readString("Filter", "line", l.line);
    l.cd = file.readString("Filter", "cd", l.cd);
    return l;
}

ParsedLine parseLine(std::string_view rawLine, const RecordLayout &layout, int currentYear) {
    ParsedLine out;
    CallRecord &r = out.record;
    DateOrder order = dateOrderOf(normaliseDate(layout.dateFormat));

    bool allValid = true;
    auto cut = [&](const std::string &position) {
        bool valid = false;
        std::string v = cutField(rawLine, position, &valid);
        allValid = allValid && valid;
        return v;
    };
    std::string date = normaliseDate(cut(layout.date));
    std::string time = normaliseTime(cut(layout.time));
    r.ext = cut(layout.phoneIn);
    std::string number = cut(layout.phoneOut);
    std::string duration = withDurationHours(normaliseTime(cut(layout.duration)));
    std::string line = cut(layout.line);
    std::string cd = cut(layout.cd);
    if (!allValid) {
        out.failure = ParseFailure::BadPosition;
        return out;
    }

    auto fail = [&](ParseFailure f) {
        out.failure = f;
        return out;
    };
    auto d = readDate(date, order, currentYear);
    if (!d)
        return fail(ParseFailure::Date);
    r.date = dateLiteral(*d);
    auto t = readTime(time);
    if (!t)
        return fail(ParseFailure::Time);
    r.time = timeLiteral(*t);
    line = normaliseNumber(line);
    if (line.size() > kLineWidth)
        return fail(ParseFailure::Line);
    r.line = quoted(line);
    number = normaliseNumber(number);
    if (number.size() > kNumberWidth)
        return fail(ParseFailure::Number);
    r.number = quoted(number);
    auto dur = readTime(duration);
    if (!dur)
        return fail(ParseFailure::Duration);
    r.duration = timeLiteral(*dur);
    cd = replaceApostrophes(cd);
    if (cd.size() > kCdWidth)
        return fail(ParseFailure::Cd);
    r.cd = quoted(cd);
    // The extension goes into the statement bare, so only a whole SMALLINT may pass.
    auto ext = parseWholeNumber(r.ext);
    if (!ext || *ext < -32768 || *ext > 32767)
        return fail(ParseFailure::Extension);
    return out;
}

bool isPlainTableName(std::string_view name) {
    if (name.empty())
        return false;
    for (char c : name)
        if (!(isDigit(c) || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    return !isDigit(name.front());
}

std::string callInsertStatement(std::string_view table, const CallRecord &r) {
    return "INSERT INTO " + std::string(table) +
           "\n(DAT_RING, TIM_RING, EXT, CO, DIAL, CD, DURATION)\nVALUES (" + r.date + ", " +
           r.time + ", " + r.ext + ", " + r.line + ", " + r.number + ", " + r.cd + ", " +
           r.duration + ")";
}

std::string bufferInsertStatement(std::string_view rawLine) {
    return "INSERT INTO BUFFER (SREAD)\nVALUES (" + quoted(replaceApostrophes(rawLine)) + ")";
}

} // namespace kvo::capture
