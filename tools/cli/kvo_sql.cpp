// kvo-sql BASEDIR STATEMENT: runs one statement on a database folder and prints its rows,
// fields separated by "|".
#include "database.h"

#include <cstdio>

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kvo-sql BASEDIR STATEMENT\n");
        return 2;
    }
    try {
        kvo::Database db(argv[1]);
        std::string sql = argv[2];
        std::size_t first = sql.find_first_not_of(" \t\r\n");
        bool select = first != std::string::npos && (sql.compare(first, 6, "SELECT") == 0 ||
                                                     sql.compare(first, 6, "select") == 0);
        if (!select) {
            std::printf("%d rows changed\n", db.exec(sql));
            return 0;
        }
        auto c = db.query(sql);
        while (c->next()) {
            for (int i = 0; i < c->columnCount(); ++i)
                std::printf("%s%s", i ? "|" : "", c->text(i).c_str());
            std::printf("\n");
        }
    } catch (const kvo::DbError &e) {
        std::fprintf(stderr, "kvo-sql: %s\n", e.what());
        return 1;
    }
    return 0;
}
