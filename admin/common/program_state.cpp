#include "program_state.h"

#include "ini_file.h"
#include "paths.h"
#include "text_util.h"

namespace kvo::admin {

ProgramState &program() {
    static ProgramState state = [] {
        ProgramState s;
        s.programDir = QString::fromStdString(kvo::programDir());
        s.baseDir = s.programDir + QStringLiteral("Base/");
        return s;
    }();
    return state;
}

void initProgramState() {
    ProgramState fresh;
    fresh.programDir = QString::fromStdString(kvo::programDir());
    fresh.baseDir = fresh.programDir + QStringLiteral("Base/");
    program() = fresh;
}

QString mainIniFile() {
    return program().programDir + QStringLiteral("Kvo_main.ini");
}

QString errorLogFile() {
    return program().programDir + QStringLiteral("Temp/Error.log");
}

void writeErrorLog(const QString &message) {
    kvo::appendLogEntry(errorLogFile().toStdString(), message.toStdString());
}

void loadActiveTable() {
    kvo::IniFile ini(mainIniFile().toStdString());
    program().activeTable = QString::fromStdString(ini.readString("MAIN", "Active", "DIAL"));
}

void saveActiveTable(const QString &name) {
    kvo::IniFile ini(mainIniFile().toStdString());
    ini.writeString("MAIN", "Active", name.toStdString());
    program().activeTable = name;
}

void loadTarifSettings() {
    // The three keys in one access of the file.
    const kvo::IniContents ini = kvo::IniFile(mainIniFile().toStdString()).load();
    program().delayYes = ini.readBool("Tarifikator", "DelayYes", false);
    program().delaySec = ini.readInteger("Tarifikator", "DelaySec", 0);
    program().mkod = QString::fromStdString(ini.readString("Tarifikator", "Mkod", "8"));
}

} // namespace kvo::admin
