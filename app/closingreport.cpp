// closingreport.cpp - the closing notice, and the link error log in the text viewer.
#include "closingreport.h"

#include <cstdio>
#include <cstring>

#include "buildtable.h"
#include "caption.h"
#include "conditionview.h"
#include "osapi.h"
#include "pathrules.h"
#include "shellui.h"
#include "winpath.h"

namespace {

// Wordpad from the Windows folder's drive; where it is not installed (as on current systems),
// the Windows folder's Notepad, so that the user still sees what did not carry over.
void ShowLogInViewer(ClShellUi& ui, const char* logPath) {
    char windows[kPathRoom];
    std::memset(windows, 0, sizeof windows);
    OsGetWindowsFolder(windows, sizeof windows);

    char folder[kPathRoom];
    std::memset(folder, 0, sizeof folder);
    folder[0] = windows[0];
    unsigned long platformId = 0;
    if (OsGetPlatformId(&platformId))
        std::strcat(folder, platformId == 2 ? ":\\Program Files\\Windows NT\\Accessories" : ":\\Program Files\\Accessories");

    char commandLine[kPathRoom * 2 + 32];
    // The program in quotes: unquoted, a planted C:\Program.exe would be started in its place.
    std::snprintf(commandLine, sizeof commandLine, "\"%s\\Wordpad.exe\" \"%s\"", folder, logPath);
    if (LaunchAndWait(commandLine, folder, 1)) return;

    std::snprintf(commandLine, sizeof commandLine, "\"%s\\notepad.exe\" \"%s\"", windows, logPath);
    if (windows[0] && LaunchAndWait(commandLine, windows, 1)) return;
    ui.ShowTextFile(logPath);
}

// The files that could not be written, one line each, in the style of the success notice. The
// siblings are named even where they do not fit a path buffer, so that the box always names the
// file: the data file's path and a file name fit one each, so both together fit two.
void ShowFailure(ClShellUi& ui, const char* outputPath, int failedFiles) {
    char typePath[2 * kPathRoom];
    char logPath[2 * kPathRoom];
    SiblingPath(outputPath, kTypeFileName, typePath, sizeof typePath);
    SiblingPath(outputPath, CurrentBuild().logName, logPath, sizeof logPath);
    char text[1024];
    int n = std::snprintf(text, sizeof text, "減価償却情報の出力に失敗しました。\n\n次のファイルを書き込めませんでした。\n");
    const struct {
        int bit;
        const char* label;
        const char* path;
    } files[] = {{FailedDataFile, "償却資産データ", outputPath},
                 {FailedTypeFile, "資産種類データ", typePath},
                 {FailedErrorLog, "連動エラーログ", logPath}};
    for (const auto& file : files) {
        if (!(failedFiles & file.bit) || n < 0 || static_cast<size_t>(n) >= sizeof text) continue;
        n += std::snprintf(text + n, sizeof text - n, "%s ⇒ %s    \n", file.label, file.path);
    }
    if (n >= 0 && static_cast<size_t>(n) < sizeof text)
        std::snprintf(text + n, sizeof text - n, "\nアプリケーションを終了します。");
    ui.MessageBox(text, kCaption, MB_TYPE_REFUSAL);
}

}  // namespace

int ShowClosingReport(ClShellUi& ui, const char* outputPath, int failedFiles, const StRUNLOG& runLog) {
    // Where the exporter put them; empty where they do not fit a path buffer (never written).
    char logPath[kPathRoom];
    char typePath[kPathRoom];
    SiblingPath(outputPath, CurrentBuild().logName, logPath, sizeof logPath);
    SiblingPath(outputPath, kTypeFileName, typePath, sizeof typePath);

    // Only the log this run put in place is its own: another run into the same folder may have put
    // its log there since, and a log that could not be written left an earlier run's there.
    StFILEID now;
    const bool ours = logPath[0] && !(failedFiles & FailedErrorLog) && runLog.placed != StFILEID() &&
                      OsFileIdentity(logPath, &now) && now == runLog.placed;
    if (runLog.entries > 0) {
        if (ours && !ui.ReportLogWithoutViewer(logPath)) ShowLogInViewer(ui, logPath);
        if (failedFiles)
            ShowFailure(ui, outputPath, failedFiles);
        else if (ours)
            ui.MessageBox("減価償却情報の出力が一応終了しました。\n\nアプリケーションを終了します。", kCaption, MB_TYPE_NOTICE);
        else
            ui.MessageBox("減価償却情報の出力が一応終了しました。\n\n連動エラーログは、同じフォルダへの別の出力で置き換えられました。\n\n"
                          "アプリケーションを終了します。",
                          kCaption, MB_TYPE_NOTICE);
        return 1;
    }
    if (logPath[0] && runLog.previous != StFILEID()) OsDeleteFileIfSame(logPath, runLog.previous);
    if (failedFiles) {
        ShowFailure(ui, outputPath, failedFiles);
        return 0;
    }
    char text[1024];
    std::snprintf(text, sizeof text,
                  "減価償却情報の出力が正常に終了しました。\n\n償却資産データ ⇒ %s    \n資産種類データ ⇒ %s    \n\n"
                  "アプリケーションを終了します。",
                  outputPath, typePath);
    ui.MessageBox(text, kCaption, MB_TYPE_NOTICE);
    return 0;
}

int LaunchAndWait(const char* commandLine, const char* workFolder, int wait) {
    return OsRunProcess(commandLine, workFolder, wait != 0, nullptr) ? 1 : 0;
}
