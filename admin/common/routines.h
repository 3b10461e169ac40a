#pragma once
// Literal writers, input tests and text adjusters of the administrator program. Regional
// readings follow the default QLocale (Russian settings are assumed: dd.mm.yyyy, hh:mm:ss).
#include <QDate>
#include <QString>
#include <QTime>

namespace kvo::admin {

// --- literal writers: the text to splice into a statement -----------------------------------

// "NULL" for an empty text, else the text in apostrophes with each apostrophe doubled.
QString sqlText(const QString &text);
// "NULL" unless the text is an optionally signed whole or decimal number, written as it is.
QString sqlRaw(const QString &text);
// 'yyyy-mm-dd' when the date mask is filled, else NULL. Throws std::invalid_argument when the
// text is filled but not a date (callers test it first).
QString sqlDate(const QString &text);
// 'hh:nn:ss' when the time mask is filled, else NULL. Throws like sqlDate.
QString sqlTime(const QString &text);
// Blanks removed, the first comma made a point; NULL when empty or when anything but digits,
// signs, points and commas is left.
QString sqlNumber(const QString &text);

// --- input tests: true means the text is NOT acceptable (or, for the masks, was filled) ------

bool isEmptyText(const QString &text);
bool isBadDate(const QString &text);
bool isBadTime(const QString &text);
bool isBadCount(const QString &text);
bool isBadAmount(const QString &text);
// True when something was typed into a dd.mm.yyyy / hh:mm mask.
bool dateMaskFilled(const QString &text);
bool timeMaskFilled(const QString &text);

// --- regional reading -------------------------------------------------------------------------

bool readDate(const QString &text, QDate &out);
bool readTime(const QString &text, QTime &out);
// A money amount (four decimals) in the regional form.
bool readAmount(const QString &text, double &out);

// --- text adjusters ---------------------------------------------------------------------------

// Apostrophes become blanks; blanks and control characters at both ends go.
QString cleanApostrophes(const QString &text);
bool decimalIsComma();
// Trimmed, with every decimal separator of the other kind turned into the regional one.
QString regionalDecimal(const QString &text);
// The n-th field of a text whose fields each end with "|" (n <= 1: the first), trimmed.
QString pipeField(const QString &text, int n);
// "dd.mm.yyyy"
QString dayText(const QDate &date);

// Today's date; tests may pin it.
QDate today();
void setTodayForTests(const QDate &date); // an invalid date returns to the clock

} // namespace kvo::admin
