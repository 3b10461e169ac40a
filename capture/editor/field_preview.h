#pragma once
// What the layout editor shows for one field of the sample line, read with the capture
// library's own normalisers and readers.
#include <QString>

namespace kvo::editor {

enum class Field { Date, Time, PhoneIn, PhoneOut, Duration, Line, Cd };

// The piece of the sample from start for length characters, not trimmed: a start below 1
// counts as 1, a start past the end or a length below 1 gives "", a piece stops at the end.
QString samplePiece(const QString &sample, int start, int length);

// The preview text of a field, or "ошибка" when the piece cannot be read. dateFormat is the
// text of the date format box.
QString fieldPreview(Field field, const QString &sample, int start, int length,
                     const QString &dateFormat, int currentYear);

} // namespace kvo::editor
