// File streams, data-file paths and file times.
#include "core/stream.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "core/paths.h"
#include "deathTest.h"
#include "fakePlatform.h"
#include "tempFile.h"

template <typename F> static StreamIOException caught(F f)
{
    try {
        f();
    } catch (const StreamIOException& e) {
        return e;
    }
    ADD_FAILURE() << "no exception";
    return StreamIOException("", 0);
}

TEST(FileInputStream, ReadsExactSizesAndReportsShortReadsWithTheirPosition)
{
    TempFile file("0123456789", 10);
    FileInputStream in(file.path.c_str(), "rb");
    char buf[16] = {};
    EXPECT_EQ(in.read(buf, 0), 0);
    EXPECT_EQ(in.read_some(buf, 0), 0);
    EXPECT_EQ(in.tell(), 0);
    EXPECT_EQ(in.read(buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "0123");

    StreamIOException e = caught([&] { in.read(buf, 10); });
    EXPECT_STREQ(e.message.s, "error reading file");
    EXPECT_EQ(e.position, 10); // the end of what could be read
    EXPECT_TRUE(in.is_open()); // a failure leaves the stream open

    in.seek(2);
    in.seek_relative(3);
    EXPECT_EQ(in.tell(), 5);
    EXPECT_EQ(in.bytes_left(), 5);
    EXPECT_EQ(in.tell(), 5); // measuring does not move the stream
    in.seek_from_end(-1);
    EXPECT_EQ(in.read_some(buf, 8), 1);
    EXPECT_EQ(buf[0], '9');

    e = caught([&] { in.seek(-5); });
    EXPECT_STREQ(e.message.s, "file seek error");
    e = caught([&] { in.read(buf, -1); });
    EXPECT_STREQ(e.message.s, "negative size in read()");
    EXPECT_EQ(e.position, -1);
}

TEST(FileInputStream, EveryOperationOfAClosedStreamSaysFileNotOpened)
{
    FileInputStream in("/nonexistent/tarnwick/file", "rb");
    EXPECT_FALSE(in.is_open());
    char buf[4];
    EXPECT_EQ(in.read_some(buf, 4), 0);
    in.close();
    in.close();
    const std::function<void()> ops[] = {
        [&] { in.read(buf, 0); },
        [&] { in.tell(); },
        [&] { in.seek(0); },
        [&] { in.seek_relative(1); },
        [&] { in.seek_from_end(0); },
        [&] { in.bytes_left(); },
    };
    for (const auto& op : ops) {
        StreamIOException e = caught(op);
        EXPECT_STREQ(e.message.s, "file not opened");
        EXPECT_EQ(e.position, -1);
    }
    // The handler for either kind of stream error catches input errors.
    EXPECT_THROW(in.tell(), InputStream::Exception);
}

TEST(FileOutputStream, WritesAndReportsItsErrors)
{
    char name[] = "/tmp/tarnwick-out-XXXXXX";
    close(mkstemp(name));
    {
        FileOutputStream out(name, "wb");
        EXPECT_EQ(out.write("abcdef", 6), 6);
        EXPECT_EQ(out.write("", 0), 0);
        EXPECT_EQ(out.tell(), 6);
        out.seek(1);
        out.write("X", 1);
        out.seek_from_end(0);
        EXPECT_EQ(out.tell(), 6);
        StreamIOException e = caught([&] { out.write("a", -2); });
        EXPECT_STREQ(e.message.s, "negative size in write()");
        EXPECT_EQ(e.position, -1);
    }
    FileInputStream in(name, "rb");
    char buf[6];
    in.read(buf, 6);
    EXPECT_EQ(std::string(buf, 6), "aXcdef");

    // A link planted at the name is not followed: its target keeps its bytes.
    std::string link = std::string(name) + ".link";
    ASSERT_EQ(symlink(name, link.c_str()), 0);
    FileOutputStream through(link.c_str(), "wb");
    EXPECT_FALSE(through.is_open());
    EXPECT_EQ(errno, ELOOP);
    unlink(link.c_str());
    FileInputStream again(name, "rb");
    EXPECT_EQ(again.bytes_left(), 6);
    unlink(name);

    FileOutputStream closed;
    EXPECT_THROW(closed.write("a", 1), OutputStream::Exception);
    StreamIOException e = caught([&] { closed.seek(0); });
    EXPECT_STREQ(e.message.s, "file not opened");

    // /dev/full accepts the open and refuses the data.
    FileOutputStream full("/dev/full", "wb");
    ASSERT_TRUE(full.is_open());
    std::string big(1 << 16, 'z');
    e = caught([&] { full.write(big.data(), static_cast<int32_t>(big.size())); });
    EXPECT_STREQ(e.message.s, "error writing file");
}

TEST(Paths, DataFilesResolveUnderTheProgramsDirectory)
{
    fake_reset();
    fake.exePath = "/opt/tarnwick/bin/game";
    find_app_path();
    EXPECT_STREQ(app_path(), "/opt/tarnwick/bin/");

    PathText p;
    EXPECT_STREQ(resolve_path(p, "shots/shot.png"), "/opt/tarnwick/bin/shots/shot.png");
    EXPECT_STREQ(resolve_path(p, nullptr), "/opt/tarnwick/bin/");
    EXPECT_STREQ(resolve_path(p, ""), "/opt/tarnwick/bin/");
    EXPECT_STREQ(resolve_path(p, "../share/./font.tga"), "/opt/tarnwick/share/font.tga");
    EXPECT_STREQ(resolve_path(p, "cache//cube.sh.cache"), "/opt/tarnwick/bin/cache/cube.sh.cache");
    EXPECT_STREQ(resolve_path(p, "cache/"), "/opt/tarnwick/bin/cache/");
    // An absolute name skips the program's directory but is still normalised.
    EXPECT_STREQ(resolve_path(p, "/var//lib/../tmp/./x"), "/var/tmp/x");
    EXPECT_STREQ(resolve_path(p, "/../../x"), "/x");
    EXPECT_STREQ(resolve_path(p, "/"), "/");
}

// Without its own folder the program never falls back on the working
// directory: it ends, saying why.
TEST(Paths, AnUnknownProgramFolderIsFatal)
{
    fake_reset();
    fake.exePathOk = false;
    EXPECT_FATAL(find_app_path(), "can't find the program's own folder: No such file or directory");
    fake.exePathOk = true;
    fake.exePath = std::string("/") + std::string(PATH_MAX, 'd') + "/game"; // more than a path may have
    EXPECT_FATAL(find_app_path(), "can't find the program's own folder: File name too long");
}

// A deep folder works up to what the system can open; beyond that the
// program ends naming the path, not with an assertion.
TEST(Paths, DeepFoldersWorkAndOverlongPathsEndWithTheirName)
{
    fake_reset();
    std::string deep = "/" + std::string(200, 'd') + "/" + std::string(200, 'e') + "/";
    fake.exePath = deep + "game";
    find_app_path();
    EXPECT_EQ(std::string(app_path()), deep);
    PathText p;
    EXPECT_EQ(std::string(resolve_path(p, "cache/cube.sh.cache")), deep + "cache/cube.sh.cache");

    std::string name = std::string(PATH_MAX - deep.size(), 'n');
    EXPECT_FATAL(resolve_path(p, name.c_str()),
        "the path '/d+/e+/n+' is longer than the 4095 characters a path may have");
    EXPECT_TRUE(join_path(p, deep.c_str(), "x"));
    EXPECT_EQ(std::string(p.s), deep + "x");
    EXPECT_FALSE(join_path(p, deep.c_str(), name.c_str()));
    EXPECT_EQ(std::string(p.s), deep + "x");
}

TEST(Paths, FileTimeIsZeroForMissingFiles)
{
    TempFile file("x", 1);
    EXPECT_GT(file_time(file.path.c_str()), 1000000000);
    EXPECT_EQ(file_time("/nonexistent/file"), 0);
    EXPECT_EQ(file_time(nullptr), 0);
}
