#pragma once
// A fresh program directory (made by the installer when it is built) and an answerer for the
// message windows, so that no test waits for a person.
#include "database.h"
#include "program_state.h"
#include "schema.h"
#include "tfinfo.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <utility>

namespace kvo::admintest {

class ProgramDir {
public:
    ProgramDir() {
        path_ = dir_.path() + QLatin1Char('/');
#ifdef KVO_INSTALL
        QProcess p;
        auto env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("KVO_PROGRAM_DIR"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KVO_INSTALL), {dir_.path()});
        ok_ = p.waitForFinished(60000) && p.exitCode() == 0;
#else
        QDir(path_).mkpath(QStringLiteral("Base"));
        QDir(path_).mkpath(QStringLiteral("Temp"));
        kvo::Database db((path_ + QStringLiteral("Base")).toStdString());
        kvo::createInstallationTables(db);
        QFile ini(path_ + QStringLiteral("Kvo_main.ini"));
        ok_ = ini.open(QIODevice::WriteOnly) && ini.write("[MAIN]\r\nActive=DIAL\r\n") > 0;
#endif
        qputenv("KVO_PROGRAM_DIR", path_.toLocal8Bit());
        admin::initProgramState();
    }
    bool ok() const {
        return ok_;
    }
    QString path() const {
        return path_;
    }
    QString base() const {
        return path_ + QStringLiteral("Base/");
    }
    QString file(const QString &rel) const {
        return path_ + rel;
    }
    // Statements run on a connection of their own, as another program would.
    void exec(const QString &sql) const {
        kvo::Database db(base().toStdString());
        db.exec(sql.toStdString());
    }
    QString value(const QString &sql) const {
        kvo::Database db(base().toStdString());
        return QString::fromStdString(db.queryValue(sql.toStdString()));
    }
    QByteArray errorLog() const {
        QFile f(file(QStringLiteral("Temp/Error.log")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
    QString path_;
    bool ok_ = false;
};

// Message windows shown while no InfoAnswerer is installed. Each is recorded and closed at
// once, so a test that meets an unexpected modal window fails in cleanup() instead of waiting
// for a person until the time-out.
inline QStringList &unexpectedInfos() {
    static QStringList list;
    return list;
}

inline void installDefaultAnswerer() {
    admin::TFinfo::testHook = [](admin::TFinfo &w) {
        unexpectedInfos() << w.Lcaption->text() + QStringLiteral(": ") + w.Ltext->text();
        w.close();
    };
}

// For init() and cleanup(): the messages nobody expected since the last call.
inline QStringList takeUnexpectedInfos() {
    return std::exchange(unexpectedInfos(), {});
}

// Records every message window and answers questions with yes or no.
struct InfoAnswerer {
    struct Shown {
        QString caption, text;
        int mode;
    };
    QList<Shown> shown;
    bool sayYes = true;
    std::function<void(admin::TFinfo &)> previous = admin::TFinfo::testHook;

    InfoAnswerer() {
        admin::TFinfo::testHook = [this](admin::TFinfo &w) {
            shown.append({w.Lcaption->text(), w.Ltext->text(), w.mode()});
            if (w.mode() == admin::InfoQuestion)
                (sayYes ? w.BYes : w.BNo)->click();
            else if (w.mode() != admin::InfoProgress)
                w.BOk->click();
        };
    }
    ~InfoAnswerer() { admin::TFinfo::testHook = previous; }
    QStringList texts() const {
        QStringList r;
        for (const auto &s : shown)
            r << s.text;
        return r;
    }
};

inline void pinRussianLocale() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

inline QString screenshotPath(const QString &name) {
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    return QStringLiteral(SCREENSHOT_DIR) + QLatin1Char('/') + name + QStringLiteral(".png");
}

} // namespace kvo::admintest
