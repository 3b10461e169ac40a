#pragma once
// Call tables: lists Base/DIAL*.DAT, creates and deletes call tables, chooses the active one.
#include <QDialog>

class QPushButton;
class QTreeWidget;

namespace kvo::admin {

class TFSelectTable : public QDialog {
    Q_OBJECT
public:
    explicit TFSelectTable(QWidget *parent = nullptr);

    QTreeWidget *LView1;
    QPushButton *Bcreate, *Bdelete, *Brefresh, *Bselect, *Bcancel;

    void BrefreshClick();
    void BcreateClick();
    void BdeleteClick();
    void BselectClick();
    // The table named in the selected row, empty when none is selected.
    QString selectedTable() const;

protected:
    void showEvent(QShowEvent *e) override;
};

} // namespace kvo::admin
