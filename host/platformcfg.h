// platformcfg.h - the host's platform configuration (library platformcfg): only the edition type.
#pragma once

// The package's environment manager; the program uses only the type of the edition number.
class ClSysEnvMgr {
public:
    // Edition of the accounting package the program is built for; passed to ClAccConnect::SetAppType.
    enum _AppType { AppEdition0 = 0, AppEdition3 = 3, AppEdition4 = 4, AppEdition5 = 5 };
};
