// Literal writers, input tests, adjusters, the error log, Kvo_main.ini accessors, the message
// window and the combo box with hidden values.
#include "admin_fixture.h"
#include "codec.h"
#include "ini_file.h"
#include "routines.h"
#include "twcombo.h"

#include <QApplication>
#include <QRegularExpression>

using namespace kvo::admin;
using kvo::admintest::InfoAnswerer;
using kvo::admintest::ProgramDir;

class CommonTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        kvo::admintest::pinRussianLocale();
        kvo::admintest::installDefaultAnswerer();
    }
    void cleanup() {
        const QStringList unexpected = kvo::admintest::takeUnexpectedInfos();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    void literalWriters_data();
    void literalWriters();
    void dateAndTimeWritersRefuseBadText();
    void inputTests_data();
    void inputTests();
    void decimalSeparatorFollowsLocale();
    void adjusters();
    void pipeField_data();
    void pipeField();
    void errorLogEntries();
    void errorLogWithoutTempFolderFails();
    void configAccessors();
    void infoModes_data();
    void infoModes();
    void questionAnswers();
    void unansweredModalWindowDoesNotWait();
    void infoClosesWhenDeactivatedAndByCloseRoutine();
    void infoDragMovesWindow();
    void noticeOverModalDialogTakesClicks();
    void comboHiddenValues();
};

void CommonTest::literalWriters_data() {
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("text empty") << "text"
                                << ""
                                << "NULL";
    QTest::newRow("text blank") << "text"
                                << " "
                                << "' '";
    QTest::newRow("text untrimmed") << "text"
                                    << " a b "
                                    << "' a b '";
    QTest::newRow("text apostrophe doubled") << "text"
                                             << "O'Neil"
                                             << "'O''Neil'";
    QTest::newRow("text injection stays a literal") << "text"
                                                    << "x' OR '1'='1"
                                                    << "'x'' OR ''1''=''1'";
    QTest::newRow("raw empty") << "raw"
                               << ""
                               << "NULL";
    QTest::newRow("raw integer") << "raw"
                                 << "42"
                                 << "42";
    QTest::newRow("raw signed decimal") << "raw"
                                        << "-3.25"
                                        << "-3.25";
    QTest::newRow("raw statement refused") << "raw"
                                           << "1 OR 1=1"
                                           << "NULL";
    QTest::newRow("raw blank refused") << "raw"
                                       << " 5"
                                       << "NULL";
    QTest::newRow("number grouped comma") << "number"
                                          << "1 234,5"
                                          << "1234.5";
    QTest::newRow("number first comma only") << "number"
                                             << "1,2,3"
                                             << "1.2,3";
    QTest::newRow("number empty") << "number"
                                  << ""
                                  << "NULL";
    QTest::newRow("number blanks only") << "number"
                                        << "   "
                                        << "NULL";
    QTest::newRow("number with statement") << "number"
                                           << "1;DROP TABLE EXT"
                                           << "NULL";
    QTest::newRow("date filled") << "date"
                                 << "05.03.2009"
                                 << "'2009-03-05'";
    QTest::newRow("date short day") << "date"
                                    << "5.3.2009"
                                    << "'2009-03-05'";
    QTest::newRow("date empty mask") << "date"
                                     << "  .  .    "
                                     << "NULL";
    QTest::newRow("time full") << "time"
                               << "14:07:09"
                               << "'14:07:09'";
    QTest::newRow("time hh:mm") << "time"
                                << "9:05"
                                << "'09:05:00'";
    QTest::newRow("time empty mask") << "time"
                                     << "  :  "
                                     << "NULL";
}

void CommonTest::literalWriters() {
    QFETCH(QString, writer);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QString got;
    if (writer == "text")
        got = sqlText(input);
    else if (writer == "raw")
        got = sqlRaw(input);
    else if (writer == "number")
        got = sqlNumber(input);
    else if (writer == "date")
        got = sqlDate(input);
    else
        got = sqlTime(input);
    QCOMPARE(got, expected);
}

void CommonTest::dateAndTimeWritersRefuseBadText() {
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, sqlDate("31.02.2024"));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, sqlTime("25:00"));
}

void CommonTest::inputTests_data() {
    QTest::addColumn<QString>("test");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("expected");
    QTest::newRow("empty: nothing") << "empty"
                                    << "" << true;
    QTest::newRow("empty: blank is text") << "empty"
                                          << " " << false;
    QTest::newRow("date ok") << "date"
                             << " 29.02.2024 " << false;
    QTest::newRow("date not leap") << "date"
                                   << "29.02.2023" << true;
    QTest::newRow("date letters") << "date"
                                  << "abc" << true;
    QTest::newRow("time hh:mm:ss") << "time"
                                   << "23:59:59" << false;
    QTest::newRow("time hh:mm") << "time"
                                << "07:30" << false;
    QTest::newRow("time bad") << "time"
                              << "24:00" << true;
    QTest::newRow("count empty") << "count"
                                 << "" << true;
    QTest::newRow("count letters") << "count"
                                   << "abc" << true;
    QTest::newRow("count negative") << "count"
                                    << "-5" << true;
    QTest::newRow("count leading zeros") << "count"
                                         << "007" << false;
    QTest::newRow("count blanks around") << "count"
                                         << " 12 " << false;
    QTest::newRow("count beyond 32 bits") << "count"
                                          << "2147483648" << true;
    QTest::newRow("amount with point") << "amount"
                                       << "12.50" << false;
    QTest::newRow("amount with comma") << "amount"
                                       << "12,50" << false;
    QTest::newRow("amount negative") << "amount"
                                     << "-1" << true;
    QTest::newRow("amount letters") << "amount"
                                    << "1x" << true;
    QTest::newRow("date mask untouched") << "datemask"
                                         << "  .  .    " << false;
    QTest::newRow("date mask with day") << "datemask"
                                        << "12.  .    " << true;
    QTest::newRow("time mask untouched") << "timemask"
                                         << "  :  " << false;
    QTest::newRow("time mask with hour") << "timemask"
                                         << "10:  " << true;
}

void CommonTest::inputTests() {
    QFETCH(QString, test);
    QFETCH(QString, input);
    QFETCH(bool, expected);
    bool got = false;
    if (test == "empty")
        got = isEmptyText(input);
    else if (test == "date")
        got = isBadDate(input);
    else if (test == "time")
        got = isBadTime(input);
    else if (test == "count")
        got = isBadCount(input);
    else if (test == "amount")
        got = isBadAmount(input);
    else if (test == "datemask")
        got = dateMaskFilled(input);
    else
        got = timeMaskFilled(input);
    QCOMPARE(got, expected);
}

void CommonTest::decimalSeparatorFollowsLocale() {
    QVERIFY(decimalIsComma());
    QCOMPARE(regionalDecimal(" 12.50 "), QString("12,50"));
    QLocale::setDefault(QLocale::c());
    QVERIFY(!decimalIsComma());
    QCOMPARE(regionalDecimal("12,50"), QString("12.50"));
    QVERIFY(!isBadAmount("12,50"));
    kvo::admintest::pinRussianLocale();
}

void CommonTest::adjusters() {
    QCOMPARE(cleanApostrophes("\t 'O'Neil' \r\n"), QString("O Neil"));
    QCOMPARE(dayText(QDate(2009, 3, 5)), QString("05.03.2009"));
}

void CommonTest::pipeField_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("expected");
    QTest::newRow("third of three") << "a|b|c|" << 3 << "c";
    QTest::newRow("tail is no field") << "a|b|c" << 3 << "";
    QTest::newRow("zero is first") << " a |b|" << 0 << "a";
    QTest::newRow("one is first") << "a|b|" << 1 << "a";
    QTest::newRow("beyond the fields") << "a|b|" << 5 << "";
    QTest::newRow("empty field") << "a||c|" << 2 << "";
    QTest::newRow("trimmed") << "a|  b  |" << 2 << "b";
}

void CommonTest::pipeField() {
    QFETCH(QString, text);
    QFETCH(int, n);
    QFETCH(QString, expected);
    QCOMPARE(kvo::admin::pipeField(text, n), expected);
}

void CommonTest::errorLogEntries() {
    ProgramDir dir;
    QVERIFY(dir.ok());
    writeErrorLog("Первая ошибка");
    writeErrorLog("Вторая\r\nSELECT * FROM X");
    const QString log = QString::fromStdString(kvo::cp1251ToUtf8(dir.errorLog().toStdString()));
    const QStringList lines = log.split("\r\n");
    QCOMPARE(lines.size(), 6); // five lines and the empty rest after the last CR LF
    static const QRegularExpression stamp("^-- \\d\\d\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d --$");
    QVERIFY(stamp.match(lines[0]).hasMatch());
    QCOMPARE(lines[1], QString("Первая ошибка"));
    QVERIFY(stamp.match(lines[2]).hasMatch());
    QCOMPARE(lines[3], QString("Вторая"));
    QCOMPARE(lines[4], QString("SELECT * FROM X"));
    if (lines[0] != lines[2])
        QSKIP("the minute turned between the two entries");
    QCOMPARE(lines[0], lines[2]);
}

void CommonTest::errorLogWithoutTempFolderFails() {
    ProgramDir dir;
    QVERIFY(QDir(dir.file("Temp")).removeRecursively());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, writeErrorLog("x"));
}

void CommonTest::configAccessors() {
    ProgramDir dir;
    QFile(dir.file("Kvo_main.ini")).remove();
    loadActiveTable();
    loadTarifSettings();
    QCOMPARE(program().activeTable, QString("DIAL"));
    QCOMPARE(program().delayYes, false);
    QCOMPARE(program().delaySec, 0);
    QCOMPARE(program().mkod, QString("8"));

    kvo::IniFile ini(dir.file("Kvo_main.ini").toStdString());
    ini.writeStrings({{"Tarifikator", "DelayYes", "1"},
                      {"Tarifikator", "DelaySec", "7"},
                      {"Tarifikator", "Mkod", "9"}});
    loadTarifSettings();
    QCOMPARE(program().delayYes, true);
    QCOMPARE(program().delaySec, 7);
    QCOMPARE(program().mkod, QString("9"));

    saveActiveTable("DIAL4");
    QCOMPARE(program().activeTable, QString("DIAL4"));
    QCOMPARE(QString::fromStdString(ini.readString("MAIN", "Active", "")), QString("DIAL4"));

    // A refused write keeps the name in memory (a folder in the file's place refuses it,
    // even for root).
    QVERIFY(QFile::remove(dir.file("Kvo_main.ini")));
    QVERIFY(QDir(dir.path()).mkdir("Kvo_main.ini"));
    QVERIFY_THROWS_EXCEPTION(kvo::IniWriteError, saveActiveTable("DIAL5"));
    QCOMPARE(program().activeTable, QString("DIAL4"));
}

void CommonTest::infoModes_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("yesNo");
    QTest::addColumn<bool>("strip");
    QTest::addColumn<bool>("rightPicture");
    QTest::newRow("progress") << int(InfoProgress) << false << false << false << false;
    QTest::newRow("notice") << int(InfoNotice) << true << false << true << false;
    QTest::newRow("modal notice") << int(InfoModalNotice) << true << false << true << false;
    QTest::newRow("question") << int(InfoQuestion) << false << true << true << true;
}

void CommonTest::infoModes() {
    QFETCH(int, mode);
    QFETCH(bool, ok);
    QFETCH(bool, yesNo);
    QFETCH(bool, strip);
    QFETCH(bool, rightPicture);
    TFinfo w("Заголовок", "Текст сообщения", mode);
    w.show();
    QCOMPARE(w.windowTitle(), QString("Информация"));
    QCOMPARE(w.BOk->isVisible(), ok);
    QCOMPARE(w.BYes->isVisible(), yesNo);
    QCOMPARE(w.BNo->isVisible(), yesNo);
    QCOMPARE(w.Pbuttons->isVisible(), strip);
    QCOMPARE(w.Ipicture2->isVisible(), rightPicture);
    QCOMPARE(w.Ipicture1->isVisible(), !rightPicture);
    QCOMPARE(w.width(), 370);
    QVERIFY(mode == InfoProgress ? w.height() < 191 : w.height() == 191);
    QCOMPARE(w.Lcaption->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(w.Lcaption->size(), QSize(234, 47));
    QCOMPARE(w.Ltext->size(), QSize(337, 85));
    QVERIFY(w.BYes->isDefault() == (mode == InfoQuestion));
    QVERIFY(w.BOk->isDefault() == (mode != InfoQuestion));
    QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
    if (mode == InfoModalNotice || mode == InfoQuestion)
        w.grab().save(
            kvo::admintest::screenshotPath(mode == InfoQuestion ? "info_question" : "info_notice"));
    w.close();
}

void CommonTest::questionAnswers() {
    struct Case {
        const char *name;
        std::function<void(TFinfo &)> act;
        int mode;
        bool expected;
    };
    const QList<Case> cases = {
        {"yes", [](TFinfo &w) { w.BYes->click(); }, InfoQuestion, true},
        {"no", [](TFinfo &w) { w.BNo->click(); }, InfoQuestion, false},
        {"escape", [](TFinfo &w) { QTest::keyClick(&w, Qt::Key_Escape); }, InfoQuestion, false},
        {"enter is yes", [](TFinfo &w) { QTest::keyClick(w.BYes, Qt::Key_Return); }, InfoQuestion,
         true},
        {"closed unanswered", [](TFinfo &) {}, InfoQuestion, false},
        {"ok of a notice", [](TFinfo &w) { w.BOk->click(); }, InfoModalNotice, false},
    };
    for (const Case &c : cases) {
        TFinfo::testHook = c.act;
        const bool answer = showInfo("Внимание", "Вопрос?", c.mode);
        kvo::admintest::installDefaultAnswerer();
        QCOMPARE(answer, c.expected);
    }
}

void CommonTest::unansweredModalWindowDoesNotWait() {
    // No answerer of the test's own: the fixture's default one closes the window and keeps it.
    QCOMPARE(showInfo("Внимание", "Вопрос?", InfoQuestion), false);
    QCOMPARE(kvo::admintest::takeUnexpectedInfos(), QStringList{"Внимание: Вопрос?"});
}

void CommonTest::infoClosesWhenDeactivatedAndByCloseRoutine() {
    // A question loses the activation to another window: it closes, answered "no".
    QWidget other;
    other.resize(200, 100);
    TFinfo::testHook = [&other](TFinfo &w) {
        QVERIFY(QTest::qWaitForWindowActive(&w));
        other.show();
        other.activateWindow();
        QTRY_VERIFY(!w.isVisible());
    };
    const bool answer = showInfo("Внимание", "Вопрос?", InfoQuestion);
    kvo::admintest::installDefaultAnswerer();
    QCOMPARE(answer, false);

    // The close routine takes the progress form created last away.
    InfoAnswerer info;
    showInfo("Внимание", "Выполняется запрос в базу данных..", InfoProgress);
    QPointer<TFinfo> progress;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *i = qobject_cast<TFinfo *>(w); i && i->isVisible())
            progress = i;
    QVERIFY(progress);
    closeInfo();
    QTRY_VERIFY(!progress);
    closeInfo(); // nothing left to close
}

void CommonTest::infoDragMovesWindow() {
    TFinfo w("Заголовок", "Текст", InfoNotice);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QPoint before = w.pos();
    QTest::mousePress(w.Ltext, Qt::LeftButton, {}, QPoint(10, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(50, 40), w.Ltext->mapToGlobal(QPointF(50, 40)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(w.Ltext, &move);
    QTest::mouseRelease(w.Ltext, Qt::LeftButton, {}, QPoint(50, 40));
    QTRY_COMPARE(w.pos(), before + QPoint(40, 30));
}

void CommonTest::noticeOverModalDialogTakesClicks() {
    // A notice shown from a modal dialog (as the call tables show one) must not be blocked by
    // that dialog: its "Ok" is clicked through the window system, as a person would.
    QDialog modal;
    bool closedByClick = false;
    QTimer::singleShot(0, &modal, [&] {
        TFinfo::testHook = [&](TFinfo &w) {
            QPointer<TFinfo> g(&w);
            if (QTest::qWaitForWindowExposed(&w))
                QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {},
                                  w.BOk->mapTo(&w, w.BOk->rect().center()));
            closedByClick = QTest::qWaitFor([&] { return !g || !g->isVisible(); }, 1000);
            if (g)
                g->close();
        };
        showInfo("Внимание", "Нельзя удалить активную таблицу!", InfoNotice);
        kvo::admintest::installDefaultAnswerer();
        modal.close();
    });
    modal.exec();
    QVERIFY(closedByClick);
}

void CommonTest::comboHiddenValues() {
    TWCombo c;
    c.addItems({"Оператор связи", "Сигнатура", "Зона тарификации", "Стоимость"});
    const QStringList hidden = {"CNAME", "SIGN", "ZONE", "TS"};
    c.setHideItems(hidden);
    c.setHideItems(nullptr); // leaves the list as it is
    QCOMPARE(c.HideItems(), hidden);
    c.setCurrentIndex(-1);
    QCOMPARE(c.selectedHidden(), QString());
    c.setCurrentIndex(2);
    QCOMPARE(c.selectedHidden(), QString("ZONE"));
    c.setProperty("HideItems", QStringList{"A"});
    QCOMPARE(c.HideItems(), QStringList{"A"});
    QCOMPARE(c.selectedHidden(), QString()); // the lists are out of step: no value
}

QTEST_MAIN(CommonTest)
#include "tst_common.moc"
