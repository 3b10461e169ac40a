// kvo-install DIR: creates or refreshes a program directory from the programs beside it.
#include "installer.h"
#include "paths.h"

#include <cstdio>
#include <exception>

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kvo-install DIR\n");
        return 2;
    }
    try {
        auto report = kvo::install(argv[1], kvo::programDir());
        for (const auto &p : report.installed)
            std::printf("installed %s\n", p.c_str());
        for (const auto &p : report.kept)
            std::printf("kept %s (changed by the user)\n", p.c_str());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "kvo-install: %s\n", e.what());
        return 1;
    }
    return 0;
}
