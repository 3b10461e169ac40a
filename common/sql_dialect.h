#pragma once
// The one place where statements written in the system's dialect become SQLite statements.
// Nothing inside a quoted literal is ever changed.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kvo::sql {

enum class TokenKind { Word, Number, String, QuotedName, Symbol, Space };

struct Token {
    TokenKind kind;
    std::string text;
};

// Splits a statement into tokens; literals ('...' with '' inside) and "names" stay whole.
std::vector<Token> tokenize(std::string_view sql);
std::string join(const std::vector<Token> &tokens);

enum class StatementKind { Other, CreateTable, DropTable };

struct Translation {
    StatementKind kind = StatementKind::Other;
    std::string table;               // for create/drop: the table name, upper case
    std::string sql;                 // SQLite text (for CreateTable: a CREATE TABLE schema.table)
    std::vector<std::string> tables; // tables the statement names (upper case)
};

// Tells whether a column name (upper case, without alias prefix) holds a TIME value.
using TimeColumnTest = std::function<bool(std::string_view column)>;

// ASCENDING/DESCENDING -> ASC/DESC; SUM over a TIME column -> KVO_SUM_TIME; CREATE TABLE with
// AUTOINC, DATE, TIME, SMALLINT, VARCHAR(n) -> typed columns with CHECK constraints; collects
// the tables a statement names after FROM, JOIN, INTO, UPDATE and TABLE.
// Throws std::invalid_argument for a CREATE TABLE it cannot read.
Translation translate(std::string_view sql, const TimeColumnTest &isTimeColumn);

// Column definitions of a CREATE TABLE translated to SQLite, e.g. "AVT INTEGER PRIMARY KEY ...".
std::string createTableSql(std::string_view schema, std::string_view table,
                           std::string_view columnsBody);

} // namespace kvo::sql
