#pragma once
// Query objects of the administrator program: statement text as lines, opened on the one
// connection, rows read from the engine only as far as somebody needs them.
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kvo {
class Database;
class Cursor;
} // namespace kvo

namespace kvo::admin {

// The database of the program: connected while a kvo::Database is open on the base folder.
class DbConnection {
public:
    bool connected() const { return db_ != nullptr; }
    // Throws kvo::DbError (a missing folder included).
    void open(const QString &baseDir);
    void close();
    // Throws kvo::DbError when not connected.
    kvo::Database &database();

private:
    std::unique_ptr<kvo::Database> db_;
};

class Query : public QObject {
    Q_OBJECT
public:
    static constexpr int kFetchBatch = 256;

    Query(DbConnection &connection, const QString &name);
    ~Query() override;

    // The statement, one entry per line.
    QStringList SQL;
    QString text() const { return SQL.join(QLatin1Char('\n')); }
    void setSql(const QStringList &lines) { SQL = lines; }

    // Opens the result (closing a previous one) and reads its first rows. Throws kvo::DbError.
    void open();
    // Runs the statement without a result; returns the rows changed. Throws kvo::DbError.
    int exec();
    void close();
    bool isOpen() const { return cursor_ != nullptr || open_; }

    int fieldCount() const { return static_cast<int>(fields_.size()); }
    QString fieldName(int col) const;
    int fieldIndex(const QString &name) const; // -1 when absent; letter case ignored

    // Rows read so far, and whether the engine has more.
    int fetchedRows() const { return static_cast<int>(rowStart_.size()); }
    bool atEnd() const { return cursor_ == nullptr; }
    // Reads up to n more rows; returns how many came. Throws kvo::DbError.
    int fetchMore(int n = kFetchBatch);
    // Reads the whole result and returns its size. A row that cannot be read ends the result
    // there and is reported as a failing statement.
    int recordCount();

    int currentRow() const { return current_; }
    // Moves to a row (reading up to it, failures as in recordCount); false when the result has
    // no such row.
    bool setCurrentRow(int row);
    bool isEmpty() const { return rowStart_.empty(); }

    // Display text of a value of a row read already ("" for NULL).
    QString value(int row, int col) const;
    // The named field of the current row; empty for NULL, an unknown field or no row.
    QString FieldStr(const QString &name) const;

signals:
    void aboutToReset();
    void reset();
    void rowsAboutToBeAppended(int first, int last);
    void rowsAppended();
    void currentRowChanged(int row);

private:
    int fetchReported(int n);
    void dropResult();
    bool readRow(std::string &into);

    DbConnection &conn_;
    std::unique_ptr<kvo::Cursor> cursor_;
    bool open_ = false;
    std::vector<QString> fields_;
    // Rows packed one after another, each value ended by a zero byte: a million rows of calls
    // fit in well under a hundred megabytes.
    std::string data_;
    std::vector<std::uint64_t> rowStart_;
    int current_ = -1;
};

} // namespace kvo::admin
