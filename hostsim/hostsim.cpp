// hostsim.cpp - the stand-in host's loaded ledger and call journal.
#include "hostsim.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "taskmem.h"

ClHostSim::ClHostSim()
    : categoryBlock(nullptr), m_loaded(false), m_generation(0), m_keepJournal(false), m_journalFile(false), m_depth(0) {
    std::memset(&selected, 0, sizeof selected);
    NoteJournalFile();
    TaskMemWatchFree(&ClHostSim::NoteTaskMemFree);
}

ClHostSim* ClHostSim::Inst() {
    static ClHostSim sim;
    return &sim;
}

void ClHostSim::Reset() {
    m_loaded = false;
    m_error.clear();
    m_journal.clear();
    categoryBlock = nullptr;
    cursors.clear();
    std::memset(&selected, 0, sizeof selected);
    NoteJournalFile();
}

void ClHostSim::KeepJournal(bool keep) {
    m_keepJournal = keep;
    NoteJournalFile();
}

void ClHostSim::NoteJournalFile() {
    const char* path = std::getenv("HOSTSIM_JOURNAL");
    m_journalFile = path && *path;
}

const ClLedger* ClHostSim::Ledger() {
    const ClHostCall inside;  // what loading calls is the stand-in's own business
    const std::string& folder = m_setMgr.LedgerFolder();
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
    if (m_keepJournal) m_journal.push_back(entry);
    const char* path = std::getenv("HOSTSIM_JOURNAL");
    if (!path || !*path) return;
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << entry << '\n';
}

std::string ClHostSim::JournalText(const char* text) {
    std::string out;
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p == '\n')
            out += "\\n";
        else if (*p == '\r')
            out += "\\r";
        else if (*p == '\t')
            out += "\\t";
        else
            out += *p;
    }
    return out;
}

void ClHostSim::NoteTaskMemFree(void* block) {
    ClHostSim* sim = Inst();
    const ClHostCall call;
    call.Journal(std::string("CoTaskMemFree\t") +
                 (block && block == sim->categoryBlock ? "categories" : "other"));
    if (block == sim->categoryBlock) sim->categoryBlock = nullptr;
}

ClHostCall::ClHostCall() : m_outermost(ClHostSim::Inst()->m_depth++ == 0) {}
ClHostCall::~ClHostCall() { --ClHostSim::Inst()->m_depth; }

// Asked for every row; looking through the environment each time would cost more than the row.
bool ClHostSim::JournalWanted() const { return m_keepJournal || m_journalFile; }

bool ClHostCall::Wanted() const { return m_outermost && ClHostSim::Inst()->JournalWanted(); }

void ClHostCall::Journal(const std::string& entry) const {
    if (m_outermost) ClHostSim::Inst()->AddJournal(entry);
}

const char* ClHostSim::PackageName() { return "会計ステーション"; }
