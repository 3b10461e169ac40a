#include "term_window.h"

#include "capture_link.h"
#include "codec.h"
#include "ini_file.h"
#include "paths.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLinearGradient>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <cstdio>

namespace kvo::term {
namespace {

const char *const kKeys[5] = {"combo1", "combo2", "combo3", "combo4", "combo5"};

QString fromCp1251(const std::string &s) {
    return QString::fromStdString(cp1251ToUtf8(s));
}

// The small picture at the top left.
QPixmap pictureBmp1() {
    QPixmap pm(52, 18);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, 18);
    g.setColorAt(0, QColor(40, 70, 160));
    g.setColorAt(1, QColor(10, 25, 90));
    p.fillRect(pm.rect(), g);
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("KVO"));
    return pm;
}

QIcon programIcon() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(20, 45, 130));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(20);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("K"));
    return QIcon(pm);
}

} // namespace

const QStringList &settingItems(int list) {
    static const QStringList items[5] = {
        {QStringLiteral("19200 бит/сек"), QStringLiteral("  9600 бит/сек"),
         QStringLiteral("  4800 бит/сек"), QStringLiteral("  2400 бит/сек")},
        {QStringLiteral(" 4 бит"), QStringLiteral(" 5 бит"), QStringLiteral(" 6 бит"),
         QStringLiteral(" 7 бит"), QStringLiteral(" 8 бит")},
        {QStringLiteral(" Нет"), QStringLiteral(" Нечет"), QStringLiteral(" Чет"),
         QStringLiteral(" Маркер"), QStringLiteral(" Пробел")},
        {QStringLiteral(" 1 стоп.бит"), QStringLiteral(" 1.5 стоп.бит"),
         QStringLiteral(" 2 стоп.бит")},
        {QStringLiteral(" Порт COM1"), QStringLiteral(" Порт COM2"), QStringLiteral(" Порт COM3"),
         QStringLiteral(" Порт COM4")},
    };
    return items[list];
}

std::string deviceForPort(int index) {
    if (index < 0 || index > 3)
        return {};
    std::string key = "device" + std::to_string(index + 1);
    std::string def = "/dev/ttyS" + std::to_string(index);
    return IniFile(mainIniPath()).readString("Terminal", key, def);
}

TermWindow::TermWindow() {
    setObjectName(QStringLiteral("MForm"));
    setWindowTitle(QStringLiteral("KVO Терминал 3.9"));
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);
    setPalette(QApplication::palette());
    // Client area of the 780 x 258 outer frame.
    setFixedSize(774, 228);
    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->geometry().width() / 2 - 390, 2);

    // Stand-ins for the stock fixed and variable system fonts, sized so that the list shows its
    // twelve lines and the list texts fit their boxes.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(11);
    QFont variable(QStringLiteral("Liberation Sans"));
    variable.setStyleHint(QFont::SansSerif);
    variable.setPixelSize(12);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("list11"));
    list_->setFont(fixed);
    list_->setSortingEnabled(false);
    list_->setFrameShape(QFrame::StyledPanel);
    list_->setFrameShadow(QFrame::Sunken);
    // Stated as 180 high, which reaches under the button strip; a list box there shows whole
    // rows only, so it stops above the frame as it does there.
    list_->setGeometry(2, 31, 769, 160);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status34"));
    status_->setFont(variable);
    status_->setGeometry(205, 202, 380, 16);

    const QRect comboGeometry[5] = {
        {200, 6, 105, 22}, {310, 6, 75, 22}, {390, 6, 75, 22}, {470, 6, 105, 22}, {65, 6, 95, 22}};
    for (int i = 0; i < 5; ++i) {
        auto *c = new QComboBox(this);
        c->setObjectName(QString::fromLatin1(kKeys[i]));
        c->setFont(variable);
        c->setGeometry(comboGeometry[i]);
        combos_[i] = c;
    }

    auto makeButton = [&](const QString &text, const char *name, QRect r) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(variable);
        b->setGeometry(r);
        b->setAutoDefault(false);
        return b;
    };
    record_ = makeButton(QStringLiteral("Запись"), "button51", {4, 196, 90, 26});
    stop_ = makeButton(QStringLiteral("Стоп"), "button52", {94, 196, 90, 26});
    hide_ = makeButton(QStringLiteral("Свернуть"), "button53", {680, 4, 90, 26});
    settings_ = makeButton(QStringLiteral("Настройки"), "button54", {589, 196, 90, 26});
    admin_ = makeButton(QStringLiteral("Администр."), "button55", {679, 196, 90, 26});
    stop_->setEnabled(false);
    connect(record_, &QPushButton::clicked, this, &TermWindow::pressRecord);
    connect(stop_, &QPushButton::clicked, this, &TermWindow::pressStop);
    connect(hide_, &QPushButton::clicked, this, &TermWindow::pressHide);
    connect(settings_, &QPushButton::clicked, this, &TermWindow::pressSettings);
    connect(admin_, &QPushButton::clicked, this, &TermWindow::pressAdmin);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picture77"));
    picture->setPixmap(pictureBmp1());
    picture->setGeometry(7, 7, 52, 18);

    for (int i = 0; i < 5; ++i) {
        combos_[i]->addItems(settingItems(i));
        // Without the library every list starts at its first item.
        int index = callLoadFromIniFile(kKeys[i]).value_or(0);
        combos_[i]->setCurrentIndex(index >= 0 && index < combos_[i]->count() ? index : -1);
    }

    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(QStringLiteral("KVO Терминал 3.9"));
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
                    restoreFromTray();
            });
    if (QSystemTrayIcon::isSystemTrayAvailable())
        tray_->show();

    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &TermWindow::pollTick);
}

TermWindow::~TermWindow() {
    shutdown();
}

void TermWindow::applyArguments(const QStringList &args) {
    auto has = [&](const QString &word) {
        return (args.size() > 0 && args[0] == word) || (args.size() > 1 && args[1] == word);
    };
    if (has(QStringLiteral("auto")))
        record_->click();
    if (has(QStringLiteral("hide")))
        hide_->click();
}

QString TermWindow::statusText() const {
    return status_->text();
}

void TermWindow::setStatus(const QString &text) {
    status_->setText(text);
    // With KVO_TERM_TRACE set, every status also goes to stderr: a terminal that runs hidden or
    // off screen can then be watched by a script.
    static const bool trace = qEnvironmentVariableIsSet("KVO_TERM_TRACE");
    if (trace)
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

void TermWindow::setReadingState(bool reading) {
    for (auto *c : combos_)
        c->setEnabled(!reading);
    record_->setEnabled(!reading);
    settings_->setEnabled(!reading);
    stop_->setEnabled(reading);
}

void TermWindow::pressRecord() {
    if (port_.isOpen())
        return;
    LineSettings s{combos_[0]->currentIndex(), combos_[1]->currentIndex(),
                   combos_[2]->currentIndex(), combos_[3]->currentIndex()};
    portOpen_ = port_.open(deviceForPort(combos_[4]->currentIndex()), s);
    if (!portOpen_) {
        setStatus(QStringLiteral("Ошибка открытия порта"));
        return;
    }
    setStatus(QStringLiteral("Порт открыт: установка соединения"));
    timer_.start();
    setReadingState(true);
}

void TermWindow::pressStop() {
    timer_.stop();
    // A serial driver drops unread input on the last close: take in what has already arrived.
    for (int n = port_.available(); n > 0; --n) {
        int b = port_.readByte();
        if (b < 0)
            break;
        receive(b);
    }
    portOpen_ = !port_.close();
    if (portOpen_)
        return;
    // A partial line stays in the assembler and is continued by the next opening.
    setStatus(QStringLiteral("Порт закрыт"));
    setReadingState(false);
}

bool TermWindow::trayUsable() {
    if (!tray_ || !QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    // The desktop's tray may have come up after the terminal (both started with the session):
    // never hide the window behind an icon that was not shown.
    tray_->show();
    return true;
}

void TermWindow::pressHide() {
    // Without a tray a hidden window could never be brought back: minimise instead.
    if (trayUsable())
        hide();
    else
        showMinimized();
}

void TermWindow::restoreFromTray() {
    showNormal();
    raise();
    activateWindow();
}

void TermWindow::pressSettings() {
    callSetRecords();
}

void TermWindow::pressAdmin() {
    QProcess::startDetached(QString::fromStdString(programDir() + "KVO_view"), {});
}

void TermWindow::pollTick() {
    if (!portOpen_)
        return;
    setStatus(QStringLiteral("Прием данных >>>"));
    for (int b = port_.readByte(); b >= 0; b = port_.readByte())
        receive(b);
}

void TermWindow::receive(int byte) {
    if (auto line = assembler_.push(static_cast<unsigned char>(byte)))
        handleLine(*line);
}

void TermWindow::handleLine(const std::string &line) {
    list_->addItem(fromCp1251(line));
    setStatus(QStringLiteral("Запись в базу данных <<>>"));
    callAddToDBI(line);
    trimLineList([this] { return list_->count(); }, [this](int i) { delete list_->takeItem(i); });
}

void TermWindow::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setPen(QPen(QColor(127, 127, 127), 1));
    p.drawPolyline(QPolygon({{3, 193}, {769, 193}, {769, 223}, {3, 223}, {3, 193}}));
    p.setPen(QPen(QColor(204, 204, 204), 2));
    p.drawLine(4, 195, 769, 195);
    p.drawLine(4, 222, 768, 222);
}

void TermWindow::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && trayUsable()) {
        // Minimising hides the window to the tray instead.
        QTimer::singleShot(0, this, [this] {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            hide();
        });
    }
}

void TermWindow::closeEvent(QCloseEvent *event) {
    shutdown();
    event->accept();
    emit finished();
}

void TermWindow::shutdown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    delete tray_;
    tray_ = nullptr;
    for (int i = 0; i < 5; ++i)
        callSaveToIniFile(kKeys[i], combos_[i]->currentIndex());
    if (timer_.isActive())
        pressStop();
}

} // namespace kvo::term
