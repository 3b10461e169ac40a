#include "tfabout.h"

#include "tfinfo.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QRadialGradient>
#include <QTimer>

namespace kvo::admin {

MemoryStatus parseMeminfo(const QString &text) {
    unsigned long long total = 0, available = 0, freeKb = 0, buffers = 0, cached = 0;
    bool haveAvailable = false;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString key = line.section(QLatin1Char(':'), 0, 0).trimmed();
        const unsigned long long v = line.section(QLatin1Char(':'), 1)
                                         .trimmed()
                                         .section(QLatin1Char(' '), 0, 0)
                                         .toULongLong();
        if (key == QLatin1String("MemTotal"))
            total = v;
        else if (key == QLatin1String("MemAvailable")) {
            available = v;
            haveAvailable = true;
        } else if (key == QLatin1String("MemFree"))
            freeKb = v;
        else if (key == QLatin1String("Buffers"))
            buffers = v;
        else if (key == QLatin1String("Cached"))
            cached = v;
    }
    MemoryStatus s;
    if (total == 0)
        return s;
    if (!haveAvailable)
        available = freeKb + buffers + cached;
    available = std::min(available, total);
    const unsigned long long load = (total - available) * 100 / total;
    s.totalKb = total; // the kernel counts in units of 1024 bytes already
    s.freePercent = 100 - static_cast<int>(load);
    s.ok = true;
    return s;
}

MemoryStatus readMemoryStatus() {
    QFile f(QStringLiteral("/proc/meminfo"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return parseMeminfo(QString::fromLatin1(f.readAll()));
}

namespace {

QPixmap emblem(int size, QColor colour) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(size * 0.35, size * 0.35, size * 0.7);
    g.setColorAt(0, colour.lighter(160));
    g.setColorAt(1, colour);
    p.setBrush(g);
    p.setPen(colour.darker(150));
    p.drawEllipse(2, 2, size - 4, size - 4);
    p.setPen(Qt::white);
    QFont f = uiFont(size / 3);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("KVO"));
    return pm;
}

// Credits that scroll upwards in a small window.
class Credits : public QWidget {
public:
    explicit Credits(QWidget *parent) : QWidget(parent) {
        text_ = QStringLiteral("Учет и тарификация телефонных переговоров\n\n"
                               "Прием данных от АТС\nСправочники\nТарификация\nПоиск\n"
                               "Статистика\nЭкспорт отчетов\n\nZORVA SOFT");
        auto *t = new QTimer(this);
        connect(t, &QTimer::timeout, this, [this] {
            offset_ = (offset_ + 1) % (textHeight() + height());
            update();
        });
        t->start(60);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter p(this);
        p.setFont(font());
        p.setPen(QColor(40, 60, 110));
        p.drawText(QRect(0, height() - offset_, width(), textHeight()),
                   Qt::AlignHCenter | Qt::AlignTop, text_);
    }

private:
    int textHeight() const { return fontMetrics().lineSpacing() * (text_.count('\n') + 1); }
    QString text_;
    int offset_ = 40;
};

} // namespace

TFAbout::TFAbout(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("О программе"));
    setFont(uiFont());
    setFixedSize(434, 251);

    auto *pic1 = new QLabel(this);
    pic1->setPixmap(emblem(64, QColor(30, 90, 170)));
    pic1->setGeometry(16, 14, 64, 64);
    auto *pic2 = new QLabel(this);
    pic2->setPixmap(emblem(32, QColor(200, 120, 30)));
    pic2->setGeometry(60, 62, 32, 32);

    auto *title = new QLabel(QStringLiteral("KVO Администратор 3.9"), this);
    QFont tf = uiFont(18);
    tf.setBold(true);
    title->setFont(tf);
    title->setGeometry(104, 16, 314, 26);
    auto *maker = new QLabel(QStringLiteral("ZORVA SOFT"), this);
    QFont mf = uiFont(13);
    mf.setBold(true);
    maker->setFont(mf);
    QPalette mp = maker->palette();
    mp.setColor(QPalette::WindowText, QColor(110, 110, 110));
    maker->setPalette(mp);
    maker->setGeometry(104, 44, 314, 18);

    auto *credits = new Credits(this);
    credits->setGeometry(104, 68, 314, 72);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(12, 150, 410, 4);

    const MemoryStatus mem = readMemoryStatus();
    auto *l1 = new QLabel(QStringLiteral("Вся оперативная память:"), this);
    l1->setGeometry(24, 164, 180, 18);
    Ltotal = new QLabel(
        QLocale().toString(static_cast<qulonglong>(mem.totalKb)) + QStringLiteral(" KB"), this);
    Ltotal->setObjectName(QStringLiteral("Ltotal"));
    Ltotal->setGeometry(210, 164, 150, 18);
    auto *l2 = new QLabel(QStringLiteral("Свободно:"), this);
    l2->setGeometry(24, 186, 180, 18);
    Lfree = new QLabel(QString::number(mem.freePercent) + QStringLiteral(" %"), this);
    Lfree->setObjectName(QStringLiteral("Lfree"));
    Lfree->setGeometry(210, 186, 150, 18);

    Bok = new QPushButton(QStringLiteral("OK"), this);
    Bok->setGeometry(434 - 96 - 12, 251 - 27 - 12, 96, 27);
    Bok->setDefault(true);
    connect(Bok, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace kvo::admin
