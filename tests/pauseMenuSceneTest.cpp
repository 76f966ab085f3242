// The pause menu on llvmpipe at 1280 x 720, drawn by the game's own frame
// over the dimmed level: its three pages as pause-menu-main.png,
// pause-menu-options.png and pause-menu-controls.png, and the controls page
// choosing a key as pause-menu-choosing.png, in the test directory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/input.h"
#include "game/gameHooks.h"
#include "game/pauseMenu.h"
#include "guiSearch.h"
#include "readBack.h"
#include "sceneFixture.h"

namespace {

const uint32_t FRAME = 0xffff00, WHITE = 0xffffff, BUTTON = 0x323232, YELLOW = 0xfff000;

class PauseMenuScene : public SceneFixture {
protected:
    void SetUp() override { start(1280, 720, false); }
    void TearDown() override
    {
        game_set_paused(false);
        stop();
    }

    uint32_t at(const std::vector<uint32_t>& picture, float x, float y) const
    {
        return picture[static_cast<size_t>(y) * width + static_cast<size_t>(x)] & 0xffffff;
    }
    // Pixels of the colour inside the rectangle, and outside it grown by `grow`.
    void count(const std::vector<uint32_t>& picture, uint32_t colour, const GuiRect& r, float grow, int* in,
        int* out) const
    {
        *in = *out = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                if ((picture[static_cast<size_t>(y) * width + x] & 0xffffff) != colour)
                    continue;
                bool inside
                    = x >= r.left - grow && x < r.right + grow && y >= r.top - grow && y < r.bottom + grow;
                ++(inside ? *in : *out);
            }
    }
    std::vector<uint32_t> draw_page(const char* name)
    {
        std::vector<uint32_t> picture = draw();
        EXPECT_TRUE(write_png(
            std::string(TARNWICK_TEST_DIR) + "/pause-menu-" + name + ".png", picture, width, height));
        return picture;
    }
    static void key(int vk)
    {
        push_input_event(INPUT_KEY_DOWN, vk, 0, 0, 0, 0);
        game_paused_input();
        input_end_update();
    }
};

} // namespace

// Each page: its buttons in their normal look, the yellow frame around the
// focused button alone, "PAUSED" in white at the top.
TEST_F(PauseMenuScene, EveryPageShowsItsButtonsTheFocusFrameAndTheTitle)
{
    game_set_paused(true);
    const char* pages[] = {"main", "options", "controls"};
    for (int page = 0; page < 3; ++page) {
        if (page == 1) {
            key(VK_DOWN); // Options
            key(VK_RETURN);
        } else if (page == 2) {
            key(VK_ESCAPE);
            key(VK_DOWN);
            key(VK_DOWN); // Controls
            key(VK_RETURN);
        }
        GuiScreen* screen = pause_menu_screen();
        ASSERT_NE(screen, nullptr);
        ASSERT_EQ(pause_menu_page(), page);
        std::vector<uint32_t> picture = draw_page(pages[page]);
        float unit = screen->unit();

        GuiElement* focus = screen->shown_focus();
        ASSERT_NE(focus, nullptr) << pages[page];
        int in, out;
        count(picture, FRAME, focus->box, unit / 4, &in, &out);
        EXPECT_GT(in, 4 * static_cast<int>(unit)) << pages[page];
        EXPECT_EQ(out, 0) << pages[page];

        GuiElement* title = screen->root->find_by_name("title");
        ASSERT_NE(title, nullptr);
        count(picture, WHITE, title->box, 0, &in, &out);
        EXPECT_GT(in, 200) << pages[page];

        for (int command = 1; command < PAUSE_BIND + 6; ++command) {
            GuiElement* button = with_command(screen->root, command);
            if (!button || button == focus)
                continue;
            const GuiRect& b = button->find_by_name(".normal")->box;
            EXPECT_EQ(at(picture, b.left + 1, b.top + 1), BUTTON) << pages[page] << " " << command;
        }
    }

    // Choosing run left's key: its button shows "?" and the hint, in yellow, says how.
    key(VK_RETURN);
    ASSERT_TRUE(pause_menu_waits_for_key());
    std::vector<uint32_t> picture = draw_page("choosing");
    GuiElement* hint
        = with_text(pause_menu_screen()->root, "Press a key or mouse button for Run left; Escape cancels");
    ASSERT_NE(hint, nullptr);
    int in, out;
    count(picture, YELLOW, hint->box, 0, &in, &out);
    EXPECT_GT(in, 100);
    key(VK_ESCAPE);
}
