#include "routines.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <stdexcept>

namespace kvo::admin {

namespace {

QDate pinnedToday;

bool isControlOrBlank(QChar c) {
    return c.unicode() <= 0x20;
}

QString trimControlsQ(const QString &s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isControlOrBlank(s[b]))
        ++b;
    while (e > b && isControlOrBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

QChar regionalDateSeparator() {
    const QString f = QLocale().dateFormat(QLocale::ShortFormat);
    for (QChar c : f)
        if (!c.isLetter())
            return c;
    return QLatin1Char('.');
}

} // namespace

QString sqlText(const QString &text) {
    if (text.isEmpty())
        return QStringLiteral("NULL");
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString sqlRaw(const QString &text) {
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+(\\.[0-9]+)?$"));
    if (text.isEmpty() || !number.match(text).hasMatch())
        return QStringLiteral("NULL");
    return text;
}

QString sqlDate(const QString &text) {
    if (!dateMaskFilled(text))
        return QStringLiteral("NULL");
    QDate d;
    if (!readDate(text, d))
        throw std::invalid_argument("'" + text.toStdString() + "' is not a valid date");
    return QLatin1Char('\'') + d.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('\'');
}

QString sqlTime(const QString &text) {
    if (!timeMaskFilled(text))
        return QStringLiteral("NULL");
    QTime t;
    if (!readTime(text, t))
        throw std::invalid_argument("'" + text.toStdString() + "' is not a valid time");
    return QLatin1Char('\'') + t.toString(QStringLiteral("HH:mm:ss")) + QLatin1Char('\'');
}

QString sqlNumber(const QString &text) {
    QString r = text;
    r.remove(QLatin1Char(' '));
    r.remove(QChar(0x00A0)); // the regional thousands separator
    const qsizetype comma = r.indexOf(QLatin1Char(','));
    if (comma >= 0)
        r[comma] = QLatin1Char('.');
    static const QRegularExpression numeric(QStringLiteral("^[-+0-9.,]+$"));
    if (r.isEmpty() || !numeric.match(r).hasMatch())
        return QStringLiteral("NULL");
    return r;
}

bool isEmptyText(const QString &text) {
    return text.isEmpty();
}

bool readDate(const QString &text, QDate &out) {
    const QString t = text.trimmed();
    const QLocale loc;
    const QChar sep = regionalDateSeparator();
    for (const QString &fmt :
         {loc.dateFormat(QLocale::ShortFormat), QStringLiteral("d%1M%1yyyy").arg(sep)}) {
        QDate d = QDate::fromString(t, fmt);
        if (d.isValid()) {
            out = d;
            return true;
        }
    }
    return false;
}

bool readTime(const QString &text, QTime &out) {
    const QString t = text.trimmed();
    for (const char *fmt : {"H:m:s", "H:m"}) {
        QTime v = QTime::fromString(t, QLatin1String(fmt));
        if (v.isValid()) {
            out = v;
            return true;
        }
    }
    return false;
}

bool readAmount(const QString &text, double &out) {
    bool ok = false;
    const double v = QLocale().toDouble(text.trimmed(), &ok);
    // The fixed-point money type holds about +-9.2e14.
    if (!ok || !std::isfinite(v) || std::fabs(v) > 922337203685477.0)
        return false;
    out = v;
    return true;
}

bool isBadDate(const QString &text) {
    QDate d;
    return !readDate(text, d);
}

bool isBadTime(const QString &text) {
    QTime t;
    return !readTime(text, t);
}

bool isBadCount(const QString &text) {
    static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]+$"));
    const QString t = text.trimmed();
    if (!whole.match(t).hasMatch())
        return true;
    bool ok = false;
    const int v = t.toInt(&ok);
    return !ok || v < 0;
}

bool isBadAmount(const QString &text) {
    double v = 0;
    return !readAmount(regionalDecimal(text), v) || v < 0;
}

bool dateMaskFilled(const QString &text) {
    return text.trimmed() != QStringLiteral(".  .");
}

bool timeMaskFilled(const QString &text) {
    return text.trimmed() != QStringLiteral(":");
}

QString cleanApostrophes(const QString &text) {
    QString r = text;
    r.replace(QLatin1Char('\''), QLatin1Char(' '));
    return trimControlsQ(r);
}

bool decimalIsComma() {
    double v = 0;
    return readAmount(QStringLiteral("1,1"), v) && v > 1.05 && v < 1.15;
}

QString regionalDecimal(const QString &text) {
    QString r = text.trimmed();
    if (decimalIsComma())
        r.replace(QLatin1Char('.'), QLatin1Char(','));
    else
        r.replace(QLatin1Char(','), QLatin1Char('.'));
    return r;
}

QString pipeField(const QString &text, int n) {
    if (n < 1)
        n = 1;
    qsizetype start = 0;
    for (int i = 1;; ++i) {
        const qsizetype bar = text.indexOf(QLatin1Char('|'), start);
        if (bar < 0)
            return {}; // text after the last "|" is not a field
        if (i == n)
            return text.mid(start, bar - start).trimmed();
        start = bar + 1;
    }
}

QString dayText(const QDate &date) {
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QDate today() {
    return pinnedToday.isValid() ? pinnedToday : QDate::currentDate();
}

void setTodayForTests(const QDate &date) {
    pinnedToday = date;
}

} // namespace kvo::admin
