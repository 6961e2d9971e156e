// hostsim.cpp - the stand-in host's loaded ledger and call journal.
#include "hostsim.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "setmgr.h"
#include "shareddata.h"

ClHostSim::ClHostSim() : m_loaded(false), m_generation(0) { std::memset(&selected, 0, sizeof selected); }

ClHostSim* ClHostSim::Inst() {
    static ClHostSim sim;
    return &sim;
}

void ClHostSim::Reset() {
    m_loaded = false;
    m_error.clear();
    m_journal.clear();
    cursors.clear();
    std::memset(&selected, 0, sizeof selected);
}

const ClLedger* ClHostSim::Ledger() {
    const std::string& folder = ClDataMgr::Inst()->GetSetMgr()->LedgerFolder();
    if (!m_loaded || folder != m_ledger.Folder()) {
        m_loaded = true;
        ++m_generation;
        cursors.clear();
        if (m_ledger.Load(folder)) {
            m_error.clear();
        } else {
            m_error = m_ledger.Message();
            std::fprintf(stderr, "hostsim: bad ledger: %s\n", m_error.c_str());
        }
    }
    return m_error.empty() ? &m_ledger : nullptr;
}

void ClHostSim::AddJournal(const std::string& entry) {
    m_journal.push_back(entry);
    const char* path = std::getenv("HOSTSIM_JOURNAL");
    if (!path || !*path) return;
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << entry << '\n';
}

const char* ClHostSim::PackageName() { return "会計ステーション"; }
