#include "tfmain.h"

#include "gradient_panel.h"

#include "database.h"
#include "program_state.h"
#include "routines.h"
#include "tfedial.h"
#include "tfinfo.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

namespace kvo::admin {

std::function<bool(const QUrl &)> TFmain::urlOpener = [](const QUrl &u) {
    return QDesktopServices::openUrl(u);
};
// The maker's web address is not known. Set it here; while it is empty the maker label opens
// the program's own help page instead.
const char *const TFmain::kMakerSite = "";

namespace {

QPointer<TFmain> mainWindow;

struct MenuEntry {
    const char *name; // empty: separator
    const char *caption;
    bool closesChildren;
    bool onlyConnected;
};

struct MenuDef {
    const char *title;
    const char *objectName;
    std::vector<MenuEntry> entries;
};

const std::vector<MenuDef> &menuDefs() {
    static const std::vector<MenuDef> defs = {
        {"База",
         "mBase",
         {{"_Connect", "соединение", false, false},
          {"_SetBase", "настройки базы", false, false},
          {"_Disconnect", "отключение", false, false},
          {"", "", false, false},
          {"_Exit", "завершение работы", false, false}}},
        {"Справочники",
         "mSprav",
         {{"_CNTR", "операторы связи", true, false},
          {"_CO", "внешние линии", true, false},
          {"", "", false, false},
          {"_Tarif", "зоны тарификации", true, false},
          {"", "", false, false},
          {"_Ext", "внутренние абоненты", true, false},
          {"_Book", "записная книжка", true, false},
          {"_gorod", "городской справочник", true, false}}},
        {"Поиск",
         "mPoisk",
         {{"_FindSystem", "поисковая система", false, true},
          {"_Analiz", "тарификация", true, true},
          {"_dial", "подробно", false, false},
          {"", "", false, false},
          {"_Buffer", "журнал ошибок", true, true}}},
        {"Сервис", "mService", {{"_Nastroi", "настройки программы", true, false}}},
        {"Отчеты",
         "mReports",
         {{"_Excel", "экспорт в excel", false, false}, {"_stat", "статистика", true, true}}},
        {"Окна",
         "mWindows",
         {{"_cascade", "каскад", false, false}, {"_tile", "мозаика", false, false}}},
        {"Помощь",
         "mHelp",
         {{"_help_system", "справочная система", false, false},
          {"_About", "о программе", false, false}}},
    };
    return defs;
}

struct ToolDef {
    int x;
    const char *hint;
    const char *item;
    QStyle::StandardPixmap glyph;
};

const ToolDef kTools[] = {
    {5, "Помощь", "_help_system", QStyle::SP_DialogHelpButton},
    {46, "Внутренние абоненты", "_Ext", QStyle::SP_FileDialogDetailedView},
    {76, "Внешние линии", "_CO", QStyle::SP_DriveNetIcon},
    {106, "Записная книжка", "_Book", QStyle::SP_FileDialogContentsView},
    {136, "Городской справочник", "_gorod", QStyle::SP_DirHomeIcon},
    {178, "Поисковая система", "_FindSystem", QStyle::SP_FileDialogInfoView},
    {209, "Тарификация", "_Analiz", QStyle::SP_ComputerIcon},
    {240, "Экспорт в Excel", "_Excel", QStyle::SP_DialogSaveButton},
    {270, "Статистика", "_stat", QStyle::SP_FileDialogListView},
};

} // namespace

TFmain *TFmain::instance() {
    return mainWindow.data();
}

TFmain::TFmain(const QStringList &args) {
    mainWindow = this;
    setObjectName(QStringLiteral("TFmain"));
    setWindowTitle(QStringLiteral("KVO Администратор 3.9"));
    setFont(uiFont());

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    P_tool = new GradientPanel(QColor(250, 250, 247), QColor(220, 217, 204), QColor(172, 168, 153),
                               GradientPanel::Edge::Bottom, central);
    P_tool->setFixedHeight(32);
    layout->addWidget(P_tool);
    mdi_ = new QMdiArea(central);
    mdi_->setBackground(QColor(171, 171, 171));
    layout->addWidget(mdi_, 1);
    setCentralWidget(central);

    buildMenus();
    buildToolbar();
    buildStatusBar();

    updateControls();
    program().readOnly = !args.isEmpty() && args.first() == QLatin1String("readonly");
    if (QScreen *s = QGuiApplication::primaryScreen())
        setGeometry(QRect(QPoint(0, 0), s->size()));
    loadActiveTable();
    loadTarifSettings();
    setActiveTablePanel(program().activeTable);
    Pdate->setText(dayText(today()));

    QPalette tip = QToolTip::palette();
    tip.setColor(QPalette::ToolTipBase, QColor(181, 239, 255));
    tip.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tip);

    Tim1 = new QTimer(this);
    Tim1->setInterval(1);
    connect(Tim1, &QTimer::timeout, this, &TFmain::Tim1Timer);
    Tim1->start();
}

TFmain::~TFmain() {
    // Children first: their close handlers still use the queries.
    for (QMdiSubWindow *w : mdi_->subWindowList())
        delete w;
}

void TFmain::buildMenus() {
    for (const MenuDef &def : menuDefs()) {
        QMenu *m = menuBar()->addMenu(QString::fromUtf8(def.title));
        m->setObjectName(QString::fromUtf8(def.objectName));
        menus_.append(m);
        for (const MenuEntry &e : def.entries) {
            if (!*e.name) {
                m->addSeparator();
                continue;
            }
            const QString name = QString::fromUtf8(e.name);
            QAction *a = m->addAction(QString::fromUtf8(e.caption));
            a->setObjectName(name);
            actions_.insert(name, a);
            items_.insert(name, {QString::fromUtf8(e.caption), e.closesChildren, e.onlyConnected});
            connect(a, &QAction::triggered, this, [this, name] { openItem(name); });
        }
    }
    connect(menu(QStringLiteral("База")), &QMenu::aboutToShow, this, &TFmain::BaseMenuPopup);
    connect(menu(QStringLiteral("Поиск")), &QMenu::aboutToShow, this, &TFmain::SearchMenuPopup);
}

void TFmain::buildToolbar() {
    for (const ToolDef &t : kTools) {
        auto *b = new QToolButton(P_tool);
        b->setGeometry(t.x, 3, 28, 26);
        b->setAutoRaise(true);
        b->setIcon(style()->standardIcon(t.glyph));
        b->setIconSize(QSize(18, 18));
        b->setToolTip(QString::fromUtf8(t.hint));
        const QString item = QString::fromUtf8(t.item);
        b->setObjectName(QStringLiteral("SB") + item);
        connect(b, &QToolButton::clicked, this, [this, item] { openItem(item); });
        buttons_.append(b);
    }
    Pdate = new QLabel(P_tool);
    Pdate->setObjectName(QStringLiteral("Pdate"));
    Pdate->setGeometry(322, 5, 116, 22);
    Pdate->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Pdate->setAlignment(Qt::AlignCenter);
    Pdate->setAutoFillBackground(true);
    QPalette blue = Pdate->palette();
    blue.setColor(QPalette::Window, QColor(149, 207, 255));
    Pdate->setPalette(blue);
    Pdate->setToolTip(QStringLiteral("Сегодня"));

    L_www = new QLabel(QStringLiteral("ZORVA SOFT"), P_tool);
    L_www->setObjectName(QStringLiteral("L_www"));
    QPalette grey = L_www->palette();
    grey.setColor(QPalette::WindowText, QColor(128, 128, 128));
    L_www->setPalette(grey);
    QFont f = uiFont();
    f.setBold(true);
    L_www->setFont(f);
    L_www->adjustSize();
    L_www->setCursor(Qt::PointingHandCursor);
    L_www->installEventFilter(this);
    placeMakerLabel();
}

void TFmain::buildStatusBar() {
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("Status1"));
    bar->setSizeGripEnabled(false);
    bar->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
    const int widths[5] = {100, 90, 60, 60, 200};
    const Qt::Alignment align[5] = {Qt::AlignCenter, Qt::AlignCenter,
                                    Qt::AlignRight | Qt::AlignVCenter, Qt::AlignCenter,
                                    Qt::AlignLeft | Qt::AlignVCenter};
    for (int i = 0; i < 5; ++i) {
        auto *l = new QLabel(bar);
        l->setObjectName(QStringLiteral("Status1_%1").arg(i));
        l->setAlignment(align[i]);
        if (i != 2)
            l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i == 4)
            l->setMinimumWidth(widths[i]);
        else
            l->setFixedWidth(widths[i]);
        bar->addWidget(l, i == 4 ? 1 : 0);
        panels_[i] = l;
    }
    panels_[2]->setText(QStringLiteral("База:  "));
}

QAction *TFmain::action(const QString &itemName) const {
    return actions_.value(itemName);
}

QMenu *TFmain::menu(const QString &title) const {
    for (QMenu *m : menus_)
        if (m->title() == title)
            return m;
    return nullptr;
}

QToolButton *TFmain::toolButton(int index) const {
    return buttons_.value(index);
}

void TFmain::setOpener(const QString &itemName, Opener opener) {
    openers_.insert(itemName, std::move(opener));
}

void TFmain::setExportHandler(std::function<void(const QString &)> handler) {
    exportHandler_ = std::move(handler);
}

void TFmain::openItem(const QString &name) {
    if (name == QLatin1String("_Connect"))
        return ConnectClick();
    if (name == QLatin1String("_Disconnect"))
        return DisconnectClick();
    if (name == QLatin1String("_Exit")) {
        close();
        return;
    }
    if (name == QLatin1String("_Excel"))
        return ExcelClick();
    if (name == QLatin1String("_dial"))
        return dialClick();
    if (name == QLatin1String("_help_system"))
        return helpClick();
    if (name == QLatin1String("_cascade"))
        return mdi_->cascadeSubWindows();
    if (name == QLatin1String("_tile"))
        return mdi_->tileSubWindows();

    const Item item = items_.value(name);
    if (item.onlyConnected && !data_.connected())
        return;
    const Opener opener = openers_.value(name);
    if (!opener)
        return; // the window of this item is not part of the program yet
    if (item.closesChildren)
        CloseChildren();
    if (QWidget *w = opener())
        addChild(w, item.caption);
}

QMdiSubWindow *TFmain::addChild(QWidget *w, const QString &caption) {
    w->setWindowTitle(caption);
    w->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow *sub = mdi_->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    if (w->property("kvoNormalChild").toBool()) {
        sub->show();
    } else {
        sub->setWindowFlags(Qt::FramelessWindowHint);
        sub->showMaximized();
    }
    mdi_->setActiveSubWindow(sub);
    return sub;
}

QString TFmain::activeChildCaption() const {
    QMdiSubWindow *sub = mdi_->currentSubWindow();
    if (!sub)
        sub = mdi_->activeSubWindow();
    return sub && sub->widget() ? sub->widget()->windowTitle() : QString();
}

void TFmain::closeChildWindow(QWidget *w) {
    if (auto *sub = qobject_cast<QMdiSubWindow *>(w->parentWidget()))
        sub->close();
    else
        w->close();
}

void TFmain::setActiveTablePanel(const QString &name) {
    panels_[3]->setText(name);
}

void TFmain::Tim1Timer() {
    const bool first = firstTick_;
    firstTick_ = false;
    if (first)
        Tim1->setInterval(600);
    panels_[1]->setText(QTime::currentTime().toString(QStringLiteral("HH:mm")));
    if (first)
        ConnectClick();
}

void TFmain::ConnectClick() {
    if (!data_.connected()) {
        panels_[4]->setText(QDir::toNativeSeparators(program().baseDir));
        try {
            data_.connectBase();
        } catch (const std::exception &e) {
            updateControls();
            showAppError(QString::fromStdString(e.what()));
            return;
        }
    }
    updateControls();
}

void TFmain::DisconnectClick() {
    data_.disconnectBase();
    updateControls();
}

void TFmain::updateControls() {
    const bool on = data_.connected();
    for (const char *t : {"Справочники", "Поиск", "Отчеты"})
        if (QMenu *m = menu(QString::fromUtf8(t)))
            m->menuAction()->setEnabled(on);
    for (int i = 1; i < buttons_.size(); ++i)
        buttons_[i]->setEnabled(on);
    BaseMenuPopup();
    panels_[0]->setText(on ? QStringLiteral("соединение") : QString());
    panels_[1]->setText(dayText(today()));
}

void TFmain::BaseMenuPopup() {
    const bool on = data_.connected();
    action(QStringLiteral("_Connect"))->setEnabled(!on);
    action(QStringLiteral("_Disconnect"))->setEnabled(on);
    action(QStringLiteral("_SetBase"))->setEnabled(on);
}

void TFmain::SearchMenuPopup() {
    action(QStringLiteral("_dial"))
        ->setEnabled(data_.QuD.isOpen() && !data_.QuD.FieldStr(QStringLiteral("AVT")).isEmpty());
}

void TFmain::CloseChildren() {
    const QList<QMdiSubWindow *> subs = mdi_->subWindowList();
    for (QMdiSubWindow *s : subs)
        s->close();
}

void TFmain::ExcelClick() {
    static const QStringList exported = {
        QStringLiteral("тарификация"),         QStringLiteral("поисковая система"),
        QStringLiteral("зоны тарификации"),    QStringLiteral("внешние линии"),
        QStringLiteral("внутренние абоненты"), QStringLiteral("записная книжка"),
        QStringLiteral("операторы связи"),     QStringLiteral("журнал ошибок")};
    const QString caption = activeChildCaption();
    if (caption.isEmpty() || !exported.contains(caption) || !exportHandler_)
        return;
    exportHandler_(caption);
}

void TFmain::dialClick() {
    Query &q = data_.QuD;
    if (!q.isOpen() || q.fieldIndex(QStringLiteral("EXT")) < 0 ||
        q.FieldStr(QStringLiteral("EXT")).isEmpty())
        return;
    auto *d = new TFeDial(this);
    d->fill(q.FieldStr(QStringLiteral("DAT_RING")), q.FieldStr(QStringLiteral("TIM_RING")),
            q.FieldStr(QStringLiteral("EXT")), q.FieldStr(QStringLiteral("NAME")),
            q.FieldStr(QStringLiteral("DIAL")), q.FieldStr(QStringLiteral("DURATION")),
            q.FieldStr(QStringLiteral("CO")), q.FieldStr(QStringLiteral("CD")));
    const QString dial = q.FieldStr(QStringLiteral("DIAL"));
    QString info = data_.BookInfo(dial);
    if (info.isEmpty())
        info = data_.CityInfo(dial);
    d->Einfo->setText(info);
    d->exec();
}

void TFmain::helpClick() {
    urlOpener(QUrl::fromLocalFile(program().programDir + QStringLiteral("Kvo_help.html")));
}

void TFmain::placeMakerLabel() {
    if (L_www)
        L_www->move(width() - L_www->width() - 30, (32 - L_www->height()) / 2);
}

void TFmain::resizeEvent(QResizeEvent *e) {
    QMainWindow::resizeEvent(e);
    placeMakerLabel();
}

bool TFmain::eventFilter(QObject *o, QEvent *e) {
    if (o == L_www && e->type() == QEvent::MouseButtonRelease) {
        if (*kMakerSite)
            urlOpener(QUrl(QString::fromLatin1(kMakerSite)));
        else
            helpClick();
        return true;
    }
    return QMainWindow::eventFilter(o, e);
}

} // namespace kvo::admin
