// hostsim.h - what tests and tools may ask of the stand-in host beyond the host's own interface.
#pragma once

#include <string>
#include <vector>

#include "ledger.h"
#include "setmgr.h"

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

    // One entry per host call made from outside the stand-in, in order: the call's name, its
    // arguments and results, separated by tabs. Kept here only after KeepJournal(true), so that a
    // long run does not grow with it; the file named by HOSTSIM_JOURNAL gets every entry anyway.
    // Whether that variable is set is looked at on start, on Reset and on KeepJournal.
    const std::vector<std::string>& Journal() const { return m_journal; }
    void KeepJournal(bool keep);
    // Keeps the entry (when asked) and appends it as one line to HOSTSIM_JOURNAL's file, if set.
    void AddJournal(const std::string& entry);
    // A text as one journal field: LF, CR and TAB written as \n, \r and \t; null as "".
    static std::string JournalText(const char* text);
    // Told by the task allocator of every block given back; the category array is named.
    static void NoteTaskMemFree(void* block);
    // The category array LoadShisanKubunInfo handed out last.
    void* categoryBlock;

    // The package name shown for ES_APRPACKAGENAME.
    static const char* PackageName();
    // Where the ledger lies; the data-set manager hands it out as the host's settings manager.
    ClSetMgr& SetMgr() { return m_setMgr; }

    // Data-set cursors of ClSetData: ids from 1, the position of each (-1 = free).
    std::vector<long> cursors;
    StDATAINFO selected;

private:
    ClHostSim();
    ClSetMgr m_setMgr;
    ClLedger m_ledger;
    bool m_loaded;
    std::string m_error;
    unsigned long m_generation;
    std::vector<std::string> m_journal;
    bool m_keepJournal;
    bool m_journalFile;  // HOSTSIM_JOURNAL names a file
    int m_depth;
    void NoteJournalFile();
    bool JournalWanted() const;  // host calls under way; only the outermost is the system's own
    friend class ClHostCall;
};

// Put at the start of every host operation. Only a call made from outside the stand-in is
// journaled: the stand-in's own use of its services and of the text library stays out.
class ClHostCall {
public:
    ClHostCall();
    ~ClHostCall();
    ClHostCall(const ClHostCall&) = delete;
    ClHostCall& operator=(const ClHostCall&) = delete;
    void Journal(const std::string& entry) const;
    // Whether an entry of this call would be kept or written anywhere; calls made for every row
    // build their entry only then.
    bool Wanted() const;

private:
    bool m_outermost;
};
