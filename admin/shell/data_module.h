#pragma once
// The database objects of the administrator program: the one connection, the seven query
// objects every window shares, and the statement runners that report failures the same way.
#include <QObject>

#include "query.h"

namespace kvo::admin {

class DataModule : public QObject {
    Q_OBJECT
public:
    DataModule();
    ~DataModule() override;

    // The module created last and still alive (the main window's).
    static DataModule *instance();

    DbConnection Base1;
    Query Qu;     // scratch statements, look-ups, drop-down fillings
    Query QuS;    // tariff zones, error journal, city directory, pricing look-ups
    Query QuD;    // call records
    Query QuExt;  // internal subscribers
    Query QuCo;   // external lines
    Query QuBook; // phone book
    Query QuCntr; // carriers

    bool connected() const { return Base1.connected(); }
    // Opens the database on the program's base folder. Throws kvo::DbError.
    void connectBase();
    void disconnectBase();

    // Open / execute / reopen; a failing statement is logged and shown, the result says so.
    bool QueryOpen(Query &q);
    bool QueryExec();
    void QueryReopen(Query &q);
    // MAX(...) + 1 as text ("1" over an empty table), "" when the statement failed.
    QString NextNumber(const QString &sql);
    // True when the count is above 0, or the statement failed. Qu stays open.
    bool CountPositive(const QString &sql);
    // CountPositive, with a notice when the value is not unique.
    bool CheckUnique(const QString &sql);
    QString BookInfo(const QString &number);
    QString CityInfo(const QString &number);

    // The failure report of the runners: an Error.log entry, then the notice.
    static void reportFailure(const QString &message, const QString &statement);

private:
    QList<Query *> queries();
};

// The current data module; there is always one while the main window lives.
DataModule &dm();

} // namespace kvo::admin
