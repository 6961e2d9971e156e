// datamgr.cpp - the stand-in data-set manager and its settings manager.
#include <cstdlib>

#include "hostsim.h"
#include "ledgercore.h"
#include "setmgr.h"
#include "shareddata.h"

ClSetMgr::ClSetMgr() {
    const char* env = std::getenv("HOSTSIM_LEDGER");
    m_folder = env && *env ? env : "ledger";
}

std::string ClSetMgr::LedgerPath(const char* name) const {
    std::string path = m_folder;
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
    return path + name;
}

ClDataMgr::ClDataMgr() {}

ClDataMgr* ClDataMgr::Inst() {
    static ClDataMgr mgr;
    return &mgr;
}

ClSetMgr* ClDataMgr::GetSetMgr() {
    const ClHostCall call;
    if (call.Wanted()) call.Journal("GetSetMgr");
    return &ClHostSim::Inst()->SetMgr();
}

ClSysUser* ClDataMgr::GetSysUserObject() {
    static ClSysUser user;
    const ClHostCall call;
    call.Journal("GetSysUserObject");
    return &user;
}

ClSetData* ClDataMgr::GetSetObject(long kind, int flag) {
    static ClSetData dataSets;
    const ClHostCall call;
    call.Journal("GetSetObject\t" + std::to_string(kind) + "\t" + std::to_string(flag));
    return kind == 5 && flag != 0 ? &dataSets : nullptr;
}

// Link options carry nothing the stand-in needs; the object only has to exist.
class ClOptLink {};

ClLinkMgr::ClLinkMgr() {}

ClLinkMgr* ClLinkMgr::Inst() {
    static ClLinkMgr mgr;
    return &mgr;
}

ClOptLink* ClLinkMgr::GetOptLink() {
    static ClOptLink link;
    const ClHostCall call;
    call.Journal("GetOptLink");
    return &link;
}
