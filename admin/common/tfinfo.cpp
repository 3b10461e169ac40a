#include "tfinfo.h"

#include "gradient_panel.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindow>

namespace kvo::admin {

bool TFinfo::answer = false;
std::function<void(TFinfo &)> TFinfo::testHook;

namespace {

QPointer<TFinfo> lastInfo;

constexpr int kWidth = 370;
constexpr int kHeight = 191;
constexpr int kProgressHeight = 173; // a 200-pixel window less its title bar
constexpr int kStrip = 40;

class Panel : public QWidget {
public:
    Panel(QWidget *parent, QColor colour, bool lowered) : QWidget(parent), lowered_(lowered) {
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, colour);
        setPalette(p);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        if (!lowered_)
            return;
        QPainter p(this);
        p.setPen(QColor(160, 160, 160));
        p.drawLine(0, 0, width() - 1, 0);
        p.drawLine(0, 0, 0, height() - 1);
        p.setPen(Qt::white);
        p.drawLine(0, height() - 1, width() - 1, height() - 1);
        p.drawLine(width() - 1, 0, width() - 1, height() - 1);
    }

private:
    bool lowered_;
};

QPushButton *makeButton(QWidget *parent, const QString &text, int left) {
    auto *b = new QPushButton(text, parent);
    b->setGeometry(left, (kStrip - 27) / 2, 90, 27);
    b->setAutoDefault(false);
    return b;
}

} // namespace

QFont uiFont(int pixelSize) {
    QFont f;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("DejaVu Sans")});
    f.setPixelSize(pixelSize);
    return f;
}

QFont monoFont(int pixelSize) {
    QFont f;
    f.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                   QStringLiteral("DejaVu Sans Mono")});
    f.setStyleHint(QFont::Monospace);
    f.setPixelSize(pixelSize);
    return f;
}

// A message shown while a modal dialog runs belongs to that dialog: a window of its own would be
// blocked by the dialog, and its "Ok" could not be pressed.
TFinfo::TFinfo(const QString &caption, const QString &text, int mode)
    : QDialog(QApplication::activeModalWidget()), mode_(mode) {
    setObjectName(QStringLiteral("TFinfo"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Информация"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFont(uiFont());
    const int height = mode == InfoProgress ? kProgressHeight : kHeight;
    setFixedSize(kWidth, height);

    auto *outer = new Panel(this, QColor(242, 240, 227), false);
    outer->setGeometry(0, 0, kWidth, height);
    const int innerHeight = kHeight - kStrip - 6;
    Pinner = new Panel(outer, QColor(250, 249, 245), true);
    Pinner->setGeometry(3, 3, kWidth - 6, innerHeight);

    const QIcon left = style()->standardIcon(
        mode == InfoQuestion ? QStyle::SP_MessageBoxQuestion : QStyle::SP_MessageBoxInformation);
    Ipicture1 = new QLabel(Pinner);
    Ipicture1->setGeometry(6, 6, 60, 60);
    Ipicture1->setAlignment(Qt::AlignCenter);
    Ipicture1->setPixmap(left.pixmap(48, 48));
    Ipicture2 = new QLabel(Pinner);
    Ipicture2->setGeometry(Pinner->width() - 66, 6, 60, 60);
    Ipicture2->setAlignment(Qt::AlignCenter);
    Ipicture2->setPixmap(left.pixmap(48, 48));

    Lcaption = new QLabel(caption, Pinner);
    Lcaption->setObjectName(QStringLiteral("Lcaption"));
    Lcaption->setGeometry((Pinner->width() - 234) / 2, 6, 234, 47);
    Lcaption->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    Lcaption->setWordWrap(true);
    QPalette red = Lcaption->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Lcaption->setPalette(red);
    QFont bold = uiFont();
    bold.setBold(true);
    Lcaption->setFont(bold);

    Ltext = new QLabel(text, Pinner);
    Ltext->setObjectName(QStringLiteral("Ltext"));
    Ltext->setGeometry((Pinner->width() - 337) / 2, 56, 337, 85);
    Ltext->setAlignment(Qt::AlignCenter);
    Ltext->setWordWrap(true);

    Pbuttons = new GradientPanel(QColor(236, 233, 216), QColor(214, 208, 184),
                                 QColor(190, 185, 160), GradientPanel::Edge::Top, outer);
    Pbuttons->setGeometry(0, kHeight - kStrip, kWidth, kStrip);
    BOk = makeButton(Pbuttons, QStringLiteral("Ok"), 136);
    BYes = makeButton(Pbuttons, QStringLiteral("Да"), 64);
    BNo = makeButton(Pbuttons, QStringLiteral("Нет"), 209);
    BOk->setObjectName(QStringLiteral("BOk"));
    BYes->setObjectName(QStringLiteral("BYes"));
    BNo->setObjectName(QStringLiteral("BNo"));
    connect(BOk, &QPushButton::clicked, this, &QDialog::close);
    connect(BNo, &QPushButton::clicked, this, &QDialog::close);
    connect(BYes, &QPushButton::clicked, this, [this] {
        answer = true;
        close();
    });

    if (mode == InfoQuestion) {
        BOk->hide();
        Ipicture1->hide();
        BYes->setDefault(true);
    } else {
        BYes->hide();
        BNo->hide();
        Ipicture2->hide();
        BOk->setDefault(true);
    }
    if (mode == InfoProgress)
        Pbuttons->hide();

    for (QWidget *w : {static_cast<QWidget *>(Pinner), static_cast<QWidget *>(Lcaption),
                       static_cast<QWidget *>(Ltext)})
        w->installEventFilter(this);

    if (QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void TFinfo::changeEvent(QEvent *e) {
    QDialog::changeEvent(e);
    // The window goes away as soon as another window takes the activation.
    if (e->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible())
        QTimer::singleShot(0, this, &QDialog::close);
}

bool TFinfo::eventFilter(QObject *o, QEvent *e) {
    // Dragging the text area moves the window as its title bar would.
    if (e->type() == QEvent::MouseButtonPress) {
        auto *me = static_cast<QMouseEvent *>(e);
        if (me->button() == Qt::LeftButton) {
            if (windowHandle() && windowHandle()->startSystemMove())
                return true;
            dragging_ = true;
            dragOffset_ = me->globalPosition().toPoint() - frameGeometry().topLeft();
            return true;
        }
    } else if (e->type() == QEvent::MouseMove && dragging_) {
        move(static_cast<QMouseEvent *>(e)->globalPosition().toPoint() - dragOffset_);
        return true;
    } else if (e->type() == QEvent::MouseButtonRelease && dragging_) {
        dragging_ = false;
        return true;
    }
    return QDialog::eventFilter(o, e);
}

bool showInfo(const QString &caption, const QString &text, int mode) {
    auto *w = new TFinfo(caption, text, mode);
    lastInfo = w;
    TFinfo::answer = false;
    if (mode == InfoModalNotice || mode == InfoQuestion) {
        if (TFinfo::testHook) {
            QPointer<TFinfo> guard(w);
            QTimer::singleShot(0, w, [guard] {
                if (guard && TFinfo::testHook)
                    TFinfo::testHook(*guard);
                if (guard)
                    guard->close();
            });
        }
        w->exec();
    } else {
        w->show();
        if (TFinfo::testHook)
            TFinfo::testHook(*w);
    }
    QCoreApplication::processEvents();
    return mode == InfoQuestion && TFinfo::answer;
}

void closeInfo() {
    try {
        if (lastInfo)
            lastInfo->close();
    } catch (...) {
    }
}

void showAppError(const QString &text) {
    showInfo(QStringLiteral("Ошибка"), text, InfoModalNotice);
}

} // namespace kvo::admin
