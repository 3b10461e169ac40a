#pragma once
// The database engine: one SQLite file per table (Base/<TABLE>.DAT), attached on demand under
// the table's own name, statements translated from the system's dialect in one place.
// Shared by the capture library and the administrator program.
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kvo {

// A statement or connection failure; what() carries the engine's message.
class DbError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ColumnKind { Integer, Real, Text, Date, Time, Null };

class Cursor;
struct DatabaseImpl;

class Database {
public:
    static constexpr int kLockRetries = 15;
    static constexpr int kLockRetryMs = 100;
    static constexpr int kMaxAttached = 10;

    // baseDir: the database folder. Throws DbError when it is missing or not a folder.
    explicit Database(std::string baseDir);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    const std::string &baseDir() const;

    // Runs a statement (dialect text, UTF-8). Returns the number of rows it changed.
    // CREATE TABLE makes Base/<NAME>.DAT; DROP TABLE detaches and deletes it.
    int exec(std::string_view sql);
    // Opens a result; the rows are read as the cursor moves.
    std::unique_ptr<Cursor> query(std::string_view sql);
    // All rows of a result in display form (convenience for small results).
    std::vector<std::vector<std::string>> queryAll(std::string_view sql);
    // The first column of the first row, or def when there is none.
    std::string queryValue(std::string_view sql, std::string_view def = "");

    // Tables by their files in the database folder (upper-case names, sorted).
    std::vector<std::string> tableNames() const;
    bool tableExists(std::string_view name) const;
    // Path of the file that holds a table.
    std::string tableFile(std::string_view name) const;
    // Names of the tables attached right now (for tests of the attach limit).
    std::vector<std::string> attachedTables() const;

private:
    std::shared_ptr<DatabaseImpl> d_;
    friend class Cursor;
};

class Cursor {
public:
    ~Cursor();
    int columnCount() const;
    std::string columnName(int col) const;
    ColumnKind columnKind(int col) const;
    // Moves to the next row; false after the last. Throws DbError.
    bool next();
    // Display form of the current row's value: dates dd.mm.yyyy, times hh:mm:ss, NULL "".
    std::string text(int col) const;
    // The stored form: dates yyyy-mm-dd.
    std::string rawText(int col) const;
    bool isNull(int col) const;
    long long integer(int col) const;
    double real(int col) const;

private:
    friend class Database;
    Cursor(std::shared_ptr<DatabaseImpl> db, void *stmt, std::vector<std::string> tables);
    std::shared_ptr<DatabaseImpl> db_;
    void *stmt_;
    std::vector<std::string> tables_;
};

// 'yyyy-mm-dd' -> "dd.mm.yyyy"; other text unchanged.
std::string displayDate(std::string_view stored);

} // namespace kvo
