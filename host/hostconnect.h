// hostconnect.h - the connection to the accounting package (library hostconnect).
#pragma once

#include "platformcfg.h"

// Process-wide connection object. Every call answers 0 for success.
class ClAccConnect {
public:
    static ClAccConnect* Inst();

    // Title the host shows for the program; points to static text of the caller.
    const char* m_title;

    long SetAppType(ClSysEnvMgr::_AppType type);
    long SetUseDataType(long type);
    // Starts the connection; non-zero when the package refuses to start.
    long Initiate();
    // Asks for permission to link with the depreciation application; non-zero refuses.
    long ExpSysLink();
    // A modal host-style message. owner is a window handle or null; each "ES_APRPACKAGENAME" in
    // text shows as the package's name; type takes the message-box flags.
    long DispMsg(void* owner, const char* text, const char* caption, unsigned int type);
    // Called in this order at every exit, also after a failed Initiate.
    long LogOut();
    long Terminate();
    long Release();

private:
    ClAccConnect();
};
