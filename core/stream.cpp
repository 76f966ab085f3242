// stream.cpp - file streams over stdio.
#include "stream.h"

#include <fcntl.h>
#include <string.h>
#include <unistd.h>

// Both stream kinds share the handle logic; only the exception type differs.
template <typename E> static void require_open(FILE* file)
{
    if (!file)
        throw E("file not opened", -1);
}

template <typename E> static int32_t position_of(FILE* file)
{
    require_open<E>(file);
    return static_cast<int32_t>(ftell(file));
}

template <typename E> static void seek_file(FILE* file, long offset, int whence)
{
    require_open<E>(file);
    if (fseek(file, offset, whence) != 0)
        throw E("file seek error", static_cast<int32_t>(ftell(file)));
}

// A file made for writing ("w" modes) is never reached through a symbolic
// link at its own name (one planted there would make us write elsewhere)
// and gets 0666 less the umask, like any new file; other modes go to fopen.
static FILE* open_file(FILE*& file, const char* name, const char* mode)
{
    if (file)
        fclose(file);
    file = nullptr;
    if (!name)
        return nullptr;
    // stdio opens files shared: other processes may read and write them too.
    if (mode[0] != 'w' || strchr(mode, '+')) {
        file = fopen(name, mode);
        return file;
    }
    int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    file = fdopen(fd, mode);
    if (!file)
        close(fd);
    return file;
}

static void close_file(FILE*& file)
{
    if (file)
        fclose(file);
    file = nullptr;
}

bool FileInputStream::open(const char* name, const char* mode)
{
    return open_file(file, name, mode) != nullptr;
}

void FileInputStream::close()
{
    close_file(file);
}

int32_t FileInputStream::read_some(void* buffer, int32_t size)
{
    if (!file || size <= 0)
        return 0;
    return static_cast<int32_t>(fread(buffer, 1, static_cast<size_t>(size), file));
}

int32_t FileInputStream::read(void* buffer, int32_t size)
{
    require_open<Exception>(file);
    if (size < 0)
        throw Exception("negative size in read()", -1);
    if (size == 0)
        return 0;
    size_t got = fread(buffer, 1, static_cast<size_t>(size), file);
    if (got != static_cast<size_t>(size))
        throw Exception("error reading file", static_cast<int32_t>(ftell(file)));
    return size;
}

int32_t FileInputStream::tell()
{
    return position_of<Exception>(file);
}

void FileInputStream::seek(int32_t position)
{
    seek_file<Exception>(file, position, SEEK_SET);
}

void FileInputStream::seek_relative(int32_t offset)
{
    seek_file<Exception>(file, offset, SEEK_CUR);
}

void FileInputStream::seek_from_end(int32_t offset)
{
    seek_file<Exception>(file, offset, SEEK_END);
}

int64_t FileInputStream::bytes_left()
{
    // In 64 bits: the 32-bit positions of the other calls can't tell a file
    // over 2 GiB, which a reader must refuse rather than misjudge.
    require_open<Exception>(file);
    off_t start = ftello(file);
    if (start < 0 || fseeko(file, 0, SEEK_END) != 0)
        throw Exception("file seek error", -1);
    off_t end = ftello(file);
    if (end < 0 || fseeko(file, start, SEEK_SET) != 0)
        throw Exception("file seek error", -1);
    return static_cast<int64_t>(end - start);
}

bool FileOutputStream::open(const char* name, const char* mode)
{
    return open_file(file, name, mode) != nullptr;
}

bool FileOutputStream::close()
{
    bool closed = !file || fclose(file) == 0;
    file = nullptr;
    return closed;
}

void FileOutputStream::flush()
{
    require_open<Exception>(file);
    if (fflush(file) != 0)
        throw Exception("error writing file", static_cast<int32_t>(ftell(file)));
}

int32_t FileOutputStream::write(const void* buffer, int32_t size)
{
    require_open<Exception>(file);
    if (size < 0)
        throw Exception("negative size in write()", -1);
    if (size == 0)
        return 0;
    size_t put = fwrite(buffer, 1, static_cast<size_t>(size), file);
    if (put != static_cast<size_t>(size))
        throw Exception("error writing file", static_cast<int32_t>(ftell(file)));
    return size;
}

int32_t FileOutputStream::tell()
{
    return position_of<Exception>(file);
}

void FileOutputStream::seek(int32_t position)
{
    seek_file<Exception>(file, position, SEEK_SET);
}

void FileOutputStream::seek_from_end(int32_t offset)
{
    seek_file<Exception>(file, offset, SEEK_END);
}
