#pragma once
// The period dialog: leaves the chosen dates in program().periodBegin / periodEnd.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace kvo::admin {

class TFperiod : public QDialog {
    Q_OBJECT
public:
    explicit TFperiod(QWidget *parent = nullptr);

    QLineEdit *Sdate1, *Sdate2;
    QPushButton *Bselect, *Bcancel;

    void BselectClick();

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;
};

} // namespace kvo::admin
