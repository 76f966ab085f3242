// The upgrade screen on the fake device: the offer, the rows and their
// colours, "+" and "-", GO!, the layout at the game's resolutions, and the
// screen's lifetime. Buttons are clicked through the input queue.
#include <gtest/gtest.h>

#include "core/windowInput.h"
#include "deathTest.h"
#include "game/hero.h"
#include "game/updateInput.h"
#include "game/upgradeMode.h"
#include "game/upgrades.h"
#include "game/world.h"
#include "screensFixture.h"

namespace {

const uint32_t YELLOW = 0xfffff000, GREY = 0xffc8c8c8, DARK_RED = 0xff880000;

class UpgradeScreen : public ScreensTest {
protected:
    void open(int points)
    {
        set_upgrade_points(points);
        switch_mode(upgrade_mode());
        ASSERT_NE(upgrade_screen(), nullptr);
    }
    static GuiElement* root() { return upgrade_screen()->root; }
    static GuiElement* plus(int row) { return with_command(root(), UPGRADE_PLUS + 2 * row); }
    static GuiElement* minus(int row) { return with_command(root(), UPGRADE_MINUS + 2 * row); }
    static GuiElement* go() { return with_command(root(), UPGRADE_GO); }
    static GuiElement* points_label() { return root()->find_by_name("points"); }
    static std::string points_text() { return points_label()->text.s; }
    // GO! with nothing chosen closes the screen.
    void close()
    {
        click(go());
        ASSERT_EQ(upgrade_screen(), nullptr);
    }
    // The row's name label, its colour and whether its buttons are shown.
    struct Row {
        uint32_t nameColour;
        bool plusShown, minusShown;
    };
    static Row row(const char* name, int i)
    {
        GuiElement* label = with_text(root(), name);
        EXPECT_NE(label, nullptr) << name;
        return {label ? label->textColour : 0, shown(plus(i)), shown(minus(i))};
    }
    static std::vector<std::string> offered_names()
    {
        std::vector<std::string> names;
        for (const char* n : {"Health", "Fire rate", "Wall destruction"})
            if (with_text(root(), n))
                names.push_back(n);
        return names;
    }
};

} // namespace

TEST_F(UpgradeScreen, TheOfferFollowsThePointsAndTheWallRadius)
{
    open(2);
    EXPECT_TRUE(offered_names().empty());
    EXPECT_EQ(plus(0), nullptr);
    EXPECT_NE(go(), nullptr) << "only GO! remains";
    EXPECT_EQ(points_text(), "02");
    close();

    open(3);
    EXPECT_EQ(offered_names(), (std::vector<std::string>{"Fire rate"}));
    EXPECT_EQ(row("Fire rate", 0).nameColour, GREY);
    close();

    open(5);
    EXPECT_EQ(offered_names(), (std::vector<std::string>{"Health", "Fire rate", "Wall destruction"}));
    EXPECT_EQ(points_text(), "05");
    close();

    set_wall_radius(4);
    open(9);
    EXPECT_EQ(offered_names(), (std::vector<std::string>{"Health", "Fire rate"}));
    EXPECT_EQ(with_text(root(), "Fire rate")->box.top - with_text(root(), "Health")->box.top,
        upgrade_screen()->unit())
        << "the rows below move up";
}

TEST_F(UpgradeScreen, ChoosingTurnsTheRowYellowAndTheUnaffordableRowsDarkRed)
{
    open(5);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(shown(plus(i)));
        EXPECT_FALSE(shown(minus(i)));
    }
    click(plus(1)); // Fire rate, 3 points
    EXPECT_EQ(points_text(), "02");
    Row fire = row("Fire rate", 1), health = row("Health", 0), wall = row("Wall destruction", 2);
    EXPECT_EQ(fire.nameColour, YELLOW);
    EXPECT_FALSE(fire.plusShown);
    EXPECT_TRUE(fire.minusShown);
    EXPECT_EQ(health.nameColour, DARK_RED);
    EXPECT_FALSE(health.plusShown);
    EXPECT_FALSE(health.minusShown);
    EXPECT_EQ(wall.nameColour, DARK_RED);
    GuiElement* cost = with_text(plus(1)->parent, "3");
    ASSERT_NE(cost, nullptr);
    EXPECT_EQ(cost->textColour, YELLOW) << "the cost label takes the row's colour";

    click(minus(1));
    EXPECT_EQ(points_text(), "05") << "\"-\" gives the points back";
    for (const auto& r : {row("Health", 0), row("Fire rate", 1), row("Wall destruction", 2)}) {
        EXPECT_EQ(r.nameColour, GREY);
        EXPECT_TRUE(r.plusShown);
        EXPECT_FALSE(r.minusShown);
    }
}

TEST_F(UpgradeScreen, GoBuysTheChosenUpgradesOnceAndKeepsTheRest)
{
    open(8);
    click(plus(1)); // Fire rate: 3
    click(plus(2)); // Wall destruction: 5
    EXPECT_EQ(points_text(), "00");
    EXPECT_FALSE(shown(plus(0))) << "Health no longer affordable";
    // GO! clicked twice in one update: the second click finds the mode left.
    press_at(centre_x(go()), centre_y(go()));
    step();
    release_left();
    press_at(centre_x(go()), centre_y(go()));
    release_left();
    step();
    EXPECT_EQ(current_mode(), play_mode());
    EXPECT_EQ(upgrade_screen(), nullptr) << "deleted in the update that switched";
    EXPECT_EQ(fire_rate(), 11.0f);
    EXPECT_EQ(wall_radius(), 3);
    EXPECT_EQ(hero_health(), 4);
    EXPECT_EQ(upgrade_points(), 0);
    EXPECT_FALSE(level_complete());
}

// The pad alone: the first d-pad press puts the focus on the first button,
// the d-pad moves it, A clicks it; the focus follows a "+" that hides to the
// row's "-"; GO! pressed with A plays on, and A restarts after GAME OVER.
TEST_F(UpgradeScreen, ThePadMovesAFocusBetweenTheButtonsAndAPressesIt)
{
    auto pad = [](int vk) {
        for (bool down : {true, false}) {
            WindowMessage m = {};
            m.type = down ? WMSG_PAD_BUTTON_DOWN : WMSG_PAD_BUTTON_UP;
            m.key = vk;
            queue_input_message(m);
        }
        step();
    };
    open(5);
    GuiScreen* screen = upgrade_screen();
    EXPECT_EQ(screen->focus, nullptr) << "no frame for the mouse player";
    pad(VK_GAMEPAD_DPAD_DOWN);
    EXPECT_EQ(screen->focus, plus(0));
    pad(VK_GAMEPAD_DPAD_LEFT); // nothing further left
    EXPECT_EQ(screen->focus, plus(0));
    pad(VK_GAMEPAD_DPAD_DOWN);
    EXPECT_EQ(screen->focus, plus(1));
    pad(VK_GAMEPAD_A);
    EXPECT_EQ(points_text(), "02");
    EXPECT_EQ(screen->shown_focus(), minus(1));
    pad(VK_GAMEPAD_DPAD_UP); // Health's "+" hid: nothing shown above
    EXPECT_EQ(screen->focus, minus(1));
    pad(VK_GAMEPAD_DPAD_DOWN);
    EXPECT_EQ(screen->focus, go()) << "Wall destruction's \"+\" hid too";
    pad(VK_GAMEPAD_A);
    EXPECT_EQ(current_mode(), play_mode());
    EXPECT_EQ(fire_rate(), 11.0f);

    set_hero_health(0);
    step(12);
    ASSERT_EQ(current_mode(), game_over_mode());
    pad(VK_GAMEPAD_A);
    EXPECT_EQ(current_mode(), play_mode());
    EXPECT_EQ(fire_rate(), 10.0f) << "a new game";
}

TEST_F(UpgradeScreen, GoWithNothingChosenKeepsAllPoints)
{
    set_level_complete(true); // GO! starts the next level, which clears it
    open(7);
    click(go());
    EXPECT_EQ(current_mode(), play_mode());
    EXPECT_EQ(upgrade_points(), 7);
    EXPECT_EQ(hero_health(), 4);
    EXPECT_EQ(fire_rate(), 10.0f);
    EXPECT_FALSE(level_complete());
}

TEST_F(UpgradeScreen, UnknownCommandsChangeNothing)
{
    open(5);
    UpdateInput& in = scripted_update_input();
    for (int command : {0, 8, 9, 16, 17, -3})
        in.commands.push(command);
    step();
    EXPECT_EQ(points_text(), "05");
    EXPECT_EQ(current_mode(), upgrade_mode());
}

// Where the layout puts everything on a 1280 x 720 back buffer: zoom 3, so
// one unit is 24 pixels and the 40 x 30 unit root is centred from x = 160.
TEST_F(UpgradeScreen, TheLayoutAt1280By720)
{
    fake_device.width = 1280;
    fake_device.height = 720;
    game_resized();
    open(5);
    GuiScreen* s = upgrade_screen();
    EXPECT_EQ(s->zoom, 3);
    EXPECT_FLOAT_EQ(root()->box.left, 160);
    EXPECT_FLOAT_EQ(root()->box.right, 1120);
    GuiElement* banner = with_text(root(), "TARNWICK!");
    EXPECT_FLOAT_EQ(banner->box.top, 24);
    EXPECT_FLOAT_EQ(banner->box.bottom - banner->box.top, 4 * 24) << "scale 4 at zoom 3";
    EXPECT_FLOAT_EQ((banner->box.left + banner->box.right) / 2, 640);
    GuiElement* level = with_text(root(), "REACHED LEVEL 1");
    ASSERT_NE(level, nullptr);
    EXPECT_FLOAT_EQ(level->box.top, 5 * 24);
    // The rows start 9 units down, one unit apart; names end at 24 units.
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(plus(i)->box.top, (9 + i) * 24);
        EXPECT_FLOAT_EQ(plus(i)->box.left, 160 + 27.5f * 24) << "half a unit right of the cost column";
        EXPECT_FLOAT_EQ(plus(i)->box.right - plus(i)->box.left, 24) << "borders included, one unit";
        EXPECT_FLOAT_EQ(minus(i)->box.left, 160 + 28.5f * 24);
    }
    GuiElement* wall = with_text(root(), "Wall destruction");
    EXPECT_FLOAT_EQ(wall->box.top, 11 * 24);
    EXPECT_FLOAT_EQ(with_text(root(), "Upgrade points:")->box.right, 160 + 24 * 24);
    EXPECT_FLOAT_EQ(with_text(root(), "Upgrade points:")->box.top, 7 * 24);
    EXPECT_FLOAT_EQ(with_text(root(), "Health")->box.left, wall->box.left) << "names are left aligned";
    EXPECT_FLOAT_EQ(points_label()->box.right, 160 + 27 * 24);
    // GO!: 12 x 5 units plus borders, 5 units from the right and 1 from the bottom.
    EXPECT_FLOAT_EQ(go()->box.right, 160 + 35 * 24);
    EXPECT_FLOAT_EQ(go()->box.bottom, 29 * 24);
    EXPECT_FLOAT_EQ(go()->box.left, 160 + 22.75f * 24);
    EXPECT_FLOAT_EQ(go()->box.top, 23.75f * 24);

    // A smaller back buffer lays the same screen out again at zoom 1.
    fake_device.width = 640;
    fake_device.height = 360;
    game_resized();
    EXPECT_EQ(s->zoom, 1);
    EXPECT_FLOAT_EQ(root()->box.left, 160);
    EXPECT_FLOAT_EQ(root()->box.top, 60);
    EXPECT_FLOAT_EQ(go()->box.bottom, 60 + 29 * 8);
}

TEST_F(UpgradeScreen, EnteringWhileTheScreenExistsIsFatal)
{
    open(5);
    EXPECT_FATAL(upgrade_mode()->enter(play_mode()), "upgradeMode.cpp\\([0-9]+\\): failed ASSERT\\(!scr\\)");
}

// Only GO! leaves from inside the screen's input handling; any other way out
// (a switch from elsewhere, the shutdown) deletes the screen at once, so the
// mode can be entered again.
TEST_F(UpgradeScreen, LeavingFromOutsideTheScreenDeletesItAtOnce)
{
    open(5);
    switch_mode(play_mode());
    EXPECT_EQ(upgrade_screen(), nullptr);
    open(5);
    game_shutdown();
    EXPECT_EQ(upgrade_screen(), nullptr);
    game_init();
    open(5);
    EXPECT_NE(upgrade_screen(), nullptr);
}
