// accconnect.cpp - the stand-in connection: fault switches from the ledger and a call journal.
#include <cstdio>
#include <string>

#include "hostconnect.h"
#include "hostsim.h"

namespace {

// Line breaks and tabs would end or split a journal entry; they are written as \n, \r and \t.
std::string Escaped(const char* text) {
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

long FaultOf(int which) {
    const ClLedger* ledger = ClHostSim::Inst()->Ledger();
    if (!ledger) return -1;
    return ledger->faults[which].result;
}

}  // namespace

ClAccConnect::ClAccConnect() : m_title(nullptr) {}

ClAccConnect* ClAccConnect::Inst() {
    static ClAccConnect connection;
    return &connection;
}

long ClAccConnect::SetAppType(ClSysEnvMgr::_AppType type) {
    ClHostSim::Inst()->AddJournal("SetAppType\t" + std::to_string(static_cast<int>(type)));
    return 0;
}

long ClAccConnect::SetUseDataType(long type) {
    ClHostSim::Inst()->AddJournal("SetUseDataType\t" + std::to_string(type));
    return 0;
}

long ClAccConnect::Initiate() {
    const long r = FaultOf(ClLedger::FaultInitiate);
    ClHostSim::Inst()->AddJournal("Initiate\t" + Escaped(m_title) + "\t" + std::to_string(r));
    return r;
}

long ClAccConnect::ExpSysLink() {
    const long r = FaultOf(ClLedger::FaultExpSysLink);
    ClHostSim::Inst()->AddJournal("ExpSysLink\t" + std::to_string(r));
    return r;
}

long ClAccConnect::DispMsg(void* owner, const char* text, const char* caption, unsigned int type) {
    (void)owner;
    std::string shown = text ? text : "";
    const std::string mark = "ES_APRPACKAGENAME";
    for (size_t at = 0; (at = shown.find(mark, at)) != std::string::npos;) {
        shown.replace(at, mark.size(), ClHostSim::PackageName());
        at += std::string(ClHostSim::PackageName()).size();
    }
    std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", shown.c_str());
    ClHostSim::Inst()->AddJournal("DispMsg\t" + std::to_string(type) + "\t" + Escaped(caption) + "\t" + Escaped(text));
    return 0;
}

long ClAccConnect::LogOut() {
    ClHostSim::Inst()->AddJournal("LogOut");
    return 0;
}

long ClAccConnect::Terminate() {
    ClHostSim::Inst()->AddJournal("Terminate");
    return 0;
}

long ClAccConnect::Release() {
    ClHostSim::Inst()->AddJournal("Release");
    return 0;
}
