#pragma once
// Program settings: the tariffication options kept in section Tarifikator of Kvo_main.ini.
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kvo::admin {

class TFNastroi : public QDialog {
    Q_OBJECT
public:
    explicit TFNastroi(QWidget *parent = nullptr);

    QGroupBox *GBcommon, *GBdelay;
    QCheckBox *Cbycntr, *Cdelay;
    QLineEdit *Emkod;
    QSpinBox *Sdelay;
    QLabel *Lsec;
    QPushButton *Bsave, *Bcancel;

    void BsaveClick();
    void updateDelay();

protected:
    void showEvent(QShowEvent *e) override;
};

} // namespace kvo::admin
