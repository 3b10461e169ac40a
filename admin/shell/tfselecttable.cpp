#include "tfselecttable.h"

#include "data_module.h"
#include "ini_file.h"
#include "program_state.h"
#include "schema.h"
#include "text_util.h"
#include "tfinfo.h"
#include "tfmain.h"

#include <algorithm>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>

namespace kvo::admin {

namespace {

enum Column { ColName, ColActive, ColDate, ColSize, ColCount };

bool sameName(const QString &a, const QString &b) {
    return kvo::equalsNoCase(a.toStdString(), b.toStdString());
}

QIcon tableIcon() {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(60, 90, 150));
    p.setBrush(QColor(200, 220, 250));
    p.drawRect(1, 2, 13, 11);
    p.drawLine(1, 6, 14, 6);
    p.drawLine(6, 6, 6, 13);
    return QIcon(pm);
}

// The table as a statement names it. A file name that is not a plain word, such as a copy
// "DIAL (копия).DAT", is quoted: bare, "DROP TABLE DIAL (копия)" would delete DIAL itself.
QString tableRef(const QString &name) {
    const bool plain = std::all_of(name.begin(), name.end(), [](QChar c) {
        return c.unicode() >= 0x80 || (c.unicode() < 0x80 && (c.isLetterOrNumber() || c == u'_'));
    });
    if (plain && !name.isEmpty() && !name.front().isDigit())
        return name;
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QFileInfoList callTableFiles() {
    QDir dir(program().baseDir);
    return dir.entryInfoList({QStringLiteral("DIAL*.DAT")},
                             QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

TFSelectTable::TFSelectTable(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFSelectTable"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Выбор активной таблицы"));
    setFont(uiFont());
    setFixedSize(579, 326);

    constexpr int kPanel = 150, kStrip = 40;
    LView1 = new QTreeWidget(this);
    LView1->setObjectName(QStringLiteral("LView1"));
    LView1->setGeometry(4, 4, 579 - kPanel - 8, 326 - kStrip - 6);
    LView1->setRootIsDecorated(false);
    LView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    LView1->setSelectionMode(QAbstractItemView::SingleSelection);
    LView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LView1->setFont(monoFont());
    LView1->setHeaderLabels({QStringLiteral("Таблица"), QStringLiteral("А"), QStringLiteral("Дата"),
                             QStringLiteral("Размер файла"), QStringLiteral("Записей")});
    LView1->header()->setFont(uiFont());
    LView1->header()->setStretchLastSection(false);
    const int widths[] = {100, 20, 86, 116, 90};
    for (int i = 0; i < 5; ++i)
        LView1->setColumnWidth(i, widths[i]);
    LView1->headerItem()->setTextAlignment(ColActive, Qt::AlignCenter);
    LView1->headerItem()->setTextAlignment(ColDate, Qt::AlignCenter);
    LView1->headerItem()->setTextAlignment(ColSize, Qt::AlignRight | Qt::AlignVCenter);
    LView1->headerItem()->setTextAlignment(ColCount, Qt::AlignRight | Qt::AlignVCenter);
    // Keep the selection visible when the list loses the focus.
    QPalette pal = LView1->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight,
                 pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    LView1->setPalette(pal);

    auto *panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(579 - kPanel - 2, 4, kPanel, 326 - kStrip - 6);
    auto button = [](QWidget *parent, const char *text, const char *name) {
        auto *b = new QPushButton(QString::fromUtf8(text), parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    Bcreate = button(panel, "Создать", "Bcreate");
    Bdelete = button(panel, "Удалить", "Bdelete");
    Brefresh = button(panel, "Обновить", "Brefresh");
    const int bx = (kPanel - 110) / 2;
    Bcreate->setGeometry(bx, 12, 110, 26);
    Bdelete->setGeometry(bx, 44, 110, 26);
    Brefresh->setGeometry(bx, 76, 110, 26);
    auto *note = new QLabel(
        QStringLiteral("Информация из АТС пишется в активную таблицу. Будьте внимательны при "
                       "переключении!"),
        panel);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    QPalette green = note->palette();
    green.setColor(QPalette::WindowText, QColor(0, 128, 0));
    note->setPalette(green);
    note->setGeometry(8, panel->height() - 98, kPanel - 16, 90);

    auto *strip = new QFrame(this);
    strip->setGeometry(0, 326 - kStrip, 579, kStrip);
    Bselect = button(strip, "Выбрать", "Bselect");
    Bcancel = button(strip, "Отмена", "Bcancel");
    Bselect->setGeometry(579 - 2 * 100 - 14, 7, 96, 26);
    Bcancel->setGeometry(579 - 100 - 6, 7, 96, 26);

    connect(Brefresh, &QPushButton::clicked, this, &TFSelectTable::BrefreshClick);
    connect(Bcreate, &QPushButton::clicked, this, &TFSelectTable::BcreateClick);
    connect(Bdelete, &QPushButton::clicked, this, &TFSelectTable::BdeleteClick);
    connect(Bselect, &QPushButton::clicked, this, &TFSelectTable::BselectClick);
    connect(Bcancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFSelectTable::showEvent(QShowEvent *e) {
    QDialog::showEvent(e);
    const bool ro = program().readOnly;
    Bselect->setEnabled(!ro);
    Bcreate->setEnabled(!ro);
    Bdelete->setEnabled(!ro);
    BrefreshClick();
}

void TFSelectTable::BrefreshClick() {
    LView1->clear();
    const QIcon icon = tableIcon();
    DataModule &d = dm();
    for (const QFileInfo &f : callTableFiles()) {
        const QString name = f.fileName().section(QLatin1Char('.'), 0, 0);
        auto *item = new QTreeWidgetItem(LView1);
        item->setIcon(ColName, icon);
        item->setText(ColName, name);
        item->setText(ColActive,
                      sameName(name, program().activeTable) ? QStringLiteral("A") : QString());
        item->setText(ColDate, f.lastModified().toString(QStringLiteral("dd.MM.yy")));
        item->setText(ColSize, QString::number(f.size() / 1024) + QStringLiteral(" Kb"));
        d.Qu.close();
        d.Qu.SQL = {QStringLiteral("SELECT COUNT(AVT) FROM ") + tableRef(name)};
        QString count;
        if (d.QueryOpen(d.Qu))
            count = d.Qu.value(0, 0);
        d.Qu.close();
        item->setText(ColCount, count.isEmpty() ? QStringLiteral("0") : count);
        item->setTextAlignment(ColActive, Qt::AlignCenter);
        item->setTextAlignment(ColDate, Qt::AlignCenter);
        item->setTextAlignment(ColSize, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(ColCount, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (LView1->topLevelItemCount() > 0)
        LView1->setCurrentItem(LView1->topLevelItem(0));
}

QString TFSelectTable::selectedTable() const {
    const QList<QTreeWidgetItem *> sel = LView1->selectedItems();
    return sel.isEmpty() ? QString() : sel.first()->text(ColName);
}

void TFSelectTable::BcreateClick() {
    std::vector<std::string> existing;
    for (const QFileInfo &f : callTableFiles())
        existing.push_back(f.fileName().section(QLatin1Char('.'), 0, 0).toStdString());
    const QString name = QString::fromStdString(kvo::nextCallTableName(existing));
    DataModule &d = dm();
    d.Qu.SQL = QString::fromStdString(kvo::callTableCreateStatement(name.toStdString()))
                   .split(QLatin1Char('\n'));
    if (d.QueryExec())
        BrefreshClick();
}

void TFSelectTable::BdeleteClick() {
    const QString name = selectedTable();
    if (name.isEmpty())
        return;
    if (sameName(name, program().activeTable)) {
        showInfo(QStringLiteral("Внимание"), QStringLiteral("Нельзя удалить активную таблицу!"),
                 InfoNotice);
        return;
    }
    if (!showInfo(QStringLiteral("Внимание"), QStringLiteral("Удалить таблицу: ") + name,
                  InfoQuestion))
        return;
    DataModule &d = dm();
    d.Qu.SQL = {QStringLiteral("DROP TABLE ") + tableRef(name)};
    if (d.QueryExec())
        BrefreshClick();
}

void TFSelectTable::BselectClick() {
    const QString name = selectedTable();
    if (name.isEmpty() || sameName(name, program().activeTable))
        return;
    try {
        saveActiveTable(name);
    } catch (const std::exception &e) {
        showAppError(QString::fromStdString(e.what()));
        return;
    }
    if (TFmain *m = TFmain::instance())
        m->setActiveTablePanel(name);
    close();
}

} // namespace kvo::admin
