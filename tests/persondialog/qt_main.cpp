// Widget tests need one application object and one configuration (in a
// directory of their own) for the whole run.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>

#include "ModalGuard.h"
#include "app/OrvCalendarConfig.h"
#include "platform/qt/OrvMessageWindow.h"

namespace {

struct DirectoryEntry {
    uint64_t inode;
    int64_t offset;
    unsigned short length;
    unsigned char type;
    char name[1];
};

// Parent id from /proc/<pid>/stat, -1 when unreadable; only calls that a
// signal handler may make.
long ParentOf(const char* pid)
{
    char path[64] = "/proc/";
    size_t n = 6;
    for (const char* c = pid; *c && n < sizeof path - 6; ++c) path[n++] = *c;
    for (const char* c = "/stat"; *c; ++c) path[n++] = *c;
    path[n] = '\0';
    const int fd = open(path, O_RDONLY);
    if (fd < 0) return -1;
    char text[512];
    const ssize_t got = read(fd, text, sizeof text - 1);
    close(fd);
    if (got <= 0) return -1;
    text[got] = '\0';
    // "pid (name) state ppid ...": the name may hold blanks and brackets.
    const char* at = nullptr;
    for (const char* c = text; *c; ++c)
        if (*c == ')') at = c;
    if (!at || !at[1] || !at[2] || !at[3]) return -1;
    at += 4;
    long parent = 0;
    for (; *at >= '0' && *at <= '9'; ++at) parent = parent * 10 + (*at - '0');
    return parent;
}

// A crashing test would leave the portal services it started running, and
// their inherited output would keep the test runner waiting: end them.
void EndChildren(int signal)
{
    const long self = getpid();
    const int dir = open("/proc", O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        char buffer[4096];
        long got;
        while ((got = syscall(SYS_getdents64, dir, buffer, sizeof buffer)) > 0) {
            for (long at = 0; at < got;) {
                const auto* entry = reinterpret_cast<const DirectoryEntry*>(buffer + at);
                at += entry->length;
                if (entry->name[0] < '0' || entry->name[0] > '9') continue;
                if (ParentOf(entry->name) != self) continue;
                long pid = 0;
                for (const char* c = entry->name; *c; ++c) pid = pid * 10 + (*c - '0');
                kill(static_cast<pid_t>(pid), SIGKILL);
            }
        }
        close(dir);
    }
    raise(signal);
}

void EndChildrenOnCrash()
{
    struct sigaction action = {};
    action.sa_handler = EndChildren;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTERM, SIGINT}) sigaction(signal, &action, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    OrvMessageWindow::SetTestMode(true);
    persondialogtest::InstallModalGuard();
    EndChildrenOnCrash();
    QTemporaryDir directory;
    OrvCalendarConfig config(directory.path().toStdString());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
