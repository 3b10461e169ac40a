// A call grid over 1,000,000 rows: time until the first rows are drawn, and the memory the
// process holds then and after the whole result has been scrolled through.
#include "data_module.h"
#include "database.h"
#include "program_state.h"
#include "query_model.h"
#include "schema.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>

namespace {

long statusKb(const char *key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(static_cast<int>(qstrlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

bool fillCalls(const QString &file, int rows) {
    sqlite3 *db = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    const QByteArray sql =
        QStringLiteral("PRAGMA synchronous=OFF;"
                       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<%1) "
                       "INSERT INTO DIAL (DAT_RING, TIM_RING, EXT, CO, DIAL, DURATION, CD) "
                       "SELECT date('2024-01-01', '+' || (i % 360) || ' days'), "
                       "printf('%02d:%02d:%02d', i % 24, i % 60, (i * 7) % 60), 100 + i % 50, "
                       "printf('%02d', i % 8), '8916' || (1000000 + i), printf('00:%02d:%02d', i % "
                       "60, i % 60), "
                       "CASE WHEN i % 3 = 0 THEN 'NA' END FROM n;")
            .arg(rows)
            .toUtf8();
    char *err = nullptr;
    const bool ok = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &err) == SQLITE_OK;
    if (!ok)
        std::fprintf(stderr, "fill: %s\n", err ? err : "?");
    sqlite3_free(err);
    sqlite3_close(db);
    return ok;
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;

    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("Base"));
    QDir(dir.path()).mkpath(QStringLiteral("Temp"));
    {
        kvo::Database db((dir.path() + QStringLiteral("/Base")).toStdString());
        kvo::createInstallationTables(db);
        db.exec("INSERT INTO EXT (EXT, NAME) VALUES (101, 'Бухгалтерия')");
    }
    QElapsedTimer fill;
    fill.start();
    if (!fillCalls(dir.path() + QStringLiteral("/Base/DIAL.DAT"), rows))
        return 1;
    std::printf("filled %d calls in %lld ms\n", rows, static_cast<long long>(fill.elapsed()));

    qputenv("KVO_PROGRAM_DIR", dir.path().toLocal8Bit());
    kvo::admin::initProgramState();
    kvo::admin::DataModule data;
    data.connectBase();
    kvo::admin::QueryGrid grid;
    grid.bind(&data.QuD);
    grid.resize(1000, 700);
    grid.show();
    app.processEvents();
    const long rssBefore = statusKb("VmRSS:");

    // The search window's statement: every call with its subscriber, newest first.
    data.QuD.SQL.append(QStringLiteral("ORDER BY D.AVT DESCENDING"));
    QElapsedTimer t;
    t.start();
    if (!data.QueryOpen(data.QuD))
        return 1;
    grid.grab(); // the first rows drawn
    const qint64 firstRows = t.elapsed();
    const long rssFirst = statusKb("VmRSS:");
    std::printf("first rows shown: %lld ms (%d rows read), RSS %ld KB (before open %ld KB)\n",
                static_cast<long long>(firstRows), data.QuD.fetchedRows(), rssFirst, rssBefore);

    // Scroll to the end as a user dragging the scroll bar would, page after page of reads.
    t.restart();
    while (grid.model()->canFetchMore({})) {
        grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
        app.processEvents();
    }
    grid.grab();
    std::printf("scrolled through %d rows: %lld ms, RSS %ld KB, peak RSS %ld KB\n",
                grid.model()->rowCount(), static_cast<long long>(t.elapsed()), statusKb("VmRSS:"),
                statusKb("VmHWM:"));
    const bool ok = firstRows < 500 && statusKb("VmHWM:") < 300 * 1024;
    std::printf("%s (targets: first rows within 500 ms, under 300 MB)\n", ok ? "OK" : "MISSED");
    return ok ? 0 : 1;
}
