// The terminal window driven in this process against a real program directory, the real
// Kvo_dll.so and a pseudo-terminal.
#include "serial_port.h"
#include "term_fixture.h"
#include "term_window.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QtTest>
#include <memory>

using kvo::term::TermWindow;
using namespace kvo::termtest;

namespace {

// An 80-column call line in the shipped layout.
std::string callLine(int ext, const std::string &dial) {
    std::string line(80, ' ');
    auto put = [&](int col, const std::string &s) { line.replace(col - 1, s.size(), s); };
    put(1, "12/11/26");
    put(10, "10:15AM");
    put(20, std::to_string(ext));
    put(24, "01");
    put(27, dial);
    put(58, "00:01'23");
    put(78, "NA");
    return line;
}

QStringList listItems(TermWindow &w) {
    QStringList items;
    auto *list = w.findChild<QListWidget *>(QStringLiteral("list11"));
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

bool enabled(TermWindow &w, const char *name) {
    return w.findChild<QWidget *>(QString::fromLatin1(name))->isEnabled();
}

} // namespace

class TermWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;

    kvo::IniFile ini() const { return kvo::IniFile(mainIni(path_)); }
    void checkReadingState(TermWindow &w, bool reading) {
        for (auto name : {"combo1", "combo2", "combo3", "combo4", "combo5", "button51", "button54"})
            QCOMPARE(enabled(w, name), !reading);
        QCOMPARE(enabled(w, "button52"), reading);
        QVERIFY(enabled(w, "button53") && enabled(w, "button55"));
        QCOMPARE(w.pollingActive(), reading);
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        path_ = dir_->path();
        QString error;
        QVERIFY2(installInto(path_, &error), qPrintable(error));
        QVERIFY(QFile::exists(QDir(path_).filePath(QStringLiteral("Kvo_dll.so"))));
        qputenv("KVO_PROGRAM_DIR", path_.toUtf8());
    }

    void startupShowsTheWindowAsStored() {
        ini().writeInteger("Terminal", "combo1", 7); // outside the list
        ini().writeString("Terminal", "combo3", "0x2");
        ini().writeInteger("Terminal", "combo5", 3);
        TermWindow w;
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("KVO Терминал 3.9"));
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(w.statusText(), QString());
        QCOMPARE(w.trayIcon()->toolTip(), QStringLiteral("KVO Терминал 3.9"));

        struct Control {
            const char *name;
            QString text;
            QRect geometry;
        };
        const Control controls[] = {
            {"button51", QStringLiteral("Запись"), {4, 196, 90, 26}},
            {"button52", QStringLiteral("Стоп"), {94, 196, 90, 26}},
            {"button53", QStringLiteral("Свернуть"), {680, 4, 90, 26}},
            {"button54", QStringLiteral("Настройки"), {589, 196, 90, 26}},
            {"button55", QStringLiteral("Администр."), {679, 196, 90, 26}},
        };
        for (const auto &c : controls) {
            auto *b = w.findChild<QPushButton *>(QString::fromLatin1(c.name));
            QVERIFY(b);
            QCOMPARE(b->text(), c.text);
            QCOMPARE(b->geometry(), c.geometry);
        }
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("status34"))->geometry(),
                 QRect(205, 202, 380, 16));
        QCOMPARE(w.findChild<QComboBox *>(QStringLiteral("combo5"))->pos(), QPoint(65, 6));
        QCOMPARE(w.findChild<QComboBox *>(QStringLiteral("combo1"))->pos(), QPoint(200, 6));

        const int expectedIndex[5] = {-1, 0, 2, 0, 3};
        for (int i = 0; i < 5; ++i) {
            auto *c = w.findChild<QComboBox *>(QStringLiteral("combo%1").arg(i + 1));
            QStringList items;
            for (int k = 0; k < c->count(); ++k)
                items << c->itemText(k);
            QCOMPARE(items, kvo::term::settingItems(i));
            QCOMPARE(c->currentIndex(), expectedIndex[i]);
        }
        QCOMPARE(kvo::term::settingItems(0).at(1), QStringLiteral("  9600 бит/сек"));
        QCOMPARE(kvo::term::settingItems(3).at(1), QStringLiteral(" 1.5 стоп.бит"));
        checkReadingState(w, false);

        // The painted frame around the button row, where no control covers it.
        const QImage image = w.grab().toImage();
        const QColor grey(127, 127, 127), light(204, 204, 204);
        const struct {
            QPoint at;
            QColor colour;
        } frame[] = {{{3, 193}, grey},    {{400, 193}, grey},  {{769, 193}, grey},
                     {{3, 210}, grey},    {{769, 210}, grey},  {{400, 223}, grey},
                     {{400, 195}, light}, {{400, 222}, light}, {{10, 195}, light}};
        for (const auto &f : frame)
            QVERIFY2(image.pixelColor(f.at) == f.colour,
                     qPrintable(QStringLiteral("%1,%2: %3")
                                    .arg(f.at.x())
                                    .arg(f.at.y())
                                    .arg(image.pixelColor(f.at).name())));
    }

    void readingStoresLinesAndKeepsTheListShort() {
        Pty pty;
        setDevice(path_, pty.path);
        TermWindow w;
        w.show();
        w.findChild<QPushButton *>(QStringLiteral("button51"))->click();
        QCOMPARE(w.statusText(), QStringLiteral("Порт открыт: установка соединения"));
        checkReadingState(w, true);

        std::string bytes;
        for (int n = 1; n <= 13; ++n)
            bytes += callLine(100 + n, "<I>0123" + std::to_string(n)) + "\r\n";
        bytes += callLine(0, "555").replace(19, 3, "1O1") + "\r\n"; // fourteenth, malformed
        bytes += "   \t \r\n";    // blank: neither shown nor stored
        bytes += "12/11/26 10:1"; // partial
        QVERIFY(pty.send(bytes));
        w.pollTick();
        QCOMPARE(w.statusText(), QStringLiteral("Запись в базу данных <<>>"));

        QStringList items = listItems(w);
        QCOMPARE(items.size(), 12);
        QCOMPARE(items[0], QString::fromStdString(callLine(101, "<I>01231")));
        QCOMPARE(items[1], QString::fromStdString(callLine(102, "<I>01232")));
        QCOMPARE(items[2], QString::fromStdString(callLine(105, "<I>01235")));
        QVERIFY(items[11].contains(QStringLiteral("1O1")));

        QCOMPARE(rowCount(path_, "DIAL"), 13);
        QCOMPARE(rowCount(path_, "BUFFER"), 1);
        kvo::Database db(QDir(path_).filePath(QStringLiteral("Base")).toStdString());
        auto rows = db.queryAll(
            "SELECT DAT_RING, TIM_RING, EXT, CO, DIAL, DURATION, CD FROM DIAL WHERE EXT = 103");
        QCOMPARE(rows.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(rows[0][0] + "|" + rows[0][1] + "|" + rows[0][2] + "|" +
                                        rows[0][3] + "|" + rows[0][4] + "|" + rows[0][5] + "|" +
                                        rows[0][6]),
                 QStringLiteral("11.12.2026|10:15:00|103|01|In01233|00:01:23|NA"));

        // A tick without bytes only announces itself.
        w.pollTick();
        QCOMPARE(w.statusText(), QStringLiteral("Прием данных >>>"));

        QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
        QVERIFY(w.grab().save(QStringLiteral(SCREENSHOT_DIR "/terminal.png")));

        // The partial line survives "Стоп" and "Запись" and is completed by what follows.
        w.findChild<QPushButton *>(QStringLiteral("button52"))->click();
        QCOMPARE(w.statusText(), QStringLiteral("Порт закрыт"));
        checkReadingState(w, false);
        QCOMPARE(QString::fromStdString(w.assembler().pending()),
                 QStringLiteral("\n12/11/26 10:1"));
        w.pressRecord();
        QVERIFY(pty.send(callLine(120, "321").substr(13) + "\r"));
        w.pollTick();
        QCOMPARE(listItems(w).last(), QString::fromStdString(callLine(120, "321")));
        QCOMPARE(rowCount(path_, "DIAL"), 14);
    }

    // A serial driver drops unread input on the last close (a pseudo-terminal keeps it, so only
    // the timing shows here): what arrived since the last tick is read before "Стоп" closes the
    // port, and an unfinished line still waits for its end.
    void stopReadsWhatHasArrived() {
        Pty pty;
        setDevice(path_, pty.path);
        TermWindow w;
        w.pressRecord();
        QVERIFY(w.portOpen());
        ::close(pty.slave); // the terminal is left the line's only holder
        pty.slave = -1;
        QVERIFY(pty.send(callLine(101, "321") + "\r\n12/11"));
        QTest::qWait(200); // the pseudo-terminal hands the bytes on asynchronously
        w.pressStop();
        QCOMPARE(w.statusText(), QStringLiteral("Порт закрыт"));
        QCOMPARE(listItems(w), QStringList{QString::fromStdString(callLine(101, "321"))});
        QCOMPARE(rowCount(path_, "DIAL"), 1);
        QCOMPARE(w.assembler().pending(), std::string("\n12/11"));
    }

    void openFailuresKeepTheClosedState() {
        Pty pty;
        setDevice(path_, pty.path);
        TermWindow first;
        first.pressRecord();
        QVERIFY(first.portOpen());

        // A second copy on the same line, a missing device, and no port selected.
        TermWindow second;
        second.pressRecord();
        QCOMPARE(second.statusText(), QStringLiteral("Ошибка открытия порта"));
        QVERIFY(!second.portOpen());
        checkReadingState(second, false);

        setDevice(path_, "/nonexistent/ttyS0");
        TermWindow missing;
        missing.pressRecord();
        QCOMPARE(missing.statusText(), QStringLiteral("Ошибка открытия порта"));
        checkReadingState(missing, false);

        setDevice(path_, pty.path);
        first.pressStop();
        TermWindow none;
        none.findChild<QComboBox *>(QStringLiteral("combo5"))->setCurrentIndex(-1);
        none.pressRecord();
        QCOMPARE(none.statusText(), QStringLiteral("Ошибка открытия порта"));
        checkReadingState(none, false);
    }

    void closingWhileReadingSavesAndReleasesThePort() {
        Pty pty;
        setDevice(path_, pty.path);
        ini().writeInteger("Terminal", "combo2", 9);
        auto w = std::make_unique<TermWindow>();
        w->show();
        w->findChild<QComboBox *>(QStringLiteral("combo4"))->setCurrentIndex(2);
        w->pressRecord();
        QVERIFY(w->portOpen());
        QSignalSpy finished(w.get(), &TermWindow::finished);
        QVERIFY(w->close());
        QCOMPARE(finished.count(), 1);
        QVERIFY(!w->portOpen());
        QVERIFY(!w->pollingActive());
        const int expected[5] = {0, -1, 0, 2, 0};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(ini().readInteger("Terminal", "combo" + std::to_string(i + 1), 99),
                     expected[i]);
        kvo::term::SerialPort again;
        QVERIFY(again.open(pty.path, {}));
    }

    void arguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("hide auto") << QStringList{"hide", "auto"} << true << true;
        QTest::newRow("auto") << QStringList{"auto"} << true << false;
        QTest::newRow("capitals") << QStringList{"AUTO", "HIDE"} << false << false;
        QTest::newRow("third word") << QStringList{"x", "y", "auto"} << false << false;
    }
    void arguments() {
        QFETCH(QStringList, args);
        QFETCH(bool, opened);
        QFETCH(bool, hidden);
        Pty pty;
        setDevice(path_, pty.path);
        TermWindow w;
        w.show();
        w.applyArguments(args);
        QCOMPARE(w.portOpen(), opened);
        // Where the desktop has no tray the window is minimised rather than lost.
        QTRY_COMPARE(!w.isVisible() || w.isMinimized(), hidden);
    }

    void trayClickRestores() {
        TermWindow w;
        w.show();
        for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::Context}) {
            w.pressHide();
            QTRY_VERIFY(!w.isVisible() || w.isMinimized());
            emit w.trayIcon()->activated(reason);
            QTRY_VERIFY(w.isVisible() && !w.isMinimized());
        }
        w.pressHide();
        emit w.trayIcon()->activated(QSystemTrayIcon::DoubleClick);
        QTest::qWait(50);
        QVERIFY(!w.isVisible() || w.isMinimized());
    }

    // The editor comes from the library, which is unloaded again after each call: reading must
    // go on unharmed afterwards.
    void settingsOpensTheLayoutEditor() {
        Pty pty;
        setDevice(path_, pty.path);
        TermWindow w;
        w.show();
        for (int round = 0; round < 2; ++round) {
            QString caption;
            QTimer poll;
            connect(&poll, &QTimer::timeout, this, [&] {
                if (QWidget *dlg = QApplication::activeModalWidget(); dlg && dlg->isVisible()) {
                    poll.stop();
                    caption = dlg->windowTitle();
                    QTest::keyClick(dlg, Qt::Key_Escape);
                }
            });
            poll.start(20);
            w.findChild<QPushButton *>(QStringLiteral("button54"))->click();
            QCOMPARE(caption, QStringLiteral("Настройка фильтра"));
        }
        w.pressRecord();
        QVERIFY(pty.send(callLine(101, "321") + "\r"));
        w.pollTick();
        QCOMPARE(rowCount(path_, "DIAL"), 1);
    }

    // "Администр." starts the administrator program of the program directory, from any state.
    void adminStartsTheAdministratorProgram() {
        const QString program = QDir(path_).filePath(QStringLiteral("KVO_view"));
        const QString marker = QDir(path_).filePath(QStringLiteral("started"));
        QFile::remove(program);
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\necho \"$#\" >> '%1'\n").arg(marker).toUtf8());
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        Pty pty;
        setDevice(path_, pty.path);
        TermWindow w;
        w.show();
        w.pressRecord();
        QVERIFY(w.portOpen());
        w.findChild<QPushButton *>(QStringLiteral("button55"))->click();
        QFile started(marker);
        QTRY_VERIFY(started.exists() && started.size() > 0);
        QVERIFY(started.open(QIODevice::ReadOnly));
        QCOMPARE(started.readAll(), QByteArray("0\n")); // no parameters
        QVERIFY(w.portOpen());
    }

    void withoutTheLibraryNothingIsStoredOrSaved() {
        QVERIFY(QFile::remove(QDir(path_).filePath(QStringLiteral("Kvo_dll.so"))));
        ini().writeInteger("Terminal", "combo1", 2);
        Pty pty;
        setDevice(path_, pty.path);
        {
            TermWindow w;
            QCOMPARE(w.findChild<QComboBox *>(QStringLiteral("combo1"))->currentIndex(), 0);
            w.pressSettings(); // a silent no-op
            w.pressRecord();
            QVERIFY(pty.send(callLine(101, "321") + "\r"));
            w.pollTick();
            QCOMPARE(listItems(w).size(), 1);
            QCOMPARE(w.statusText(), QStringLiteral("Запись в базу данных <<>>"));
            w.close();
        }
        QCOMPARE(rowCount(path_, "DIAL"), 0);
        QCOMPARE(ini().readInteger("Terminal", "combo1", 99), 2);
    }
};

QTEST_MAIN(TermWindowTest)
#include "term_window_test.moc"
