// ledgergen.cpp - command line of the ledger generator: ledgergen --assets N --seed S --out DIR.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ledgergen.h"

int main(int argc, char** argv) {
    StLEDGERGENOPTIONS options{100, 1};
    const char* out = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        char* end = nullptr;
        if (std::strcmp(argv[i], "--assets") == 0) {
            options.assets = std::strtol(argv[i + 1], &end, 10);
        } else if (std::strcmp(argv[i], "--seed") == 0) {
            options.seed = std::strtoull(argv[i + 1], &end, 10);
        } else if (std::strcmp(argv[i], "--out") == 0) {
            out = argv[i + 1];
            continue;
        } else {
            end = argv[i + 1];
        }
        if (!end || *end != '\0' || options.assets < 0) {
            std::fprintf(stderr, "ledgergen: bad value for %s\n", argv[i]);
            return 2;
        }
    }
    if (!out || argc % 2 == 0) {
        std::fprintf(stderr, "usage: ledgergen --assets N --seed S --out DIR (DIR must exist)\n");
        return 2;
    }
    std::string why;
    if (GenerateLedger(options, out, why) != 0) {
        std::fprintf(stderr, "ledgergen: %s\n", why.c_str());
        return 1;
    }
    return 0;
}
