#pragma once
// The record layout editor: a sample line from the exchange, the seven field positions marked
// on it, and a live reading of every field.
#include "field_preview.h"

#include <QDialog>
#include <QLabel>
#include <QSpinBox>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kvo::editor {

// A number box: whole numbers within its range; a typed value is brought into the range when
// the box loses the focus, and text that is no number counts as the lower bound.
class NumberBox : public QSpinBox {
    Q_OBJECT
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString &text, int &pos) const override;
    void fixup(QString &text) const override;
};

// A result panel; a click shows where its field lies in the sample.
class ResultPanel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

class TFSetRecords : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFields = 7;

    // programDir with a trailing "/".
    explicit TFSetRecords(const QString &programDir, QWidget *parent = nullptr);

    // The position indicator's text for the sample box as it is now.
    QString positionText() const;
    // The picker's answer when "..." is pressed; replaceable so that a caller can answer.
    std::function<QString(TFSetRecords *)> pickFromJournal;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Row {
        Field field;
        QPushButton *button;
        NumberBox *start;
        NumberBox *length;
        ResultPanel *result;
    };

    void clearForm();
    void loadLayout();
    void refreshField(int row);
    void refreshAll();
    void updatePosition();
    void markField(int row);
    void showField(int row);
    void newLayout();
    void save();
    void openHelp();
    void fetchSample();
    void setSample(const QString &text);
    QString layoutPath() const;

    QString programDir_;
    QComboBox *filter_ = nullptr;
    QLineEdit *title_ = nullptr;
    QLineEdit *info_ = nullptr;
    QLineEdit *info1_ = nullptr;
    QLineEdit *sample_ = nullptr;
    QLineEdit *pos_ = nullptr;
    QComboBox *dateFormat_ = nullptr;
    Row rows_[kFields] = {};
};

// Opens the editor modally for the program directory and returns when it closes.
void runSetRecords(const QString &programDir);

} // namespace kvo::editor
