#pragma once
// Program-wide values of the administrator program, the error log and the accessors of
// Kvo_main.ini. Every accessor opens the file, does its work and closes it again.
#include <QString>

namespace kvo::admin {

struct ProgramState {
    QString programDir; // with a trailing "/"
    QString baseDir;    // programDir + "Base/"
    QString activeTable = QStringLiteral("DIAL");
    bool delayYes = false;
    int delaySec = 0;
    QString mkod = QStringLiteral("8");
    bool readOnly = false;
    // The period chosen in the period dialog, "dd.mm.yyyy" each, or both empty.
    QString periodBegin;
    QString periodEnd;
};

ProgramState &program();
// Sets the directories from the executable's place (or KVO_PROGRAM_DIR) and resets the rest.
void initProgramState();

QString mainIniFile();
QString errorLogFile();

// Appends a stamp line and the message to Temp/Error.log. Throws std::runtime_error naming the
// file when it cannot be written.
void writeErrorLog(const QString &message);

void loadActiveTable();
// Writes Active first; the name in memory changes only when that worked (throws
// kvo::IniWriteError otherwise).
void saveActiveTable(const QString &name);
void loadTarifSettings();

} // namespace kvo::admin
