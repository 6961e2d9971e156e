// closingreport.h - how the user learns the outcome of an export: the log in the viewer, a notice.
#pragma once

#include "osapi.h"
#include "outputfiles.h"

class ClShellUi;

// What the export did to its link error log: the entries it made, what the file it put in place
// is (all zero: none was put in place, as for a log without entries), and what lay at the log's
// name when the export began (all zero: nothing).
struct StRUNLOG {
    long entries;
    StFILEID placed;
    StFILEID previous;
};

// After the export: a log with entries beside outputPath is opened in the text viewer and the
// notice follows when the viewer has closed; after a run without entries, an earlier run's log
// is deleted and the notice names both files. The log is judged by what this run did to it: it is
// shown only while it is still the file this run put there, and deleted only while it is still the
// one that lay there before (another run may have put its own there meanwhile). failedFiles (the
// Failed... bits of outputfiles.h) turns the notice into the failure message naming what could not
// be written. 1 when the run made log entries, else 0.
int ShowClosingReport(ClShellUi& ui, const char* outputPath, int failedFiles, const StRUNLOG& runLog);

// Starts commandLine in workFolder; with wait, returns when the program has ended. 1 when the
// program was started, 0 when it could not be.
int LaunchAndWait(const char* commandLine, const char* workFolder, int wait);
