// The performance overlay's graphs and statistics through the font batch,
// and screenshots: their file names, the captured region of a window partly
// off the desktop, and the files and log lines they leave, also when several
// fall in one second or a save fails.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/perfOverlay.h"
#include "app/screenshot.h"
#include "core/paths.h"
#include "fakeFrame.h"
#include "fakePlatform.h"
#include "fontQuads.h"
#include "kiln/font.h"
#include "tempFile.h"
#include "tgaWriter.h"

#include "stbImage.h"

namespace {

// A program directory with the test font, the font loaded and a batch open.
class Overlay : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_app_path((dir.path + "/").c_str());
        fake_frame_reset();
        fake_reset();
        fake_device.width = 800;
        fake_device.height = 400;
        ASSERT_TRUE(write_test_tga(dir.path + "/font.tga", 128, 128, test_font(128, 128)));
        ::testing::internal::CaptureStdout();
        font_init();
        ::testing::internal::GetCapturedStdout();
        font_begin();
    }
    void TearDown() override { font_shutdown(); }

    std::vector<FontQuad> finish()
    {
        font_end();
        return drawn_font_quads();
    }

    TempDir dir;
    int32_t ring[FRAME_STATS_LEN] = {};
};

} // namespace

TEST_F(Overlay, AtTheBudgetTheFrameGraphsBandAndBarAreHalfHigh)
{
    // 800 x 400: bars 2 pixels apart, the graph 100 pixels high from x = 400.
    ring[10] = 50000;
    ring[11] = 25000;
    draw_time_graph(ring, 0, 50000, 50000, true);
    std::vector<FontQuad> q = finish();
    ASSERT_GE(q.size(), 2u + 200u);
    EXPECT_EQ(q[0].x0, 400);
    EXPECT_EQ(q[0].x1, 800);
    EXPECT_EQ(q[0].y1, 100);
    EXPECT_EQ(q[0].colour, 0x40000000u);
    EXPECT_EQ(q[1].y1, 50) << "the budget band";
    EXPECT_EQ(q[1].colour, 0x20008000u);
    const FontQuad& atBudget = q[2 + 10];
    EXPECT_EQ(atBudget.x0, 400 + 1 + 1 + 10 * 2);
    EXPECT_EQ(atBudget.x1, atBudget.x0 + 1);
    EXPECT_EQ(atBudget.y0, 0);
    EXPECT_EQ(atBudget.y1, 50);
    EXPECT_EQ(atBudget.colour & 0x00FFFF, 0u) << "red at the budget";
    // The largest bar's value, "50000", follows it: five characters, each a
    // shadow and a glyph, the last one's gap ending at the bar's centre.
    EXPECT_EQ(q[2 + 11 + 9].x1 + 1, atBudget.x0 + 1);
    const FontQuad& under = q[2 + 11 + 10];
    EXPECT_EQ(under.y1, 25);
    EXPECT_EQ(under.colour & 0xFF00FF, 0u) << "green below it";
}

TEST_F(Overlay, TheUpdateGraphSpansTwiceAHundredthOfThePeriodWithoutABand)
{
    ring[0] = 1000;
    ring[1] = 250;
    ring[2] = 5000;
    draw_time_graph(ring, 0, 50000 / 100, 50000, false);
    std::vector<FontQuad> q = finish();
    EXPECT_EQ(q[0].x0, 0);
    EXPECT_EQ(q[0].x1, 400);
    // No band: the bars follow the backdrop at once.
    EXPECT_EQ(q[1].x0, 2);
    EXPECT_EQ(q[1].y1, 100) << "1000 us is the full height";
    EXPECT_EQ(q[2].y1, 25);
    EXPECT_EQ(q[3].y1, 100) << "taller bars are cut";
    EXPECT_EQ(q[1].colour & 0xFF00FF, 0u) << "below the update period: green";
}

TEST_F(Overlay, TheNewestBarIsBrightestAndTheLargestIsLabelled)
{
    for (int i = 0; i < FRAME_STATS_LEN; ++i)
        ring[i] = 10;
    ring[50] = 30;
    ring[120] = 30;
    draw_time_graph(ring, 100, 50000, 50000, true);
    std::vector<FontQuad> q = finish();
    // Only the first largest bar carries its value, "30" (in the test font
    // '3' is two columns wide and '0' an empty cell), ending at the bar's
    // centre (x = 503), its bottom half way up the graph; the later bars
    // follow its four quads.
    ASSERT_EQ(q.size(), 2u + 200u + 4u);
    EXPECT_EQ(q[2 + 51].colour, 0x80000000u) << "the shadow";
    EXPECT_EQ(q[2 + 52].x0, 503 - 3 - 6);
    EXPECT_EQ(q[2 + 52].y0, 50);
    // Index 100 is the oldest: darkest; index 99 the newest.
    EXPECT_EQ(q[2 + 4 + 100].colour, 0xFF000000u);
    EXPECT_EQ(q[2 + 4 + 99].colour, 0xFF000000u | static_cast<uint32_t>(0.5f * 255 * 199 / 200) << 8);
    EXPECT_GT(q[2 + 4 + 99].colour, q[2 + 4 + 60].colour);
}

TEST_F(Overlay, RingsSummariseIncludingNegativeSamples)
{
    for (int i = 0; i < FRAME_STATS_LEN; ++i)
        ring[i] = i % 2 ? 3 : 0;
    RingSummary r = summarize_ring(ring);
    EXPECT_EQ(r.max, 3);
    EXPECT_EQ(r.min, 0);
    EXPECT_EQ(r.average, (300 + 100) / 200);
    for (int32_t& v : ring)
        v = -1;
    r = summarize_ring(ring);
    EXPECT_EQ(r.max, -1);
    EXPECT_EQ(r.average, 0);
}

TEST_F(Overlay, TheStatisticsBoxSitsTopRightAndTheFontStateComesBack)
{
    fake_device.height = 720;
    font_set_scale(3);
    draw_perf_overlay();
    EXPECT_EQ(font_scale(), 3);
    std::vector<FontQuad> q = finish();
    // cellH = 8 and 720 / (8 * 40) = 2: the box is 24 x 28 cells of 8 x 2.
    bool found = false;
    for (const FontQuad& r : q)
        found = found
            || (r.x0 == 800 - 12 * 16 && r.y0 == 720 - 14 * 16 && r.x1 == 800 && r.y1 == 720
                && r.colour == 0x40000000u);
    EXPECT_TRUE(found);
}

TEST(ScreenshotName, ComesFromTheLocalTime)
{
    struct tm t = {};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    PathText name;
    EXPECT_STREQ(screenshot_name(name, &t), "shots/shot2024_03_05_07_08_09.png");
    EXPECT_STREQ(screenshot_name(name, nullptr), "shots/shot.png");
    EXPECT_STREQ(screenshot_name(name, &t, 2), "shots/shot2024_03_05_07_08_09_2.png");
}

namespace {

class Screenshot : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_frame_reset();
        fake_reset();
        fake_device.width = 640;
        fake_device.height = 360;
        fake.desktopWidth = 1920;
        fake.desktopHeight = 1080;
    }
    void TearDown() override { release_capture(); }
};

} // namespace

TEST_F(Screenshot, AWindowPartlyOffTheDesktopGivesItsVisiblePart)
{
    int w, h, pitch;
    fake.windowRect = {-100, 50, 540, 410};
    const uint32_t* p = capture_screen(&w, &h, &pitch);
    ASSERT_TRUE(p);
    EXPECT_EQ(w, 540);
    EXPECT_EQ(h, 360);
    EXPECT_EQ(pitch, 640 * 4);
    EXPECT_EQ(p[0], fake_presented_pixel(100, 0));
    EXPECT_EQ(p[pitch / 4 * 2 + 3], fake_presented_pixel(103, 2));

    fake.windowRect = {1800, 1000, 2440, 1360};
    p = capture_screen(&w, &h, &pitch);
    ASSERT_TRUE(p);
    EXPECT_EQ(w, 120);
    EXPECT_EQ(h, 80);
    EXPECT_EQ(p[0], fake_presented_pixel(0, 0));

    fake.windowRect = {-700, 0, -60, 360};
    EXPECT_FALSE(capture_screen(&w, &h, &pitch)) << "nothing of it on the desktop";
    fake.windowRect = {0, 0, 640, 360};
    fake_device.framePresented = false;
    EXPECT_FALSE(capture_screen(&w, &h, &pitch)) << "nothing presented yet";
}

TEST_F(Screenshot, APictureOfTheWindowGoesIntoShots)
{
    TempDir temp;
    const std::string& dir = temp.path;
    set_app_path((dir + "/").c_str());
    fake.windowRect = {10, 10, 650, 370};

    // The missing shots directory is made; the log names the file's path.
    ::testing::internal::CaptureStdout();
    take_screenshot();
    std::string log = ::testing::internal::GetCapturedStdout();
    std::string logged = "screenshot captured to '" + dir + "/shots/shot";
    size_t at = log.find(logged);
    ASSERT_NE(at, std::string::npos) << log;
    std::string path = log.substr(at + 24, log.find('\'', at + 24) - at - 24);
    EXPECT_EQ(path.size(), dir.size() + std::string("/shots/shot2024_03_05_07_08_09.png").size()) << path;

    int w, h, channels;
    unsigned char* rgba = stbi_load(path.c_str(), &w, &h, &channels, 4);
    ASSERT_TRUE(rgba);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 360);
    EXPECT_EQ(channels, 4);
    // Pixel (5, 2): bytes R, G, B, A of 0xFF000000 | 2 << 12 | 5.
    const unsigned char* p = rgba + (2 * 640 + 5) * 4;
    EXPECT_EQ(p[0], 0x00);
    EXPECT_EQ(p[1], 0x20);
    EXPECT_EQ(p[2], 0x05);
    EXPECT_EQ(p[3], 0xFF);
    stbi_image_free(rgba);

    // Nothing to capture: only the first line.
    fake_device.framePresented = false;
    ::testing::internal::CaptureStdout();
    take_screenshot();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "screenshot...\n");
}

namespace {

// A shots/ folder to save into, a fixed second and a picture of noise that
// PNG does not shrink.
class ScreenshotSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = temp.path + "/";
        shots = folder + "shots/";
        ASSERT_EQ(mkdir(shots.c_str(), 0755), 0);
        second.tm_year = 2026 - 1900;
        second.tm_mon = 11;
        second.tm_mday = 8;
        second.tm_hour = 16;
        second.tm_min = 24;
        second.tm_sec = 8;
        uint32_t x = 1;
        for (uint32_t& p : pixels)
            p = x = x * 1664525 + 1013904223;
    }

    bool save(PathText& path) { return save_screenshot(folder.c_str(), &second, pixels, W, H, W * 4, path); }

    // The names in shots/, sorted.
    std::vector<std::string> shot_files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(shots))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::string bytes_of(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static constexpr int W = 16, H = 16;
    TempDir temp;
    std::string folder, shots;
    struct tm second = {};
    uint32_t pixels[W * H];
};

} // namespace

// Each picture of one second gets a name of its own, never an existing file
// nor where a link planted in shots/ points (at the temporary name too).
TEST_F(ScreenshotSave, PicturesOfOneSecondTakeTheNextFreeNameAndFollowNoLink)
{
    const std::string first = "shot2026_12_08_16_24_08.png";
    std::string victim = folder + "victim";
    ASSERT_EQ(symlink(victim.c_str(), (shots + "shot2026_12_08_16_24_08_2.png").c_str()), 0);
    std::string temporary = ".shot-" + std::to_string(getpid()) + "-0.tmp";
    ASSERT_EQ(symlink(victim.c_str(), (shots + temporary).c_str()), 0);
    mode_t umasked = umask(027);
    PathText firstPath, path;
    bool saved = save(firstPath) && save(path);
    umask(umasked);
    ASSERT_TRUE(saved);
    EXPECT_EQ(std::string(firstPath.s), shots + first);
    EXPECT_EQ(std::string(path.s), shots + "shot2026_12_08_16_24_08_3.png");
    EXPECT_EQ(shot_files(),
        std::vector<std::string>(
            {temporary, first, "shot2026_12_08_16_24_08_2.png", "shot2026_12_08_16_24_08_3.png"}));
    EXPECT_FALSE(std::filesystem::exists(victim));
    EXPECT_TRUE(bytes_of(path.s) == bytes_of(shots + first)) << "one picture, saved twice";
    struct stat st;
    ASSERT_EQ(stat(path.s, &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "0666 less the umask";
    int w, h, channels;
    unsigned char* rgba = stbi_load(path.s, &w, &h, &channels, 4);
    ASSERT_TRUE(rgba);
    EXPECT_EQ(w, W);
    EXPECT_EQ(h, H);
    EXPECT_EQ(rgba[2], pixels[0] & 0xFF) << "blue";
    stbi_image_free(rgba);
}

// A picture that can't be written whole (here files may not grow past 512
// bytes; the bytes wait in the file's buffer until closing) logs why and
// leaves the earlier picture of its second as it was and no file of its own.
TEST_F(ScreenshotSave, AFailedSaveLeavesTheEarlierPictureAndNothingOfItsOwn)
{
    PathText path;
    ASSERT_TRUE(save(path));
    std::string first = path.s, before = bytes_of(first);
    ASSERT_GT(before.size(), 512u);
    struct rlimit unlimited, small;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    small = {512, unlimited.rlim_max};
    void (*handler)(int) = signal(SIGXFSZ, SIG_IGN);
    ::testing::internal::CaptureStdout();
    setrlimit(RLIMIT_FSIZE, &small);
    bool saved = save(path);
    setrlimit(RLIMIT_FSIZE, &unlimited);
    std::string log = ::testing::internal::GetCapturedStdout();
    signal(SIGXFSZ, handler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(log, "failed to save screenshot in '" + folder + "shots': File too large\n");
    EXPECT_EQ(shot_files(), std::vector<std::string>({"shot2026_12_08_16_24_08.png"}));
    EXPECT_TRUE(bytes_of(first) == before) << "the earlier picture changed";
}

// Beside the program when its shots/ can be written or made; else the
// pictures folder of user-dirs.dirs, else ~/Pictures, each with TARNWICK/.
TEST(ScreenshotFolder, BesideTheProgramElseInTheUsersPictures)
{
    TempDir temp;
    const std::string& t = temp.path;
    std::string saved_home = getenv("HOME"),
                saved_config = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
    setenv("HOME", (t + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (t + "/config").c_str(), 1);
    ASSERT_EQ(mkdir((t + "/program").c_str(), 0755), 0);
    set_app_path((t + "/program/").c_str());
    PathText folder;
    ASSERT_TRUE(screenshot_folder(folder));
    EXPECT_EQ(std::string(folder.s), t + "/program/");
    struct stat st;
    EXPECT_EQ(stat((t + "/program/shots").c_str(), &st), 0);

    // A shots/ that can't be written (a file here: as root, permissions pass).
    set_app_path((t + "/installed/").c_str());
    ASSERT_EQ(mkdir((t + "/installed").c_str(), 0755), 0);
    TempFile blocker("", 0);
    ASSERT_EQ(rename(blocker.path.c_str(), (t + "/installed/shots").c_str()), 0);
    ASSERT_TRUE(screenshot_folder(folder));
    EXPECT_EQ(std::string(folder.s), t + "/home/Pictures/TARNWICK/");
    EXPECT_EQ(stat((t + "/home/Pictures/TARNWICK/shots").c_str(), &st), 0);

    ASSERT_EQ(mkdir((t + "/config").c_str(), 0755), 0);
    FILE* dirs = fopen((t + "/config/user-dirs.dirs").c_str(), "w");
    ASSERT_TRUE(dirs);
    // As the shell reads it: the last entry wins, and a long comment line
    // is one line, whatever it holds after 4 KB.
    fputs("# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
          "XDG_PICTURES_DIR=\"$HOME/Old\"\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n",
        dirs);
    fprintf(dirs, "#%s\nXDG_PICTURES_DIR=\"$HOMEfoo\"\n",
        (std::string(4095, 'x') + "XDG_PICTURES_DIR=\"/tmp\"").c_str());
    fclose(dirs);
    ASSERT_TRUE(screenshot_folder(folder));
    EXPECT_EQ(std::string(folder.s), t + "/home/Bilder/TARNWICK/");

    // Nothing writable: logged, no folder.
    setenv("HOME", (t + "/installed/shots").c_str(), 1);
    ASSERT_EQ(unlink((t + "/config/user-dirs.dirs").c_str()), 0);
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(screenshot_folder(folder));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
        "can't write screenshots into '" + t + "/installed/shots' nor '" + t
            + "/installed/shots/Pictures/TARNWICK/shots'\n");

    // A folder on the way that other users can write to is refused, said once.
    setenv("HOME", (t + "/home").c_str(), 1);
    ASSERT_EQ(chmod((t + "/home/Pictures/TARNWICK").c_str(), 0777), 0);
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(screenshot_folder(folder));
    std::string log = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.rfind("not saving screenshots in '" + t
                      + "/home/Pictures/TARNWICK/shots': other users can write to '" + t
                      + "/home/Pictures/TARNWICK'\n",
                  0),
        0u)
        << log;

    setenv("HOME", saved_home.c_str(), 1);
    if (saved_config.empty())
        unsetenv("XDG_CONFIG_HOME");
    else
        setenv("XDG_CONFIG_HOME", saved_config.c_str(), 1);
}
