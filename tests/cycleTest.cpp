// The game's whole cycle played headless on a generated level: the hero
// finishes the level on the exit, the elevator carries it out, the upgrade
// screen is worked by clicks through the input queue at the places where the
// layout put its buttons, the next level is played; then the hero dies, "GAME
// OVER" shows and a released Space starts a new game. Each step is heard.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>

#include "exitBox.h"
#include "fakeSound.h"
#include "game/hero.h"
#include "game/upgradeMode.h"
#include "game/upgrades.h"
#include "screensFixture.h"
#include "tempFile.h"
#include "voxel/levelGrid.h"

namespace {

// White glyphs drawn in the last frame.
int white_glyphs()
{
    int n = 0;
    for (const FontQuad& q : drawn_font_quads())
        n += q.u0 >= 0 && q.colour == 0xffffffff;
    return n;
}

// The sounds played since the first `from`, sorted by id.
std::vector<SoundId> sounds_since(size_t from)
{
    std::vector<SoundId> s(fake_sound.played.begin() + static_cast<long>(from), fake_sound.played.end());
    std::sort(s.begin(), s.end());
    return s;
}

// The last n sounds played, oldest first.
std::vector<SoundId> last_sounds(size_t n)
{
    const std::vector<SoundId>& p = fake_sound.played;
    return std::vector<SoundId>(p.end() - static_cast<long>(std::min(n, p.size())), p.end());
}

} // namespace

TEST_F(ScreensTest, TheCycleOfTheGame)
{
    ASSERT_EQ(current_mode(), play_mode());
    ASSERT_EQ(level_number(), 1);

    // Standing on the exit for half a second finishes the level.
    ExitBox exit = exit_box();
    ASSERT_GE(exit.x1, 0) << "the generated level has an exit";
    place_hero(static_cast<float>(exit.x0 + exit.x1) / 2, static_cast<float>(exit.y1 + 1));
    int updates = 0;
    while (current_mode() == play_mode() && updates < 40) {
        step();
        ++updates;
    }
    ASSERT_EQ(current_mode(), elevator_mode()) << "after " << updates << " updates";
    EXPECT_GE(updates, 10);
    EXPECT_EQ(last_sounds(2), (std::vector<SoundId>{SOUND_EXIT, SOUND_ELEVATOR}));
    fake_sound.stopped.clear();

    // The elevator rises to the top of the world, then the upgrade screen opens.
    updates = 0;
    float highest = 0;
    while (current_mode() == elevator_mode() && updates < 60) {
        step();
        ++updates;
        highest = std::max(highest, hero_position().y);
    }
    ASSERT_EQ(current_mode(), upgrade_mode());
    EXPECT_EQ(highest, 255.0f);
    EXPECT_EQ(fake_sound.stopped, std::vector<SoundId>{SOUND_ELEVATOR}) << "the hum ends with the ride";
    EXPECT_EQ(level_number(), 2);
    EXPECT_EQ(upgrade_points(), 5);
    GuiScreen* screen = upgrade_screen();
    ASSERT_NE(screen, nullptr);
    ASSERT_NE(with_text(screen->root, "REACHED LEVEL 2"), nullptr);

    // "+" of "Health" is the "+" on the row of the Health label.
    GuiElement* health = with_text(screen->root, "Health");
    ASSERT_NE(health, nullptr);
    GuiElement* plus = nullptr;
    for (int i = 0; i < 3; ++i) {
        GuiElement* b = with_command(screen->root, UPGRADE_PLUS + 2 * i);
        if (b && b->box.top == health->box.top)
            plus = b;
    }
    ASSERT_NE(plus, nullptr);
    // The pointer coming onto a button ticks, a press blips, GO! has its own sound.
    size_t before = fake_sound.played.size();
    click(plus);
    EXPECT_EQ(health->textColour, 0xfffff000u) << "chosen";
    EXPECT_EQ(sounds_since(before), (std::vector<SoundId>{SOUND_BUTTON_HOVER, SOUND_BUTTON_PRESS}));
    click(with_command(screen->root, UPGRADE_GO));
    EXPECT_EQ(last_sounds(1), std::vector<SoundId>{SOUND_GO});

    EXPECT_EQ(current_mode(), play_mode());
    EXPECT_EQ(upgrade_screen(), nullptr);
    EXPECT_EQ(hero_health(), 5);
    EXPECT_EQ(upgrade_points(), 0);
    EXPECT_EQ(level_number(), 2);
    EXPECT_FALSE(level_complete());
    EXPECT_LT(hero_position().x, exit.x0 - 1000) << "the new level starts at its far left";
    step(20);
    EXPECT_EQ(current_mode(), play_mode()) << "the next level is played";

    // A robot's touch takes the last point.
    set_hero_health(1);
    hurt_hero();
    step();
    ASSERT_EQ(current_mode(), game_over_mode());
    EXPECT_EQ(hero_health(), 0);
    EXPECT_EQ(last_sounds(2), (std::vector<SoundId>{SOUND_HERO_DEATH, SOUND_GAME_OVER}));
    fake_device.primDraws.clear();
    game_draw(0.0f);
    EXPECT_EQ(white_glyphs(), 8) << "GAME OVER";

    // Space held down through the pause counts when it is released.
    key_down(VK_SPACE);
    step(12);
    EXPECT_EQ(current_mode(), game_over_mode());
    key_up(VK_SPACE);
    step();
    EXPECT_EQ(current_mode(), play_mode());
    EXPECT_EQ(level_number(), 1);
    EXPECT_EQ(hero_health(), 4);
    EXPECT_EQ(upgrade_points(), 0);
    fake_device.primDraws.clear();
    game_draw(0.0f);
    EXPECT_EQ(white_glyphs(), 0) << "no text over the new game";
}

// Each new game logs the seed that plays it again: started afresh from the
// logged seed, the game after a GAME OVER shows the same first level. A
// GAME OVER writes the best runs only where the program turned the table on
// (a live player's game); off, as in replays and playbot, it reads and
// writes nothing.
TEST_F(ScreensTest, EachNewGameLogsItsSeedAndOnlyALivePlayersRunIsKept)
{
    TempDir home;
    setenv("XDG_DATA_HOME", home.path.c_str(), 1);
    std::string file = home.path + "/Oskvel Games/TARNWICK/bestruns.txt";
    for (bool keep : {false, true}) {
        game_keep_best_runs(keep);
        set_hero_health(0);
        step();
        ASSERT_EQ(current_mode(), game_over_mode());
        EXPECT_EQ(access(file.c_str(), F_OK) == 0, keep);
        step(10);
        key_down(VK_SPACE);
        step();
        testing::internal::CaptureStdout();
        key_up(VK_SPACE);
        step();
        std::string log = testing::internal::GetCapturedStdout();
        ASSERT_EQ(current_mode(), play_mode());
        size_t at = log.find("random seed: ");
        ASSERT_NE(at, std::string::npos) << log;
        uint64_t seed = strtoull(log.c_str() + at + 13, nullptr, 10);
        uint64_t level = level_grid_hash();
        rng_seed(seed);
        start_game();
        EXPECT_EQ(level_grid_hash(), level) << "seed " << seed;
    }
    game_keep_best_runs(false);
    unsetenv("XDG_DATA_HOME");
    std::vector<uint8_t> bytes = file_bytes(file);
    std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.rfind("TARNWICK best runs 1\n0 ", 0), 0u)
        << "the one kept run, no level finished: " << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
}
