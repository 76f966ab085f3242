// process.cpp - starting other programs without waiting for them.
//
// POSIX only, no SDL. Each started child is remembered until it has been
// reaped; plat_reap_children collects the ones that have ended, so a program
// that keeps running after starting another leaves no zombies. Only our own
// children are waited for, never others the process may have.
#include <errno.h>
#include <spawn.h>
#include <sys/wait.h>

#include "../libs/inc/cont/zu_dynArray.h"
#include "platform.h"

extern char** environ;

static struct {
    DynArray<pid_t> children; // started and not yet reaped; kept for the whole run
} process;

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

bool plat_spawn(const char* program, const char* const* argv, bool search_path)
{
    pid_t pid;
    char* const* args = const_cast<char* const*>(argv);
    int r = search_path ? posix_spawnp(&pid, program, nullptr, nullptr, args, environ)
                        : posix_spawn(&pid, program, nullptr, nullptr, args, environ);
    if (r != 0)
        return false;
    plat_reap_children();
    process.children.push(pid);
    return true;
}
