// The main window and the shell's dialogs against a real program directory: connection, menus,
// read-only mode, call tables, the error journal, settings, period and About.
#include "admin_fixture.h"
#include "ini_file.h"
#include "query_model.h"
#include "routines.h"
#include "tfabout.h"
#include "tfbuffer.h"
#include "tfedial.h"
#include "tfmain.h"
#include "tfnastroi.h"
#include "tfperiod.h"
#include "tfselecttable.h"
#include "wiring.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>

#include <dlfcn.h>

using namespace kvo::admin;
using kvo::admintest::InfoAnswerer;
using kvo::admintest::ProgramDir;
using kvo::admintest::screenshotPath;

namespace {

std::unique_ptr<TFmain> startMain(const QStringList &args = {}) {
    auto w = std::make_unique<TFmain>(args);
    wireWindows(*w);
    w->show();
    return w;
}

bool connectedShown(TFmain &w) {
    return QTest::qWaitFor([&] { return w.statusPanel(0)->text() == "соединение"; }, 5000);
}

QString iniValue(const ProgramDir &dir, const char *section, const char *key) {
    return QString::fromStdString(
        kvo::IniFile(dir.file("Kvo_main.ini").toStdString()).readString(section, key, ""));
}

QStringList column(QTreeWidget *list, int col) {
    QStringList r;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        r << list->topLevelItem(i)->text(col);
    return r;
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        kvo::admintest::pinRussianLocale();
        setTodayForTests(QDate(2024, 2, 15));
        kvo::admintest::installDefaultAnswerer();
    }
    void init() {
        dir_ = std::make_unique<ProgramDir>();
        QVERIFY(dir_->ok());
    }
    void cleanup() {
        dir_.reset();
        const QStringList unexpected = kvo::admintest::takeUnexpectedInfos();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    void startConnectsOnFirstTick();
    void disconnectLeavesOnlyConnect();
    void missingDatabaseFolderShowsEngineError();
    void readOnlyOnlyAsExactFirstArgument_data();
    void readOnlyOnlyAsExactFirstArgument();
    void callDetailOnCurrentSearchRow();
    void exportGoesToTheActiveChildOnly();
    void helpOpensTheHelpFile();
    void callTables();
    void damagedCallTableCountsZero();
    void copiedCallTableIsDeletedAlone();
    void selectedTableReceivesTheNextCall();
    void journal();
    void journalReadOnly();
    void settings();
    void settingsReadOnly();
    void period();
    void aboutMemory();
    void screenshots();

private:
    std::unique_ptr<ProgramDir> dir_;
};

void ShellTest::startConnectsOnFirstTick() {
    auto w = startMain();
    QCOMPARE(w->windowTitle(), QString("KVO Администратор 3.9"));
    QCOMPARE(w->statusPanel(3)->text(), QString("DIAL"));
    QCOMPARE(w->Pdate->text(), QString("15.02.2024"));
    QCOMPARE(w->statusPanel(2)->text(), QString("База:  "));
    QVERIFY(!w->data().connected());
    QVERIFY(connectedShown(*w));
    QCOMPARE(w->statusPanel(4)->text(), dir_->base());
    QCOMPARE(w->Tim1->interval(), 600);
    QCOMPARE(w->statusPanel(1)->text(), QString("15.02.2024")); // until the next tick
    QTRY_VERIFY(QRegularExpression("^\\d\\d:\\d\\d$").match(w->statusPanel(1)->text()).hasMatch());
    for (const char *m : {"Справочники", "Поиск", "Отчеты"})
        QVERIFY(w->menu(m)->menuAction()->isEnabled());
    for (int i = 0; i < 9; ++i)
        QVERIFY(w->toolButton(i)->isEnabled());
    const QStringList hints = {"Помощь",          "Внутренние абоненты",  "Внешние линии",
                               "Записная книжка", "Городской справочник", "Поисковая система",
                               "Тарификация",     "Экспорт в Excel",      "Статистика"};
    const int xs[] = {5, 46, 76, 106, 136, 178, 209, 240, 270};
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(w->toolButton(i)->toolTip(), hints[i]);
        QCOMPARE(w->toolButton(i)->geometry(), QRect(xs[i], 3, 28, 26));
    }
    QCOMPARE(w->L_www->x(), w->width() - w->L_www->width() - 30);
    w->resize(700, 500);
    QCOMPARE(w->L_www->x(), 700 - w->L_www->width() - 30);
}

void ShellTest::disconnectLeavesOnlyConnect() {
    auto w = startMain();
    QVERIFY(connectedShown(*w));
    QMenu *base = w->menu("База");
    emit base->aboutToShow();
    QVERIFY(!w->action("_Connect")->isEnabled());
    QVERIFY(w->action("_Disconnect")->isEnabled());
    QVERIFY(w->action("_SetBase")->isEnabled());

    w->action("_Disconnect")->trigger();
    emit base->aboutToShow();
    QVERIFY(w->action("_Connect")->isEnabled());
    QVERIFY(!w->action("_Disconnect")->isEnabled());
    QVERIFY(!w->action("_SetBase")->isEnabled());
    QVERIFY(w->action("_Exit")->isEnabled());
    QCOMPARE(w->statusPanel(0)->text(), QString());
    QVERIFY(w->toolButton(0)->isEnabled());
    for (int i = 1; i < 9; ++i) {
        QVERIFY(!w->toolButton(i)->isEnabled());
        QVERIFY(w->toolButton(i)->autoRaise());
    }
    for (const char *m : {"Справочники", "Поиск", "Отчеты"})
        QVERIFY(!w->menu(m)->menuAction()->isEnabled());
    // Windows that need the database do nothing now.
    w->openItem("_Buffer");
    QVERIFY(w->mdi()->subWindowList().isEmpty());

    w->action("_Connect")->trigger();
    QVERIFY(w->data().connected());
    QCOMPARE(w->statusPanel(0)->text(), QString("соединение"));
}

void ShellTest::missingDatabaseFolderShowsEngineError() {
    InfoAnswerer info;
    QVERIFY(QDir(dir_->base()).removeRecursively());
    auto w = startMain();
    QTRY_COMPARE(info.shown.size(), 1);
    QCOMPARE(info.shown[0].caption, QString("Ошибка"));
    QVERIFY(info.shown[0].text.contains(dir_->base()));
    QCOMPARE(w->statusPanel(0)->text(), QString());
    QCOMPARE(w->statusPanel(4)->text(), dir_->base());
    QVERIFY(w->action("_Connect")->isEnabled());
    QTest::qWait(700); // the timer does not try again
    QCOMPARE(info.shown.size(), 1);
}

void ShellTest::readOnlyOnlyAsExactFirstArgument_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("none") << QStringList{} << false;
    QTest::newRow("first") << QStringList{"readonly"} << true;
    QTest::newRow("first, more follow") << QStringList{"readonly", "x"} << true;
    QTest::newRow("upper case") << QStringList{"READONLY"} << false;
    QTest::newRow("second") << QStringList{"x", "readonly"} << false;
}

void ShellTest::readOnlyOnlyAsExactFirstArgument() {
    QFETCH(QStringList, args);
    QFETCH(bool, readOnly);
    InfoAnswerer info;
    auto w = startMain(args);
    QVERIFY(connectedShown(*w));
    QCOMPARE(program().readOnly, readOnly);
    auto *tables = new TFSelectTable(w.get());
    tables->show();
    QCOMPARE(tables->Bselect->isEnabled(), !readOnly);
    QCOMPARE(tables->Bcreate->isEnabled(), !readOnly);
    QCOMPARE(tables->Bdelete->isEnabled(), !readOnly);
    QVERIFY(tables->Brefresh->isEnabled());
    QVERIFY(tables->Bcancel->isEnabled());
    tables->close();
}

void ShellTest::callDetailOnCurrentSearchRow() {
    InfoAnswerer info;
    dir_->exec("INSERT INTO EXT (EXT, NAME) VALUES (101, 'Бухгалтерия')");
    dir_->exec("INSERT INTO DIAL (DAT_RING, TIM_RING, EXT, CO, DIAL, DURATION, CD) VALUES "
               "('2024-02-10', '09:15:00', 101, '02', '2345678', '00:03:20', 'NA')");
    dir_->exec("INSERT INTO PHONE (PHONE, OFFICE, FIO, NP, UL, DOM, KV) VALUES "
               "('2345678', 'Аптека', 'Сидоров', 'Тверь', 'Мира', '1', '2')");
    auto w = startMain();
    QVERIFY(connectedShown(*w));
    QMenu *search = w->menu("Поиск");
    emit search->aboutToShow();
    QVERIFY(!w->action("_dial")->isEnabled()); // not opened yet

    Query &d = w->data().QuD;
    d.SQL.append("WHERE D.AVT > 5");
    QVERIFY(w->data().QueryOpen(d));
    emit search->aboutToShow();
    QVERIFY(!w->action("_dial")->isEnabled()); // empty result

    d.SQL.removeLast();
    QVERIFY(w->data().QueryOpen(d));
    emit search->aboutToShow();
    QVERIFY(w->action("_dial")->isEnabled());

    // The detail is read and closed inside its modal loop; the checks follow once it is gone.
    QStringList fields;
    bool wasDetail = false;
    QTimer::singleShot(0, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *d = qobject_cast<TFeDial *>(modal)) {
            wasDetail = true;
            for (QLineEdit *e : {d->Edat_ring, d->Etim_ring, d->Eext, d->Ename, d->Edial,
                                 d->Eduration, d->Eco, d->Ecd, d->Einfo})
                fields << e->text();
            d->grab().save(screenshotPath("call_detail"));
            QTest::keyClick(d, Qt::Key_Escape);
        } else if (modal) {
            modal->close();
        }
    });
    w->action("_dial")->trigger();
    QVERIFY(wasDetail);
    QCOMPARE(fields, (QStringList{"10.02.2024", "09:15:00", "101", "Бухгалтерия", "2345678",
                                  "00:03:20", "02", "NA", "Аптека Сидоров Тверь, Мира, 1, 2"}));
    QVERIFY(info.shown.isEmpty());
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);

    // A statement without EXT (the tariffication list) gives no detail.
    d.SQL = {"SELECT AVT, CO FROM DIAL"};
    QVERIFY(w->data().QueryOpen(d));
    w->dialClick();
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void ShellTest::exportGoesToTheActiveChildOnly() {
    auto w = startMain();
    QVERIFY(connectedShown(*w));
    QStringList exported;
    w->setExportHandler([&](const QString &caption) { exported << caption; });
    w->action("_Excel")->trigger(); // no child window
    QVERIFY(exported.isEmpty());

    auto *other = new QWidget;
    w->addChild(other, "городской справочник");
    w->action("_Excel")->trigger();
    QVERIFY(exported.isEmpty());

    w->action("_Buffer")->trigger(); // closes the other child first
    QTRY_COMPARE(w->mdi()->subWindowList().size(), 1);
    QCOMPARE(w->activeChildCaption(), QString("журнал ошибок"));
    w->toolButton(7)->click();
    auto *journal = w->mdi()->findChild<TFbuffer *>();
    QVERIFY(journal);
    journal->Pexcel->trigger(); // the journal's popup does the same
    QCOMPARE(exported, (QStringList{"журнал ошибок", "журнал ошибок"}));
}

void ShellTest::helpOpensTheHelpFile() {
    QList<QUrl> opened;
    auto saved = TFmain::urlOpener;
    TFmain::urlOpener = [&](const QUrl &u) {
        opened << u;
        return true;
    };
    auto w = startMain();
    w->toolButton(0)->click();
    w->action("_help_system")->trigger();
    QTest::mouseClick(w->L_www, Qt::LeftButton);
    TFmain::urlOpener = saved;
    QCOMPARE(opened.size(), 3);
    QCOMPARE(opened[0].toLocalFile(), dir_->file("Kvo_help.html"));
    QCOMPARE(opened[1], opened[0]);
    // No maker's address is known: the maker label falls back to the help page.
    QCOMPARE(opened[2],
             *TFmain::kMakerSite ? QUrl(QString::fromLatin1(TFmain::kMakerSite)) : opened[0]);
}

void ShellTest::callTables() {
    InfoAnswerer info;
    auto w = startMain();
    QVERIFY(connectedShown(*w));
    dir_->exec("CREATE TABLE DIAL1 (\nAVT AUTOINC, DAT_RING DATE, TIM_RING TIME, EXT SMALLINT,\n"
               "CO VARCHAR(5), DIAL VARCHAR(28), DURATION TIME, CD VARCHAR(5)\n"
               "UNIQUE PRIMARY KEY (AVT))");
    dir_->exec("CREATE TABLE DIAL3 (\nAVT AUTOINC, DAT_RING DATE, TIM_RING TIME, EXT SMALLINT,\n"
               "CO VARCHAR(5), DIAL VARCHAR(28), DURATION TIME, CD VARCHAR(5)\n"
               "UNIQUE PRIMARY KEY (AVT))");
    dir_->exec("INSERT INTO DIAL3 (EXT) VALUES (1)");
    dir_->exec("INSERT INTO DIAL3 (EXT) VALUES (2)");

    auto *t = new TFSelectTable(w.get());
    QPointer<TFSelectTable> guard(t);
    t->show();
    QCOMPARE(column(t->LView1, 0), (QStringList{"DIAL", "DIAL1", "DIAL3"}));
    QCOMPARE(column(t->LView1, 1), (QStringList{"A", "", ""}));
    QCOMPARE(column(t->LView1, 4), (QStringList{"0", "0", "2"}));
    QVERIFY(column(t->LView1, 3)[0].endsWith(" Kb"));
    QCOMPARE(column(t->LView1, 2)[0],
             QFileInfo(dir_->base() + "DIAL.DAT").lastModified().toString("dd.MM.yy"));
    QCOMPARE(t->selectedTable(), QString("DIAL"));

    t->Bcreate->click();
    QVERIFY(QFile::exists(dir_->base() + "DIAL2.DAT"));
    QCOMPARE(column(t->LView1, 0), (QStringList{"DIAL", "DIAL1", "DIAL2", "DIAL3"}));
    QCOMPARE(program().activeTable, QString("DIAL")); // the new table is not made active

    // The active table cannot be deleted, whatever its letter case.
    program().activeTable = "dial";
    t->Bdelete->click();
    QCOMPARE(info.texts(), QStringList{"Нельзя удалить активную таблицу!"});
    QCOMPARE(info.shown[0].mode, int(InfoNotice));
    QVERIFY(QFile::exists(dir_->base() + "DIAL.DAT"));
    program().activeTable = "DIAL";

    // Another one goes after a "yes", not after a "no".
    t->LView1->setCurrentItem(t->LView1->topLevelItem(1));
    info.sayYes = false;
    t->Bdelete->click();
    QVERIFY(QFile::exists(dir_->base() + "DIAL1.DAT"));
    info.sayYes = true;
    t->Bdelete->click();
    QCOMPARE(info.shown.last().text, QString("Удалить таблицу: DIAL1"));
    QVERIFY(!QFile::exists(dir_->base() + "DIAL1.DAT"));
    QCOMPARE(column(t->LView1, 0), (QStringList{"DIAL", "DIAL2", "DIAL3"}));
    t->Bcreate->click(); // the freed number is used again
    QVERIFY(QFile::exists(dir_->base() + "DIAL1.DAT"));

    // Choosing the active table leaves the dialog open.
    t->LView1->setCurrentItem(t->LView1->topLevelItem(0));
    t->Bselect->click();
    QVERIFY(guard && guard->isVisible());
    QCOMPARE(info.shown.size(), 3);
    t->close();
}

void ShellTest::damagedCallTableCountsZero() {
    InfoAnswerer info;
    {
        QFile f(dir_->base() + "DIAL5.DAT");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1023, 'x'));
    }
    auto w = startMain();
    QVERIFY(connectedShown(*w));
    auto *t = new TFSelectTable(w.get());
    t->show();
    QCOMPARE(column(t->LView1, 0), (QStringList{"DIAL", "DIAL5"}));
    QCOMPARE(t->LView1->topLevelItem(1)->text(3), QString("0 Kb"));
    QCOMPARE(t->LView1->topLevelItem(1)->text(4), QString("0"));
    QCOMPARE(info.shown.size(), 1); // reported once per rebuild
    QVERIFY(dir_->errorLog().contains("SELECT COUNT(AVT) FROM DIAL5"));
    t->close();

    // An empty database folder: an empty list with no selection.
    for (const QString &f : QDir(dir_->base()).entryList(QDir::Files))
        QFile::remove(dir_->base() + f);
    auto *empty = new TFSelectTable(w.get());
    empty->show();
    QCOMPARE(empty->LView1->topLevelItemCount(), 0);
    QCOMPARE(empty->selectedTable(), QString());
    empty->Bselect->click();
    empty->Bdelete->click();
    QCOMPARE(info.shown.size(), 1);
    empty->close();
}

void ShellTest::copiedCallTableIsDeletedAlone() {
    // A copy kept beside the table under a name that is no plain word: deleting the copy must
    // not address DIAL.
    InfoAnswerer info;
    dir_->exec("INSERT INTO DIAL (EXT) VALUES (1)");
    QVERIFY(QFile::copy(dir_->base() + "DIAL.DAT", dir_->base() + "DIAL (копия).DAT"));
    auto w = startMain();
    QVERIFY(connectedShown(*w));
    auto *t = new TFSelectTable(w.get());
    t->show();
    const int row = column(t->LView1, 0).indexOf("DIAL (копия)");
    QVERIFY(row >= 0);
    t->LView1->setCurrentItem(t->LView1->topLevelItem(row));
    t->Bdelete->click();
    QVERIFY(info.texts().contains("Удалить таблицу: DIAL (копия)"));
    QVERIFY(QFile::exists(dir_->base() + "DIAL.DAT"));
    QVERIFY(!QFile::exists(dir_->base() + "DIAL (копия).DAT"));
    QCOMPARE(dir_->value("SELECT COUNT(*) FROM DIAL"), QString("1"));
    QCOMPARE(column(t->LView1, 0), QStringList{"DIAL"});
    t->close();
}

void ShellTest::selectedTableReceivesTheNextCall() {
#ifndef KVO_DLL
    QSKIP("the capture library is not built");
#else
    InfoAnswerer info;
    auto w = startMain();
    QVERIFY(connectedShown(*w));
    auto *t = new TFSelectTable(w.get());
    QPointer<TFSelectTable> guard(t);
    t->show();
    t->Bcreate->click();
    t->LView1->setCurrentItem(t->LView1->topLevelItem(1));
    QCOMPARE(t->selectedTable(), QString("DIAL1"));
    t->Bselect->click();
    QTRY_VERIFY(!guard);
    QCOMPARE(iniValue(*dir_, "MAIN", "Active"), QString("DIAL1"));
    QCOMPARE(program().activeTable, QString("DIAL1"));
    QCOMPARE(w->statusPanel(3)->text(), QString("DIAL1"));

    void *lib = dlopen(KVO_DLL, RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(lib, dlerror());
    auto add = reinterpret_cast<void (*)(const char *)>(dlsym(lib, "AddToDBI"));
    QVERIFY(add);
    add("12/11/26 10:15AM   101 01 89161234567                    00:01'23            NA");
    dlclose(lib);
    QCOMPARE(dir_->value("SELECT COUNT(*) FROM DIAL1"), QString("1"));
    QCOMPARE(dir_->value("SELECT COUNT(*) FROM DIAL"), QString("0"));
    QVERIFY(info.shown.isEmpty());
#endif
}

void ShellTest::journal() {
    InfoAnswerer info;
    for (const char *line : {"первая", "вторая", "третья"})
        dir_->exec(QString("INSERT INTO BUFFER (SREAD) VALUES ('%1')").arg(line));
    auto w = startMain();
    QVERIFY(connectedShown(*w));
    w->action("_Buffer")->trigger();
    auto *j = w->mdi()->findChild<TFbuffer *>();
    QVERIFY(j);
    QCOMPARE(j->windowTitle(), QString("журнал ошибок"));
    QAbstractItemModel *m = j->Grid1->model();
    QCOMPARE(m->rowCount(), 3);
    QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QString("N"));
    QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QString("Получено из АТС"));
    QCOMPARE(m->index(0, 1).data().toString(), QString("первая"));
    QCOMPARE(m->index(2, 1).data().toString(), QString("третья"));
    QCOMPARE(j->Grid1->columnWidth(1), j->Grid1->width() - 60 - 38);

    // Delete in the middle: asked, deleted, the first row current again.
    j->Grid1->setCurrentIndex(m->index(1, 0));
    info.sayYes = false;
    QTest::keyClick(j->Grid1, Qt::Key_Delete);
    QCOMPARE(m->rowCount(), 3);
    info.sayYes = true;
    QTest::keyClick(j->Grid1, Qt::Key_Delete);
    QCOMPARE(info.texts(),
             (QStringList{"Удалить выделенную запись?", "Удалить выделенную запись?"}));
    QCOMPARE(m->rowCount(), 2);
    QCOMPARE(m->index(1, 1).data().toString(), QString("третья"));
    QCOMPARE(j->Grid1->currentIndex().row(), 0);
    QCOMPARE(w->data().QuS.FieldStr("SREAD"), QString("первая"));

    emit j->Popup1->aboutToShow();
    QVERIFY(j->PdeleteOne->isEnabled() && j->PdeleteAll->isEnabled());
    j->BdeleteAll->click();
    QCOMPARE(info.shown.last().text, QString("Удалить все записи из журнала?"));
    QCOMPARE(m->rowCount(), 0);
    QCOMPARE(dir_->value("SELECT COUNT(*) FROM BUFFER"), QString("0"));
    emit j->Popup1->aboutToShow();
    QVERIFY(!j->PdeleteOne->isEnabled() && !j->PdeleteAll->isEnabled());

    // Nothing current: Delete asks nothing; F5 shows lines that arrived meanwhile.
    const int asked = info.shown.size();
    QTest::keyClick(j->Grid1, Qt::Key_Delete);
    QCOMPARE(info.shown.size(), asked);
    dir_->exec("INSERT INTO BUFFER (SREAD) VALUES ('новая')");
    QTest::keyClick(j->Grid1, Qt::Key_F5);
    QCOMPARE(m->rowCount(), 1);

    QTest::keyClick(j->Grid1, Qt::Key_Escape);
    QTRY_VERIFY(w->mdi()->subWindowList().isEmpty());
    QVERIFY(!w->data().QuS.isOpen());
}

void ShellTest::journalReadOnly() {
    InfoAnswerer info;
    dir_->exec("INSERT INTO BUFFER (SREAD) VALUES ('строка')");
    auto w = startMain({"readonly"});
    QVERIFY(connectedShown(*w));
    w->action("_Buffer")->trigger();
    auto *j = w->mdi()->findChild<TFbuffer *>();
    QVERIFY(j);
    QVERIFY(!j->Bdelete->isEnabled() && !j->BdeleteAll->isEnabled());
    QVERIFY(j->Brefresh->isEnabled() && j->Bclose->isEnabled());
    emit j->Popup1->aboutToShow();
    QVERIFY(!j->PdeleteOne->isEnabled() && !j->PdeleteAll->isEnabled());
    QVERIFY(j->Pexcel->isEnabled());
    QTest::keyClick(j->Grid1, Qt::Key_Delete);
    j->deleteAll();
    QVERIFY(info.shown.isEmpty());
    QCOMPARE(dir_->value("SELECT COUNT(*) FROM BUFFER"), QString("1"));
}

void ShellTest::settings() {
    InfoAnswerer info;
    auto w = startMain();
    program().delayYes = true;
    program().delaySec = 15;
    program().mkod = "8";
    auto *s = new TFNastroi(w.get());
    QPointer<TFNastroi> guard(s);
    s->show();
    QVERIFY(s->Cdelay->isChecked());
    QCOMPARE(s->Sdelay->value(), 15);
    QVERIFY(s->Sdelay->isEnabled());
    QVERIFY(s->Cbycntr->isChecked() && !s->Cbycntr->isEnabled());
    QCOMPARE(s->GBcommon->toolTip(), QString("В разработке"));
    QCOMPARE(s->Sdelay->maximum(), 1000);

    s->Cdelay->click(); // unticked: the seconds box is disabled but keeps its value
    QVERIFY(!s->Sdelay->isEnabled() && !s->Lsec->isEnabled());
    QCOMPARE(s->Sdelay->value(), 15);
    s->Emkod->setText("9");
    s->Bsave->click();
    QTRY_VERIFY(!guard);
    QCOMPARE(iniValue(*dir_, "Tarifikator", "DelayYes"), QString("0"));
    QCOMPARE(iniValue(*dir_, "Tarifikator", "DelaySec"), QString("15"));
    QCOMPARE(iniValue(*dir_, "Tarifikator", "Mkod"), QString("9"));
    QCOMPARE(program().delayYes, false);
    QCOMPARE(program().mkod, QString("9"));

    // A refused write: the failure is shown and the dialog stays open.
    QVERIFY(QFile::remove(dir_->file("Kvo_main.ini")));
    QVERIFY(QDir(dir_->path()).mkdir("Kvo_main.ini"));
    auto *s2 = new TFNastroi(w.get());
    QPointer<TFNastroi> guard2(s2);
    s2->show();
    s2->Bsave->click();
    QCOMPARE(info.shown.size(), 1);
    QVERIFY(info.shown[0].text.contains("Kvo_main.ini"));
    QVERIFY(guard2 && guard2->isVisible());
    s2->close();
}

void ShellTest::settingsReadOnly() {
    kvo::IniFile(dir_->file("Kvo_main.ini").toStdString())
        .writeString("Tarifikator", "DelaySec", "5");
    auto w = startMain({"readonly"});
    auto *s = new TFNastroi(w.get());
    s->show();
    QCOMPARE(s->Sdelay->value(), 5); // shows the stored values
    QVERIFY(!s->GBcommon->isEnabled() && !s->GBdelay->isEnabled() && !s->Bsave->isEnabled());
    QVERIFY(s->Bcancel->isEnabled());
    s->BsaveClick();
    QCOMPARE(iniValue(*dir_, "Tarifikator", "DelaySec"), QString("5"));
    s->close();
}

void ShellTest::period() {
    InfoAnswerer info;
    program().periodBegin = "01.01.2024";
    program().periodEnd = "31.01.2024";
    auto *p = new TFperiod;
    QPointer<TFperiod> guard(p);
    p->show();
    QCOMPARE(p->Sdate1->text(), QString("01.02.2024"));
    QCOMPARE(p->Sdate2->text(), QString("29.02.2024"));
    QVERIFY(program().periodBegin.isEmpty() && program().periodEnd.isEmpty());

    // Enter moves on to the next control.
    p->Sdate1->setFocus();
    QTest::keyClick(p->Sdate1, Qt::Key_Return);
    QVERIFY(!p->Sdate1->hasFocus());

    p->Sdate1->setText("10.03.2024");
    p->Sdate2->setText("09.03.2024");
    p->Bselect->click();
    QCOMPARE(info.texts(), QStringList{"Конечная дата не может быть ранее начальной!"});
    QVERIFY(guard && guard->isVisible());
    QVERIFY(program().periodBegin.isEmpty());

    p->Sdate2->clear(); // only its mask: no message, no period
    p->Bselect->click();
    QCOMPARE(info.shown.size(), 1);
    QVERIFY(guard);

    p->Sdate2->setText("31.02.2024"); // not a calendar date
    p->Bselect->click();
    QCOMPARE(info.shown.size(), 2);
    QVERIFY(guard && program().periodBegin.isEmpty());

    p->Sdate2->setText("10.03.2024"); // a one-day period
    p->Bselect->click();
    QTRY_VERIFY(!guard);
    QCOMPARE(program().periodBegin, QString("10.03.2024"));
    QCOMPARE(program().periodEnd, QString("10.03.2024"));

    auto *c = new TFperiod;
    QPointer<TFperiod> cg(c);
    c->show();
    c->Bcancel->click();
    QTRY_VERIFY(!cg);
    QVERIFY(program().periodBegin.isEmpty() && program().periodEnd.isEmpty());
}

void ShellTest::aboutMemory() {
    const MemoryStatus s = parseMeminfo("MemTotal:        8049100 kB\n"
                                        "MemFree:          900000 kB\n"
                                        "MemAvailable:    2012275 kB\n");
    QVERIFY(s.ok);
    QCOMPARE(s.totalKb, 8049100ULL);
    QCOMPARE(s.freePercent, 25); // 75 % of the memory is not available
    QVERIFY(!parseMeminfo("garbage").ok);
    TFAbout a;
    const QString total = a.Ltotal->text();
    QVERIFY(total.endsWith(" KB"));
    QVERIFY(total.contains(QLocale().groupSeparator()));
    QVERIFY(a.Lfree->text().endsWith(" %"));
}

void ShellTest::screenshots() {
    InfoAnswerer info;
    for (int i = 1; i <= 4; ++i)
        dir_->exec(QString("INSERT INTO BUFFER (SREAD) VALUES ('12/11/26 10:%1AM   101 01 "
                           "8916123456%1 00:01''23 NA')")
                       .arg(10 + i));
    auto w = startMain();
    QVERIFY(connectedShown(*w));
    w->resize(1024, 700);
    QVERIFY(w->grab().save(screenshotPath("main_window")));
    w->action("_Buffer")->trigger();
    QApplication::processEvents();
    QVERIFY(w->grab().save(screenshotPath("error_journal")));

    auto shoot = [](QWidget *d, const char *name) {
        d->show();
        QApplication::processEvents();
        QVERIFY(d->grab().save(screenshotPath(name)));
        d->close();
    };
    shoot(new TFSelectTable(w.get()), "call_tables");
    shoot(new TFNastroi(w.get()), "settings");
    shoot(new TFperiod(w.get()), "period");
    shoot(new TFAbout(w.get()), "about");
}

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
