#include "data_module.h"

#include "database.h"
#include "program_state.h"
#include "routines.h"
#include "tfinfo.h"

#include <QPointer>

namespace kvo::admin {

namespace {
QPointer<DataModule> current;
}

DataModule::DataModule()
    : Qu(Base1, QStringLiteral("Qu")), QuS(Base1, QStringLiteral("QuS")),
      QuD(Base1, QStringLiteral("QuD")), QuExt(Base1, QStringLiteral("QuExt")),
      QuCo(Base1, QStringLiteral("QuCo")), QuBook(Base1, QStringLiteral("QuBook")),
      QuCntr(Base1, QStringLiteral("QuCntr")) {
    QuD.SQL = {QStringLiteral("SELECT D.AVT, D.DAT_RING, D.TIM_RING, D.EXT, E.NAME, D.CO, D.DIAL, "
                              "D.DURATION, D.CD"),
               QStringLiteral("FROM DIAL D LEFT JOIN EXT E"), QStringLiteral("ON D.EXT=E.EXT")};
    current = this;
}

DataModule::~DataModule() {
    for (Query *q : queries())
        q->close();
}

DataModule *DataModule::instance() {
    return current.data();
}

DataModule &dm() {
    if (!current)
        current = new DataModule; // a program without main window (tests, tools) gets one
    return *current;
}

QList<Query *> DataModule::queries() {
    return {&Qu, &QuS, &QuD, &QuExt, &QuCo, &QuBook, &QuCntr};
}

void DataModule::connectBase() {
    Base1.open(program().baseDir);
}

void DataModule::disconnectBase() {
    for (Query *q : queries())
        q->close();
    Base1.close();
}

void DataModule::reportFailure(const QString &message, const QString &statement) {
    try {
        writeErrorLog(message + QStringLiteral("\r\n") + statement);
    } catch (const std::exception &e) {
        // Without a log the failure to log is what the user gets to see.
        showAppError(QString::fromStdString(e.what()));
        return;
    }
    showInfo(QStringLiteral("Внимание"),
             QStringLiteral("Ошибка выполнения запроса! Отправьте Error.log разработчику."),
             InfoModalNotice);
}

bool DataModule::QueryOpen(Query &q) {
    try {
        q.open();
        return true;
    } catch (const kvo::DbError &e) {
        reportFailure(QString::fromStdString(e.what()), q.text());
        return false;
    }
}

bool DataModule::QueryExec() {
    try {
        Qu.exec();
        return true;
    } catch (const kvo::DbError &e) {
        reportFailure(QString::fromStdString(e.what()), Qu.text());
        return false;
    }
}

void DataModule::QueryReopen(Query &q) {
    q.close();
    QueryOpen(q);
}

QString DataModule::NextNumber(const QString &sql) {
    Qu.close();
    Qu.SQL = sql.split(QLatin1Char('\n'));
    if (!QueryOpen(Qu))
        return {};
    const long long max = Qu.value(0, 0).toLongLong(); // NULL and no row read as 0
    Qu.close();
    return QString::number(max + 1);
}

bool DataModule::CountPositive(const QString &sql) {
    Qu.close();
    Qu.SQL = sql.split(QLatin1Char('\n'));
    if (!QueryOpen(Qu))
        return true;
    return Qu.value(0, 0).toLongLong() > 0;
}

bool DataModule::CheckUnique(const QString &sql) {
    Qu.close();
    Qu.SQL = sql.split(QLatin1Char('\n'));
    if (!QueryOpen(Qu))
        return true;
    if (Qu.value(0, 0).toLongLong() > 0) {
        showInfo(QStringLiteral("Внимание"), QStringLiteral("Не уникальное значение поля!"),
                 InfoModalNotice);
        return true;
    }
    return false;
}

namespace {

QString joinParts(const Query &q, std::initializer_list<std::pair<const char *, const char *>> p) {
    QString r;
    for (const auto &[field, after] : p)
        r += q.FieldStr(QLatin1String(field)) + QString::fromUtf8(after);
    return r;
}

} // namespace

QString DataModule::BookInfo(const QString &number) {
    Qu.close();
    Qu.SQL = {QStringLiteral("SELECT * FROM BOOK"),
              QStringLiteral("WHERE DIAL=") + sqlText(number)};
    QString r;
    if (QueryOpen(Qu) && !Qu.value(0, 0).isEmpty())
        r = joinParts(Qu, {{"FIO", " "}, {"NP", ", "}, {"UL", ", "}, {"DOM", ", "}, {"KV", ""}});
    Qu.close();
    return r;
}

QString DataModule::CityInfo(const QString &number) {
    Qu.close();
    Qu.SQL = {QStringLiteral("SELECT * FROM PHONE"),
              QStringLiteral("WHERE PHONE=") + sqlText(number)};
    QString r;
    if (QueryOpen(Qu) && !Qu.value(0, 0).isEmpty())
        r = joinParts(
            Qu,
            {{"OFFICE", " "}, {"FIO", " "}, {"NP", ", "}, {"UL", ", "}, {"DOM", ", "}, {"KV", ""}});
    Qu.close();
    return r;
}

} // namespace kvo::admin
