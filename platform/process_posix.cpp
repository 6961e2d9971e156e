// process_posix.cpp - programs started from a Windows command line on POSIX, and this process's memory.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "osapi.h"
#include "posix_shared.h"
#include "winpath.h"
#include "sjisbytes.h"

extern char** environ;

using namespace osposix;

namespace {

// Windows command-line words: blanks separate, double quotes group, \" is a quote.
std::vector<std::string> SplitCommandLine(const char* line) {
    std::vector<std::string> words;
    const char* p = line;
    for (;;) {
        while (*p == ' ' || *p == '\t') ++p;
        if (!*p) break;
        std::string word;
        bool quoted = false;
        while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
            if (p[0] == '\\' && p[1] == '"') {
                word += '"';
                p += 2;
            } else if (*p == '"') {
                quoted = !quoted;
                ++p;
            } else {
                const int n = SjisCharBytes(p);
                word.append(p, n);
                p += n;
            }
        }
        words.push_back(word);
    }
    return words;
}

}  // namespace

// The kernel's high-water mark of the resident set; writing 5 to clear_refs resets it.
unsigned long long OsPeakMemoryBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;
    }
    return 0;
}

bool OsResetPeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

bool OsRunProcess(const char* commandLine, const char* workFolder, bool wait, unsigned long* exitCode) {
    if (!commandLine) return false;
    // Windows-form words become native paths; other words only change their encoding.
    // An unquoted program path with blanks in it is found as CreateProcess finds it: the shortest
    // run of words up to a blank that names an existing file is the program.
    std::string program;
    const char* rest = commandLine;
    if (commandLine[0] != '"') {
        for (const char* blank = std::strchr(commandLine, ' '); blank; blank = std::strchr(blank + 1, ' ')) {
            const std::string candidate(commandLine, static_cast<size_t>(blank - commandLine));
            std::string native;
            struct stat st;
            if (IsDrivePath(candidate.c_str()) && OsNativePath(candidate.c_str(), native) &&
                ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
                program = candidate;
                rest = blank;
                break;
            }
        }
    }
    std::vector<std::string> split = SplitCommandLine(rest);
    if (!program.empty()) split.insert(split.begin(), program);
    std::vector<std::string> words;
    for (const std::string& word : split) {
        std::string native;
        if ((IsDrivePath(word.c_str()) || IsSharePath(word.c_str())) && OsNativePath(word.c_str(), native)) {
            words.push_back(native);
        } else if (Convert("UTF-8", "CP932", word, native)) {
            words.push_back(native);
        } else {
            words.push_back(word);
        }
    }
    if (words.empty()) return false;
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(&w[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    std::string folder;
    if (workFolder && *workFolder) {
        if (!OsNativePath(workFolder, folder)) {
            posix_spawn_file_actions_destroy(&actions);
            return false;
        }
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    }
    pid_t child = 0;
    const int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return false;
    if (!wait) return true;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    if (exitCode) *exitCode = WIFEXITED(status) ? static_cast<unsigned long>(WEXITSTATUS(status)) : 255UL;
    return true;
}
