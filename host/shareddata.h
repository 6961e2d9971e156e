// shareddata.h - the host's shared data managers (library shareddata).
#pragma once

class ClSetMgr;

// Process-wide access to the host's data-set manager and its objects.
class ClDataMgr {
public:
    static ClDataMgr* Inst();

    // The settings manager handed to host rule and save objects; never null.
    ClSetMgr* GetSetMgr();

private:
    ClDataMgr();
};
