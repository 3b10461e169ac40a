#include "tfedial.h"

#include "tfinfo.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kvo::admin {

TFeDial::TFeDial(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFeDial"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Подробно"));
    setFont(uiFont());

    auto *panel = new QFrame(this);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    panel->setEnabled(false); // display only
    auto *grid = new QGridLayout(panel);
    grid->setHorizontalSpacing(8);
    auto edit = [panel](const char *name, int width = 0) {
        auto *e = new QLineEdit(panel);
        e->setObjectName(QString::fromLatin1(name));
        e->setReadOnly(true);
        if (width)
            e->setFixedWidth(width);
        return e;
    };
    Edat_ring = edit("Edat_ring", 90);
    Etim_ring = edit("Etim_ring", 70);
    Eext = edit("Eext", 90);
    Ename = edit("Ename");
    Edial = edit("Edial");
    Eduration = edit("Eduration", 90);
    Einfo = edit("Einfo");
    QPalette shaded = Einfo->palette();
    shaded.setColor(QPalette::Base, QColor(236, 233, 216));
    shaded.setColor(QPalette::Disabled, QPalette::Base, QColor(236, 233, 216));
    Einfo->setPalette(shaded);
    Eco = edit("Eco", 60);
    Ecd = edit("Ecd", 60);

    int row = 0;
    auto label = [&](const char *text) {
        grid->addWidget(new QLabel(QString::fromUtf8(text), panel), row, 0);
    };
    label("Дата, время ");
    auto *dt = new QHBoxLayout;
    dt->addWidget(Edat_ring);
    dt->addWidget(Etim_ring);
    dt->addStretch();
    grid->addLayout(dt, row++, 1);
    label("Внутренний номер");
    grid->addWidget(Eext, row++, 1, Qt::AlignLeft);
    label("Отдел (служба)");
    grid->addWidget(Ename, row++, 1);
    label("Внешний номер");
    grid->addWidget(Edial, row++, 1);
    label("Продолжительность");
    grid->addWidget(Eduration, row++, 1, Qt::AlignLeft);
    label("Информация");
    grid->addWidget(Einfo, row++, 1);
    label("CO");
    auto *codes = new QHBoxLayout;
    codes->addWidget(Eco);
    codes->addSpacing(16);
    codes->addWidget(new QLabel(QStringLiteral("CD"), panel));
    codes->addSpacing(4);
    codes->addWidget(Ecd);
    codes->addStretch();
    grid->addLayout(codes, row++, 1);

    Bclose = new QPushButton(QStringLiteral("Закрыть"), this);
    Bclose->setDefault(true);
    Bclose->setFixedSize(90, 27);
    connect(Bclose, &QPushButton::clicked, this, &QDialog::close);

    auto *v = new QVBoxLayout(this);
    v->addWidget(panel);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(Bclose);
    v->addLayout(bottom);
    setFixedWidth(460);
}

void TFeDial::fill(const QString &datRing, const QString &timRing, const QString &ext,
                   const QString &name, const QString &dial, const QString &duration,
                   const QString &co, const QString &cd) {
    Edat_ring->setText(datRing);
    Etim_ring->setText(timRing);
    Eext->setText(ext);
    Ename->setText(name);
    Edial->setText(dial);
    Eduration->setText(duration);
    Eco->setText(co);
    Ecd->setText(cd);
}

} // namespace kvo::admin
