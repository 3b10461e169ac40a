#include "field_preview.h"

#include "codec.h"
#include "record_parser.h"
#include "text_util.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace kvo::editor {
namespace {

// The library works on Windows-1251 bytes, one per character, so columns stay the same.
std::string toLine(const QString &s) {
    return utf8ToCp1251(s.toStdString());
}
QString fromLine(const std::string &s) {
    return QString::fromStdString(cp1251ToUtf8(s));
}

QString failure() {
    return QStringLiteral("ошибка");
}

QString clockText(const capture::ClockTime &t) {
    return QStringLiteral("%1:%2:%3")
        .arg(t.hour, 2, 10, QLatin1Char('0'))
        .arg(t.minute, 2, 10, QLatin1Char('0'))
        .arg(t.second, 2, 10, QLatin1Char('0'));
}

} // namespace

QString samplePiece(const QString &sample, int start, int length) {
    if (start < 1)
        start = 1;
    if (length < 1 || start > sample.size())
        return {};
    return sample.mid(start - 1, length);
}

QString fieldPreview(Field field, const QString &sample, int start, int length,
                     const QString &dateFormat, int currentYear) {
    const std::string piece = toLine(samplePiece(sample, start, length));
    switch (field) {
    case Field::Date: {
        auto order = capture::dateOrderOf(capture::normaliseDate(toLine(dateFormat)));
        auto d = capture::readDate(capture::normaliseDate(piece), order, currentYear);
        if (!d)
            return failure();
        return QStringLiteral("%1.%2.%3")
            .arg(d->day, 2, 10, QLatin1Char('0'))
            .arg(d->month, 2, 10, QLatin1Char('0'))
            .arg(d->year, 4, 10, QLatin1Char('0'));
    }
    case Field::Time: {
        auto t = capture::readTime(capture::normaliseTime(piece));
        return t ? clockText(*t) : failure();
    }
    case Field::PhoneIn: {
        // A whole number in 32 bits, shown in decimal (so 007 shows 7).
        std::string text = trimControls(piece);
        if (text.empty())
            return failure();
        char *end = nullptr;
        errno = 0;
        long long n = std::strtoll(text.c_str(), &end, 10);
        if (*end != '\0' || errno != 0 || n < INT32_MIN || n > INT32_MAX)
            return failure();
        return QString::number(n);
    }
    case Field::PhoneOut:
    case Field::Line:
        return fromLine(capture::normaliseNumber(piece));
    case Field::Duration: {
        auto t = capture::readTime(capture::withDurationHours(capture::normaliseTime(piece)));
        return t ? clockText(*t) : failure();
    }
    case Field::Cd:
        return fromLine(trimControls(capture::replaceApostrophes(piece)));
    }
    return failure();
}

} // namespace kvo::editor
