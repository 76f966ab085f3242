// stream.h - byte streams over standard-library files.
//
// Failures throw InputStream::Exception or OutputStream::Exception, both a
// StreamIOException; the file readers catch them and report the message.
// File streams are local objects; their destructor closes the file.
#pragma once

#include <stdint.h>
#include <stdio.h>

#include "../libs/inc/misc/zu_utils.h"

struct StreamIOException {
    StreamIOException(const char* text, int32_t pos)
        : position(pos)
    {
        copy_text(message, text);
    }

    LongText message;
    int32_t position; // file position at the failing call, or -1
};

class InputStream {
public:
    struct Exception : StreamIOException {
        using StreamIOException::StreamIOException;
    };

    virtual int32_t read_some(void* buffer, int32_t size) = 0;
    virtual int32_t read(void* buffer, int32_t size) = 0;
    virtual int32_t tell() = 0;
    virtual void seek(int32_t position) = 0;
    virtual void seek_relative(int32_t offset) = 0;
    virtual void seek_from_end(int32_t offset) = 0;

protected:
    ~InputStream() = default; // never deleted through the base
};

class OutputStream {
public:
    struct Exception : StreamIOException {
        using StreamIOException::StreamIOException;
    };

    virtual int32_t write(const void* buffer, int32_t size) = 0;
    virtual int32_t tell() = 0;
    virtual void seek(int32_t position) = 0;
    virtual void seek_from_end(int32_t offset) = 0;

protected:
    ~OutputStream() = default;
};

class FileInputStream final : public InputStream {
public:
    FileInputStream() = default;
    FileInputStream(const char* name, const char* mode) { open(name, mode); }
    ~FileInputStream() { close(); }
    FileInputStream(const FileInputStream&) = delete;
    FileInputStream& operator=(const FileInputStream&) = delete;

    bool open(const char* name, const char* mode);
    void close();
    bool is_open() const { return file != nullptr; }

    int32_t read_some(void* buffer, int32_t size) override;
    int32_t read(void* buffer, int32_t size) override;
    int32_t tell() override;
    void seek(int32_t position) override;
    void seek_relative(int32_t offset) override;
    void seek_from_end(int32_t offset) override;
    // Bytes from the current position to the end of the file; the position
    // stays. Readers check sizes a header claims against it before allocating.
    int64_t bytes_left();

private:
    FILE* file = nullptr;
};

class FileOutputStream final : public OutputStream {
public:
    FileOutputStream() = default;
    FileOutputStream(const char* name, const char* mode) { open(name, mode); }
    ~FileOutputStream() { close(); }
    FileOutputStream(const FileOutputStream&) = delete;
    FileOutputStream& operator=(const FileOutputStream&) = delete;

    bool open(const char* name, const char* mode);
    // Closes the file if one is open; false when the data still buffered
    // could not be written (a full disk shows only here or at flush).
    bool close();
    bool is_open() const { return file != nullptr; }
    // Hands the buffered data to the system; throws "error writing file"
    // when it can't be written.
    void flush();

    int32_t write(const void* buffer, int32_t size) override;
    int32_t tell() override;
    void seek(int32_t position) override;
    void seek_from_end(int32_t offset) override;

private:
    FILE* file = nullptr;
};
