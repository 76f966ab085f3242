// The settings store file and the display settings built from it.
#include "core/settings.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "core/input.h"
#include "core/keyBindings.h"
#include "deathTest.h"
#include "platform/platform.h"

// Reads of this program go through here: while read_fault_after is not
// negative, the reads after that many bytes fail with EIO, as a failing disk
// would part-way through a file.
static long read_fault_after = -1;

extern "C" ssize_t read(int fd, void* buffer, size_t count)
{
    if (read_fault_after < 0)
        return syscall(SYS_read, fd, buffer, count);
    if (read_fault_after == 0) {
        errno = EIO;
        return -1;
    }
    size_t n = count < static_cast<size_t>(read_fault_after) ? count : static_cast<size_t>(read_fault_after);
    ssize_t got = syscall(SYS_read, fd, buffer, n);
    if (got > 0)
        read_fault_after -= got;
    return got;
}

// Points XDG_CONFIG_HOME at a fresh directory for the test's lifetime.
class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tarnwick-config-XXXXXX";
        root = mkdtemp(pattern);
        chmod(root.c_str(), 0755);
        setenv("XDG_CONFIG_HOME", root.c_str(), 1);
        dir = root + "/Oskvel Games/TARNWICK";
    }
    void TearDown() override
    {
        std::string cmd = "chmod -R u+w '" + root + "' && rm -rf '" + root + "'";
        EXPECT_EQ(system(cmd.c_str()), 0);
        unsetenv("XDG_CONFIG_HOME");
    }
    void write_store(const std::string& text)
    {
        std::string cmd = "mkdir -p '" + dir + "'";
        ASSERT_EQ(system(cmd.c_str()), 0);
        std::ofstream(dir + "/settings.reg") << text;
    }
    std::string store_text()
    {
        std::ifstream in(dir + "/settings.reg");
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void read(std::initializer_list<const char*> args)
    {
        std::vector<const char*> argv = {"game"};
        argv.insert(argv.end(), args.begin(), args.end());
        read_settings(static_cast<int>(argv.size()), argv.data());
    }

    std::string root, dir;
};

TEST_F(SettingsStore, TheStoreLivesUnderTheConfigHome)
{
    EXPECT_EQ(std::string(registry_file_path()), dir + "/settings.reg");
}

TEST_F(SettingsStore, WithoutAStoreTheDefaultsHold)
{
    read({});
    const Settings& s = settings();
    EXPECT_FALSE(s.fullscreen);
    EXPECT_FALSE(s.antialias);
    EXPECT_TRUE(s.vsync);
    EXPECT_FALSE(s.fast_voxels);
    EXPECT_EQ(s.window_width, 0);
    EXPECT_EQ(s.window_height, 0);
    uint32_t v;
    EXPECT_FALSE(settings_read_dword("flags", &v));
}

TEST_F(SettingsStore, FlagsFiveIsFullscreenWithVsyncAndNormalVoxels)
{
    write_store("\"flags\"=dword:00000005\n");
    read({});
    EXPECT_TRUE(settings().fullscreen);
    EXPECT_FALSE(settings().antialias);
    EXPECT_TRUE(settings().vsync);
    EXPECT_FALSE(settings().fast_voxels);

    write_store("\"flags\"=dword:0000000a\n");
    read({});
    EXPECT_FALSE(settings().fullscreen);
    EXPECT_TRUE(settings().antialias);
    EXPECT_FALSE(settings().vsync);
    EXPECT_TRUE(settings().fast_voxels);
}

TEST_F(SettingsStore, AStringFlagsValueIsIgnored)
{
    write_store("\"flags\"=\"5\"\n");
    read({});
    EXPECT_FALSE(settings().fullscreen);
    EXPECT_TRUE(settings().vsync);
    uint32_t v;
    EXPECT_FALSE(settings_read_dword("flags", &v));
    // A longer text does not fit a DWORD buffer at all.
    write_store("\"flags\"=\"fullscreen please\"\n");
    EXPECT_FALSE(settings_read_dword("flags", &v));
}

TEST_F(SettingsStore, SwitchesOverrideTheStoreAndTheLaterOneWins)
{
    write_store("\"flags\"=dword:00000007\n");
    read({"-720", "-360", "-fullscr", "-win", "-noaa", "-novs"});
    EXPECT_EQ(settings().window_width, 640);
    EXPECT_EQ(settings().window_height, 360);
    EXPECT_FALSE(settings().fullscreen);
    EXPECT_FALSE(settings().antialias);
    EXPECT_FALSE(settings().vsync);

    read({"-360", "-720", "-win", "-fullscr", "-vs"});
    EXPECT_EQ(settings().window_width, 1280);
    EXPECT_EQ(settings().window_height, 720);
    EXPECT_TRUE(settings().fullscreen);
    EXPECT_TRUE(settings().vsync);
}

// Sound is on at volume 80 unless bit 4 of "flags" mutes it; "volume" above
// 100 plays at 100 with a log line; -mute and -sound override the bit.
TEST_F(SettingsStore, SoundFollowsTheMuteBitTheVolumeAndTheSwitches)
{
    read({});
    EXPECT_TRUE(settings().sound);
    EXPECT_EQ(settings().volume, 80);

    write_store("\"flags\"=dword:00000014\n\"volume\"=dword:00000000\n");
    read({});
    EXPECT_FALSE(settings().sound);
    EXPECT_TRUE(settings().vsync);
    EXPECT_EQ(settings().volume, 0);
    read({"-mute", "-sound"});
    EXPECT_TRUE(settings().sound);

    write_store("\"flags\"=dword:00000004\n\"volume\"=dword:00000065\n");
    testing::internal::CaptureStdout();
    read({"-mute"});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "stored volume 101 is above 100; playing at 100\n");
    EXPECT_EQ(settings().volume, 100);
    EXPECT_FALSE(settings().sound);
}

// -daily chooses the seed itself, so neither a seed nor a recording's may
// come with it: the game stops with the reason and exit code 100.
TEST_F(SettingsStore, DailyGoesAloneWithoutASeedOrAReplay)
{
    read({"-daily", "-record", "game.rec"});
    EXPECT_TRUE(settings().daily);
    read({});
    EXPECT_FALSE(settings().daily);
    EXPECT_FATAL(read({"-daily", "-seed", "5"}), "ERROR: -daily and -seed can't be used together");
    EXPECT_FATAL(read({"-replay", "x.rec", "-daily"}), "ERROR: -daily and -replay can't be used together");
}

TEST_F(SettingsStore, SwitchesAreCaseSensitiveAndOthersAreIgnored)
{
    read({"-AA", "aa", "-aa-", "--aa", "-Fullscr"});
    EXPECT_FALSE(settings().antialias);
    EXPECT_FALSE(settings().fullscreen);
    read({"-aa"});
    EXPECT_TRUE(settings().antialias);
}

TEST_F(SettingsStore, WrittenValuesReadBackAndOtherLinesSurvive)
{
    write_store("; written by hand\r\n\"flags\"=dword:00000001\r\n\"other\"=\"a \\\"quoted\\\" \\\\ "
                "text\"\ngarbage\r\r\n");
    EXPECT_TRUE(settings_write_dword("flags", 13));
    uint32_t v = 0;
    EXPECT_TRUE(settings_read_dword("flags", &v));
    EXPECT_EQ(v, 13u);
    // Every other line is kept byte for byte, its line end included.
    EXPECT_EQ(store_text(),
        "; written by hand\r\n\"flags\"=dword:0000000d\n\"other\"=\"a \\\"quoted\\\" \\\\ "
        "text\"\ngarbage\r\r\n");

    char text[64];
    uint32_t type = 0, size = sizeof text;
    ASSERT_TRUE(registry_read("other", &type, text, &size));
    EXPECT_EQ(type, static_cast<uint32_t>(REG_TYPE_SZ));
    EXPECT_STREQ(text, "a \"quoted\" \\ text");
    EXPECT_EQ(size, strlen(text) + 1);
    // A buffer that is too small is refused and told the size it needs.
    size = 4;
    EXPECT_FALSE(registry_read("other", &type, text, &size));
    EXPECT_EQ(size, strlen("a \"quoted\" \\ text") + 1);
}

TEST_F(SettingsStore, AWriteCreatesTheStoreAndMalformedLinesAreSkipped)
{
    EXPECT_TRUE(settings_write_dword("flags", 2));
    EXPECT_EQ(store_text(), "\"flags\"=dword:00000002\n");

    write_store("\"flags\"=dword:123456789\n\"flags\"=dword:\n\"flags=dword:1\n\"flags\"=dword:00000004\n");
    uint32_t v = 0;
    EXPECT_TRUE(settings_read_dword("flags", &v));
    EXPECT_EQ(v, 4u);
}

// Runs f in a child process that has dropped root rights, as a player's
// session would run; returns the child's exit status.
template <typename F> static int as_unprivileged(F f)
{
    pid_t pid = fork();
    if (pid == 0) {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        _exit(f() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(SettingsStore, AFailedWriteReportsFalseAndKeepsTheOldValue)
{
    write_store("\"flags\"=dword:00000009\n");
    chmod(dir.c_str(), 0555);
    EXPECT_EQ(as_unprivileged([] { return settings_write_dword("flags", 1); }), 1);
    EXPECT_EQ(store_text(), "\"flags\"=dword:00000009\n");
    EXPECT_EQ(as_unprivileged([] {
        uint32_t v = 0;
        return settings_read_dword("flags", &v) && v == 9;
    }),
        0);
    // Nothing was left behind beside the store.
    std::string cmd = "test $(ls -A '" + dir + "' | grep -vx .settings.lock | wc -l) -eq 1";
    EXPECT_EQ(system(cmd.c_str()), 0);

    // A store directory that cannot be made (a file stands in its way).
    chmod(dir.c_str(), 0755);
    std::string blocked = root + "/blocked";
    std::ofstream(blocked) << "x";
    setenv("XDG_CONFIG_HOME", blocked.c_str(), 1);
    EXPECT_FALSE(settings_write_dword("flags", 1));
}

TEST_F(SettingsStore, AStoreThatCantBeReadWholeIsNeverRewritten)
{
    const std::string held = "; mine\n\"flags\"=dword:00000009\n\"name\"=\"kept\"\n";
    write_store(held);
    std::string store = dir + "/settings.reg";
    // Unreadable: a store of another owner, mode 000, in the reader's own folder.
    ASSERT_EQ(chown(dir.c_str(), getuid() == 0 ? 65534 : getuid(), getgid() == 0 ? 65534 : getgid()), 0);
    chmod(store.c_str(), 0);
    EXPECT_EQ(as_unprivileged([] {
        uint32_t v = 0;
        return !settings_read_dword("flags", &v) && strstr(registry_last_error(), "Permission denied")
            && !settings_write_dword("flags", 1) && strstr(registry_last_error(), "can't read '")
            && strstr(registry_last_error(), "settings.reg'");
    }),
        0);
    ASSERT_EQ(chown(dir.c_str(), getuid(), getgid()), 0);
    chmod(store.c_str(), 0600);
    EXPECT_EQ(store_text(), held);

    // Half-readable: the disk fails after the first 10 bytes.
    read_fault_after = 10;
    bool written = settings_write_dword("flags", 1);
    read_fault_after = -1;
    EXPECT_FALSE(written);
    EXPECT_NE(std::string(registry_last_error()).find("Input/output error"), std::string::npos);
    EXPECT_EQ(store_text(), held);
    // The store kept its mode through a successful write, and nothing was left beside it.
    EXPECT_TRUE(settings_write_dword("flags", 2));
    struct stat st;
    ASSERT_EQ(stat(store.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::string cmd = "test $(ls -A '" + dir + "' | grep -vx .settings.lock | wc -l) -eq 1";
    EXPECT_EQ(system(cmd.c_str()), 0);
}

TEST_F(SettingsStore, ConcurrentWritersKeepEachOthersValues)
{
    write_store("; shared\n");
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        if (writers[w] == 0) {
            bool ok = true;
            for (int i = 0; i < 200; ++i) {
                char name[16];
                snprintf(name, sizeof name, "%c%d", "ab"[w], i);
                ok = settings_write_dword(name, static_cast<uint32_t>(i)) && ok;
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t pid : writers) {
        int status = -1;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    int kept = 0;
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < 200; ++i) {
            char name[16];
            snprintf(name, sizeof name, "%c%d", "ab"[w], i);
            uint32_t v = 0;
            kept += settings_read_dword(name, &v) && v == static_cast<uint32_t>(i);
        }
    EXPECT_EQ(kept, 400);
    EXPECT_EQ(store_text().rfind("; shared\n", 0), 0u);
}

TEST_F(SettingsStore, AStoreThatIsALinkIsWrittenWhereItPoints)
{
    std::string cmd = "mkdir -p '" + dir + "' '" + root + "/dotfiles'";
    ASSERT_EQ(system(cmd.c_str()), 0);
    std::ofstream(root + "/dotfiles/tarnwick.reg") << "\"flags\"=dword:00000001\n";
    ASSERT_EQ(symlink("../../dotfiles/tarnwick.reg", (dir + "/settings.reg").c_str()), 0);
    EXPECT_TRUE(settings_write_dword("flags", 4));
    struct stat st;
    ASSERT_EQ(lstat((dir + "/settings.reg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    std::ifstream in(root + "/dotfiles/tarnwick.reg");
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "\"flags\"=dword:00000004\n");
}

// Binding swaps keys between actions and is read back from the store; a bound
// key stands only for its action. A stored text that can't be read is
// logged, gives the default keys and stays in the store until a new binding.
TEST_F(SettingsStore, KeyBindingsSwapRoundTripAndSurviveAnUnreadableStore)
{
    read_key_bindings();
    EXPECT_EQ(bound_key(ACTION_JUMP), 'W');
    EXPECT_FALSE(bind_key(ACTION_JUMP, VK_ESCAPE)) << "Escape cancels choosing a key";
    EXPECT_TRUE(bind_key(ACTION_JUMP, 'A'));
    EXPECT_EQ(bound_key(ACTION_LEFT), 'W') << "run left takes jump's old key";
    EXPECT_TRUE(bind_key(ACTION_FIRE, VK_SPACE));
    EXPECT_EQ(key_standing_for('W'), 'A');
    EXPECT_EQ(key_standing_for('A'), 'W');
    EXPECT_EQ(key_standing_for(VK_LBUTTON), VK_SPACE);
    EXPECT_EQ(key_standing_for(VK_SPACE), 0) << "Space stands only for fire now";
    EXPECT_EQ(key_standing_for(VK_UP), VK_UP);
    ASSERT_TRUE(store_key_bindings());
    reset_key_bindings();
    read_key_bindings();
    EXPECT_EQ(bound_key(ACTION_LEFT), 'W');
    EXPECT_EQ(bound_key(ACTION_JUMP), 'A');
    EXPECT_EQ(bound_key(ACTION_FIRE), VK_SPACE);

    for (const char* bad : {"left=65 right=68", "left=65 right=68 jump=87 fire=1 pause=80 viewer=116 left=66",
             "left=65 right=65 jump=87 fire=1 pause=80 viewer=116",
             "left=27 right=68 jump=87 fire=1 pause=80 viewer=116",
             "left=65 right=68 jump=87 fire=1 pause=80 viewer=F5"}) {
        std::string line = std::string("\"controls\"=\"") + bad + "\"\n";
        write_store(line);
        ::testing::internal::CaptureStdout();
        read_key_bindings();
        std::string log = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(log, std::string("controls setting '") + bad + "' can't be read; using the default keys\n");
        EXPECT_EQ(bound_key(ACTION_JUMP), 'W') << bad;
        EXPECT_EQ(store_text(), line) << "left as it was";
    }
    EXPECT_TRUE(bind_key(ACTION_JUMP, 'K'));
    ASSERT_TRUE(store_key_bindings());
    EXPECT_EQ(store_text(), "\"controls\"=\"left=65 right=68 jump=75 fire=1 pause=80 viewer=116\"\n");
    reset_key_bindings();
}

// The store's folder is the user's alone, the lock a private file in it, a
// new store follows the umask, and a writer of ours that holds the lock
// too long makes the write fail rather than wait without end.
TEST_F(SettingsStore, TheFolderAndLockAreTheUsersAndAHeldLockIsWaitedForOnlySoLong)
{
    mode_t old_umask = umask(077);
    ASSERT_TRUE(settings_write_dword("flags", 1));
    umask(old_umask);
    struct stat st;
    ASSERT_EQ(stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(lstat((dir + "/.settings.lock").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(stat((dir + "/settings.reg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "0666 less the umask 077";

    int pipe_fds[2];
    ASSERT_EQ(pipe(pipe_fds), 0);
    pid_t holder = fork();
    if (holder == 0) {
        int fd = open((dir + "/.settings.lock").c_str(), O_RDWR);
        flock(fd, LOCK_EX);
        char c = 1;
        ssize_t n = write(pipe_fds[1], &c, 1);
        sleep(8);
        _exit(n == 1 ? 0 : 1);
    }
    char c;
    ASSERT_EQ(::read(pipe_fds[0], &c, 1), 1);
    EXPECT_FALSE(settings_write_dword("flags", 2));
    EXPECT_NE(std::string(registry_last_error()).find("another program holds it"), std::string::npos)
        << registry_last_error();
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    uint32_t v = 0;
    EXPECT_TRUE(settings_read_dword("flags", &v) && v == 1) << "the store stays as it was";
}

// Without a home (no usable $HOME, no password entry) nothing is kept:
// no settings, no data or pictures folder, and never a shared folder instead.
TEST_F(SettingsStore, WithoutAHomeNothingIsKeptAnywhere)
{
    if (getuid() != 0)
        GTEST_SKIP() << "needs to take a user id without a password entry";
    pid_t pid = fork();
    if (pid == 0) {
        unsetenv("XDG_CONFIG_HOME");
        setenv("HOME", "relative", 1);
        if (setgid(54321) != 0 || setuid(54321) != 0)
            _exit(3);
        bool ok = !settings_write_dword("flags", 1) && strstr(registry_last_error(), "no home folder")
            && !*plat_config_home() && !*plat_data_home() && !*plat_pictures_dir();
        _exit(ok ? 0 : 1);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// user-dirs.dirs values as the shell reads them.
TEST(UserDirs, ValuesAreReadAsTheShellReadsThem)
{
    std::string v;
    EXPECT_TRUE(plat_parse_user_dir_value("\"$HOME/Bilder\"\n", "/home/p", &v) && v == "/home/p/Bilder");
    EXPECT_TRUE(plat_parse_user_dir_value("\"$HOME\"  # none\n", "/home/p", &v) && v == "/home/p");
    EXPECT_TRUE(plat_parse_user_dir_value("\"/srv/a \\\"b\\\" \\\\c\\d\"", "/home/p", &v)
        && v == "/srv/a \"b\" \\c\\d")
        << v;
    for (const char* bad :
        {"\"$HOMEfoo/x\"", "\"$USER/x\"", "\"/x", "/x", "\"/x\"junk", "\"`id`\"", "\"${HOME}/x\""})
        EXPECT_FALSE(plat_parse_user_dir_value(bad, "/home/p", &v)) << bad;
}

// A program looked up by name comes from PATH's absolute folders only: an
// empty or relative entry (the current folder) is passed over.
TEST(Spawn, ANameIsLookedUpInAbsoluteFoldersOnly)
{
    char pattern[] = "/tmp/tarnwick-spawn-XXXXXX";
    std::string dir = mkdtemp(pattern);
    std::string marker = dir + "/ran";
    std::ofstream(dir + "/tarnwick-probe") << "#!/bin/sh\n/usr/bin/touch '" << marker << "'\n";
    chmod((dir + "/tarnwick-probe").c_str(), 0755);
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    std::string saved_path = getenv("PATH") ? getenv("PATH") : "";
    ASSERT_EQ(chdir(dir.c_str()), 0);
    const char* argv[] = {"tarnwick-probe", nullptr};
    setenv("PATH", ":.:/nonexistent", 1);
    EXPECT_FALSE(plat_spawn("tarnwick-probe", argv, true));
    setenv("PATH", ("/nonexistent:" + dir).c_str(), 1);
    EXPECT_TRUE(plat_spawn("tarnwick-probe", argv, true));
    for (int i = 0; i < 100 && access(marker.c_str(), F_OK) != 0; ++i)
        usleep(20000);
    EXPECT_EQ(access(marker.c_str(), F_OK), 0);
    setenv("PATH", saved_path.c_str(), 1);
    ASSERT_EQ(chdir(cwd), 0);
    plat_reap_children();
    EXPECT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0);
}

// Standard streams the program was started without are opened on /dev/null.
TEST(StandardStreams, ClosedOnesAreOpenedOnDevNull)
{
    pid_t pid = fork();
    if (pid == 0) {
        close(1);
        close(2);
        plat_open_standard_streams();
        char target[64] = {};
        bool ok
            = readlink("/proc/self/fd/1", target, sizeof target - 1) > 0 && strcmp(target, "/dev/null") == 0;
        _exit(ok && fcntl(2, F_GETFD) >= 0 ? 0 : 1);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
