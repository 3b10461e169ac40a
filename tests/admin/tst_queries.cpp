// Query objects, the grid model over them, and the statement runners with their failure report.
#include "admin_fixture.h"
#include "codec.h"
#include "data_module.h"
#include "query_model.h"

#include <QSignalSpy>

using namespace kvo::admin;
using kvo::admintest::InfoAnswerer;
using kvo::admintest::ProgramDir;

namespace {

const QString kFailMessage = "Ошибка выполнения запроса! Отправьте Error.log разработчику.";

// n calls of subscriber 101, AVT 1..n, the odd ones without CD.
void fillCalls(const ProgramDir &dir, int n) {
    kvo::Database db(dir.base().toStdString());
    db.exec("INSERT INTO EXT (EXT, NAME) VALUES (101, 'Бухгалтерия')");
    for (int i = 1; i <= n; ++i)
        db.exec(QString("INSERT INTO DIAL (DAT_RING, TIM_RING, EXT, CO, DIAL, DURATION, CD) "
                        "VALUES ('2024-02-%1', '10:00:00', 101, '01', '8916%2', '00:01:00', %3)")
                    .arg(1 + i % 28, 2, 10, QChar('0'))
                    .arg(i)
                    .arg(i % 2 ? "NULL" : "'NA'")
                    .toStdString());
}

} // namespace

class QueriesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        kvo::admintest::pinRussianLocale();
        kvo::admintest::installDefaultAnswerer();
    }
    void init() {
        dir_ = std::make_unique<ProgramDir>();
        QVERIFY(dir_->ok());
        data_ = std::make_unique<DataModule>();
        data_->connectBase();
    }
    void cleanup() {
        data_.reset();
        dir_.reset();
        const QStringList unexpected = kvo::admintest::takeUnexpectedInfos();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join("; ")));
    }

    void rowsAreReadAsNeeded();
    void fieldStrReadsTheCurrentRow();
    void gridAndQueryShareTheCurrentRow();
    void closingEmptiesTheGrid();
    void rowFailingHalfWayEndsTheResult();
    void failingStatementIsLoggedAndShownOnce();
    void failureWithoutTempFolderShowsThatFailure();
    void nextNumberAndCounts();
    void checkUniqueShowsNotice();
    void directoryLookUps();

private:
    std::unique_ptr<ProgramDir> dir_;
    std::unique_ptr<DataModule> data_;
};

void QueriesTest::rowsAreReadAsNeeded() {
    fillCalls(*dir_, 1000);
    Query &q = data_->QuD;
    QVERIFY(data_->QueryOpen(q));
    QCOMPARE(q.fetchedRows(), Query::kFetchBatch);
    QVERIFY(!q.atEnd());

    QueryModel model(&q);
    QCOMPARE(model.rowCount(), Query::kFetchBatch);
    QCOMPARE(model.columnCount(), 9);
    QVERIFY(model.canFetchMore({}));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.fetchMore({});
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(model.rowCount(), 2 * Query::kFetchBatch);

    QVERIFY(q.setCurrentRow(900)); // reads up to the row
    QCOMPARE(q.FieldStr("AVT"), QString("901"));
    QVERIFY(!q.setCurrentRow(1000));
    QCOMPARE(q.recordCount(), 1000);
    QVERIFY(q.atEnd());
    QVERIFY(!model.canFetchMore({}));
    QCOMPARE(model.rowCount(), 1000);
    QCOMPARE(model.data(model.index(999, 6)).toString(), QString("89161000"));
}

void QueriesTest::fieldStrReadsTheCurrentRow() {
    fillCalls(*dir_, 3);
    Query &q = data_->QuD;
    QVERIFY(data_->QueryOpen(q));
    QCOMPARE(q.currentRow(), 0);
    QCOMPARE(q.FieldStr("DAT_RING"), QString("02.02.2024")); // dates as dd.mm.yyyy
    QCOMPARE(q.FieldStr("name"), QString("Бухгалтерия"));    // letter case ignored
    QCOMPARE(q.FieldStr("CD"), QString());                   // NULL
    QCOMPARE(q.FieldStr("NOSUCH"), QString());
    QVERIFY(q.setCurrentRow(1));
    QCOMPARE(q.FieldStr("CD"), QString("NA"));

    q.SQL = {"SELECT AVT FROM DIAL", "WHERE AVT > 100"};
    QVERIFY(data_->QueryOpen(q));
    QVERIFY(q.isOpen());
    QCOMPARE(q.currentRow(), -1);
    QCOMPARE(q.FieldStr("AVT"), QString()); // empty result
}

void QueriesTest::gridAndQueryShareTheCurrentRow() {
    fillCalls(*dir_, 20);
    QueryGrid grid;
    grid.bind(&data_->QuD, {{"AVT", "N", 60, Qt::AlignCenter}, {"DIAL", "Номер", 120, {}}});
    grid.resize(400, 300);
    grid.show();
    QVERIFY(data_->QueryOpen(data_->QuD));
    QCOMPARE(grid.model()->columnCount(), 2);
    QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QString("Номер"));
    QCOMPARE(grid.columnWidth(0), 60);
    QCOMPARE(grid.currentIndex().row(), 0);

    grid.setCurrentIndex(grid.model()->index(5, 1));
    QCOMPARE(data_->QuD.currentRow(), 5);
    QCOMPARE(data_->QuD.FieldStr("AVT"), QString("6"));
    data_->QuD.setCurrentRow(12);
    QCOMPARE(grid.currentIndex().row(), 12);
}

void QueriesTest::closingEmptiesTheGrid() {
    fillCalls(*dir_, 5);
    QueryGrid grid;
    grid.bind(&data_->QuD);
    QVERIFY(data_->QueryOpen(data_->QuD));
    QCOMPARE(grid.model()->rowCount(), 5);
    data_->disconnectBase();
    QCOMPARE(grid.model()->rowCount(), 0);
    QVERIFY(!data_->QuD.isOpen());
}

void QueriesTest::rowFailingHalfWayEndsTheResult() {
    // Row 300 fails while it is read (as a damaged page would): the rows before it stay, the
    // failure is reported once, nothing is thrown at the caller.
    InfoAnswerer info;
    fillCalls(*dir_, 400);
    Query &q = data_->QuD;
    q.SQL = {"SELECT AVT, CASE WHEN AVT=300 THEN abs(-9223372036854775807-1) END AS X",
             "FROM DIAL ORDER BY AVT"};
    QVERIFY(data_->QueryOpen(q));
    QCOMPARE(q.fetchedRows(), Query::kFetchBatch);
    QVERIFY(!q.setCurrentRow(350));
    QCOMPARE(q.fetchedRows(), 299);
    QVERIFY(q.atEnd());
    QCOMPARE(q.recordCount(), 299);
    QVERIFY(q.setCurrentRow(298));
    QCOMPARE(q.FieldStr("AVT"), QString("299"));
    QCOMPARE(info.texts(), QStringList{kFailMessage});
    QVERIFY(dir_->errorLog().contains("abs(-9223372036854775807-1)"));

    QVERIFY(data_->QueryOpen(q)); // the result read whole by the count
    QCOMPARE(q.recordCount(), 299);
    QCOMPARE(info.shown.size(), 2);
}

void QueriesTest::failingStatementIsLoggedAndShownOnce() {
    InfoAnswerer info;
    data_->Qu.SQL = {"INSERT INTO EXT (EXT, NAME)", "VALUES (1, 'x'"};
    QVERIFY(!data_->QueryExec());
    data_->QuS.SQL = {"SELECT NOSUCH FROM EXT"};
    QVERIFY(!data_->QueryOpen(data_->QuS));
    QVERIFY(!data_->QuS.isOpen());

    QCOMPARE(info.shown.size(), 2);
    for (const auto &s : info.shown) {
        QCOMPARE(s.caption, QString("Внимание"));
        QCOMPARE(s.text, kFailMessage);
        QCOMPARE(s.mode, int(InfoModalNotice));
    }
    const QStringList lines =
        QString::fromStdString(kvo::cp1251ToUtf8(dir_->errorLog().toStdString())).split("\r\n");
    // stamp, message, the two statement lines; stamp, message, statement; empty rest
    QCOMPARE(lines.size(), 8);
    QVERIFY(lines[0].startsWith("-- "));
    QVERIFY(!lines[1].isEmpty());
    QCOMPARE(lines[2], QString("INSERT INTO EXT (EXT, NAME)"));
    QCOMPARE(lines[3], QString("VALUES (1, 'x'"));
    QVERIFY(lines[4].startsWith("-- "));
    QVERIFY(lines[5].contains("NOSUCH"));
    QCOMPARE(lines[6], QString("SELECT NOSUCH FROM EXT"));

    // Not connected: the runner reports that as a failing statement too.
    data_->disconnectBase();
    QVERIFY(!data_->QueryOpen(data_->QuS));
    QCOMPARE(info.shown.size(), 3);
}

void QueriesTest::failureWithoutTempFolderShowsThatFailure() {
    InfoAnswerer info;
    QVERIFY(QDir(dir_->file("Temp")).removeRecursively());
    data_->Qu.SQL = {"SELECT NOSUCH FROM EXT"};
    QVERIFY(!data_->QueryOpen(data_->Qu));
    QCOMPARE(info.shown.size(), 1);
    QCOMPARE(info.shown[0].caption, QString("Ошибка"));
    QVERIFY(info.shown[0].text.contains("Error.log"));
}

void QueriesTest::nextNumberAndCounts() {
    InfoAnswerer info;
    QCOMPARE(data_->NextNumber("SELECT MAX(CNTR) FROM CONTRA"), QString("1"));
    dir_->exec("INSERT INTO CONTRA (CNTR, NAME) VALUES (41, 'A')");
    QCOMPARE(data_->NextNumber("SELECT MAX(CNTR) FROM CONTRA"), QString("42"));
    QVERIFY(!data_->Qu.isOpen());
    QVERIFY(data_->CountPositive("SELECT COUNT(*) FROM CONTRA"));
    QVERIFY(data_->Qu.isOpen()); // stays open for the caller
    QVERIFY(!data_->CountPositive("SELECT COUNT(*) FROM CONTRA\nWHERE CNTR=7"));
    QVERIFY(info.shown.isEmpty());

    QCOMPARE(data_->NextNumber("SELECT MAX(NOSUCH) FROM CONTRA"), QString());
    QVERIFY(data_->CountPositive("SELECT COUNT(*) FROM NOSUCH"));
    QCOMPARE(info.shown.size(), 2);
}

void QueriesTest::checkUniqueShowsNotice() {
    InfoAnswerer info;
    dir_->exec("INSERT INTO CO (CO, NAME) VALUES ('01', 'Линия')");
    QVERIFY(!data_->CheckUnique("SELECT COUNT(*) FROM CO WHERE CO='02'"));
    QVERIFY(info.shown.isEmpty());
    QVERIFY(data_->CheckUnique("SELECT COUNT(*) FROM CO WHERE CO='01'"));
    QCOMPARE(info.texts(), QStringList{"Не уникальное значение поля!"});
}

void QueriesTest::directoryLookUps() {
    InfoAnswerer info;
    dir_->exec("INSERT INTO BOOK (DIAL, FIO, NP, UL, DOM, KV) "
               "VALUES ('2345678', 'Петров', 'Москва', 'Ленина', '5', '12')");
    dir_->exec("INSERT INTO PHONE (PHONE, OFFICE, FIO, NP, UL, DOM, KV) "
               "VALUES ('2345678', 'ООО Рога', 'Иванов', 'Москва', 'Мира', '1', NULL)");
    QCOMPARE(data_->BookInfo("2345678"), QString("Петров Москва, Ленина, 5, 12"));
    QCOMPARE(data_->CityInfo("2345678"), QString("ООО Рога Иванов Москва, Мира, 1, "));
    QCOMPARE(data_->BookInfo("999"), QString());
    QCOMPARE(data_->BookInfo(""), QString());
    // A number with an apostrophe stays a literal.
    QCOMPARE(data_->BookInfo("1' OR '1'='1"), QString());
    QVERIFY(info.shown.isEmpty());
    QVERIFY(!data_->Qu.isOpen());
}

QTEST_MAIN(QueriesTest)
#include "tst_queries.moc"
