#include "tfperiod.h"

#include "program_state.h"
#include "routines.h"
#include "tfinfo.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvo::admin {

TFperiod::TFperiod(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFperiod"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Выбор периода"));
    setFont(uiFont());
    setFixedSize(463, 222); // a 471 x 256 window less its frame

    auto dateEdit = [this](const char *name) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setInputMask(QStringLiteral("99.99.9999"));
        e->setFixedWidth(150);
        e->setAlignment(Qt::AlignCenter);
        QFont f = uiFont(16);
        e->setFont(f);
        e->installEventFilter(this);
        return e;
    };
    Sdate1 = dateEdit("Sdate1");
    Sdate2 = dateEdit("Sdate2");

    auto column = [this](const char *label, QLineEdit *edit) {
        auto *c = new QVBoxLayout;
        c->addWidget(new QLabel(QString::fromUtf8(label), this));
        c->addWidget(edit);
        return c;
    };
    auto *dates = new QHBoxLayout;
    dates->addStretch();
    dates->addLayout(column("Начальная дата", Sdate1));
    auto *dash = new QLabel(QStringLiteral("—"), this);
    dash->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    dash->setFixedHeight(Sdate1->sizeHint().height() + 22);
    dates->addSpacing(10);
    dates->addWidget(dash, 0, Qt::AlignBottom);
    dates->addSpacing(10);
    dates->addLayout(column("Конечная дата", Sdate2));
    dates->addStretch();

    auto *strip = new QWidget(this);
    strip->setAutoFillBackground(true);
    QPalette sp = strip->palette();
    sp.setColor(QPalette::Window, QColor(192, 187, 175));
    strip->setPalette(sp);
    strip->setFixedHeight(44);
    Bselect = new QPushButton(QStringLiteral("Выбрать"), strip);
    Bselect->setObjectName(QStringLiteral("Bselect"));
    Bcancel = new QPushButton(QStringLiteral("Отмена"), strip);
    Bcancel->setObjectName(QStringLiteral("Bcancel"));
    auto *sl = new QHBoxLayout(strip);
    sl->setContentsMargins(10, 8, 10, 8);
    sl->addStretch();
    for (QPushButton *b : {Bselect, Bcancel}) {
        b->setFixedSize(96, 27);
        b->setAutoDefault(false);
        sl->addWidget(b);
    }

    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->addStretch();
    v->addLayout(dates);
    v->addStretch();
    v->addWidget(strip);

    connect(Bselect, &QPushButton::clicked, this, &TFperiod::BselectClick);
    connect(Bcancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFperiod::showEvent(QShowEvent *e) {
    QDialog::showEvent(e);
    program().periodBegin.clear();
    program().periodEnd.clear();
    const QDate t = today();
    const QDate first(t.year(), t.month(), 1);
    Sdate1->setText(dayText(first));
    Sdate2->setText(dayText(first.addMonths(1).addDays(-1)));
}

bool TFperiod::eventFilter(QObject *o, QEvent *e) {
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

void TFperiod::BselectClick() {
    QDate dates[2];
    QLineEdit *edits[2] = {Sdate1, Sdate2};
    for (int i = 0; i < 2; ++i) {
        const QString text = edits[i]->displayText();
        if (!dateMaskFilled(text)) {
            edits[i]->setFocus();
            return;
        }
        if (!readDate(text, dates[i])) {
            showAppError(QStringLiteral("'%1' не является правильной датой").arg(text.trimmed()));
            edits[i]->setFocus();
            return;
        }
    }
    if (dates[1] < dates[0]) {
        showInfo(QStringLiteral("Внимание"),
                 QStringLiteral("Конечная дата не может быть ранее начальной!"), InfoModalNotice);
        Sdate1->setFocus();
        return;
    }
    program().periodBegin = dayText(dates[0]);
    program().periodEnd = dayText(dates[1]);
    accept();
}

} // namespace kvo::admin
