// process.cpp - the process's standard streams, and starting other programs
// without waiting for them.
//
// POSIX only, no SDL. Each started child is remembered until it has been
// reaped; plat_reap_children collects the ones that have ended, so a program
// that keeps running after starting another leaves no zombies. Only our own
// children are waited for, never others the process may have.
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "../libs/inc/cont/zu_dynArray.h"
#include "platform.h"

extern char** environ;

static struct {
    DynArray<pid_t> children; // started and not yet reaped; kept for the whole run
} process;

void plat_open_standard_streams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        // The lowest free descriptor is fd itself.
        int opened = open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != fd)
            close(opened);
    }
}

void plat_reap_children()
{
    DynArray<pid_t>& c = process.children;
    for (int i = 0; i < c.size();) {
        int status;
        pid_t r = waitpid(c[i], &status, WNOHANG);
        if (r == c[i] || (r < 0 && errno == ECHILD))
            c.remove_fast(i); // the last child moved here: look at i again
        else
            ++i;
    }
}

// The first executable file named `name` in PATH's absolute folders (an
// empty or relative entry would mean the current folder, where anyone may
// have put a program of that name), or in /usr/bin and /bin without a PATH.
static bool find_in_path(const char* name, std::string* found)
{
    const char* path = getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string folder = folders.substr(start, end - start);
        start = end + 1;
        if (folder.empty() || folder[0] != '/')
            continue;
        std::string candidate = folder + "/" + name;
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode)
            && access(candidate.c_str(), X_OK) == 0) {
            *found = candidate;
            return true;
        }
    }
    return false;
}

bool plat_spawn(const char* program, const char* const* argv, bool search_path)
{
    std::string path = program;
    if (search_path && !strchr(program, '/') && !find_in_path(program, &path)) {
        errno = ENOENT;
        return false;
    }
    pid_t pid;
    char* const* args = const_cast<char* const*>(argv);
    int r = posix_spawn(&pid, path.c_str(), nullptr, nullptr, args, environ);
    if (r != 0) {
        errno = r;
        return false;
    }
    plat_reap_children();
    process.children.push(pid);
    return true;
}
