// pager.cpp - a text shown in the user's pager, with this program waiting for it to end.
#include "pager.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// The shell's answers for a command it cannot find or execute; the child below answers alike.
bool NotStarted(int status) {
    return WIFEXITED(status) && (WEXITSTATUS(status) == 127 || WEXITSTATUS(status) == 126);
}

// Runs one pager (shellCommand through /bin/sh, or less when null) with text on its standard input
// and waits for it; status gets how it ended. False when no process could be made.
bool RunOne(const char* shellCommand, const std::string& text, int outFd, int& status) {
    int feed[2];
    if (::pipe(feed) != 0) return false;
    // Only the pager may hold the reading end: a writing end left in the child would keep its
    // input from ever ending.
    ::fcntl(feed[1], F_SETFD, FD_CLOEXEC);
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(feed[0]);
        ::close(feed[1]);
        return false;
    }
    if (child == 0) {
        // Ignored signals stay ignored across exec; the pager must see them as any program does.
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGQUIT, SIG_DFL);
        ::signal(SIGPIPE, SIG_DFL);
        if (feed[0] != STDIN_FILENO) {
            ::dup2(feed[0], STDIN_FILENO);
            ::close(feed[0]);
        }
        if (outFd >= 0 && outFd != STDOUT_FILENO) ::dup2(outFd, STDOUT_FILENO);
        if (shellCommand)
            ::execl("/bin/sh", "sh", "-c", shellCommand, static_cast<char*>(nullptr));
        else
            ::execlp("less", "less", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(feed[0]);
    // A pager quit before the end closes the pipe: the rest is dropped (EPIPE, SIGPIPE ignored).
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(feed[1], text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(feed[1]);
    status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

}  // namespace

bool RunPager(const std::string& text, int outFd) {
    // As system() does: Ctrl+C and Ctrl+\ at the terminal reach this program too, but only the
    // pager should act on them. A pager quit early must not end this program by SIGPIPE either.
    struct sigaction ignore;
    std::memset(&ignore, 0, sizeof ignore);
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    const int kHeld[] = {SIGINT, SIGQUIT, SIGPIPE};
    struct sigaction previous[3];
    for (size_t i = 0; i < 3; ++i) ::sigaction(kHeld[i], &ignore, &previous[i]);

    const char* pager = std::getenv("PAGER");
    int status = 0;
    bool ran = pager && *pager && RunOne(pager, text, outFd, status) && !NotStarted(status);
    if (!ran) ran = RunOne(nullptr, text, outFd, status) && !NotStarted(status);

    for (size_t i = 0; i < 3; ++i) ::sigaction(kHeld[i], &previous[i], nullptr);
    return ran;
}
