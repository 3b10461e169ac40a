#include "line_store.h"

#include "codec.h"
#include "database.h"
#include "ini_file.h"
#include "record_parser.h"
#include "text_util.h"

#include <ctime>
#include <memory>
#include <sys/stat.h>

namespace kvo::capture {

namespace {

int currentYear() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm.tm_year + 1900;
}

bool isRegularFile(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

StoreOutcome keepInLog(std::string_view rawLine, const std::string &programDir) {
    try {
        appendLogEntry(lostLogPath(programDir), cp1251ToUtf8(rawLine));
        return StoreOutcome::LostLog;
    } catch (...) {
        return StoreOutcome::Lost;
    }
}

} // namespace

std::string lostLogPath(const std::string &programDir) {
    return programDir + "Temp/Lost.log";
}

StoreOutcome storeLine(std::string_view rawLine, const std::string &programDir) noexcept {
    try {
        if (trimControls(rawLine).size() < 5)
            return StoreOutcome::Ignored;

        // Without the main file there is neither a layout nor a table: the journal gets it.
        std::string filter, active;
        const IniContents mainIni = IniFile(programDir + "Kvo_main.ini").load();
        if (mainIni.found()) {
            filter = mainIni.readString("Terminal", "filter", "");
            active = mainIni.readString("Main", "Active", "DIAL");
        }

        bool parsed = false;
        CallRecord record;
        std::string layoutPath = programDir + "Filters/" + filter;
        if (!filter.empty() && isRegularFile(layoutPath)) {
            ParsedLine p =
                parseLine(rawLine, readRecordLayout(IniFile(layoutPath).load()), currentYear());
            parsed = p.ok();
            record = std::move(p.record);
        }

        std::unique_ptr<Database> db;
        try {
            db = std::make_unique<Database>(programDir + "Base/");
        } catch (...) {
            return keepInLog(rawLine, programDir);
        }
        if (parsed && isPlainTableName(active)) {
            try {
                db->exec(cp1251ToUtf8(callInsertStatement(active, record)));
                return StoreOutcome::CallTable;
            } catch (...) {
                // any refusal of the engine sends the line to the journal
            }
        }
        try {
            db->exec(cp1251ToUtf8(bufferInsertStatement(rawLine)));
            return StoreOutcome::Journal;
        } catch (...) {
        }
        db.reset();
        return keepInLog(rawLine, programDir);
    } catch (...) {
        // Out of memory or the like: one last try to keep the line.
        return keepInLog(rawLine, programDir);
    }
}

} // namespace kvo::capture
