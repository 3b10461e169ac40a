#include "schema.h"

#include "database.h"
#include "text_util.h"

#include <algorithm>

namespace kvo {

std::string callTableCreateStatement(std::string_view name) {
    return "CREATE TABLE " + std::string(name) +
           " (\n"
           "AVT AUTOINC, DAT_RING DATE, TIM_RING TIME, EXT SMALLINT,\n"
           "CO VARCHAR(5), DIAL VARCHAR(28), DURATION TIME, CD VARCHAR(5)\n"
           "UNIQUE PRIMARY KEY (AVT))";
}

const std::vector<TableDefinition> &installationTables() {
    static const std::vector<TableDefinition> tables = {
        {"DIAL", callTableCreateStatement("DIAL")},
        // A raw exchange line may be of any length.
        {"BUFFER", "CREATE TABLE BUFFER (\nAVT AUTOINC, SREAD MEMO\nUNIQUE PRIMARY KEY (AVT))"},
        {"EXT", "CREATE TABLE EXT (\nEXT INTEGER, NAME VARCHAR(30), DATN DATE, DATK DATE)"},
        {"CO", "CREATE TABLE CO (\nCO VARCHAR(3), NAME VARCHAR(15), CNTR INTEGER)"},
        {"CONTRA", "CREATE TABLE CONTRA (\nCNTR INTEGER, NAME VARCHAR(20), LONGNAME "
                   "VARCHAR(50),\nADRES VARCHAR(50), PHONE VARCHAR(15), KF INTEGER)"},
        {"TARIF", "CREATE TABLE TARIF (\nSIGN VARCHAR(20), CNTR INTEGER, ZONE VARCHAR(40),\nTS "
                  "MONEY, SYS SMALLINT)"},
        {"BOOK", "CREATE TABLE BOOK (\nDIAL VARCHAR(28), FIO VARCHAR(40), NP VARCHAR(20),\nUL "
                 "VARCHAR(20), DOM VARCHAR(10), KV VARCHAR(5))"},
        {"PHONE", "CREATE TABLE PHONE (\nPHONE VARCHAR(20), OFFICE VARCHAR(100), FIO "
                  "VARCHAR(60),\nNP VARCHAR(40), UL VARCHAR(40), DOM VARCHAR(10), KV "
                  "VARCHAR(10))"},
    };
    return tables;
}

void createInstallationTables(Database &db) {
    for (const auto &t : installationTables())
        if (!db.tableExists(t.name))
            db.exec(t.createStatement);
}

bool isCallTableName(std::string_view name) {
    return name.size() >= 4 && equalsNoCase(name.substr(0, 4), "DIAL");
}

std::string nextCallTableName(const std::vector<std::string> &existing) {
    for (int n = 1;; ++n) {
        std::string candidate = "DIAL" + std::to_string(n);
        if (std::none_of(existing.begin(), existing.end(),
                         [&](const std::string &e) { return equalsNoCase(e, candidate); }))
            return candidate;
    }
}

} // namespace kvo
