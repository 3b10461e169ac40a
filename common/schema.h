#pragma once
// The tables an installation starts with, in the statements that create them.
#include <string>
#include <string_view>
#include <vector>

namespace kvo {

class Database;

struct TableDefinition {
    std::string name;
    std::string createStatement; // dialect text, lines joined by "\n"
};

// The four-line statement that creates a call table.
std::string callTableCreateStatement(std::string_view name);
// DIAL, BUFFER, EXT, CO, CONTRA, TARIF, BOOK, PHONE in that order.
const std::vector<TableDefinition> &installationTables();
// Creates every installation table whose file is missing.
void createInstallationTables(Database &db);

// A call table is a table whose name begins with "DIAL".
bool isCallTableName(std::string_view name);
// "DIAL" + the smallest n >= 1 not among the existing names (case is ignored).
std::string nextCallTableName(const std::vector<std::string> &existing);

} // namespace kvo
