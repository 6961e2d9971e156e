// main.cpp - one deliverable: the application object, and the front end the command line asks for.
#include <cstdio>
#include <string>
#include <vector>

#include "buildtable.h"
#include "exportapp.h"
#include "osapi.h"
#include "scriptedui.h"
#include "version.h"
#if defined(ASSETEXPORT_WIN32)
#include "win32ui.h"
#elif defined(ASSETEXPORT_TERMINAL)
#include "terminalui.h"
#endif

// The one application object, alive for the whole program as the framework expects.
CExportApp theApp;

namespace {

void PrintUsage(std::FILE* out) {
#if defined(ASSETEXPORT_WIN32)
    const char* dialog = "the condition dialog (as the accounting package starts it)";
#else
    const char* dialog = "the condition dialog in this terminal";
#endif
    std::fprintf(out, "usage: %s                 %s\n", CurrentBuild().name, dialog);
    std::fprintf(out, "       %s [step ...]      the dialog driven by steps, the transcript on the console\n",
                 CurrentBuild().name);
    std::fprintf(out, "       %s --version       the program's name, version and edition\n%s",
                 CurrentBuild().name, ClScriptedUi::Usage());
}

// One line that tells support staff which build a customer has.
void PrintVersion() {
    std::printf("%s %s (edition %d)\n", CurrentBuild().name, ASSETEXPORT_VERSION, CurrentBuild().edition);
}

// The status of an answer printed to out: a script that reads it must not take a lost write
// (a full disk, a closed console) for an answer.
int Answered(std::FILE* out) {
    if (std::fflush(out) == 0 && !std::ferror(out)) return 0;
    std::fprintf(stderr, "%s: the output could not be written\n", CurrentBuild().name);
    return 2;
}

// What a calling script learns from the exit status: 0 exported with an empty log, 1 exported with
// log entries, 2 bad arguments, 3 cancelled or refused before the export, 4 a file could not be
// written, 5 the host connection or its ledger failed.
int RunForScript() {
    theApp.Run();
    return static_cast<int>(theApp.Outcome());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments;
    const bool readable = OsProgramArguments(argc, argv, arguments);
#if defined(ASSETEXPORT_WIN32)
    if (readable && arguments.empty()) {
        ClWin32Ui windows;
        theApp.SetShellUi(&windows);
        return theApp.Run();
    }
    // A GUI program has no console of its own: the transcript goes to the one it was started from.
    ConnectToParentConsole();
#endif
    if (!readable) {
        std::fprintf(stderr, "%s: the command line cannot be read\n", CurrentBuild().name);
        return 2;
    }
    if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
        PrintUsage(stdout);
        return Answered(stdout);
    }
    if (!arguments.empty() && arguments[0] == "--version") {
        PrintVersion();
        return Answered(stdout);
    }
    if (arguments.empty()) {
#if defined(ASSETEXPORT_TERMINAL)
        if (ClTerminalUi::Available()) {
            ClTerminalUi terminal;
            theApp.SetShellUi(&terminal);
            return RunForScript();
        }
        std::fprintf(stderr, "%s: no terminal for the dialog; give the steps on the command line\n",
                     CurrentBuild().name);
#endif
        PrintUsage(stderr);
        return 2;
    }
    ClScriptedUi scripted(stdout);
    std::vector<char*> words;
    for (std::string& argument : arguments) words.push_back(&argument[0]);
    std::string error;
    if (!scripted.ParseArguments(static_cast<int>(words.size()), words.data(), error)) {
        std::fprintf(stderr, "%s: %s\n", CurrentBuild().name, error.c_str());
        PrintUsage(stderr);
        return 2;
    }
    theApp.SetShellUi(&scripted);
    return RunForScript();
}
