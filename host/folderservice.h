// folderservice.h - the host's folder service (library folderservice).
#pragma once

// Process-wide source of the package's folders.
class ClFileMgr {
public:
    enum _FolderType {
        FolderOutput = 0,    // default folder of exported files; may be empty
        FolderSettings = 1,  // folder of the program's settings file
    };
    static ClFileMgr* Inst();

    // A host-owned Windows path ending in "\" (or "" when the host has none); valid until Release.
    const char* GetAppFolderPath(_FolderType type);
    long Release();

private:
    ClFileMgr();
};
