// closingreport.h - how the user learns the outcome of an export: the log in the viewer, a notice.
#pragma once

class ClShellUi;

// Which output files the exporter could not open or write completely (bits of 1 << _OutputFile).
enum { FailedDataFile = 1, FailedTypeFile = 2, FailedErrorLog = 4 };

// After the export: a non-empty link error log beside outputPath is opened in the text viewer and
// the notice follows when the viewer has closed; an empty log is deleted and the notice names both
// files. failedFiles turns the notice into the failure message naming what could not be written.
// 1 when the log held entries, else 0.
int ShowClosingReport(ClShellUi& ui, const char* outputPath, int failedFiles);

// Starts commandLine in workFolder; with wait, returns when the program has ended. 1 when the
// program was started, 0 when it could not be.
int LaunchAndWait(const char* commandLine, const char* workFolder, int wait);
