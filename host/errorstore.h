// errorstore.h - the host's last-error store (library errorstore).
#pragma once

// Process-wide store of the last error reported by a library of the system.
class ClMsgMgr {
public:
    static ClMsgMgr* Inst();

    // Records code, source name (may be null) and line; returns code unchanged.
    long SetLastError(long code, const char* source, long line);

    // What was recorded last; the source is "" when none was given.
    long GetLastErrorCode() const;
    const char* GetLastErrorSource() const;
    long GetLastErrorLine() const;

private:
    ClMsgMgr();
    long m_code;
    char m_source[64];
    long m_line;
};
