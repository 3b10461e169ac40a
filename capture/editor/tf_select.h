#pragma once
// The record picker: the lines of the error journal, one of which becomes the editor's sample.
#include <QDialog>

class QTableWidget;

namespace kvo::editor {

class TFSelect : public QDialog {
    Q_OBJECT
public:
    // baseDir: the database folder. A journal that cannot be read leaves the grid empty.
    explicit TFSelect(const QString &baseDir, QWidget *parent = nullptr);
    // The line chosen, empty when none was.
    QString picked() const { return picked_; }
    QTableWidget *grid() const { return grid_; }

    // Shows the picker modally; returns the chosen line or "".
    static QString pickLine(const QString &baseDir, QWidget *parent);

private:
    void choose();

    QTableWidget *grid_ = nullptr;
    QString picked_;
};

} // namespace kvo::editor
