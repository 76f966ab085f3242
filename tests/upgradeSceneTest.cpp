// The upgrade screen on llvmpipe at 1280 x 720 and 640 x 360, drawn by the
// game's own frame: the banner, the rows in their colours and the buttons
// with their borders come out where the layout put them. The pictures
// upgrade-screen-WxH.png land in the test directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "exitBox.h"
#include "game/gameHooks.h"
#include "game/gameMode.h"
#include "game/hero.h"
#include "game/scene.h"
#include "game/updateInput.h"
#include "game/upgradeMode.h"
#include "game/upgrades.h"
#include "guiSearch.h"
#include "kiln/font.h"
#include "readBack.h"
#include "sceneFixture.h"

namespace {

const uint32_t YELLOW = 0xfff000, GREY = 0xc8c8c8, DARK_RED = 0x880000;
const uint32_t BUTTON = 0x323232, LIGHT_EDGE = 0x505050, DARK_EDGE = 0x1e1e1e;

class UpgradeScene : public SceneFixture, public ::testing::WithParamInterface<std::pair<int, int>> {
protected:
    void SetUp() override { start(GetParam().first, GetParam().second, false); }
    void TearDown() override { stop(); }

    uint32_t at(const std::vector<uint32_t>& picture, float x, float y) const
    {
        return picture[static_cast<size_t>(y) * width + static_cast<size_t>(x)] & 0xffffff;
    }
    // Calls visit with the index of every pixel of the rectangle grown by
    // `grow` on every side.
    template <typename Visit> void each_pixel(const GuiRect& r, float grow, Visit visit) const
    {
        for (int y = static_cast<int>(r.top - grow); y < static_cast<int>(r.bottom + grow); ++y)
            for (int x = static_cast<int>(r.left - grow); x < static_cast<int>(r.right + grow); ++x)
                if (x >= 0 && y >= 0 && x < width && y < height)
                    visit(static_cast<size_t>(y) * width + x);
    }
};

// Every shown element with text, in drawing order.
void shown_texts(GuiElement* e, std::vector<GuiElement*>* out)
{
    if (e->flags & GUI_FLAG_HIDDEN)
        return;
    if (e->text.s[0] && e->textColour)
        out->push_back(e);
    for (GuiElement* c : e->children)
        shown_texts(c, out);
}

} // namespace

// Five points with "Fire rate" chosen: its row yellow with "-", the other two
// dark red without buttons, two points left.
TEST_P(UpgradeScene, BannerRowsAndButtonsStandWhereTheLayoutPutsThem)
{
    set_level_number(2);
    set_upgrade_points(5);
    switch_mode(upgrade_mode());
    GuiScreen* screen = upgrade_screen();
    ASSERT_NE(screen, nullptr);
    GuiElement* root = screen->root;
    scripted_update_input().commands.push(UPGRADE_PLUS + 2);
    game_update(0.05f);

    std::vector<uint32_t> picture = draw();
    std::string name = "upgrade-screen-" + std::to_string(width) + "x" + std::to_string(height) + ".png";
    ASSERT_TRUE(write_png(std::string(TARNWICK_TEST_DIR) + "/" + name, picture, width, height));

    float unit = screen->unit();
    EXPECT_EQ(unit, width == 1280 ? 24 : 8);
    // Nothing is drawn behind the screen.
    EXPECT_EQ(at(picture, 2, 2), 0u);
    EXPECT_EQ(at(picture, static_cast<float>(width - 3), static_cast<float>(height - 3)), 0u);

    // Each text shows in its colour within its box (glyphs of the small
    // buttons stand out of their boxes by a fraction of a unit)...
    std::vector<GuiElement*> texts;
    shown_texts(root, &texts);
    int yellowTexts = 0, redTexts = 0;
    for (GuiElement* t : texts) {
        uint32_t colour = t->textColour & 0xffffff;
        int shown = 0;
        each_pixel(t->box, unit / 4, [&](size_t i) { shown += (picture[i] & 0xffffff) == colour; });
        EXPECT_GT(shown, 3) << t->text.s;
        yellowTexts += colour == YELLOW;
        redTexts += colour == DARK_RED;
    }
    EXPECT_EQ(yellowTexts, 4) << "banner, level, and the chosen row's name and cost";
    EXPECT_EQ(redTexts, 4) << "the two rows that two points do not cover";
    // ...and nowhere else: every pixel of a text colour lies in a box of that colour.
    for (uint32_t colour : {YELLOW, GREY, DARK_RED}) {
        std::vector<bool> inBox(picture.size());
        for (GuiElement* t : texts)
            if ((t->textColour & 0xffffff) == colour)
                each_pixel(t->box, unit / 4, [&](size_t i) { inBox[i] = true; });
        int astray = 0;
        for (size_t i = 0; i < picture.size(); ++i)
            astray += (picture[i] & 0xffffff) == colour && !inBox[i];
        EXPECT_EQ(astray, 0) << std::hex << colour;
    }
    GuiElement* banner = nullptr;
    for (GuiElement* t : texts)
        if (std::string(t->text.s) == "TARNWICK!")
            banner = t;
    ASSERT_NE(banner, nullptr);
    EXPECT_NEAR((banner->box.left + banner->box.right) / 2, width / 2.0f, 1);

    // The buttons shown: "-" of the chosen row and GO!, in their normal look
    // with light top and left and dark right and bottom edges.
    int buttons = 0;
    for (int command : {+UPGRADE_GO, +UPGRADE_PLUS, +UPGRADE_MINUS, UPGRADE_PLUS + 2, UPGRADE_MINUS + 2,
             UPGRADE_PLUS + 4, UPGRADE_MINUS + 4}) {
        GuiElement* button = with_command(root, command);
        ASSERT_NE(button, nullptr);
        GuiElement* normal = button->find_by_name(".normal");
        const GuiRect& b = normal->box;
        if (!button->is_shown()) {
            EXPECT_EQ(at(picture, b.left, b.top), 0u) << "hidden: " << command;
            continue;
        }
        ++buttons;
        float midY = (b.top + b.bottom) / 2, midX = (b.left + b.right) / 2;
        EXPECT_EQ(at(picture, b.left, b.top), BUTTON) << command;
        EXPECT_EQ(at(picture, b.right - 1, b.bottom - 1), BUTTON) << command;
        EXPECT_EQ(at(picture, b.left - 1, midY), LIGHT_EDGE) << command;
        EXPECT_EQ(at(picture, midX, b.top - 1), LIGHT_EDGE) << command;
        EXPECT_EQ(at(picture, b.right, midY), DARK_EDGE) << command;
        EXPECT_EQ(at(picture, midX, b.bottom), DARK_EDGE) << command;
        float edge = b.left - normal->borderWidth.left;
        EXPECT_EQ(at(picture, edge - 1, midY), 0u) << "one font pixel of border: " << command;
        EXPECT_EQ(at(picture, edge, midY), LIGHT_EDGE) << command;
    }
    EXPECT_EQ(buttons, 2);

    // The pad's focus on "-": a yellow frame close around that button alone
    // (upgrade-focus-WxH.png).
    GuiElement* minus = with_command(root, UPGRADE_MINUS + 2);
    screen->focus = minus;
    picture = draw();
    ASSERT_TRUE(write_png(std::string(TARNWICK_TEST_DIR) + "/upgrade-focus-" + std::to_string(width) + "x"
            + std::to_string(height) + ".png",
        picture, width, height));
    const uint32_t FRAME = 0xffff00;
    int inFrame = 0, astray = 0;
    std::vector<bool> near(picture.size());
    each_pixel(minus->box, unit / 4, [&](size_t i) { near[i] = true; });
    for (size_t i = 0; i < picture.size(); ++i)
        if ((picture[i] & 0xffffff) == FRAME)
            ++(near[i] ? inFrame : astray);
    EXPECT_GT(inFrame, 4 * static_cast<int>(unit) / 2);
    EXPECT_EQ(astray, 0);
    EXPECT_EQ(at(picture, (minus->box.left + minus->box.right) / 2, minus->box.top - unit / 8 * 1.5f), FRAME);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, UpgradeScene,
    ::testing::Values(std::make_pair(1280, 720), std::make_pair(640, 360)),
    [](const ::testing::TestParamInfo<std::pair<int, int>>& info) {
        return std::to_string(info.param.first) + "x" + std::to_string(info.param.second);
    });

// The hero ridden up on the exit (elevator.png, the cab's green copies
// below its feet), then dead on the next level under "GAME OVER" (gameover.png).
TEST_P(UpgradeScene, TheElevatorAndGameOverOnScreen)
{
    ExitBox exit = exit_box();
    ASSERT_GE(exit.x1, 0);
    place_hero(static_cast<float>(exit.x0 + exit.x1) / 2, static_cast<float>(exit.y1 + 1));
    for (int i = 0; i < 40 && current_mode() == play_mode(); ++i)
        game_update(0.05f);
    ASSERT_EQ(current_mode(), elevator_mode());
    for (int i = 0; i < 8; ++i)
        game_update(0.05f);
    std::vector<uint32_t> picture = draw();
    write_png(std::string(TARNWICK_TEST_DIR) + "/elevator-" + std::to_string(width) + ".png", picture, width,
        height);
    // A frame right after an update draws the hero where it was before it.
    float cx, cy, s = static_cast<float>(pixel_scale());
    view_centre(&cx, &cy);
    Vec4 feet = hero_previous_position();
    for (float below : {3.0f, 20.0f}) {
        uint32_t p = at(picture, width / 2.0f + (feet.x - cx) * s, height / 2.0f - (feet.y - below - cy) * s);
        int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
        EXPECT_TRUE(g > r && g > b) << std::hex << p << " " << below << " voxels below the hero";
    }

    while (current_mode() == elevator_mode())
        game_update(0.05f);
    scripted_update_input().commands.push(UPGRADE_GO);
    game_update(0.05f);
    set_hero_health(0);
    game_update(0.05f);
    ASSERT_EQ(current_mode(), game_over_mode());
    picture = draw();
    write_png(std::string(TARNWICK_TEST_DIR) + "/gameover-" + std::to_string(width) + ".png", picture, width,
        height);
    int left = width, right = 0, top = height, bottom = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (at(picture, static_cast<float>(x), static_cast<float>(y)) == 0xffffff) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    // The text's extent ends with one magnified gap after the last glyph.
    int gap = 5 * font_scale();
    EXPECT_NEAR((left + right + 1 + gap) / 2.0f, width / 2.0f, 1);
    EXPECT_NEAR((top + bottom + 1) / 2.0f, height / 2.0f, 1);
    EXPECT_EQ(bottom - top + 1, 8 * 5 * font_scale() * 6 / 8)
        << "capitals fill rows 1 to 6 of 8, five times the font";
}
