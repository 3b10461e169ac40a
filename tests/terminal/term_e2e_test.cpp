// The installed programs end to end: pbx-sim plays the exchange on a pseudo-terminal, Kvo_term
// runs as its own process under the offscreen platform and stores through Kvo_dll.so.
#include "serial_port.h"
#include "term_fixture.h"
#include "term_window.h"

#include <QtTest>
#include <csignal>
#include <memory>

using namespace kvo::termtest;

namespace {

// What the capture library makes of a line the simulator sent, in the shipped layout.
QString expectedRow(const QString &line) {
    QString dial = line.mid(26, 25).trimmed();
    if (dial.startsWith(QStringLiteral("<I>")))
        dial = QStringLiteral("In") + dial.mid(3);
    QString duration = line.mid(57, 8).replace(QLatin1Char('\''), QLatin1Char(':'));
    return line.mid(19, 3) + QLatin1Char('|') + line.mid(23, 2) + QLatin1Char('|') + dial +
           QLatin1Char('|') + duration;
}

QStringList storedRows(const QString &dir) {
    kvo::Database db(QDir(dir).filePath(QStringLiteral("Base")).toStdString());
    QStringList rows;
    for (const auto &r : db.queryAll("SELECT EXT, CO, DIAL, DURATION FROM DIAL ORDER BY AVT"))
        rows << QString::fromStdString(r[0] + "|" + r[1] + "|" + r[2] + "|" + r[3]);
    return rows;
}

} // namespace

class TermEndToEndTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
    QProcess sim_, term_;
    QStringList simOutput_;

    // Its first output line is the pseudo-terminal's path, then one line per call sent.
    void startSimulator(const QStringList &args) {
        simOutput_.clear();
        connect(&sim_, &QProcess::readyReadStandardOutput, this, [this] {
            while (sim_.canReadLine())
                simOutput_ << QString::fromLatin1(sim_.readLine()).chopped(1);
        });
        sim_.start(QStringLiteral(PBX_SIM), args);
        QVERIFY(sim_.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!simOutput_.isEmpty(), 10000);
    }

    void startTerminal() {
        term_.setProcessEnvironment(childEnvironment());
        term_.setProcessChannelMode(QProcess::ForwardedChannels);
        term_.start(QDir(path_).filePath(QStringLiteral("Kvo_term")), {QStringLiteral("auto")});
        QVERIFY(term_.waitForStarted());
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        path_ = dir_->path();
        QString error;
        QVERIFY2(installInto(path_, &error), qPrintable(error));
    }
    void cleanup() {
        for (QProcess *p : {&term_, &sim_}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(10000))
                    p->kill();
                p->waitForFinished();
            }
            p->disconnect(this);
        }
        qunsetenv("KVO_PROGRAM_DIR");
    }

    void callsFromTheSimulatorAreStored() {
        startSimulator({"--burst", "30", "--count", "30", "--malformed", "10", "--seed", "5"});
        QTRY_COMPARE_WITH_TIMEOUT(simOutput_.size(), 31, 30000);
        QString tty = simOutput_[0];
        QVERIFY(tty.startsWith(QStringLiteral("/dev/pts/")));
        setDevice(path_, tty.toStdString());
        startTerminal();

        QTRY_COMPARE_WITH_TIMEOUT(rowCount(path_, "DIAL") + rowCount(path_, "BUFFER"), 30, 60000);
        QStringList expected, malformed;
        for (int i = 1; i <= 30; ++i)
            (i % 10 == 0 ? malformed : expected) << simOutput_[i];
        for (QString &line : expected)
            line = expectedRow(line);
        QCOMPARE(storedRows(path_), expected);
        kvo::Database db(QDir(path_).filePath(QStringLiteral("Base")).toStdString());
        QStringList journal;
        for (const auto &r : db.queryAll("SELECT SREAD FROM BUFFER ORDER BY AVT"))
            journal << QString::fromStdString(r[0]);
        for (QString &line : malformed)
            line.replace(QLatin1Char('\''), QLatin1Char('.'));
        QCOMPARE(journal, malformed);

        // A second copy cannot have the line the first one holds: as a process of its own, and
        // in this process.
        QProcess copy;
        auto env = childEnvironment();
        env.insert(QStringLiteral("KVO_TERM_TRACE"), QStringLiteral("1"));
        copy.setProcessEnvironment(env);
        copy.start(QDir(path_).filePath(QStringLiteral("Kvo_term")), {QStringLiteral("auto")});
        QVERIFY(copy.waitForStarted());
        QString trace;
        QTRY_VERIFY_WITH_TIMEOUT((trace += QString::fromUtf8(copy.readAllStandardError()))
                                     .contains(QStringLiteral("Ошибка открытия порта\n")),
                                 20000);
        QVERIFY(!trace.contains(QStringLiteral("Порт открыт")));
        copy.terminate();
        QVERIFY(copy.waitForFinished(10000));
        QCOMPARE(copy.exitCode(), 0);

        qputenv("KVO_PROGRAM_DIR", path_.toUtf8());
        {
            kvo::term::TermWindow second;
            second.applyArguments({QStringLiteral("auto")});
            QCOMPARE(second.statusText(), QStringLiteral("Ошибка открытия порта"));
            second.findChild<QWidget *>(QStringLiteral("combo2"))->setProperty("currentIndex", 3);
        } // its close saves combo2 = 3, which the first copy overwrites at its own exit

        // Stopped from outside, the terminal closes its window the ordinary way.
        term_.terminate();
        QVERIFY(term_.waitForFinished(10000));
        QCOMPARE(term_.exitStatus(), QProcess::NormalExit);
        QCOMPARE(term_.exitCode(), 0);
        kvo::IniFile ini(mainIni(path_));
        QCOMPARE(ini.readInteger("Terminal", "combo2", 99), 0);
        kvo::term::SerialPort port;
        QVERIFY(port.open(tty.toStdString(), {}));
    }

    void burstOfAThousandLinesIsStoredWhole() {
        startSimulator({"--burst", "1000", "--count", "1000", "--malformed", "0", "--seed", "11"});
        QString tty = simOutput_.value(0);
        setDevice(path_, tty.toStdString());
        startTerminal();
        QTRY_VERIFY_WITH_TIMEOUT(simOutput_.size() == 1001, 60000);
        QTRY_COMPARE_WITH_TIMEOUT(rowCount(path_, "DIAL"), 1000, 180000);
        QStringList expected;
        for (int i = 1; i <= 1000; ++i)
            expected << expectedRow(simOutput_[i]);
        QCOMPARE(storedRows(path_), expected);
        QCOMPARE(rowCount(path_, "BUFFER"), 0);
    }
};

QTEST_MAIN(TermEndToEndTest)
#include "term_e2e_test.moc"
