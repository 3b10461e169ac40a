#include "database.h"

#include "sql_dialect.h"
#include "text_util.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace kvo {

struct Attached {
    std::string name;
    unsigned long long lastUse = 0;
    int openCursors = 0;
};

struct DatabaseImpl {
    sqlite3 *db = nullptr;
    std::string base;
    std::vector<Attached> attached;
    std::set<std::string> timeColumns; // TIME columns of the attached tables
    unsigned long long clock = 0;

    ~DatabaseImpl() {
        if (db)
            sqlite3_close_v2(db);
    }

    [[noreturn]] void fail(const std::string &context = {}) const {
        std::string msg = db ? sqlite3_errmsg(db) : "database not open";
        if (!context.empty())
            msg += " (" + context + ")";
        if (::access(base.c_str(), W_OK) != 0)
            msg += " [database folder is not writable: " + base + "]";
        throw DbError(msg);
    }

    void run(const std::string &sql) {
        char *err = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::string msg = err ? err : sqlite3_errmsg(db);
            sqlite3_free(err);
            throw DbError(msg);
        }
    }

    Attached *find(const std::string &name) {
        for (auto &a : attached)
            if (a.name == name)
                return &a;
        return nullptr;
    }

    std::string fileFor(std::string_view table) const {
        std::string upper = upperAscii(table);
        std::string path = base + upper + ".DAT";
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0)
            return path;
        // Files copied from elsewhere may carry another letter case.
        if (DIR *dir = ::opendir(base.c_str())) {
            while (dirent *e = ::readdir(dir)) {
                if (equalsNoCase(e->d_name, upper + ".DAT")) {
                    path = base + e->d_name;
                    ::closedir(dir);
                    return path;
                }
            }
            ::closedir(dir);
        }
        return {};
    }

    void loadTimeColumns(const std::string &name) {
        sqlite3_stmt *st = nullptr;
        std::string sql = "PRAGMA \"" + name + "\".table_info(\"" + name + "\")";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            return;
        while (sqlite3_step(st) == SQLITE_ROW) {
            auto type = reinterpret_cast<const char *>(sqlite3_column_text(st, 2));
            auto col = reinterpret_cast<const char *>(sqlite3_column_text(st, 1));
            if (type && col && upperAscii(type).rfind("TIME", 0) == 0)
                timeColumns.insert(upperAscii(col));
        }
        sqlite3_finalize(st);
    }

    // Frees one attach slot, sparing the tables the statement needs and those in use.
    void makeRoom(const std::vector<std::string> &needed) {
        while (attached.size() >= static_cast<std::size_t>(Database::kMaxAttached)) {
            Attached *victim = nullptr;
            for (auto &a : attached) {
                if (a.openCursors > 0 ||
                    std::find(needed.begin(), needed.end(), a.name) != needed.end())
                    continue;
                if (!victim || a.lastUse < victim->lastUse)
                    victim = &a;
            }
            if (!victim)
                throw DbError("Too many tables in use at once");
            detach(victim->name);
        }
    }

    void detach(const std::string &name) {
        run("DETACH DATABASE \"" + name + "\"");
        attached.erase(std::remove_if(attached.begin(), attached.end(),
                                      [&](const Attached &a) { return a.name == name; }),
                       attached.end());
    }

    void attach(const std::string &name, const std::string &path) {
        std::string lit;
        for (char c : path)
            lit += c == '\'' ? std::string("''") : std::string(1, c);
        run("ATTACH DATABASE '" + lit + "' AS \"" + name + "\"");
        attached.push_back({name, ++clock, 0});
        try {
            run("PRAGMA \"" + name + "\".journal_mode=WAL");
            run("PRAGMA \"" + name + "\".synchronous=FULL");
        } catch (...) {
            // A file that cannot even be read must not stay attached.
            try {
                detach(name);
            } catch (...) {
            }
            throw;
        }
        loadTimeColumns(name);
    }

    void ensureAttached(const std::vector<std::string> &tables) {
        for (const auto &t : tables) {
            if (Attached *a = find(t)) {
                a->lastUse = ++clock;
                continue;
            }
            std::string path = fileFor(t);
            if (path.empty())
                continue; // the engine reports the missing table itself
            makeRoom(tables);
            attach(t, path);
        }
    }

    // Steps a statement; lock waits are the busy handler's, a stale WAL snapshot is retried.
    int step(sqlite3_stmt *st) {
        for (int attempt = 0;; ++attempt) {
            int rc = sqlite3_step(st);
            if ((rc == SQLITE_BUSY_SNAPSHOT || rc == SQLITE_BUSY_RECOVERY) &&
                attempt < Database::kLockRetries) {
                sqlite3_reset(st);
                std::this_thread::sleep_for(std::chrono::milliseconds(Database::kLockRetryMs));
                continue;
            }
            return rc;
        }
    }
};

namespace {

int busyHandler(void *, int count) {
    if (count >= Database::kLockRetries)
        return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(Database::kLockRetryMs));
    return 1;
}

// SUM over a TIME column: seconds added up, shown as hh:mm:ss with hours past 24 if need be.
struct TimeSum {
    long long seconds;
    bool any;
};

void sumTimeStep(sqlite3_context *ctx, int, sqlite3_value **argv) {
    auto *acc = static_cast<TimeSum *>(sqlite3_aggregate_context(ctx, sizeof(TimeSum)));
    if (!acc || sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return;
    auto text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    long long h = 0, m = 0, s = 0;
    if (text && std::sscanf(text, "%lld:%lld:%lld", &h, &m, &s) == 3) {
        acc->seconds += h * 3600 + m * 60 + s;
        acc->any = true;
    }
}

void sumTimeFinal(sqlite3_context *ctx) {
    auto *acc = static_cast<TimeSum *>(sqlite3_aggregate_context(ctx, 0));
    if (!acc || !acc->any) {
        sqlite3_result_null(ctx);
        return;
    }
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", acc->seconds / 3600,
                  (acc->seconds / 60) % 60, acc->seconds % 60);
    sqlite3_result_text(ctx, buf, -1, SQLITE_TRANSIENT);
}

bool isCallTable(const std::string &name) {
    return name.rfind("DIAL", 0) == 0;
}

bool looksLikeStoredDate(std::string_view s) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-')
        return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (s[i] < '0' || s[i] > '9')
            return false;
    return true;
}

} // namespace

std::string displayDate(std::string_view s) {
    if (!looksLikeStoredDate(s))
        return std::string(s);
    return std::string(s.substr(8, 2)) + "." + std::string(s.substr(5, 2)) + "." +
           std::string(s.substr(0, 4));
}

Database::Database(std::string baseDir) : d_(std::make_shared<DatabaseImpl>()) {
    if (!baseDir.empty() && baseDir.back() != '/')
        baseDir += '/';
    d_->base = baseDir;
    struct stat st {};
    if (::stat(baseDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw DbError("Database folder not found: " + baseDir);
    if (sqlite3_open_v2(":memory:", &d_->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        d_->fail("open");
    sqlite3_extended_result_codes(d_->db, 1);
    sqlite3_busy_handler(d_->db, busyHandler, nullptr);
    sqlite3_create_function_v2(d_->db, "KVO_SUM_TIME", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                               nullptr, nullptr, sumTimeStep, sumTimeFinal, nullptr);
}

Database::~Database() = default;

const std::string &Database::baseDir() const {
    return d_->base;
}

int Database::exec(std::string_view text) {
    sql::Translation t;
    try {
        t = sql::translate(
            text, [this](std::string_view c) { return d_->timeColumns.count(std::string(c)) > 0; });
    } catch (const std::invalid_argument &e) {
        throw DbError(e.what());
    }
    if (t.kind == sql::StatementKind::CreateTable) {
        std::string path = d_->base + t.table + ".DAT";
        if (!d_->fileFor(t.table).empty())
            throw DbError("Table " + t.table + " already exists");
        d_->makeRoom({});
        d_->attach(t.table, path);
        try {
            d_->run(t.sql);
            if (isCallTable(t.table)) {
                d_->run("CREATE INDEX \"" + t.table + "\".\"" + t.table + "_DAT_RING\" ON \"" +
                        t.table + "\" (\"DAT_RING\")");
                d_->run("CREATE INDEX \"" + t.table + "\".\"" + t.table + "_EXT\" ON \"" + t.table +
                        "\" (\"EXT\")");
            }
            d_->loadTimeColumns(t.table);
        } catch (...) {
            try {
                d_->detach(t.table);
            } catch (...) {
            }
            for (const char *suffix : {"", "-wal", "-shm"})
                ::unlink((path + suffix).c_str());
            throw;
        }
        return 0;
    }
    if (t.kind == sql::StatementKind::DropTable) {
        std::string path = d_->fileFor(t.table);
        if (path.empty())
            throw DbError("Table " + t.table + " does not exist");
        if (Attached *a = d_->find(t.table)) {
            if (a->openCursors > 0)
                throw DbError("Table " + t.table + " is in use");
            d_->detach(t.table);
        }
        if (::unlink(path.c_str()) != 0)
            throw DbError("Cannot delete " + path);
        ::unlink((path + "-wal").c_str());
        ::unlink((path + "-shm").c_str());
        return 0;
    }
    d_->ensureAttached(t.tables);
    int changes = 0;
    const char *tail = t.sql.c_str();
    while (tail && *tail) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(d_->db, tail, -1, &st, &tail) != SQLITE_OK)
            d_->fail();
        if (!st)
            break; // only blanks were left
        int rc;
        while ((rc = d_->step(st)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            std::string msg = sqlite3_errmsg(d_->db);
            sqlite3_finalize(st);
            throw DbError(msg);
        }
        changes += sqlite3_changes(d_->db);
        sqlite3_finalize(st);
    }
    return changes;
}

std::unique_ptr<Cursor> Database::query(std::string_view text) {
    sql::Translation t;
    try {
        t = sql::translate(
            text, [this](std::string_view c) { return d_->timeColumns.count(std::string(c)) > 0; });
    } catch (const std::invalid_argument &e) {
        throw DbError(e.what());
    }
    if (t.kind != sql::StatementKind::Other)
        throw DbError("Not a query");
    d_->ensureAttached(t.tables);
    // The time columns are known only once the tables are attached.
    t = sql::translate(
        text, [this](std::string_view c) { return d_->timeColumns.count(std::string(c)) > 0; });
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(d_->db, t.sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        d_->fail();
    if (!st)
        throw DbError("Empty statement");
    return std::unique_ptr<Cursor>(new Cursor(d_, st, t.tables));
}

std::vector<std::vector<std::string>> Database::queryAll(std::string_view sql) {
    auto c = query(sql);
    std::vector<std::vector<std::string>> rows;
    while (c->next()) {
        std::vector<std::string> row;
        for (int i = 0; i < c->columnCount(); ++i)
            row.push_back(c->text(i));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string Database::queryValue(std::string_view sql, std::string_view def) {
    auto c = query(sql);
    if (c->next() && c->columnCount() > 0)
        return c->text(0);
    return std::string(def);
}

std::vector<std::string> Database::tableNames() const {
    std::vector<std::string> names;
    if (DIR *dir = ::opendir(d_->base.c_str())) {
        while (dirent *e = ::readdir(dir)) {
            std::string n = e->d_name;
            if (n.size() > 4 && equalsNoCase(n.substr(n.size() - 4), ".DAT"))
                names.push_back(upperAscii(n.substr(0, n.size() - 4)));
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool Database::tableExists(std::string_view name) const {
    return !d_->fileFor(name).empty();
}

std::string Database::tableFile(std::string_view name) const {
    std::string f = d_->fileFor(name);
    return f.empty() ? d_->base + upperAscii(name) + ".DAT" : f;
}

std::vector<std::string> Database::attachedTables() const {
    std::vector<std::string> r;
    for (const auto &a : d_->attached)
        r.push_back(a.name);
    return r;
}

// ---------------------------------------------------------------------------------------------

Cursor::Cursor(std::shared_ptr<DatabaseImpl> db, void *stmt, std::vector<std::string> tables)
    : db_(std::move(db)), stmt_(stmt), tables_(std::move(tables)) {
    for (const auto &t : tables_)
        if (Attached *a = db_->find(t))
            ++a->openCursors;
}

Cursor::~Cursor() {
    sqlite3_finalize(static_cast<sqlite3_stmt *>(stmt_));
    for (const auto &t : tables_)
        if (Attached *a = db_->find(t))
            --a->openCursors;
}

int Cursor::columnCount() const {
    return sqlite3_column_count(static_cast<sqlite3_stmt *>(stmt_));
}

std::string Cursor::columnName(int col) const {
    const char *n = sqlite3_column_name(static_cast<sqlite3_stmt *>(stmt_), col);
    return n ? n : "";
}

ColumnKind Cursor::columnKind(int col) const {
    auto *st = static_cast<sqlite3_stmt *>(stmt_);
    if (const char *decl = sqlite3_column_decltype(st, col)) {
        std::string d = upperAscii(decl);
        if (d.rfind("DATE", 0) == 0)
            return ColumnKind::Date;
        if (d.rfind("TIME", 0) == 0)
            return ColumnKind::Time;
    }
    switch (sqlite3_column_type(st, col)) {
    case SQLITE_INTEGER:
        return ColumnKind::Integer;
    case SQLITE_FLOAT:
        return ColumnKind::Real;
    case SQLITE_NULL:
        return ColumnKind::Null;
    default:
        return ColumnKind::Text;
    }
}

bool Cursor::next() {
    int rc = db_->step(static_cast<sqlite3_stmt *>(stmt_));
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    db_->fail();
}

std::string Cursor::rawText(int col) const {
    auto t = reinterpret_cast<const char *>(
        sqlite3_column_text(static_cast<sqlite3_stmt *>(stmt_), col));
    return t ? t : "";
}

std::string Cursor::text(int col) const {
    std::string raw = rawText(col);
    auto *st = static_cast<sqlite3_stmt *>(stmt_);
    const char *decl = sqlite3_column_decltype(st, col);
    if (decl ? upperAscii(decl).rfind("DATE", 0) == 0 : true)
        return displayDate(raw); // expressions over dates (MAX(DAT_RING)) read as dates too
    return raw;
}

bool Cursor::isNull(int col) const {
    return sqlite3_column_type(static_cast<sqlite3_stmt *>(stmt_), col) == SQLITE_NULL;
}

long long Cursor::integer(int col) const {
    return sqlite3_column_int64(static_cast<sqlite3_stmt *>(stmt_), col);
}

double Cursor::real(int col) const {
    return sqlite3_column_double(static_cast<sqlite3_stmt *>(stmt_), col);
}

} // namespace kvo
