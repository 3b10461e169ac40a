// The layout editor driven through its real dialogs, on a program directory made by the
// installer.
#include "database.h"
#include "field_preview.h"
#include "ini_file.h"
#include "tf_select.h"
#include "tf_set_records.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolTip>
#include <QtTest>
#include <dlfcn.h>
#include <fstream>
#include <functional>
#include <memory>

using kvo::editor::Field;
using kvo::editor::TFSetRecords;

namespace {

// Answers the next modal window of type T once it is up.
template <class T> void whenModal(std::function<void(T *)> answer) {
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget()); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            answer(w);
        }
    });
    timer->start();
}

const char *const kNames[7] = {"date", "time", "phone_in", "phone_out", "duration", "line", "cd"};

QString shippedSample() {
    return QStringLiteral("12/11/26 10:15AM   101 01 89161234567                    00:01'23   "
                          "         NA");
}

} // namespace

class EditorTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir_;
    QString prog_; // with a trailing "/"

    QString filters(const QString &name) const { return prog_ + QStringLiteral("Filters/") + name; }
    kvo::IniFile mainIni() const { return kvo::IniFile((prog_ + "Kvo_main.ini").toStdString()); }
    void writeLayout(const QString &name, const std::string &text) {
        std::ofstream(filters(name).toStdString(), std::ios::binary) << text;
    }
    template <class T> static T *child(QWidget &w, const QString &name) {
        T *c = w.findChild<T *>(name);
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    static QString result(QWidget &w, const char *field) {
        return child<QLabel>(w, QStringLiteral("P") + QString::fromLatin1(field))->text();
    }
    static QPair<int, int> position(QWidget &w, const char *field) {
        const QString s = QStringLiteral("S") + QString::fromLatin1(field);
        return {child<QSpinBox>(w, s + "1")->value(), child<QSpinBox>(w, s + "2")->value()};
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("KVO_PROGRAM_DIR"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KVO_INSTALL), {dir_->path()});
        QVERIFY(p.waitForFinished(60000) && p.exitCode() == 0);
        prog_ = dir_->path() + QLatin1Char('/');
    }

    void opensTheActiveLayoutWithItsPreviews() {
        TFSetRecords dlg(prog_);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Настройка фильтра"));
        QCOMPARE(dlg.size(), QSize(792, 502));
        auto *filter = child<QComboBox>(dlg, "CFilter");
        QCOMPARE(filter->currentText(), QStringLiteral("Panasonic_KXTD.ini"));
        QVERIFY(filter->findText(QStringLiteral("Panasonic_KXTD.ini")) >= 0);
        QCOMPARE(child<QLineEdit>(dlg, "EKvo")->text(), QStringLiteral("Panasonic KX-TD"));
        QVERIFY(child<QLineEdit>(dlg, "Einfo")->text().startsWith(QStringLiteral("Panasonic")));
        QCOMPARE(child<QLineEdit>(dlg, "ES1")->text(), shippedSample());
        QCOMPARE(child<QComboBox>(dlg, "Cdate_f")->count(), 12);
        QCOMPARE(child<QComboBox>(dlg, "Cdate_f")->itemText(11), QStringLiteral("yyyy.mm.dd"));

        const QPair<int, int> positions[7] = {{1, 8},  {10, 7}, {20, 3}, {27, 25},
                                              {58, 8}, {24, 2}, {78, 2}};
        const QString previews[7] = {"11.12.2026", "10:15:00", "101", "89161234567",
                                     "00:01:23",   "01",       "NA"};
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(position(dlg, kNames[i]), positions[i]);
            QCOMPARE(result(dlg, kNames[i]), previews[i]);
        }

        // Rulers and sample share one fixed-pitch font and left edge.
        auto *tens = child<QLabel>(dlg, "Panel1");
        auto *units = child<QLabel>(dlg, "Pvisual");
        auto *sample = child<QLineEdit>(dlg, "ES1");
        QCOMPARE(units->text().size(), 107);
        QVERIFY(units->text().startsWith(QStringLiteral("12345678901")));
        QCOMPARE(tens->text().indexOf(QLatin1Char('2')), 19);
        QVERIFY(tens->text().endsWith(QStringLiteral("         10")));
        QCOMPARE(QFontInfo(tens->font()).family(), QFontInfo(sample->font()).family());
        QVERIFY(QFontInfo(sample->font()).fixedPitch());
        sample->setCursorPosition(0);
        // The caret rectangle reaches 5 pixels left of the character it stands before.
        const int textX =
            sample->x() + sample->inputMethodQuery(Qt::ImCursorRectangle).toRect().x() + 5;
        QCOMPARE(tens->x() + tens->indent(), textX);
        QCOMPARE(units->x() + units->indent(), textX);

        QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
        QVERIFY(dlg.grab().save(QStringLiteral(SCREENSHOT_DIR "/layout_editor.png")));
    }

    void markingFieldsOnTheSample() {
        TFSetRecords dlg(prog_);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto *sample = child<QLineEdit>(dlg, "ES1");
        sample->setFocus();
        sample->setSelection(9, 7);
        QTest::keyRelease(sample, Qt::Key_Shift);
        QCOMPARE(child<QLineEdit>(dlg, "Epos")->text(), QStringLiteral("10(7)"));
        QTest::mouseClick(child<QPushButton>(dlg, "Bdate"), Qt::LeftButton);
        QCOMPARE(position(dlg, "date"), qMakePair(10, 7));
        QCOMPARE(result(dlg, "date"), QStringLiteral("ошибка"));
        child<QPushButton>(dlg, "Btime")->click();
        QCOMPARE(position(dlg, "time"), qMakePair(10, 7));
        QCOMPARE(result(dlg, "time"), QStringLiteral("10:15:00"));

        // Nothing selected: the caret's column and length 1.
        sample->setCursorPosition(19);
        QTest::keyRelease(sample, Qt::Key_Right);
        QCOMPARE(child<QLineEdit>(dlg, "Epos")->text(), QStringLiteral("20(0)"));
        child<QPushButton>(dlg, "Bphone_in")->click();
        QCOMPARE(position(dlg, "phone_in"), qMakePair(20, 1));
        QCOMPARE(result(dlg, "phone_in"), QStringLiteral("1"));

        // A click on a result panel selects its field in the sample.
        QTest::mouseClick(child<QLabel>(dlg, "Pline"), Qt::LeftButton);
        QCOMPARE(sample->selectionStart(), 23);
        QCOMPARE(sample->selectedText(), QStringLiteral("01"));

        // Typed start values are brought into range when the box is left.
        auto *start = child<QSpinBox>(dlg, "Sline1");
        start->setFocus();
        start->selectAll();
        QTest::keyClicks(start, "777");
        sample->setFocus();
        QCOMPARE(start->value(), 500);
        QCOMPARE(result(dlg, "line"), QString());
        // An emptied box counts as its lower bound.
        auto *length = child<QSpinBox>(dlg, "Stime2");
        length->setFocus();
        length->selectAll();
        QTest::keyClick(length, Qt::Key_Delete);
        sample->setFocus();
        QCOMPARE(length->value(), 1);
        QCOMPARE(length->text(), QStringLiteral("1"));
    }

    void handEditedLayouts_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::newRow("length over the column") << QByteArray("[Filter]\r\nphone_out=27,30\r\n")
                                                << QString() << "phone_out" << 27 << 28;
        QTest::newRow("not two integers")
            << QByteArray("[Filter]\r\ndate=abc\r\n") << QString() << "date" << 1 << 1;
        QTest::newRow("empty position")
            << QByteArray("[Filter]\r\ntime=\r\n") << QString() << "time" << 1 << 1;
        QTest::newRow("only date: cd keeps its default")
            << QByteArray("[Filter]\r\ndate=1,8\r\n") << QString() << "cd" << 78 << 2;
        QTest::newRow("only date: others 1,1")
            << QByteArray("[Filter]\r\ndate=1,8\r\n") << QString() << "duration" << 1 << 1;
        QTest::newRow("S1 quoted") << QByteArray("[Strings]\r\nS1=\"  12 34 \"\r\n") << "  12 34 "
                                   << "date" << 1 << 1;
        QTest::newRow("S1 unquoted") << QByteArray("[Strings]\r\nS1=12 34\r\n") << "12 34"
                                     << "date" << 1 << 1;
        QTest::newRow("S1 quoted twice") << QByteArray("[Strings]\r\nS1=\"\"ab\"\"\r\n") << "ab"
                                         << "date" << 1 << 1;
        QTest::newRow("start beyond range")
            << QByteArray("[Filter]\r\nline=900,-3\r\n") << QString() << "line" << 500 << 1;
    }
    void handEditedLayouts() {
        QFETCH(QByteArray, file);
        QFETCH(QString, sample);
        QFETCH(QString, field);
        QFETCH(int, start);
        QFETCH(int, length);
        writeLayout("Hand.ini", file.toStdString());
        mainIni().writeString("Terminal", "filter", "Hand.ini");
        TFSetRecords dlg(prog_);
        QCOMPARE(child<QLineEdit>(dlg, "ES1")->text(), sample);
        QCOMPARE(position(dlg, field.toLatin1().constData()), qMakePair(start, length));
    }

    // A sample wider than its box is shown from column 1, so the rulers still give the columns;
    // the caret waits there too.
    void longSampleStaysUnderTheRulers() {
        const QString line = QStringLiteral("01/15/24 10:15AM") + QString(140, QLatin1Char('x'));
        writeLayout("Long.ini", "[Strings]\r\nS1=\"" + line.toStdString() + "\"\r\n");
        mainIni().writeString("Terminal", "filter", "Long.ini");
        {
            kvo::Database db((prog_ + "Base").toStdString());
            db.exec("INSERT INTO BUFFER (SREAD) VALUES ('" + line.toStdString() + "y')");
        }
        TFSetRecords dlg(prog_);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        auto *sample = child<QLineEdit>(dlg, "ES1");
        auto *units = child<QLabel>(dlg, "Pvisual");
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1) {
                whenModal<kvo::editor::TFSelect>(
                    [](kvo::editor::TFSelect *p) { QTest::keyClick(p->grid(), Qt::Key_Return); });
                child<QPushButton>(dlg, "Bselect")->click();
                QCOMPARE(sample->text(), line + "y");
            }
            QCOMPARE(child<QLineEdit>(dlg, "Epos")->text(), QStringLiteral("1(0)"));
            const int caretX =
                sample->x() + sample->inputMethodQuery(Qt::ImCursorRectangle).toRect().x() + 5;
            QCOMPARE(caretX, units->x() + units->indent());
            child<QPushButton>(dlg, "Bline")->click();
            QCOMPARE(position(dlg, "line"), qMakePair(1, 1));
        }
    }

    void savingUnderANameWithoutExtension() {
        {
            TFSetRecords dlg(prog_);
            dlg.show();
            QTest::mouseClick(child<QPushButton>(dlg, "Bnew"), Qt::LeftButton);
            auto *filter = child<QComboBox>(dlg, "CFilter");
            QCOMPARE(filter->currentText(), QStringLiteral("New_filter.ini"));
            QCOMPARE(child<QLineEdit>(dlg, "ES1")->text(), QString());
            QCOMPARE(position(dlg, "cd"), qMakePair(1, 1));
            filter->setEditText(QStringLiteral("MyPbx"));
            child<QLineEdit>(dlg, "ES1")->setText(QStringLiteral("  it's 01/02/24"));
            child<QLineEdit>(dlg, "EKvo")->setText(QStringLiteral("Моя АТС"));
            child<QSpinBox>(dlg, "Sdate1")->setValue(8);
            child<QSpinBox>(dlg, "Sdate2")->setValue(8);
            child<QComboBox>(dlg, "Cdate_f")->setEditText(QStringLiteral("dd/mm/yy"));
            QCOMPARE(result(dlg, "date"), QStringLiteral("01.02.2024"));
            child<QPushButton>(dlg, "Bsave")->click();
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QCOMPARE(mainIni().readString("Terminal", "filter", ""), std::string("MyPbx"));
        QFile f(filters("MyPbx"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.contains("S1=\"  it's 01/02/24\"\r\n"));
        QVERIFY(bytes.contains("title=\xCC\xEE\xFF \xC0\xD2\xD1\r\n")); // Windows-1251
        QVERIFY(bytes.contains("date=8,8\r\ntime=1,1\r\nphone_in=1,1\r\nphone_out=1,1\r\n"
                               "duration=1,1\r\nline=1,1\r\ncd=1,1\r\n"));
        QVERIFY(bytes.contains("date_f=dd/mm/yy"));

        // Active, and loaded again, but not among the listed layouts.
        TFSetRecords again(prog_);
        auto *filter = child<QComboBox>(again, "CFilter");
        QCOMPARE(filter->currentText(), QStringLiteral("MyPbx"));
        QCOMPARE(filter->findText(QStringLiteral("MyPbx")), -1);
        QCOMPARE(child<QLineEdit>(again, "ES1")->text(), QStringLiteral("  it's 01/02/24"));
        // Typing another name reloads at every keystroke: no such file clears the form.
        filter->setEditText(QStringLiteral("MyPb"));
        QCOMPARE(child<QLineEdit>(again, "ES1")->text(), QString());
        QCOMPARE(child<QLineEdit>(again, "EKvo")->text(), QString());
    }

    void aRefusedWriteKeepsTheEditorOpen() {
        TFSetRecords dlg(prog_);
        dlg.show();
        for (const QString &name : {QStringLiteral("../Escape.ini"), QStringLiteral("Gone.ini")}) {
            if (name == QStringLiteral("Gone.ini"))
                QVERIFY(QDir(prog_ + "Filters").removeRecursively());
            child<QComboBox>(dlg, "CFilter")->setEditText(name);
            QString shown;
            whenModal<QMessageBox>([&](QMessageBox *box) {
                shown = box->text();
                box->accept();
            });
            child<QPushButton>(dlg, "Bsave")->click();
            QVERIFY2(shown.contains(QStringLiteral("Filters/") + name), qPrintable(shown));
            QVERIFY(dlg.isVisible());
        }
        QVERIFY(!QFile::exists(prog_ + "Escape.ini"));
        QCOMPARE(mainIni().readString("Terminal", "filter", ""), std::string("Panasonic_KXTD.ini"));
    }

    void sampleFromTheErrorJournal() {
        {
            kvo::Database db((prog_ + "Base").toStdString());
            db.exec("INSERT INTO BUFFER (SREAD) VALUES ('first line')");
            db.exec("INSERT INTO BUFFER (SREAD) VALUES ('12/11/26 10:15AM   1O1 call.s')");
        }
        kvo::editor::TFSelect picker(prog_ + "Base");
        QCOMPARE(picker.windowTitle(), QStringLiteral("Выбор строки из журнала ошибок"));
        QCOMPARE(picker.grid()->rowCount(), 2);
        QCOMPARE(picker.grid()->horizontalHeaderItem(0)->text(), QStringLiteral("Получено из АТС"));

        // Through the editor's "...": the second row, chosen with Enter.
        TFSetRecords dlg(prog_);
        dlg.show();
        whenModal<kvo::editor::TFSelect>([](kvo::editor::TFSelect *p) {
            p->grid()->setFocus();
            p->grid()->setCurrentCell(1, 0);
            QTest::keyClick(p->grid(), Qt::Key_Return);
        });
        child<QPushButton>(dlg, "Bselect")->click();
        QCOMPARE(child<QLineEdit>(dlg, "ES1")->text(),
                 QStringLiteral("12/11/26 10:15AM   1O1 call.s"));
        QCOMPARE(result(dlg, "time"), QStringLiteral("10:15:00"));

        // Cancelled, or with no journal at all: the sample stays.
        whenModal<kvo::editor::TFSelect>([](kvo::editor::TFSelect *p) { p->close(); });
        child<QPushButton>(dlg, "Bselect")->click();
        QCOMPARE(child<QLineEdit>(dlg, "ES1")->text(),
                 QStringLiteral("12/11/26 10:15AM   1O1 call.s"));
        QVERIFY(QFile::remove(prog_ + "Base/BUFFER.DAT"));
        kvo::editor::TFSelect empty(prog_ + "Base");
        QCOMPARE(empty.grid()->rowCount(), 0);
    }

    void previewsOfSingleFields_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("shown");
        QTest::newRow("date d first") << int(Field::Date) << "15-01-24"
                                      << "dd/mm/yy"
                                      << "15.01.2024";
        QTest::newRow("date invalid") << int(Field::Date) << "13/45/26"
                                      << "mm/dd/yy"
                                      << "ошибка";
        QTest::newRow("time PM") << int(Field::Time) << "01:30PM"
                                 << ""
                                 << "13:30:00";
        QTest::newRow("time empty") << int(Field::Time) << ""
                                    << ""
                                    << "ошибка";
        QTest::newRow("extension 007") << int(Field::PhoneIn) << " 007 "
                                       << ""
                                       << "7";
        QTest::newRow("extension 1O1") << int(Field::PhoneIn) << "1O1"
                                       << ""
                                       << "ошибка";
        QTest::newRow("incoming") << int(Field::PhoneOut) << "<incoming>012"
                                  << ""
                                  << "In012";
        QTest::newRow("dial marks") << int(Field::PhoneOut) << "8-4 5W"
                                    << ""
                                    << "845";
        QTest::newRow("duration m's") << int(Field::Duration) << "01'23"
                                      << ""
                                      << "00:01:23";
        QTest::newRow("duration 5") << int(Field::Duration) << "5"
                                    << ""
                                    << "00:05:00";
        QTest::newRow("cd apostrophe") << int(Field::Cd) << " a'b "
                                       << ""
                                       << "a.b";
    }
    void previewsOfSingleFields() {
        QFETCH(int, field);
        QFETCH(QString, sample);
        QFETCH(QString, format);
        QFETCH(QString, shown);
        QCOMPARE(kvo::editor::fieldPreview(static_cast<Field>(field), sample, 1, 500, format, 2024),
                 shown);
    }

    void cutterSemantics() {
        QCOMPARE(kvo::editor::samplePiece("abcdef", 0, 2), QStringLiteral("ab"));
        QCOMPARE(kvo::editor::samplePiece("abcdef", 5, 10), QStringLiteral("ef"));
        QCOMPARE(kvo::editor::samplePiece("abcdef", 7, 1), QString());
        QCOMPARE(kvo::editor::samplePiece(" ab ", 1, 4), QStringLiteral(" ab "));
    }

    // The export inside Kvo_dll.so, called by a host that has its own application object.
    void setRecordsFromTheLibrary() {
        qputenv("KVO_PROGRAM_DIR", prog_.toUtf8());
        void *lib = dlopen(KVO_DLL, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(lib, dlerror());
        auto setRecords = reinterpret_cast<void (*)()>(dlsym(lib, "SetRecords"));
        QVERIFY(setRecords);
        QString caption, sample;
        QColor tipColour;
        const QColor hostTips = QToolTip::palette().color(QPalette::ToolTipBase);
        whenModal<QDialog>([&](QDialog *w) {
            caption = w->windowTitle();
            sample = w->findChild<QLineEdit *>(QStringLiteral("ES1"))->text();
            tipColour = QToolTip::palette().color(QPalette::ToolTipBase);
            QTest::keyClick(w, Qt::Key_Escape);
        });
        setRecords();
        dlclose(lib);
        qunsetenv("KVO_PROGRAM_DIR");
        QCOMPARE(caption, QStringLiteral("Настройка фильтра"));
        QCOMPARE(sample, shippedSample());
        // The editor's tooltips are light blue; the host's keep their own colour.
        QCOMPARE(tipColour, QColor(181, 239, 255));
        QCOMPARE(QToolTip::palette().color(QPalette::ToolTipBase), hostTips);
    }
};

QTEST_MAIN(EditorTest)
#include "editor_test.moc"
