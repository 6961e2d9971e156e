// ledgergen.h - writes a complete ledger folder of generated assets for the stand-in host.
#pragma once

#include <cstdint>
#include <string>

struct StLEDGERGENOPTIONS {
    long assets;    // fixed assets of the company data set (lump-sum assets included)
    uint64_t seed;  // the same seed gives the same bytes
};

// Writes session.csv, datasets.csv, faults-free assets, breakdowns and categories into folder (which
// must exist). 0, or -1 with why set when a file cannot be written.
long GenerateLedger(const StLEDGERGENOPTIONS& options, const std::string& folder, std::string& why);
