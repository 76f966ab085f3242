// The GAME OVER screen on llvmpipe at 1280 x 720 and 640 x 360: under the
// banner the run's summary and the best runs table, the new run's row in
// yellow with its marker, every column's texts inside the screen and clear of
// their neighbours. The pictures game-over-WxH.png land in the test directory.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "game/gameHooks.h"
#include "game/gameMode.h"
#include "game/hero.h"
#include "game/runStats.h"
#include "guiSearch.h"
#include "kiln/kilnGuiRenderer.h"
#include "readBack.h"
#include "sceneFixture.h"
#include "tempFile.h"

namespace {

const uint32_t YELLOW = 0xfff000, WHITE = 0xffffff;

class GameOverScene : public SceneFixture, public ::testing::WithParamInterface<std::pair<int, int>> {
protected:
    void SetUp() override
    {
        setenv("XDG_DATA_HOME", home.path.c_str(), 1);
        start(GetParam().first, GetParam().second, false);
    }
    void TearDown() override
    {
        game_keep_best_runs(false);
        stop();
        unsetenv("XDG_DATA_HOME");
    }
    TempDir home;
};

// Every element with text under e.
void texts_of(GuiElement* e, std::vector<GuiElement*>* out)
{
    if (e->text.s[0])
        out->push_back(e);
    for (GuiElement* c : e->children)
        texts_of(c, out);
}

} // namespace

// Nine runs on file, among them a daily one; the new run with two levels
// enters as the fourth.
TEST_P(GameOverScene, TheSummaryAndTheBestRunsStandUnderTheBanner)
{
    std::string dir = home.path + "/Oskvel Games/TARNWICK";
    ASSERT_EQ(system(("mkdir -p '" + dir + "'").c_str()), 0);
    std::ofstream file(dir + "/bestruns.txt");
    file << "TARNWICK best runs 1\n";
    file << "12 4523100 181 2210 402 1207 31 18446744073709551615 - 2026-11-30\n";
    file << "5 611250 44 530 91 260 9 20261208 2026-12-08 2026-12-08\n";
    file << "3 302000 20 301 40 150 5 123456789 - 2026-12-01\n";
    for (int i = 0; i < 6; ++i)
        file << "1 " << 90000 + i * 1000 << " 3 40 5 12 4 " << 1000 + i << " - 2026-12-0" << i + 1 << "\n";
    file.close();
    game_keep_best_runs(true);
    // The run: two levels finished, some shooting, 100 seconds of game time.
    for (int i = 0; i < 2; ++i)
        count_level_finished();
    for (int i = 0; i < 57; ++i)
        count_shot_fired();
    for (int i = 0; i < 9; ++i)
        count_hit();
    count_robot_destroyed();
    for (int i = 0; i < 2000; ++i)
        count_update(0.05f);
    set_hero_health(0);
    game_update(0.05f);
    ASSERT_EQ(current_mode(), game_over_mode());

    std::vector<uint32_t> picture = draw();
    std::string name = "game-over-" + std::to_string(width) + "x" + std::to_string(height) + ".png";
    ASSERT_TRUE(write_png(std::string(TARNWICK_TEST_DIR) + "/" + name, picture, width, height));

    GuiScreen* screen = game_over_screen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->unit(), height / 45.0f) << "a unit is a font cell at the font's scale";
    ASSERT_NE(with_text(screen->root,
                  "LEVELS 2   TIME 1:40.0   ROBOTS 1   SHOTS 57   HITS 9   HOLES 0   "
                  "HEARTS LOST 0"),
        nullptr);
    ASSERT_NE(with_text(screen->root, "seed 7"), nullptr);
    ASSERT_NE(with_text(screen->root, "daily 2026-12-08"), nullptr);
    ASSERT_NE(with_text(screen->root, "18446744073709551615"), nullptr);

    // Every text inside the screen and below the banner; a text's drawn
    // width fits its box, so no column runs into the next.
    std::vector<GuiElement*> texts;
    texts_of(screen->root, &texts);
    int yellow = 0;
    for (GuiElement* t : texts) {
        float w, h;
        game_gui_renderer()->text_extent(t->text.s, -1, &w, &h, screen->zoom);
        EXPECT_LE(w, t->box.right - t->box.left + 0.5f) << t->text.s;
        EXPECT_GE(t->box.left, 0) << t->text.s;
        EXPECT_LE(t->box.right, width) << t->text.s;
        EXPECT_GT(t->box.top, height / 2 + 2.5f * screen->unit()) << t->text.s;
        EXPECT_LE(t->box.bottom, height) << t->text.s;
        if ((t->textColour & 0xffffff) != YELLOW)
            continue;
        ++yellow;
        int shown = 0;
        for (int y = static_cast<int>(t->box.top); y < static_cast<int>(t->box.bottom); ++y)
            for (int x = static_cast<int>(t->box.left); x < static_cast<int>(t->box.right); ++x)
                shown += (picture[static_cast<size_t>(y) * width + x] & 0xffffff) == YELLOW;
        EXPECT_GT(shown, 0) << t->text.s;
    }
    EXPECT_EQ(yellow, 11) << "the ten cells of the new run's row and its marker";
    GuiElement* rank = with_text(screen->root, "4.");
    ASSERT_NE(rank, nullptr);
    EXPECT_EQ(rank->textColour & 0xffffff, YELLOW) << "the new run is fourth";
    // The banner is still white in the middle.
    int white = 0;
    for (int x = 0; x < width; ++x)
        white += (picture[static_cast<size_t>(height / 2) * width + x] & 0xffffff) == WHITE;
    EXPECT_GT(white, 10);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, GameOverScene,
    ::testing::Values(std::make_pair(1280, 720), std::make_pair(640, 360)),
    [](const ::testing::TestParamInfo<std::pair<int, int>>& info) {
        return std::to_string(info.param.first) + "x" + std::to_string(info.param.second);
    });
