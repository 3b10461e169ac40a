#include "sql_dialect.h"

#include "text_util.h"

#include <set>
#include <stdexcept>

namespace kvo::sql {
namespace {

bool isWordStart(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool isWordChar(unsigned char c) {
    return isWordStart(c) || (c >= '0' && c <= '9') || c == '$';
}
bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

bool isWord(const Token &t, std::string_view w) {
    return t.kind == TokenKind::Word && equalsNoCase(t.text, w);
}

// Index of the next token that is not blank, from i on; tokens.size() when none.
std::size_t skipSpace(const std::vector<Token> &t, std::size_t i) {
    while (i < t.size() && t[i].kind == TokenKind::Space)
        ++i;
    return i;
}

std::string nameOf(const Token &t) {
    if (t.kind == TokenKind::QuotedName)
        return upperAscii(t.text.substr(1, t.text.size() - 2));
    return upperAscii(t.text);
}

const std::set<std::string> &clauseWords() {
    static const std::set<std::string> words = {
        "WHERE", "LEFT",    "RIGHT",  "INNER",  "OUTER",     "JOIN",   "ON",     "GROUP",
        "ORDER", "HAVING",  "UNION",  "LIMIT",  "SET",       "VALUES", "AS",     "CROSS",
        "FULL",  "NATURAL", "SELECT", "EXCEPT", "INTERSECT", "USING",  "DEFAULT"};
    return words;
}

void addTable(std::vector<std::string> &tables, const Token &t) {
    if (t.kind != TokenKind::Word && t.kind != TokenKind::QuotedName)
        return;
    std::string n = nameOf(t);
    if (clauseWords().count(n))
        return;
    for (const auto &x : tables)
        if (x == n)
            return;
    tables.push_back(n);
}

std::vector<std::string> collectTables(const std::vector<Token> &t) {
    std::vector<std::string> tables;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].kind != TokenKind::Word)
            continue;
        bool from = isWord(t[i], "FROM");
        if (!(from || isWord(t[i], "JOIN") || isWord(t[i], "INTO") || isWord(t[i], "UPDATE") ||
              isWord(t[i], "TABLE")))
            continue;
        std::size_t j = skipSpace(t, i + 1);
        while (j < t.size()) {
            addTable(tables, t[j]);
            if (!from)
                break;
            // FROM a x, b y: a list of tables with optional aliases
            std::size_t k = skipSpace(t, j + 1);
            if (k < t.size() && isWord(t[k], "AS"))
                k = skipSpace(t, k + 1);
            if (k < t.size() && (t[k].kind == TokenKind::Word) &&
                !clauseWords().count(upperAscii(t[k].text)))
                k = skipSpace(t, k + 1);
            if (k < t.size() && t[k].kind == TokenKind::Symbol && t[k].text == ",") {
                j = skipSpace(t, k + 1);
                continue;
            }
            break;
        }
    }
    return tables;
}

// Splits tokens at top-level commas.
std::vector<std::vector<Token>> splitTopLevel(const std::vector<Token> &t) {
    std::vector<std::vector<Token>> parts(1);
    int depth = 0;
    for (const auto &tok : t) {
        if (tok.kind == TokenKind::Symbol) {
            if (tok.text == "(")
                ++depth;
            else if (tok.text == ")")
                --depth;
            else if (tok.text == "," && depth == 0) {
                parts.emplace_back();
                continue;
            }
        }
        parts.back().push_back(tok);
    }
    return parts;
}

std::vector<Token> significant(const std::vector<Token> &t) {
    std::vector<Token> r;
    for (const auto &x : t)
        if (x.kind != TokenKind::Space)
            r.push_back(x);
    return r;
}

// Position of "[UNIQUE] PRIMARY KEY" in a definition, or npos.
std::size_t primaryKeyAt(const std::vector<Token> &d) {
    for (std::size_t i = 0; i + 1 < d.size(); ++i) {
        if (isWord(d[i], "PRIMARY") && isWord(d[i + 1], "KEY"))
            return (i > 0 && isWord(d[i - 1], "UNIQUE")) ? i - 1 : i;
    }
    return std::string::npos;
}

std::string quoteName(const std::string &n) {
    return "\"" + n + "\"";
}

std::string columnSql(const std::vector<Token> &d, bool &isAutoinc) {
    if (d.size() < 2 || (d[0].kind != TokenKind::Word && d[0].kind != TokenKind::QuotedName) ||
        d[1].kind != TokenKind::Word)
        throw std::invalid_argument("Invalid column definition");
    std::string name = nameOf(d[0]);
    std::string q = quoteName(name);
    std::string type = upperAscii(d[1].text);
    std::size_t rest = 2;
    std::string args;
    if (rest < d.size() && d[rest].kind == TokenKind::Symbol && d[rest].text == "(") {
        std::size_t k = rest;
        while (k < d.size() && !(d[k].kind == TokenKind::Symbol && d[k].text == ")"))
            args += d[k++].text;
        if (k >= d.size())
            throw std::invalid_argument("Unclosed type arguments for " + name);
        args += ")";
        rest = k + 1;
    }
    std::string modifiers;
    for (std::size_t k = rest; k < d.size(); ++k)
        modifiers += " " + d[k].text;

    std::string out = q + " ";
    if (type == "AUTOINC") {
        isAutoinc = true;
        return out + "INTEGER PRIMARY KEY AUTOINCREMENT" + modifiers;
    }
    if (type == "DATE")
        return out + "DATE TEXT" + modifiers + " CHECK (" + q + " IS NULL OR (typeof(" + q +
               ")='text' AND " + q + " GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]' AND " + q +
               " >= '0001-01-01' AND date(" + q + ", '+0 days') IS " + q + "))";
    if (type == "TIME")
        return out + "TIME TEXT" + modifiers + " CHECK (" + q + " IS NULL OR (typeof(" + q +
               ")='text' AND " + q + " GLOB '[0-2][0-9]:[0-5][0-9]:[0-5][0-9]' AND " + q +
               " < '24'))";
    if (type == "SMALLINT")
        return out + "SMALLINT" + modifiers + " CHECK (" + q + " IS NULL OR (typeof(" + q +
               ")='integer' AND " + q + " BETWEEN -32768 AND 32767))";
    if (type == "INTEGER" || type == "INT" || type == "LARGEINT" || type == "WORD")
        return out + "INTEGER" + modifiers + " CHECK (" + q + " IS NULL OR typeof(" + q +
               ")='integer')";
    if (type == "VARCHAR" || type == "CHAR") {
        std::string n = args.size() > 2 ? args.substr(1, args.size() - 2) : "";
        for (char c : n)
            if (!isDigit(static_cast<unsigned char>(c)))
                throw std::invalid_argument("Invalid length for " + name);
        if (n.empty())
            throw std::invalid_argument("Missing length for " + name);
        return out + "VARCHAR(" + n + ")" + modifiers + " CHECK (" + q + " IS NULL OR length(" + q +
               ") <= " + n + ")";
    }
    if (type == "MEMO")
        return out + "MEMO TEXT" + modifiers;
    if (type == "FLOAT" || type == "MONEY" || type == "NUMERIC" || type == "DECIMAL" ||
        type == "BCD")
        return out + type + args + modifiers + " CHECK (" + q + " IS NULL OR typeof(" + q +
               ") IN ('integer','real'))";
    if (type == "BOOLEAN")
        return out + "BOOLEAN" + modifiers + " CHECK (" + q + " IS NULL OR " + q + " IN (0,1))";
    return out + type + args + modifiers;
}

} // namespace

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        std::size_t j = i + 1;
        TokenKind kind;
        if (c <= ' ') {
            while (j < s.size() && static_cast<unsigned char>(s[j]) <= ' ')
                ++j;
            kind = TokenKind::Space;
        } else if (c == '\'' || c == '"') {
            // A doubled quote stays inside; an unclosed literal runs to the end.
            while (j < s.size()) {
                if (s[j] == static_cast<char>(c)) {
                    if (j + 1 < s.size() && s[j + 1] == static_cast<char>(c)) {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
            kind = c == '\'' ? TokenKind::String : TokenKind::QuotedName;
        } else if (isWordStart(c)) {
            while (j < s.size() && isWordChar(static_cast<unsigned char>(s[j])))
                ++j;
            kind = TokenKind::Word;
        } else if (isDigit(c)) {
            while (j < s.size() && (isDigit(static_cast<unsigned char>(s[j])) || s[j] == '.'))
                ++j;
            kind = TokenKind::Number;
        } else {
            if (j < s.size()) {
                std::string_view two = s.substr(i, 2);
                if (two == "<=" || two == ">=" || two == "<>" || two == "!=" || two == "||")
                    ++j;
            }
            kind = TokenKind::Symbol;
        }
        out.push_back({kind, std::string(s.substr(i, j - i))});
        i = j;
    }
    return out;
}

std::string join(const std::vector<Token> &tokens) {
    std::string r;
    for (const auto &t : tokens)
        r += t.text;
    return r;
}

std::string createTableSql(std::string_view schema, std::string_view table,
                           std::string_view columnsBody) {
    std::vector<std::vector<Token>> defs;
    for (auto &part : splitTopLevel(tokenize(columnsBody))) {
        auto d = significant(part);
        if (d.empty())
            continue;
        std::size_t pk = primaryKeyAt(d);
        if (pk != std::string::npos && pk > 0) {
            // The dialect allows a key clause without a comma before it.
            defs.emplace_back(d.begin(), d.begin() + static_cast<long>(pk));
            defs.emplace_back(d.begin() + static_cast<long>(pk), d.end());
        } else {
            defs.push_back(d);
        }
    }
    std::vector<std::string> columns;
    std::string keyClause;
    bool autoinc = false;
    for (const auto &d : defs) {
        if (primaryKeyAt(d) == 0) {
            std::string cols;
            for (const auto &t : d)
                if (t.kind == TokenKind::Word || t.kind == TokenKind::QuotedName)
                    if (!isWord(t, "UNIQUE") && !isWord(t, "PRIMARY") && !isWord(t, "KEY"))
                        cols += (cols.empty() ? "" : ", ") + quoteName(nameOf(t));
            if (cols.empty())
                throw std::invalid_argument("Empty primary key");
            keyClause = "PRIMARY KEY (" + cols + ")";
            continue;
        }
        columns.push_back(columnSql(d, autoinc));
    }
    if (columns.empty())
        throw std::invalid_argument("A table needs columns");
    std::string sql = "CREATE TABLE " + quoteName(std::string(schema)) + "." +
                      quoteName(std::string(table)) + " (";
    for (std::size_t i = 0; i < columns.size(); ++i)
        sql += (i ? ", " : "") + columns[i];
    // An AUTOINC column already is the key.
    if (!keyClause.empty() && !autoinc)
        sql += ", " + keyClause;
    return sql + ")";
}

Translation translate(std::string_view text, const TimeColumnTest &isTimeColumn) {
    Translation r;
    auto tokens = tokenize(text);
    std::size_t a = skipSpace(tokens, 0);
    std::size_t b = a < tokens.size() ? skipSpace(tokens, a + 1) : tokens.size();
    std::size_t n = b < tokens.size() ? skipSpace(tokens, b + 1) : tokens.size();
    if (n < tokens.size() && isWord(tokens[b], "TABLE") &&
        (isWord(tokens[a], "CREATE") || isWord(tokens[a], "DROP"))) {
        r.table = nameOf(tokens[n]);
        r.tables = {r.table};
        if (isWord(tokens[a], "DROP")) {
            // Anything after the name would be silently dropped: refuse it instead.
            std::size_t rest = skipSpace(tokens, n + 1);
            if (rest < tokens.size() &&
                !(tokens[rest].text == ";" && skipSpace(tokens, rest + 1) == tokens.size()))
                throw std::invalid_argument("DROP TABLE takes one table name");
            r.kind = StatementKind::DropTable;
            return r;
        }
        r.kind = StatementKind::CreateTable;
        std::size_t open = skipSpace(tokens, n + 1);
        if (open >= tokens.size() || tokens[open].text != "(")
            throw std::invalid_argument("CREATE TABLE needs a column list");
        int depth = 0;
        std::size_t close = open;
        for (; close < tokens.size(); ++close) {
            if (tokens[close].kind != TokenKind::Symbol)
                continue;
            if (tokens[close].text == "(")
                ++depth;
            else if (tokens[close].text == ")" && --depth == 0)
                break;
        }
        if (close >= tokens.size())
            throw std::invalid_argument("CREATE TABLE column list is not closed");
        std::vector<Token> body(tokens.begin() + static_cast<long>(open) + 1,
                                tokens.begin() + static_cast<long>(close));
        r.sql = createTableSql(r.table, r.table, join(body));
        return r;
    }

    for (std::size_t i = 0; i < tokens.size(); ++i) {
        Token &t = tokens[i];
        if (t.kind != TokenKind::Word)
            continue;
        if (isWord(t, "ASCENDING")) {
            t.text = "ASC";
        } else if (isWord(t, "DESCENDING")) {
            t.text = "DESC";
        } else if (isWord(t, "SUM") && isTimeColumn) {
            // SUM ( [alias .] column )
            std::size_t p = skipSpace(tokens, i + 1);
            if (p >= tokens.size() || tokens[p].text != "(")
                continue;
            std::size_t c = skipSpace(tokens, p + 1);
            std::size_t after = c < tokens.size() ? skipSpace(tokens, c + 1) : c;
            if (after < tokens.size() && tokens[after].text == ".") {
                c = skipSpace(tokens, after + 1);
                after = c < tokens.size() ? skipSpace(tokens, c + 1) : c;
            }
            if (c < tokens.size() && after < tokens.size() && tokens[after].text == ")" &&
                (tokens[c].kind == TokenKind::Word || tokens[c].kind == TokenKind::QuotedName) &&
                isTimeColumn(nameOf(tokens[c])))
                t.text = "KVO_SUM_TIME";
        }
    }
    r.tables = collectTables(tokens);
    r.sql = join(tokens);
    return r;
}

} // namespace kvo::sql
