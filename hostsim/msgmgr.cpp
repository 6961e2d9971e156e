// msgmgr.cpp - the stand-in last-error store: keeps code, source and line for whoever asks.
#include <cstring>
#include <string>

#include "errorstore.h"
#include "hostsim.h"

ClMsgMgr::ClMsgMgr() : m_code(0), m_line(0) { m_source[0] = '\0'; }

ClMsgMgr* ClMsgMgr::Inst() {
    static ClMsgMgr store;
    return &store;
}

long ClMsgMgr::SetLastError(long code, const char* source, long line) {
    const ClHostCall call;
    if (call.Wanted())
        call.Journal("SetLastError\t" + std::to_string(code) + "\t" + ClHostSim::JournalText(source) + "\t" +
                     std::to_string(line));
    m_code = code;
    m_line = line;
    const size_t length = source ? strnlen(source, sizeof m_source - 1) : 0;
    if (length > 0) std::memcpy(m_source, source, length);
    m_source[length] = '\0';
    return code;
}

long ClMsgMgr::GetLastErrorCode() const { return m_code; }
const char* ClMsgMgr::GetLastErrorSource() const { return m_source; }
long ClMsgMgr::GetLastErrorLine() const { return m_line; }
