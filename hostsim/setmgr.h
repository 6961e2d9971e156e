// setmgr.h - the stand-in host's settings manager: where the company ledger folder lies.
#pragma once

#include <string>

// The ledger folder is taken from HOSTSIM_LEDGER when set, else "ledger" in the current folder.
class ClSetMgr {
public:
    ClSetMgr();
    const std::string& LedgerFolder() const { return m_folder; }
    void SetLedgerFolder(const std::string& folder) { m_folder = folder; }
    // A path inside the ledger folder.
    std::string LedgerPath(const char* name) const;

private:
    std::string m_folder;
};
