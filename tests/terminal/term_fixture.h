#pragma once
// A program directory made by the installer, and a pseudo-terminal standing in for the
// exchange's serial line.
#include "database.h"
#include "ini_file.h"
#include "pseudo_terminal.h"

#include <QDir>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <string>
#include <unistd.h>

namespace kvo::termtest {

// Environment for a child program: the program directory is its own, not an override.
inline QProcessEnvironment childEnvironment() {
    auto env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("KVO_PROGRAM_DIR"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

// Runs kvo-install into dir; returns false (with the reason in *error) when it fails.
inline bool installInto(const QString &dir, QString *error) {
    QProcess p;
    p.setProcessEnvironment(childEnvironment());
    p.start(QStringLiteral(KVO_INSTALL), {dir});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        *error = QString::fromLocal8Bit(p.readAllStandardError());
        return false;
    }
    return true;
}

inline std::string mainIni(const QString &dir) {
    return QDir(dir).filePath(QStringLiteral("Kvo_main.ini")).toStdString();
}

inline void setDevice(const QString &dir, const std::string &device) {
    IniFile(mainIni(dir)).writeString("Terminal", "device1", device);
}

inline int rowCount(const QString &dir, const char *table) {
    Database db(QDir(dir).filePath(QStringLiteral("Base")).toStdString());
    return std::stoi(db.queryValue(std::string("SELECT COUNT(*) FROM ") + table, "0"));
}

} // namespace kvo::termtest
