#pragma once
// The error journal: raw exchange lines that could not be stored as calls (table BUFFER).
#include <QWidget>

class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

namespace kvo::admin {

class QueryGrid;

class TFbuffer : public QWidget {
    Q_OBJECT
public:
    explicit TFbuffer(QWidget *parent = nullptr);

    QWidget *Ptitle, *P1;
    QToolButton *Bmax;
    QueryGrid *Grid1;
    QPushButton *Brefresh, *Bdelete, *BdeleteAll, *Bclose;
    QMenu *Popup1;
    QAction *PdeleteOne, *PdeleteAll, *Pexcel, *Pexit;

    void refresh();
    void deleteCurrent();
    void deleteAll();
    void PopupOpen();
    void BmaxClick();

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    bool handleKey(int key);
    void fitColumns();
    bool shown_ = false;
};

} // namespace kvo::admin
