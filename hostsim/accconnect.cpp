// accconnect.cpp - the stand-in connection: fault switches from the ledger, every call journaled.
#include <cstdio>
#include <string>

#include "hostconnect.h"
#include "hostsim.h"
#include "osapi.h"

namespace {

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
    const ClHostCall call;
    call.Journal("SetAppType\t" + std::to_string(static_cast<int>(type)));
    return 0;
}

long ClAccConnect::SetUseDataType(long type) {
    const ClHostCall call;
    call.Journal("SetUseDataType\t" + std::to_string(type));
    return 0;
}

long ClAccConnect::Initiate() {
    const ClHostCall call;
    const long r = FaultOf(ClLedger::FaultInitiate);
    call.Journal("Initiate\t" + ClHostSim::JournalText(m_title) + "\t" + std::to_string(r));
    return r;
}

long ClAccConnect::ExpSysLink() {
    const ClHostCall call;
    const long r = FaultOf(ClLedger::FaultExpSysLink);
    call.Journal("ExpSysLink\t" + std::to_string(r));
    return r;
}

long ClAccConnect::DispMsg(void* owner, const char* text, const char* caption, unsigned int type) {
    const ClHostCall call;
    (void)owner;
    std::string shown = text ? text : "";
    const std::string mark = "ES_APRPACKAGENAME";
    for (size_t at = 0; (at = shown.find(mark, at)) != std::string::npos;) {
        shown.replace(at, mark.size(), ClHostSim::PackageName());
        at += std::string(ClHostSim::PackageName()).size();
    }
    // The host's own box, in the terminal's encoding as the front ends show theirs.
    std::fprintf(stderr, "[%s] %s\n", OsTerminalText(caption).c_str(), OsTerminalText(shown.c_str()).c_str());
    call.Journal("DispMsg\t" + std::to_string(type) + "\t" + ClHostSim::JournalText(caption) + "\t" +
                 ClHostSim::JournalText(text));
    return 0;
}

long ClAccConnect::LogOut() {
    const ClHostCall call;
    call.Journal("LogOut");
    return 0;
}

long ClAccConnect::Terminate() {
    const ClHostCall call;
    call.Journal("Terminate");
    return 0;
}

long ClAccConnect::Release() {
    const ClHostCall call;
    call.Journal("Release");
    return 0;
}
