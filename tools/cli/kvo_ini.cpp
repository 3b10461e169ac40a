// kvo-ini FILE SECTION KEY [VALUE]: prints a setting, or writes it, the way the programs do.
#include "ini_file.h"

#include <cstdio>
#include <exception>

int main(int argc, char **argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: kvo-ini FILE SECTION KEY [VALUE]\n");
        return 2;
    }
    kvo::IniFile ini(argv[1]);
    if (argc == 4) {
        if (!ini.valueExists(argv[2], argv[3]))
            return 1;
        std::printf("%s\n", ini.readString(argv[2], argv[3], "").c_str());
        return 0;
    }
    try {
        ini.writeString(argv[2], argv[3], argv[4]);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "kvo-ini: %s\n", e.what());
        return 1;
    }
    return 0;
}
