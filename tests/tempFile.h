// tempFile.h - a scratch file with given contents and a scratch directory,
// each removed at the end of its scope.
#pragma once

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

// The whole file's bytes; none when it can't be read.
inline std::vector<uint8_t> file_bytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    for (int c; f && (c = fgetc(f)) != EOF;)
        bytes.push_back(static_cast<uint8_t>(c));
    if (f)
        fclose(f);
    return bytes;
}

struct TempFile {
    TempFile(const void* data, size_t size)
    {
        char pattern[] = "/tmp/tarnwick-test-XXXXXX";
        int fd = mkstemp(pattern);
        path = pattern;
        EXPECT_EQ(write(fd, data, size), static_cast<ssize_t>(size));
        close(fd);
    }
    explicit TempFile(const std::vector<uint8_t>& bytes)
        : TempFile(bytes.data(), bytes.size())
    {
    }
    ~TempFile() { unlink(path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    std::string path;
};

// An empty directory under /tmp, removed with everything in it.
struct TempDir {
    TempDir()
    {
        char pattern[] = "/tmp/tarnwick-test-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempDir() { EXPECT_EQ(system(("rm -rf '" + path + "'").c_str()), 0); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path;
};
