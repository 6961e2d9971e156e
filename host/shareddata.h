// shareddata.h - the host's shared data managers (library shareddata).
#pragma once

class ClSetMgr;
class ClSetData;
class ClSysUser;

// Process-wide access to the host's data-set manager and its objects. Nothing returned is freed
// by the caller.
class ClDataMgr {
public:
    static ClDataMgr* Inst();

    // The settings manager handed to host rule and save objects; never null.
    ClSetMgr* GetSetMgr();
    // The current user; never null.
    ClSysUser* GetSysUserObject();
    // An object of the package by kind; kind 5 with flag 1 (TRUE) is the data-set list. Null for
    // kinds the package does not have.
    ClSetData* GetSetObject(long kind, int flag);

private:
    ClDataMgr();
};

// Opaque link options handed to rule objects.
class ClOptLink;

// Process-wide link manager.
class ClLinkMgr {
public:
    static ClLinkMgr* Inst();
    // The link options for ClRuleBase::AttachOptLink; never null.
    ClOptLink* GetOptLink();

private:
    ClLinkMgr();
};
