// hostsim.h - what tests and tools may ask of the stand-in host beyond the host's own interface.
#pragma once

#include <string>
#include <vector>

#include "ledger.h"

// Process-wide state of the stand-in host: the loaded ledger, data-set cursors and the call journal.
class ClHostSim {
public:
    static ClHostSim* Inst();

    // Forgets the ledger, cursors and journal; the next use loads the ledger folder again.
    void Reset();
    // The ledger of the settings manager's folder, loaded and checked on first use; null when the
    // ledger is bad (the message is then on stderr and in GetLedgerError).
    const ClLedger* Ledger();
    // "" while the ledger is good or not yet loaded.
    const char* GetLedgerError() const { return m_error.c_str(); }
    // Increases with every load, so that objects holding parts of an older ledger notice.
    unsigned long Generation() const { return m_generation; }

    // One entry per connection call: the call's name and its arguments, separated by tabs.
    const std::vector<std::string>& Journal() const { return m_journal; }
    // Keeps the entry and appends it as one line to the file named by HOSTSIM_JOURNAL, if set.
    void AddJournal(const std::string& entry);

    // The package name shown for ES_APRPACKAGENAME.
    static const char* PackageName();

    // Data-set cursors of ClSetData: ids from 1, the position of each (-1 = free).
    std::vector<long> cursors;
    StDATAINFO selected;

private:
    ClHostSim();
    ClLedger m_ledger;
    bool m_loaded;
    std::string m_error;
    unsigned long m_generation;
    std::vector<std::string> m_journal;
};
