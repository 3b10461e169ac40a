// libFuzzer target: any bytes as an exchange line, stored through the real store into a real
// program directory. The first byte picks one of a few layouts (including broken ones); the
// rest, up to the first NUL as a C string would end, is the line. A line of at least five
// characters once trimmed must end in the call table or the journal, every time.
#include "database.h"
#include "line_store.h"
#include "record_parser.h"
#include "schema.h"
#include "text_util.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace kvo::capture;

namespace {

std::string programDir;
long long expectedRows = 0;
long long runs = 0;
int activeLayout = -1;

const char *const kLayouts[] = {
    "Default.ini",
    "DayFirst.ini",
    "Odd.ini",
    "Broken.ini",
};

void writeFile(const fs::path &p, const std::string &text) {
    std::ofstream(p, std::ios::binary) << text;
}

void selectLayout(int k) {
    if (k == activeLayout)
        return;
    writeFile(programDir + "Kvo_main.ini",
              std::string("[MAIN]\r\nActive=DIAL\r\n[Terminal]\r\nfilter=") + kLayouts[k] + "\r\n");
    activeLayout = k;
}

long long storedRows() {
    kvo::Database db(programDir + "Base/");
    return std::stoll(db.queryValue("SELECT COUNT(AVT) FROM DIAL")) +
           std::stoll(db.queryValue("SELECT COUNT(AVT) FROM BUFFER"));
}

[[noreturn]] void fail(const char *what, const std::string &line) {
    std::fprintf(stderr, "capture fuzz: %s for a line of %zu bytes\n", what, line.size());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    const char *tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/kvo-fuzz-XXXXXX";
    if (!mkdtemp(tmpl.data()))
        std::abort();
    programDir = tmpl + "/";
    for (const char *sub : {"Base", "Filters", "Temp"})
        fs::create_directories(programDir + sub);
    kvo::Database db(programDir + "Base/");
    kvo::createInstallationTables(db);
    writeFile(programDir + "Filters/Default.ini", "[Filter]\r\n");
    writeFile(programDir + "Filters/DayFirst.ini", "[Filter]\r\ndate_f=dd.mm.yyyy\r\n");
    writeFile(programDir + "Filters/Odd.ini",
              "[Filter]\r\ndate_f=yy-mm-dd\r\ndate=-4,12\r\ntime=3,0\r\nphone_in=1,99999\r\n"
              "phone_out=2,60\r\nduration=5,3\r\nline=+1,5\r\ncd=0,5\r\n");
    writeFile(programDir + "Filters/Broken.ini",
              "[Filter]\r\ndate_f=\r\ndate=1,8,\r\ntime=x\r\nphone_in=\r\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    selectLayout(data[0] % (sizeof kLayouts / sizeof *kLayouts));
    const char *text = reinterpret_cast<const char *>(data + 1);
    std::string line(text, strnlen(text, size - 1));

    // The shared routines on their own, as the editor's previews call them.
    (void)readDate(normaliseDate(line), dateOrderOf(line), 2024);
    (void)readTime(normaliseTime(line));
    (void)normaliseNumber(line);

    StoreOutcome outcome = storeLine(line, programDir);
    bool counts = kvo::trimControls(line).size() >= 5;
    if (counts && outcome != StoreOutcome::CallTable && outcome != StoreOutcome::Journal)
        fail("line neither stored nor journalled", line);
    if (!counts && outcome != StoreOutcome::Ignored)
        fail("short line was not ignored", line);
    if (counts)
        ++expectedRows;
    // Counting the rows now and then proves the outcome told the truth.
    if (++runs % 512 == 0 && storedRows() != expectedRows)
        fail("row count differs from the outcomes", line);
    return 0;
}
