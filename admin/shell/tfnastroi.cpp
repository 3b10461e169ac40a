#include "tfnastroi.h"

#include "ini_file.h"
#include "program_state.h"
#include "tfinfo.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kvo::admin {

TFNastroi::TFNastroi(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFNastroi"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Настройки программы"));
    setFont(uiFont());
    setFixedSize(622, 446);

    GBcommon = new QGroupBox(QStringLiteral("Общие настройки тарификации"), this);
    GBcommon->setToolTip(QStringLiteral("В разработке"));
    Cbycntr = new QCheckBox(QStringLiteral("Тарификация по операторам связи"), GBcommon);
    Cbycntr->setChecked(true);
    Cbycntr->setEnabled(false);
    Emkod = new QLineEdit(GBcommon);
    Emkod->setObjectName(QStringLiteral("Emkod"));
    Emkod->setFixedWidth(80);
    auto *cl = new QVBoxLayout(GBcommon);
    cl->setContentsMargins(16, 16, 16, 16);
    cl->setSpacing(12);
    cl->addWidget(Cbycntr);
    auto *code = new QHBoxLayout;
    code->addWidget(new QLabel(QStringLiteral("Код выхода на межгород"), GBcommon));
    code->addWidget(Emkod);
    code->addStretch();
    cl->addLayout(code);
    cl->addStretch();

    GBdelay = new QGroupBox(QStringLiteral("Не тарифицировать первые секунды дозвона"), this);
    Cdelay = new QCheckBox(QStringLiteral("Не тарифицировать"), GBdelay);
    Cdelay->setObjectName(QStringLiteral("Cdelay"));
    Sdelay = new QSpinBox(GBdelay);
    Sdelay->setObjectName(QStringLiteral("Sdelay"));
    Sdelay->setRange(0, 1000);
    Sdelay->setFixedWidth(80);
    Lsec = new QLabel(QStringLiteral("сек."), GBdelay);
    auto *dl = new QHBoxLayout(GBdelay);
    dl->setContentsMargins(16, 16, 16, 16);
    dl->addWidget(Cdelay);
    dl->addSpacing(20);
    dl->addWidget(Sdelay);
    dl->addWidget(Lsec);
    dl->addStretch();

    Bsave = new QPushButton(QStringLiteral("Сохранить"), this);
    Bsave->setObjectName(QStringLiteral("Bsave"));
    Bcancel = new QPushButton(QStringLiteral("Отмена"), this);
    Bcancel->setObjectName(QStringLiteral("Bcancel"));
    for (QPushButton *b : {Bsave, Bcancel}) {
        b->setFixedSize(96, 27);
        b->setAutoDefault(false);
    }

    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(10, 10, 10, 8);
    v->addWidget(GBcommon, 3);
    v->addWidget(GBdelay, 2);
    auto *strip = new QHBoxLayout;
    strip->addStretch();
    strip->addWidget(Bsave);
    strip->addWidget(Bcancel);
    v->addLayout(strip);

    connect(Cdelay, &QCheckBox::clicked, this, &TFNastroi::updateDelay);
    connect(Bsave, &QPushButton::clicked, this, &TFNastroi::BsaveClick);
    connect(Bcancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFNastroi::showEvent(QShowEvent *e) {
    QDialog::showEvent(e);
    const ProgramState &p = program();
    Cdelay->setChecked(p.delayYes);
    Sdelay->setValue(p.delaySec);
    Emkod->setText(p.mkod);
    updateDelay();
    GBcommon->setEnabled(!p.readOnly);
    GBdelay->setEnabled(!p.readOnly);
    Bsave->setEnabled(!p.readOnly);
}

void TFNastroi::updateDelay() {
    Sdelay->setEnabled(Cdelay->isChecked());
    Lsec->setEnabled(Cdelay->isChecked());
}

void TFNastroi::BsaveClick() {
    if (program().readOnly)
        return;
    ProgramState &p = program();
    p.delayYes = Cdelay->isChecked();
    p.delaySec = Sdelay->value();
    p.mkod = Emkod->text();
    try {
        kvo::IniFile(mainIniFile().toStdString())
            .writeStrings({{"Tarifikator", "DelayYes", p.delayYes ? "1" : "0"},
                           {"Tarifikator", "DelaySec", std::to_string(p.delaySec)},
                           {"Tarifikator", "Mkod", p.mkod.toStdString()}});
    } catch (const std::exception &e) {
        showAppError(QString::fromStdString(e.what()));
        return; // the dialog stays open
    }
    accept();
}

} // namespace kvo::admin
