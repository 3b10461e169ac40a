#pragma once
// The read-only detail of one call record.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace kvo::admin {

class TFeDial : public QDialog {
    Q_OBJECT
public:
    explicit TFeDial(QWidget *parent = nullptr);
    void fill(const QString &datRing, const QString &timRing, const QString &ext,
              const QString &name, const QString &dial, const QString &duration, const QString &co,
              const QString &cd);

    QLineEdit *Edat_ring, *Etim_ring, *Eext, *Ename, *Edial, *Eduration, *Einfo, *Eco, *Ecd;
    QPushButton *Bclose;
};

} // namespace kvo::admin
