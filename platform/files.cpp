// files.cpp - files that are replaced whole or not at all, names that are
// never taken from another file, and regular files read whole.
//
// POSIX only, no SDL. A file is written into a temporary name beside it that
// is made here and now (nothing planted at that name is ever opened), handed
// to the disk and renamed over the old one, so a reader sees the old file or
// the new one, never a part.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform.h"

enum { TEMP_NAME_TRIES = 100 }; // temporary names tried before giving up

// Moves all `size` bytes with `io` (read or write), going on where a call
// moved fewer or a signal cut it short; false with errno set, EIO when the
// file ends first.
template <typename Byte, typename Io> static bool move_whole(int fd, Byte* data, size_t size, Io io)
{
    size_t done = 0;
    while (done < size) {
        ssize_t n = io(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool plat_read_whole(int fd, void* data, size_t size)
{
    return move_whole(fd, static_cast<char*>(data), size, read);
}

int plat_open_regular_file(const char* path, bool no_follow, int64_t* size)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (no_follow ? O_NOFOLLOW : 0));
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) != 0) {
        int err = errno;
        close(fd);
        errno = err;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        close(fd);
        return PLAT_NOT_A_FILE;
    }
    *size = static_cast<int64_t>(st.st_size);
    return fd;
}

// Makes a new file "<path>.tmp-<process>-<n>" for writing: a file or link
// already at that name is passed over, never opened. The descriptor with
// the name in temp, or -1 and errno.
static int create_temp(const char* path, char* temp, size_t temp_size, unsigned mode)
{
    for (int n = 0; n < TEMP_NAME_TRIES; ++n) {
        int l = snprintf(temp, temp_size, "%s.tmp-%d-%d", path, static_cast<int>(getpid()), n);
        if (l < 0 || static_cast<size_t>(l) >= temp_size) {
            errno = ENAMETOOLONG;
            return -1;
        }
        int fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, static_cast<mode_t>(mode));
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

int plat_replace_file(const char* path, const void* data, size_t size, unsigned mode)
{
    char temp[PATH_MAX];
    // Created with the mode, so the umask applies as to any new file.
    int fd = create_temp(path, temp, sizeof temp, mode & 07777);
    if (fd < 0)
        return errno;
    int err = 0;
    if (!move_whole(fd, static_cast<const char*>(data), size, write) || fsync(fd) != 0)
        err = errno;
    if (close(fd) != 0 && !err)
        err = errno;
    if (!err && rename(temp, path) != 0)
        err = errno;
    if (err)
        unlink(temp);
    return err;
}

#ifdef __EMSCRIPTEN__
// A page's files are its own, with no other process to take the name between
// looking and renaming; the browser's file system has neither rename that
// never replaces nor hard links.
int plat_rename_noreplace(const char* from, const char* to)
{
    struct stat taken;
    if (lstat(to, &taken) == 0)
        return EEXIST;
    return rename(from, to) == 0 ? 0 : errno;
}
#else
// True when the file system does not do that kind of rename or link at all,
// as against refusing this one.
static bool not_supported(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EPERM;
}

// One rename that never replaces, or where the file system has none, a
// second link followed by removing the old name.
int plat_rename_noreplace(const char* from, const char* to)
{
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (!not_supported(errno))
        return errno;
    if (link(from, to) != 0)
        return errno;
    unlink(from);
    return 0;
}
#endif
