#include "tfbuffer.h"

#include "data_module.h"
#include "program_state.h"
#include "query_model.h"
#include "routines.h"
#include "tfinfo.h"
#include "tfmain.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace kvo::admin {

namespace {
constexpr int kFirstColumn = 60;
constexpr int kSlack = 38;
} // namespace

TFbuffer::TFbuffer(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TFbuffer"));
    setFont(uiFont());
    setMinimumSize(400, 200);

    Ptitle = new QWidget(this);
    Ptitle->setFixedHeight(24);
    Ptitle->setAutoFillBackground(true);
    QPalette tp = Ptitle->palette();
    tp.setColor(QPalette::Window, QColor(212, 208, 200));
    Ptitle->setPalette(tp);
    auto *title = new QLabel(QStringLiteral("Журнал ошибок"), Ptitle);
    QFont bold = uiFont();
    bold.setBold(true);
    title->setFont(bold);
    Bmax = new QToolButton(Ptitle);
    Bmax->setObjectName(QStringLiteral("Bmax"));
    Bmax->setAutoRaise(true);
    Bmax->setFixedSize(20, 20);
    Bmax->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    auto *tl = new QHBoxLayout(Ptitle);
    tl->setContentsMargins(6, 0, 1, 0); // the button keeps 1 pixel from the edge
    tl->addWidget(title);
    tl->addStretch();
    tl->addWidget(Bmax);

    Grid1 = new QueryGrid(this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setFont(monoFont());
    Grid1->horizontalHeader()->setFont(uiFont());
    QPalette gp = Grid1->palette();
    gp.setColor(QPalette::Base, QColor(235, 235, 235));
    Grid1->setPalette(gp);
    Grid1->bind(&dm().QuS,
                {{QStringLiteral("AVT"), QStringLiteral("N"), kFirstColumn, Qt::AlignCenter},
                 {QStringLiteral("SREAD"), QStringLiteral("Получено из АТС"), 300,
                  Qt::AlignLeft | Qt::AlignVCenter}});
    Grid1->horizontalHeader()->setStretchLastSection(false);
    Grid1->installEventFilter(this);

    P1 = new QWidget(this);
    P1->setFixedHeight(41);
    auto *bl = new QHBoxLayout(P1);
    bl->setContentsMargins(8, 7, 10, 7); // "Закрыть" keeps 10 pixels from the right edge
    auto button = [this](const char *text, const char *name) {
        auto *b = new QPushButton(QString::fromUtf8(text), P1);
        b->setObjectName(QString::fromLatin1(name));
        b->setFixedSize(96, 27);
        b->setAutoDefault(false);
        return b;
    };
    Brefresh = button("Обновить", "Brefresh");
    Bdelete = button("Удалить", "Bdelete");
    BdeleteAll = button("Удалить все", "BdeleteAll");
    Bclose = button("Закрыть", "Bclose");
    bl->addWidget(Brefresh);
    bl->addWidget(Bdelete);
    bl->addWidget(BdeleteAll);
    bl->addStretch();
    bl->addWidget(Bclose);

    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(Ptitle);
    v->addWidget(Grid1, 1);
    v->addWidget(P1);

    Popup1 = new QMenu(this);
    PdeleteOne = Popup1->addAction(QStringLiteral("Удалить"));
    PdeleteAll = Popup1->addAction(QStringLiteral("Удалить ВСЕ"));
    Popup1->addSeparator();
    Pexcel = Popup1->addAction(QStringLiteral("Отправить в Excel"));
    Popup1->addSeparator();
    Pexit = Popup1->addAction(QStringLiteral("Выход"));
    connect(Popup1, &QMenu::aboutToShow, this, &TFbuffer::PopupOpen);
    Grid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Grid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { Popup1->popup(Grid1->viewport()->mapToGlobal(p)); });

    connect(Brefresh, &QPushButton::clicked, this, &TFbuffer::refresh);
    connect(Bdelete, &QPushButton::clicked, this, &TFbuffer::deleteCurrent);
    connect(BdeleteAll, &QPushButton::clicked, this, &TFbuffer::deleteAll);
    connect(Bclose, &QPushButton::clicked, this, [this] { TFmain::closeChildWindow(this); });
    connect(Bmax, &QToolButton::clicked, this, &TFbuffer::BmaxClick);
    connect(PdeleteOne, &QAction::triggered, this, &TFbuffer::deleteCurrent);
    connect(PdeleteAll, &QAction::triggered, this, &TFbuffer::deleteAll);
    connect(Pexcel, &QAction::triggered, this, [] {
        if (TFmain *m = TFmain::instance())
            m->ExcelClick();
    });
    connect(Pexit, &QAction::triggered, this, [this] { TFmain::closeChildWindow(this); });
}

void TFbuffer::showEvent(QShowEvent *e) {
    QWidget::showEvent(e);
    if (shown_)
        return;
    shown_ = true;
    Bdelete->setEnabled(!program().readOnly);
    BdeleteAll->setEnabled(!program().readOnly);
    refresh();
}

void TFbuffer::closeEvent(QCloseEvent *e) {
    dm().QuS.close();
    QWidget::closeEvent(e);
}

void TFbuffer::refresh() {
    DataModule &d = dm();
    d.QuS.SQL = {QStringLiteral("SELECT AVT, SREAD FROM BUFFER"), QStringLiteral("ORDER BY AVT")};
    d.QueryOpen(d.QuS);
    fitColumns();
}

void TFbuffer::deleteCurrent() {
    if (program().readOnly)
        return;
    DataModule &d = dm();
    const QString avt = d.QuS.FieldStr(QStringLiteral("AVT"));
    if (avt.isEmpty())
        return;
    if (!showInfo(QStringLiteral("Внимание"), QStringLiteral("Удалить выделенную запись?"),
                  InfoQuestion))
        return;
    d.Qu.SQL = {QStringLiteral("DELETE FROM BUFFER"), QStringLiteral("WHERE AVT=") + sqlRaw(avt)};
    d.QueryExec();
    refresh();
}

void TFbuffer::deleteAll() {
    if (program().readOnly)
        return;
    if (!showInfo(QStringLiteral("Внимание"), QStringLiteral("Удалить все записи из журнала?"),
                  InfoQuestion))
        return;
    DataModule &d = dm();
    d.Qu.SQL = {QStringLiteral("DELETE FROM BUFFER")};
    d.QueryExec();
    refresh();
}

void TFbuffer::PopupOpen() {
    const bool can = !program().readOnly && !dm().QuS.FieldStr(QStringLiteral("AVT")).isEmpty();
    PdeleteOne->setEnabled(can);
    PdeleteAll->setEnabled(can);
}

void TFbuffer::BmaxClick() {
    QWidget *frame = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (!frame)
        frame = this;
    if (frame->isMaximized())
        TFmain::closeChildWindow(this);
    else
        frame->showMaximized();
}

bool TFbuffer::handleKey(int key) {
    switch (key) {
    case Qt::Key_F5:
        refresh();
        return true;
    case Qt::Key_Delete:
        deleteCurrent();
        return true;
    case Qt::Key_Escape:
        TFmain::closeChildWindow(this);
        return true;
    default:
        return false;
    }
}

void TFbuffer::keyPressEvent(QKeyEvent *e) {
    if (!handleKey(e->key()))
        QWidget::keyPressEvent(e);
}

bool TFbuffer::eventFilter(QObject *o, QEvent *e) {
    if (o == Grid1) {
        if (e->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent *>(e)->key()))
            return true;
        if (e->type() == QEvent::Resize)
            fitColumns();
    }
    return QWidget::eventFilter(o, e);
}

void TFbuffer::resizeEvent(QResizeEvent *e) {
    QWidget::resizeEvent(e);
    fitColumns();
}

void TFbuffer::fitColumns() {
    Grid1->setColumnWidth(0, kFirstColumn);
    Grid1->setColumnWidth(1, qMax(50, Grid1->width() - kFirstColumn - kSlack));
}

} // namespace kvo::admin
